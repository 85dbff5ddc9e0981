// tarifcheck: loads a provider file as the editor does, prints every message
// the editor would show, and optionally writes the loaded model back with the
// editor's writer.
//
//   tarifcheck FILE
//   tarifcheck [--date MM/DD/YYYY] --write OUT FILE
//
// Exit status: 0 no message, 1 messages, 2 the file cannot be read or written.
// The check reads FILE only and changes nothing on disk; --write writes OUT
// alone, and nothing when FILE could not be read.

#include "model/ProviderData.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "support/FileSystem.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>

#include <cstdio>

namespace {

// Control characters from a file (ESC sequences, NUL) would act on the
// terminal or cut the line: they are printed as \x1b, \x00 and so on.
QString visible(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        // Format characters of Windows-1252 (the soft hyphen) stay; those
        // beyond it (direction overrides) do not.
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || (cat == QChar::Other_Format && c.unicode() >= 0x100))
            out += c.unicode() < 0x100
                ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'))
                : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

void printLine(const QString &text, FILE *to = stdout)
{
    std::fputs(visible(text).toUtf8().constData(), to);
    std::fputc('\n', to);
}

int usage()
{
    printLine(QStringLiteral("Aufruf: tarifcheck [--date MM/TT/JJJJ] [--write AUSGABE] DATEI"), stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString outPath;
    QDate date = QDate::currentDate();
    QString inPath;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == u"--write" && !args.isEmpty()) {
            outPath = args.takeFirst();
        } else if (a == u"--date" && !args.isEmpty()) {
            date = QDate::fromString(args.takeFirst(), QStringLiteral("MM/dd/yyyy"));
            if (!date.isValid())
                return usage();
        } else if (a.startsWith(u"--") || !inPath.isEmpty()) {
            return usage();
        } else {
            inPath = a;
        }
    }
    if (inPath.isEmpty())
        return usage();

    const QFileInfo in(inPath);
    auto cannotRead = [&] {
        printLine(QStringLiteral("Fehler: Kann %1 nicht lesen.").arg(inPath), stderr);
        return 2;
    };
    // Only a regular file: reading a FIFO or a device would wait or never end.
    if (!in.isFile())
        return cannotRead();

    // The plain messages of the INI component carry the application title.
    SetApplicationTitle(QStringLiteral("Zalvor - Tarifeditor 3.00 [tarifcheck]"));
    // Every message is printed as "Caption: Text" and answered with its first
    // button; a line break inside a message becomes a blank.
    int messages = 0;
    SetMsgBoxHandler([&](const TMsgBoxRequest &r) {
        ++messages;
        QString text = r.Text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
        printLine(r.Caption + QStringLiteral(": ") + text);
        return MsgBoxButtonIds(r.Buttons).constFirst();
    });

    // The loader reads from the program directory; point it at the file's own.
    SetProgramDirOverride(in.absolutePath());
    TTheIniFile ini;
    ini.SetReadOnly(true);
    TProviderData data;
    data.FileName = in.fileName();
    if (!LoadProviderFile(ini, data))
        return cannotRead();

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

    if (!outPath.isEmpty()) {
        const QFileInfo out(outPath);
        TProviderData saved = data;
        saved.FileName = out.fileName();
        PrepareForSave(saved);
        QStringList names;
        for (const auto &p : saved.ProviderList())
            names.append(UnderscoreToSpace(p.Name));
        QByteArray bytes;
        QString bad;
        if (!BuildProviderFile(saved, names, date, bytes, &bad)) {
            printLine(QStringLiteral("Fehler: \"%1\" enthält Zeichen, die in der Datei nicht "
                                     "dargestellt werden können.").arg(bad), stderr);
            return 2;
        }
        if (const int code = SafeWriteFile(out.absoluteFilePath(), bytes); code != 0) {
            printLine(QStringLiteral("Fehler: Konnte %1 nicht speichern (%2).")
                          .arg(outPath, ErrorCodeText(code)),
                stderr);
            return 2;
        }
    }
    return messages == 0 ? 0 : 1;
}
