// tarifcheck: loads a provider file as the editor does, prints every message
// the editor would show, and optionally writes the loaded model back with the
// editor's writer.
//
//   tarifcheck [--coverage] FILE
//   tarifcheck [--date MM/DD/YYYY] --write OUT FILE
//   tarifcheck --help | --version
//
// --coverage adds one line per gap, overlap or entry past midnight in the
// providers' day classes, and per day class without entries.
//
// Exit status: 0 no message, 1 messages (or coverage findings), 2 the file
// cannot be read (also: no regular file, larger than 64 MiB) or written,
// memory ran out, or a wrong call.
// The check reads FILE only and changes nothing on disk; --write writes OUT
// alone, and nothing when FILE could not be read.

#include "model/Coverage.h"
#include "model/ProviderData.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "support/CommandLine.h"
#include "support/Cp1252.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>
#include <new>

namespace {

// Control characters from a file or the command line are printed visibly.
void printLine(const QString &text, FILE *to = stdout)
{
    std::fputs(VisibleText(text).toUtf8().constData(), to);
    std::fputc('\n', to);
}

const QString Synopsis = QStringLiteral("[--coverage] [--date MM/TT/JJJJ] [--write AUSGABE] DATEI");

int usage()
{
    printLine(QStringLiteral("Aufruf: tarifcheck ") + Synopsis, stderr);
    return 2;
}

} // namespace

