#include "TextHelpers.h"

#include "LocaleSettings.h"
#include "MyTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// "Mo ", "Di ", ... in the order in which DaysToNames lists the days.
struct DayName
{
    int Bit;
    const char *Text;
};
constexpr DayName DayNames[] = {
    {2, "Mo "}, {3, "Di "}, {4, "Mi "}, {5, "Do "}, {6, "Fr "}, {7, "Sa "}, {1, "So "}, {8, "Fei"}};

QString &programDirOverride()
{
    static QString dir;
    return dir;
}

// Digits of |value| with the given decimals, thousands separator and decimal separator.
QString groupedAmount(double value, int decimals, QChar thousands, QChar point)
{
    const QString plain = FixedText(std::fabs(value), decimals);
    const qsizetype dot = plain.indexOf(u'.');
    const QString whole = dot < 0 ? plain : plain.left(dot);
    QString out;
    out.reserve(plain.size() + whole.size() / 3 + 1);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0 && !thousands.isNull())
            out.append(thousands);
        out.append(whole[i]);
    }
    if (dot >= 0) {
        out.append(point);
        out.append(QStringView(plain).mid(dot + 1));
    }
    return out;
}

} // namespace

QString DaysToNames(std::uint16_t days)
{
    QString out;
    for (const auto &d : DayNames)
        if (days & (1u << d.Bit))
            out.append(QLatin1String(d.Text));
    return out;
}

QString SpaceToUnderscore(QString s)
{
    return s.replace(u' ', u'_');
}

QString UnderscoreToSpace(QString s)
{
    return s.replace(u'_', u' ');
}

QString RemoveAmpersand(QString s)
{
    return s.remove(u'&');
}

namespace {

// Appends TwoDigitText(value) without building intermediate strings.
void appendTwoDigits(QChar *&dst, std::int32_t value)
{
    if (value >= 0 && value < 100) {
        *dst++ = QChar(u'0' + value / 10);
        *dst++ = QChar(u'0' + value % 10);
        return;
    }
    for (QChar c : MyTools.TwoDigitText(value))
        *dst++ = c;
}

} // namespace

QChar *WriteTimeText(QChar *dst, std::int32_t seconds, QChar sep)
{
    const std::int32_t rest = seconds % 3600;
    appendTwoDigits(dst, seconds / 3600);
    *dst++ = sep;
    appendTwoDigits(dst, rest / 60);
    *dst++ = sep;
    appendTwoDigits(dst, rest % 60);
    return dst;
}

QString SecondsToTimeText(std::int32_t seconds)
{
    QChar buf[MaxTimeTextLength];
    QChar *end = WriteTimeText(buf, seconds, TLocaleSettings::Current().TimeSeparator);
    return QString(buf, end - buf);
}

QString SecondsToShortTimeText(std::int32_t seconds)
{
    return SecondsToTimeText(seconds).left(5);
}

TTimeTextForm MaskTimeForm()
{
    TTimeTextForm form;
    form.Separator = TLocaleSettings::Current().TimeSeparator;
    form.BlanksAnywhere = form.EmptyFieldIsZero = true;
    return form;
}

std::int32_t TimeTextToSeconds(const QString &text)
{
    qint64 seconds = 0;
    if (!ReadTimeText(QStringView(text), MaskTimeForm(), seconds))
        return 0;
    return static_cast<std::int32_t>(std::min<qint64>(seconds, INT32_MAX));
}

char *WriteFixedText(char *dst, double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    decimals = std::clamp(decimals, 0, 15);
    const auto res
        = std::to_chars(dst, dst + MaxFixedTextLength, value, std::chars_format::fixed, decimals);
    char *end = res.ptr;
    // A value that rounds to zero has no sign.
    if (*dst == '-' && std::all_of(dst + 1, end, [](char c) { return c == '0' || c == '.'; })) {
        std::memmove(dst, dst + 1, size_t(end - dst - 1));
        --end;
    }
    return end;
}

QChar *WriteFixedText(QChar *dst, double value, int decimals)
{
    char buf[MaxFixedTextLength];
    const char *end = WriteFixedText(buf, value, decimals);
    for (const char *p = buf; p != end; ++p)
        *dst++ = QChar(char16_t(*p));
    return dst;
}

QString FixedText(double value, int decimals)
{
    QChar buf[MaxFixedTextLength];
    return QString(buf, WriteFixedText(buf, value, decimals) - buf);
}

QString NumberText(double value, int decimals, TTrailingZeros zeros)
{
    QString text = FixedText(value, decimals);
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return text;
    if (zeros == TTrailingZeros::Cut) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.size() == point + 1) {
            text.chop(1);
            return text;
        }
    }
    text[point] = TLocaleSettings::Current().DecimalSeparator;
    return text;
}

QString FeeToText(double value)
{
    const auto &loc = TLocaleSettings::Current();
    return CurrencyText(loc.CurrencyFormat, loc.CurrencyString, NumberText(value, 4)).trimmed();
}

QString MoneyToText(double value)
{
    const auto &loc = TLocaleSettings::Current();
    const QString n
        = groupedAmount(value, loc.CurrencyDecimals, loc.ThousandSeparator, loc.DecimalSeparator);
    // A value that shows as zero carries no sign.
    const bool negative = value < 0 && FixedText(value, loc.CurrencyDecimals).startsWith(u'-');
    const QString text = negative ? NegativeCurrencyText(loc.NegCurrFormat, loc.CurrencyString, n)
                                  : CurrencyText(loc.CurrencyFormat, loc.CurrencyString, n);
    return text.trimmed();
}

QString ProgramDir()
{
    QString dir = programDirOverride();
    if (dir.isEmpty()) {
        dir = QCoreApplication::instance()
            ? QCoreApplication::applicationDirPath()
            : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    }
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir.append(u'/');
    return dir;
}

void SetProgramDirOverride(const QString &dir)
{
    programDirOverride() = dir;
}
