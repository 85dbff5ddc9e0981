#include "CommandLine.h"

#include <cstdio>

namespace {

const QCommandLineOption &helpOption()
{
    static const QCommandLineOption option(
        {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Zeigt diese Hilfe an."));
    return option;
}

const QCommandLineOption &versionOption()
{
    static const QCommandLineOption option({QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Zeigt die Version des Programms und die von Qt an."));
    return option;
}

QString optionNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &n : option.names())
        names.append((n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n);
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" ") + option.valueName();
    return text;
}

constexpr qsizetype LineWidth = 79;

// Breaks `text` at blanks into lines of at most LineWidth characters, the
// first one continuing after `indent` characters, the others indented by them.
QString wrapped(const QString &text, qsizetype indent)
{
    QString out;
    qsizetype column = indent;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > LineWidth) {
            out += u'\n' + QString(indent, u' ');
            column = indent;
        } else if (column > indent) {
            out += u' ';
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out + u'\n';
}

// Two columns: names indented by two blanks, meanings from a common column.
QString table(const QList<std::pair<QString, QString>> &rows)
{
    qsizetype width = 0;
    for (const auto &[name, meaning] : rows)
        width = std::max(width, name.size());
    QString text;
    for (const auto &[name, meaning] : rows)
        text += QStringLiteral("  ") + name.leftJustified(width + 2) + wrapped(meaning, width + 4);
    return text;
}

void print(const QString &text, FILE *to)
{
    std::fputs(text.toUtf8().constData(), to);
}

} // namespace

QString VisibleText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A byte of a file name that is no UTF-8 (DecodeFileName) is shown
        // as the byte.
        if (c.isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate())) {
            out += QStringLiteral("\\x%1").arg(c.unicode() & 0xFF, 2, 16, QChar(u'0'));
            continue;
        }
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

QString VersionText(const QString &name)
{
    return name + u' ' + QLatin1String(ProgramVersion) + QStringLiteral(" (Qt ")
        + QLatin1String(qVersion()) + u')';
}

QString HelpText(const QList<QCommandLineOption> &options, const TProgramHelp &help)
{
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption &o :
        QList<QCommandLineOption> {helpOption(), versionOption()} + options)
        rows.append({optionNames(o), o.description()});
    QString text = QStringLiteral("Aufruf: ") + help.Name + u' ' + help.Synopsis
        + QStringLiteral("\n") + wrapped(help.Description, 0) + QStringLiteral("\nOptionen:\n")
        + table(rows);
    if (!help.Arguments.isEmpty())
        text += QStringLiteral("\nArgumente:\n") + table(help.Arguments);
    for (const auto &[heading, body] : help.Sections)
        text += u'\n' + heading + QStringLiteral(":\n  ") + wrapped(body, 2);
    return text;
}

int ReadCommandLine(QCommandLineParser &parser, const QList<QCommandLineOption> &options,
    const QStringList &arguments, const TProgramHelp &help, bool deferUnknownOptions)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption());
    parser.addOption(versionOption());
    parser.addOptions(options);
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(helpOption())) {
        print(HelpText(options, help), stdout);
        return 0;
    }
    if (parser.isSet(versionOption())) {
        print(VersionText(help.Name) + u'\n', stdout);
        return 0;
    }
    QString error;
    const qsizetype count = parser.positionalArguments().size();
    if (!parsed && deferUnknownOptions)
        return NotUnderstoodYet;
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        error = unknown.isEmpty()
            ? QStringLiteral("Einer Option fehlt ihr Wert, oder sie hat einen unerwarteten.")
            : QStringLiteral("Unbekannte Option „%1%2“.")
                  .arg(unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                      VisibleText(unknown.first()));
    } else if (count < help.RequiredArguments) {
        error = QStringLiteral("Es fehlt die Angabe %1.").arg(help.Arguments.value(count).first);
    } else if (count > help.Arguments.size()) {
        error = QStringLiteral("Zu viele Angaben: „%1“.")
                    .arg(VisibleText(parser.positionalArguments().last()));
    } else {
        return GoOn;
    }
    print(help.Name + QStringLiteral(": ") + error + QStringLiteral("\nAufruf: ") + help.Name + u' '
            + help.Synopsis + QStringLiteral("\nMehr dazu mit „") + help.Name
            + QStringLiteral(" --help“.\n"),
        stderr);
    return 2;
}

void PrepareWindowSystem()
{
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
#endif
}
