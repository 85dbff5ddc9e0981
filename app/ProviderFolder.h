#pragma once

#include "support/CommandLine.h"

#include <QString>
#include <QStringList>

#include <functional>

// Which folder's "Provider.ini" and "UserProv.ini" the editor works on.

// tarifeditor's command line: [ORDNER], --help, --version.
struct TEditorCommandLine
{
    // GoOn, NotUnderstoodYet, or the status to end the program with (the
    // help, the version or an error has been printed).
    int ExitStatus = GoOn;
    // The folder given, absolute and without a trailing "/"; empty when none.
    QString Folder;
};

// Reads the command line (the program's name first). A folder that does not
// exist is reported in German on standard error with status 2. For
// `deferUnknownOptions` see ReadCommandLine.
TEditorCommandLine ReadEditorCommandLine(
    const QStringList &arguments, bool deferUnknownOptions = false);

// Whether new files can be made in `folder`.
bool FolderTakesNewFiles(const QString &folder);

// The folder to use when none was given: the program's own whenever it holds
// one of the two files or takes new files; otherwise the one remembered last
// time, when it still exists; otherwise empty, and the user is asked.
QString DefaultProviderFolder(const QString &programDir,
    const std::function<bool(const QString &)> &takesNewFiles = FolderTakesNewFiles);

// The folder chosen last time (QSettings of the application), or empty.
QString RememberedProviderFolder();
void RememberProviderFolder(const QString &folder);
