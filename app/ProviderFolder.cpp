#include "ProviderFolder.h"

#include "support/CommandLine.h"
#include "support/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cstdio>

namespace {

const QString FolderKey = QStringLiteral("Providerordner");

bool holdsProviderFile(const QString &folder)
{
    const QDir dir(folder);
    return dir.exists(QStringLiteral("Provider.ini")) || dir.exists(QStringLiteral("UserProv.ini"));
}

} // namespace

TEditorCommandLine ReadEditorCommandLine(const QStringList &arguments, bool deferUnknownOptions)
{
    TProgramHelp help;
    help.Name = QStringLiteral("tarifeditor");
    help.Synopsis = QStringLiteral("[ORDNER]");
    help.Description
        = QStringLiteral("Bearbeitet die Tarife der Providerdateien „Provider.ini“ "
                         "(Hauptproviderdatei) und „UserProv.ini“ "
                         "(benutzerdefinierte Providerdatei) des Wählprogramms Zalvor.");
    help.Arguments = {{QStringLiteral("ORDNER"),
        QStringLiteral("Der Ordner mit den beiden Providerdateien. Ohne Angabe der Ordner des "
                       "Programms, wenn er eine der beiden Dateien enthält oder beschreibbar ist, "
                       "sonst der zuletzt gewählte Ordner; gibt es keinen, fragt das Programm "
                       "beim Start danach.")}};
    help.Sections = {{QStringLiteral("Rückgabewert"),
        QStringLiteral("0 nach dem Bearbeiten, 2 bei einem falschen Aufruf oder einem Ordner, "
                       "den es nicht gibt oder der nicht gelesen werden kann.")}};
    QCommandLineParser parser;
    TEditorCommandLine result;
    result.ExitStatus = ReadCommandLine(parser, {}, arguments, help, deferUnknownOptions);
    if (result.ExitStatus != GoOn || parser.positionalArguments().isEmpty())
        return result;
    // The name as the file system gives it (DecodeFileName), shown with
    // control characters made visible.
    const QString given = parser.positionalArguments().constFirst();
    const int code = TFileSystem::Instance().CheckFolder(given);
    if (code != 0) {
        const QString shown = VisibleText(given);
        const QString text = code == 2
            ? QStringLiteral("tarifeditor: Den Ordner „%1“ gibt es nicht.\n").arg(shown)
            : code == 267
            ? QStringLiteral("tarifeditor: „%1“ ist kein Ordner.\n").arg(shown)
            : QStringLiteral("tarifeditor: Der Ordner „%1“ kann nicht gelesen werden (%2).\n")
                  .arg(shown, ErrorCodeText(code));
        std::fputs(text.toUtf8().constData(), stderr);
        result.ExitStatus = 2;
        return result;
    }
    result.Folder = AbsoluteFilePath(given);
    return result;
}

bool FolderTakesNewFiles(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tarifeditor-XXXXXX")));
    return probe.open();
}

QString DefaultProviderFolder(
    const QString &programDir, const std::function<bool(const QString &)> &takesNewFiles)
{
    if (holdsProviderFile(programDir) || takesNewFiles(programDir))
        return programDir;
    const QString remembered = RememberedProviderFolder();
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QString();
}

QString RememberedProviderFolder()
{
    return QSettings().value(FolderKey).toString();
}

void RememberProviderFolder(const QString &folder)
{
    QSettings settings;
    settings.setValue(FolderKey, folder);
}
