#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The version both programs report.
inline constexpr char ProgramVersion[] = "3.00";

// What a program's German help says besides its options: the synopsis after
// "Aufruf: NAME", a description, the arguments with their meanings (how many
// of them are required) and closing sections such as the exit statuses.
struct TProgramHelp
{
    QString Name;
    QString Synopsis;
    QString Description;
    QList<std::pair<QString, QString>> Arguments;
    int RequiredArguments = 0;
    QList<std::pair<QString, QString>> Sections; // heading, text
};

// The text with control characters made visible, for a terminal: ESC
// sequences and NUL from a file or a command line would act on the terminal
// or cut the line, so they are printed as \x1b, \x00 and so on (and
// direction overrides as \u202e); a byte of a file name that is no UTF-8
// (DecodeFileName) as \xff.
QString VisibleText(const QString &text);

// "NAME 3.00 (Qt 6.4.2)".
QString VersionText(const QString &name);

// The whole help text, options in the order given, -h and -v first.
QString HelpText(const QList<QCommandLineOption> &options, const TProgramHelp &help);

// What the window system needs before the application object is made. On
// Windows, Qt's FreeType font engine, unless QT_QPA_PLATFORM or -platform
// chooses: the GDI engine, the other one this Qt build has, draws no text in
// line edits and no bold text under Wine.
void PrepareWindowSystem();

// Results of ReadCommandLine besides an exit status.
inline constexpr int GoOn = -1;
inline constexpr int NotUnderstoodYet = -2;

// Reads `arguments` (the program's name first) with the program's own
// options and -h/--help, -v/--version. Returns GoOn when the program goes on;
// otherwise the exit status after printing: 0 after the help or the version
// (standard output), 2 after a German message on a wrong call (standard
// error). With `deferUnknownOptions`, an unknown option or a missing value
// returns NotUnderstoodYet silently instead (options of Qt itself, which the
// caller reads again once the application object has taken them out), while
// help and version still answer.
int ReadCommandLine(QCommandLineParser &parser, const QList<QCommandLineOption> &options,
    const QStringList &arguments, const TProgramHelp &help, bool deferUnknownOptions = false);