// The check itself; main() adds the answer to memory that runs out.
static int run(const QStringList &arguments)
{
    const QCommandLineOption writeOption(QStringLiteral("write"),
        QStringLiteral("Schreibt die eingelesenen Angaben mit dem Schreiber des "
                       "Tarifeditors in die Datei AUSGABE."),
        QStringLiteral("AUSGABE"));
    const QCommandLineOption dateOption(QStringLiteral("date"),
        QStringLiteral("Das Datum im Kopf der geschriebenen Datei, Monat/Tag/Jahr "
                       "(ohne Angabe: heute)."),
        QStringLiteral("MM/TT/JJJJ"));
    const QCommandLineOption coverageOption(QStringLiteral("coverage"),
        QStringLiteral("Nennt zusätzlich jede Lücke, jede Überschneidung und jeden "
                       "Eintrag über Mitternacht in den Tarifen der Provider."));
    TProgramHelp help;
    help.Name = QStringLiteral("tarifcheck");
    help.Synopsis = Synopsis;
    help.Description
        = QStringLiteral("Liest eine Providerdatei so ein, wie der Tarifeditor es tut, gibt jede "
                         "Meldung aus, die der Tarifeditor dabei zeigen würde (Titel: Text), und "
                         "zum Schluss eine Zusammenfassung.");
    help.Arguments = {
        {QStringLiteral("DATEI"), QStringLiteral("Die zu prüfende Providerdatei (Windows-1252).")}};
    help.RequiredArguments = 1;
    help.Sections = {{QStringLiteral("Rückgabewert"),
        QStringLiteral("0 ohne Meldungen, 1 mit Meldungen (mit --coverage auch bei Funden), 2 wenn "
                       "die Datei nicht gelesen oder "
                       "geschrieben werden kann oder der Aufruf falsch ist.")}};
    QCommandLineParser parser;
    if (const int status
        = ReadCommandLine(parser, {coverageOption, dateOption, writeOption}, arguments, help);
        status >= 0)
        return status;
    const QString outPath = parser.value(writeOption);
    // "--write ''" names no file: a call that would write nothing is wrong.
    if (parser.isSet(writeOption) && outPath.isEmpty()) {
        printLine(
            QStringLiteral("tarifcheck: Die Option --write braucht einen Dateinamen."), stderr);
        return usage();
    }
    const bool coverage = parser.isSet(coverageOption);
    QDate date = QDate::currentDate();
    if (parser.isSet(dateOption)) {
        date = QDate::fromString(parser.value(dateOption), QStringLiteral("MM/dd/yyyy"));
        if (!date.isValid())
            return usage();
    }
    const QString inPath = parser.positionalArguments().constFirst();

    // Only a regular file of a sane size is read (ReadWholeFile): a FIFO or
    // a device would wait or never end.
    auto cannotRead = [&](int code) {
        printLine(code == TooLargeCode ? QStringLiteral("Fehler: %1 ist zu groß (mehr als %2 MiB).")
                                             .arg(inPath)
                                             .arg(MaxFileBytes >> 20)
                                       : QStringLiteral("Fehler: Kann %1 nicht lesen (%2).")
                                             .arg(inPath, ErrorCodeText(code)),
            stderr);
        return 2;
    };
    // Names are taken as the file system gives them (DecodeFileName).
    const QString inFull = AbsoluteFilePath(inPath);
    const qsizetype inSlash = inFull.lastIndexOf(u'/');

    // The plain messages of the INI component carry the application title.
    SetApplicationTitle(QStringLiteral("Zalvor - Tarifeditor 3.00 [tarifcheck]"));
    // Every message is printed as "Caption: Text" and answered with its first
    // button; a line break inside a message becomes a blank.
    int messages = 0;
    SetMsgBoxHandler([&](const TMsgBoxRequest &r) {
        ++messages;
        QString text = r.Text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(u'\r', u' ')
            .replace(u'\n', u' ');
        printLine(r.Caption + QStringLiteral(": ") + text);
        return MsgBoxButtonIds(r.Buttons).constFirst();
    });

    // The loader reads from the program directory; point it at the file's own.
    SetProgramDirOverride(inSlash == 0 ? QStringLiteral("/") : inFull.left(inSlash));
    TTheIniFile ini;
    ini.SetReadOnly(true);
    TProviderData data;
    data.FileName = inFull.mid(inSlash + 1);
    if (!LoadProviderFile(ini, data))
        return cannotRead(ini.ErrorCode() != 0 ? ini.ErrorCode() : 2);

    int weekday = 0, weekend = 0, ranges = 0;
    for (int i = 0; i < data.Count(); ++i) {
        weekday += data.Entries(i, TDayClass::Weekday).size();
        weekend += data.Entries(i, TDayClass::Weekend).size();
        ranges += data.Options(i).FreeHoursRanges.size();
    }
    printLine(QStringLiteral("%1 Provider, %2 Werktag-Einträge, %3 Wochenend-Einträge, "
                             "%4 Freistunden-Bereiche")
                  .arg(data.Count())
                  .arg(weekday)
                  .arg(weekend)
                  .arg(ranges));
    const QStringList findings = coverage ? FileCoverageFindings(data) : QStringList();
    for (const QString &line : findings)
        printLine(line);

    if (!outPath.isEmpty()) {
        const QString outFull = AbsoluteFilePath(outPath);
        TProviderData saved = data;
        // The header names the file in Windows-1252: a byte of the name that
        // is no UTF-8 (DecodeFileName) is taken as that code page's byte.
        saved.FileName = outFull.mid(outFull.lastIndexOf(u'/') + 1);
        for (QChar &c : saved.FileName)
            if (c.isLowSurrogate())
                c = Cp1252::decode(QByteArray(1, char(c.unicode() & 0xFF))).at(0);
        PrepareForSave(saved);
        QByteArray bytes;
        QString bad;
        if (!BuildProviderFile(saved, date, bytes, &bad)) {
            printLine(QStringLiteral("Fehler: \"%1\" enthält Zeichen, die in der Datei nicht "
                                     "dargestellt werden können.")
                          .arg(bad),
                stderr);
            return 2;
        }
        QStringList notKept;
        if (const int code = SafeWriteFile(outFull, bytes, nullptr, &notKept); code != 0) {
            printLine(QStringLiteral("Fehler: Konnte %1 nicht speichern (%2).")
                          .arg(outPath, ErrorCodeText(code)),
                stderr);
            return 2;
        }
        if (!notKept.isEmpty())
            printLine(
                QStringLiteral(
                    "Warnung: Von der bisherigen Datei %1 konnte nicht übernommen werden: %2.")
                    .arg(outPath, notKept.join(QStringLiteral(", "))),
                stderr);
    }
    return messages == 0 && findings.isEmpty() ? 0 : 1;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The arguments as given, not as Qt decodes them: a name that is no
    // UTF-8 would no longer name its file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(DecodeFileName(QByteArray(argv[i])));
    try {
        return run(arguments);
    } catch (const std::bad_alloc &) {
        printLine(QStringLiteral("tarifcheck: %1").arg(ErrorCodeText(OutOfMemoryCode)), stderr);
        return 2;
    }
}
