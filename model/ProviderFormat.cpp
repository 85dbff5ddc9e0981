#include "ProviderFormat.h"

#include "support/LocaleSettings.h"
#include "support/TextHelpers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ProviderFormat {

namespace {

// Length of the number at the start of s (after `from`): sign, digits with an
// optional "." and decimals, optional exponent; 0 when there is no digit.
qsizetype numberLength(QStringView s, qsizetype from)
{
    qsizetype i = from;
    auto isDigit = [&](qsizetype k) { return k < s.size() && s[k] >= u'0' && s[k] <= u'9'; };
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    const qsizetype mantissaStart = i;
    while (isDigit(i))
        ++i;
    bool digits = i > mantissaStart;
    if (i < s.size() && s[i] == u'.') {
        const qsizetype afterPoint = i + 1;
        qsizetype k = afterPoint;
        while (isDigit(k))
            ++k;
        if (digits || k > afterPoint) {
            digits = true;
            i = k;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype k = i + 1;
        if (k < s.size() && (s[k] == u'+' || s[k] == u'-'))
            ++k;
        const qsizetype expStart = k;
        while (isDigit(k))
            ++k;
        if (k > expStart)
            i = k;
    }
    return i - from;
}

// Converts a validated number text (no blanks); false when out of range.
// A number of at most 15 digits with or without a point and no exponent:
// its digits as a whole number and the power of ten it is divided by are
// both exact doubles, and the division rounds correctly, so the result is
// the nearest double, as from_chars gives it.
bool convertShort(QStringView s, double &value)
{
    static constexpr double powersOfTen[]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const QChar *p = s.data();
    const QChar *const end = p + s.size();
    const bool negative = p != end && *p == u'-';
    if (p != end && (*p == u'-' || *p == u'+'))
        ++p;
    std::uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; p != end; ++p) {
        const char16_t c = p->unicode();
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9' || ++count > 15)
            return false;
        digits = digits * 10 + std::uint64_t(c - u'0');
        decimals += point;
    }
    if (count == 0)
        return false;
    value = double(digits) / powersOfTen[decimals];
    if (negative)
        value = -value;
    return true;
}

bool convert(QStringView text, double &value)
{
    double v = 0;
    if (convertShort(text, v)) {
        value = v;
        return true;
    }
    char small[64];
    std::string large;
    char *ascii = small;
    if (text.size() > qsizetype(sizeof small)) {
        large.resize(text.size());
        ascii = large.data();
    }
    qsizetype n = 0;
    for (QChar c : text)
        if (c != u'+')
            ascii[n++] = static_cast<char>(c.unicode());
    const auto res = std::from_chars(ascii, ascii + n, v);
    if (res.ec != std::errc() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

// The position of the first c in s from `from` on, or -1; a plain loop, as
// the texts searched are short.
qsizetype firstOf(QStringView s, char16_t c, qsizetype from)
{
    for (qsizetype i = from; i < s.size(); ++i)
        if (s[i].unicode() == c)
            return i;
    return -1;
}

qsizetype skipBlanks(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return i;
}

// A two-character field of a time: a readable integer, sign ignored.
bool timeField(QStringView field, int &value)
{
    std::int32_t v = 0;
    if (!ReadInteger(field, v))
        return false;
    value = std::abs(v);
    return true;
}

// The text between the first "-" and the first "/" (empty when the "/" comes first).
QStringView between(QStringView s, qsizetype dash, qsizetype slash)
{
    if (dash < 0 || slash < 0 || slash <= dash)
        return {};
    return s.mid(dash + 1, slash - dash - 1);
}

} // namespace

QString CleanValue(const QString &value)
{
    // Values are short: one look at each character finds both the ";" and
    // whether a blank comes before it.
    const QChar *const begin = value.constData();
    const QChar *const end = begin + value.size();
    const QChar *stop = begin;
    bool blank = false;
    for (; stop != end && *stop != u';'; ++stop)
        blank = blank || *stop == u' ';
    const QStringView kept(begin, stop);
    if (!blank)
        return stop == end ? value : kept.toString();
    QString out(kept.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (QChar c : kept)
        if (c != u' ')
            *dst++ = c;
    out.truncate(dst - out.constData());
    return out;
}

bool ReadNumber(QStringView text, double &value)
{
    const qsizetype start = skipBlanks(text);
    const qsizetype len = numberLength(text, start);
    if (len == 0 || start + len != text.size())
        return false;
    return convert(text.mid(start, len), value);
}

bool ReadInteger(QStringView text, std::int32_t &value)
{
    return ReadInt32(text, value);
}

double ReadNumberPrefix(QStringView text)
{
    const qsizetype start = skipBlanks(text);
    const qsizetype len = numberLength(text, start);
    double v = 0;
    if (len == 0 || !convert(text.mid(start, len), v))
        return 0;
    return v;
}

bool ParseTimeOfDay(QStringView s, std::int32_t &seconds)
{
    seconds = 0;
    int hours = 0, minutes = 0;
    if (!timeField(s.mid(0, 2), hours) || !timeField(s.size() > 3 ? s.mid(3, 2) : QStringView(), minutes))
        return false;
    if (hours > 23 || minutes > 59)
        return false;
    seconds = hours * 3600 + minutes * 60;
    return true;
}

bool IsTariffEntryText(QStringView text)
{
    return text.size() >= 12 && text[5] == u'-' && text[11] == u'/';
}

std::uint16_t DaysFromText(QStringView text)
{
    std::uint16_t days = 0;
    for (QChar c : text)
        if (c >= u'1' && c <= u'8')
            days |= static_cast<std::uint16_t>(1u << (c.unicode() - u'0'));
    return days;
}

namespace {

// The digits of the days that are set, in order, into dst (room for 8).
template<typename Char> Char *writeDays(Char *dst, std::uint16_t days)
{
    for (int d = 1; d <= 8; ++d)
        if (days & (1u << d))
            *dst++ = Char(u'0' + d);
    return dst;
}

} // namespace

QString DaysToText(std::uint16_t days)
{
    QChar buf[8];
    const qsizetype length = writeDays(buf, days) - buf;
    return length > 0 ? QString(buf, length) : QString();
}

QString YesNoText(bool value)
{
    return value ? QStringLiteral("YES") : QStringLiteral("NO");
}

bool ReadYesNo(const QString &cleanedValue)
{
    return cleanedValue == u"YES";
}

QString FourDecimals(double value)
{
    return FixedText(value, 4);
}

char *WriteFileNumber(char *dst, double value)
{
    // Most numbers are whole ten-thousandths: r / 10000 is then the double
    // nearest to the four-decimal text of r (the division rounds correctly),
    // and that text is the one the general way below would write.
    if (std::isfinite(value) && std::abs(value) < 1e9) {
        const double scaled = std::round(value * 10000);
        if (scaled / 10000 == value) {
            auto r = static_cast<long long>(scaled);
            if (r < 0) {
                *dst++ = '-';
                r = -r;
            }
            dst = std::to_chars(dst, dst + 20, r / 10000).ptr;
            *dst++ = '.';
            for (int unit = 1000, rest = int(r % 10000); unit > 0; rest %= unit, unit /= 10)
                *dst++ = char('0' + rest / unit);
            return dst;
        }
    }
    char *end = WriteFixedText(dst, value, 4);
    if (!std::isfinite(value))
        return end;
    double back = 0;
    const auto read = std::from_chars(dst, end, back);
    if (read.ec == std::errc() && back == value)
        return end;
    return std::to_chars(dst, dst + MaxFixedTextLength, value, std::chars_format::fixed).ptr;
}

QString FileNumber(double value)
{
    char buf[MaxFixedTextLength];
    return QString::fromLatin1(buf, WriteFileNumber(buf, value) - buf);
}

namespace {

char *writeWholeNumber(char *dst, double value)
{
    if (!std::isfinite(value)) {
        *dst = '0';
        return dst + 1;
    }
    return WriteFixedText(dst, std::round(value), 0);
}

} // namespace

QString WholeNumber(double value)
{
    char buf[MaxFixedTextLength];
    return QString::fromLatin1(buf, writeWholeNumber(buf, value) - buf);
}

std::optional<TKeyAndName> ParseProviderLine(const QString &rawValue)
{
    const QString value = CleanValue(rawValue);
    if (value.isEmpty())
        return std::nullopt;
    TKeyAndName p;
    const qsizetype comma = value.indexOf(u',');
    if (comma < 0) {
        p.Key = value;
    } else {
        p.Key = value.mid(comma + 1);
        if (p.Key.isEmpty())
            return std::nullopt;
        p.Name = value.left(std::min<qsizetype>(comma, TKeyAndName::MaxNameLength));
    }
    return p;
}

bool IsWritableKey(const QString &key)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    return !key.isEmpty() && !blank(key.front()) && !blank(key.back()) && !key.contains(u'=')
        && key.front() != u'[' && key.front() != u';';
}

QString ProviderLineText(const QString &displayName, const QString &key)
{
    return SpaceToUnderscore(displayName) + u',' + key;
}

TEntryParse ParseEntryValue(const QString &rawValue, TTariffEntry &entry)
{
    const QString value = CleanValue(rawValue);
    if (value.isEmpty())
        return TEntryParse::Empty;
    if (!IsTariffEntryText(value))
        return TEntryParse::SyntaxError;

    const QStringView s(value);
    // The first "-", the first "/" and the "/" after it.
    const qsizetype dash = firstOf(s, u'-', 0);
    const qsizetype slash1 = firstOf(s, u'/', 0);
    const qsizetype slash2 = firstOf(s, u'/', slash1 + 1);
    const QStringView start = s.left(dash);
    const QStringView end = between(s, dash, slash1);
    const QStringView interval = slash2 < 0 ? s.mid(slash1 + 1) : s.mid(slash1 + 1, slash2 - slash1 - 1);
    const QStringView fee = slash2 < 0 ? QStringView() : s.mid(slash2 + 1);

    entry = TTariffEntry {};
    const bool fromOk = ParseTimeOfDay(start, entry.TimeFrom);
    const bool toOk = ParseTimeOfDay(end, entry.TimeTo);
    if (!fromOk || !toOk)
        return TEntryParse::Faulty;
    entry.TimeTo += 59;
    bool numbersOk = true;
    if (!ReadNumber(interval, entry.Interval)) {
        entry.Interval = ReadNumberPrefix(interval);
        numbersOk = false;
    }
    if (!ReadNumber(fee, entry.Fee)) {
        entry.Fee = ReadNumberPrefix(fee);
        numbersOk = false;
    }
    return numbersOk ? TEntryParse::Valid : TEntryParse::Faulty;
}

namespace {

// SecondsToShortTimeText into a QChar or byte buffer; times of day take the
// short way, anything else goes through the text helper.
template<typename Char>
Char *writeShortTime(Char *dst, std::int32_t seconds, Char sep)
{
    if (seconds >= 0 && seconds < 100 * 3600) {
        const int h = seconds / 3600, m = seconds % 3600 / 60;
        *dst++ = Char(u'0' + h / 10);
        *dst++ = Char(u'0' + h % 10);
        *dst++ = sep;
        *dst++ = Char(u'0' + m / 10);
        *dst++ = Char(u'0' + m % 10);
        return dst;
    }
    for (QChar c : SecondsToShortTimeText(seconds))
        *dst++ = c == TLocaleSettings::Current().TimeSeparator ? sep : Char(c.unicode());
    return dst;
}

char *writeFileNumber(char *dst, double value)
{
    return WriteFileNumber(dst, value);
}

QChar *writeFileNumber(QChar *dst, double value)
{
    char buf[MaxFixedTextLength];
    const char *end = WriteFileNumber(buf, value);
    for (const char *p = buf; p != end; ++p)
        *dst++ = QChar(char16_t(*p));
    return dst;
}

// hh:mm-hh:mm/interval/fee into a QChar or byte buffer.
template<typename Char>
Char *writeEntryValue(Char *dst, const TTariffEntry &entry, Char sep)
{
    dst = writeShortTime(dst, entry.TimeFrom, sep);
    *dst++ = Char(u'-');
    dst = writeShortTime(dst, entry.TimeTo, sep);
    *dst++ = Char(u'/');
    dst = writeFileNumber(dst, entry.Interval);
    *dst++ = Char(u'/');
    return writeFileNumber(dst, entry.Fee);
}

} // namespace

char *WriteEntryValue(char *dst, const TTariffEntry &entry, char sep)
{
    return writeEntryValue(dst, entry, sep);
}

QString EntryValueText(const TTariffEntry &entry)
{
    QChar buf[MaxEntryValueBytes];
    return QString(buf, writeEntryValue(buf, entry, TLocaleSettings::Current().TimeSeparator) - buf);
}

QString IndexedIdent(const QString &key, int index)
{
    return key + QString::number(index);
}

std::optional<TFreeHoursRange> ParseRangeValue(const QString &rawValue)
{
    const QStringView s(rawValue);
    const qsizetype bar = s.indexOf(u'|');
    const QStringView days = bar < 0 ? QStringView() : s.left(bar);
    const QStringView rest = bar < 0 ? s : s.mid(bar + 1);
    const qsizetype dash = rest.indexOf(u'-');
    const qsizetype slash1 = rest.indexOf(u'/');
    if (dash < 0 || slash1 < 0)
        return std::nullopt;
    const qsizetype slash2 = rest.indexOf(u'/', slash1 + 1);
    if (slash2 < 0)
        return std::nullopt;

    TFreeHoursRange range;
    range.Days = DaysFromText(days);
    if (!ParseTimeOfDay(rest.left(dash), range.TimeFrom)
        || !ParseTimeOfDay(between(rest, dash, slash1), range.TimeTo)
        || !ReadNumber(rest.mid(slash1 + 1, slash2 - slash1 - 1), range.Interval))
        return std::nullopt;
    return range;
}

namespace {

// days|hh:mm-hh:mm/interval/ into a QChar or byte buffer; the days as
// DaysToText writes them.
template<typename Char> Char *writeRangeValue(Char *p, const TFreeHoursRange &range, Char sep)
{
    p = writeDays(p, range.Days);
    *p++ = Char(u'|');
    p = writeShortTime(p, range.TimeFrom, sep);
    *p++ = Char(u'-');
    p = writeShortTime(p, range.TimeTo, sep);
    *p++ = Char(u'/');
    p = writeFileNumber(p, range.Interval);
    *p++ = Char(u'/');
    return p;
}

} // namespace

QString RangeValueText(const TFreeHoursRange &range)
{
    QChar buf[MaxRangeValueBytes];
    return QString(
        buf, writeRangeValue(buf, range, TLocaleSettings::Current().TimeSeparator) - buf);
}

char *WriteRangeValue(char *dst, const TFreeHoursRange &range, char sep)
{
    return writeRangeValue(dst, range, sep);
}

QString OptionSection(TOption option)
{
    switch (option) {
    case TOption::FREISTUNDEN: return QStringLiteral("FREISTUNDEN");
    case TOption::OPTIONS: return QStringLiteral("OPTIONS");
    case TOption::FreeHoursCosts: return QStringLiteral("FreeHoursCosts");
    case TOption::GRUNDBETRAG: return QStringLiteral("GRUNDBETRAG");
    case TOption::BASECONNECTPRICE: return QStringLiteral("BASECONNECTPRICE");
    case TOption::FreeHoursPerDay: return QStringLiteral("FreeHoursPerDay");
    case TOption::ISDNDoubleCosts: return QStringLiteral("ISDNDoubleCosts");
    case TOption::NOCOSTS: return QStringLiteral("NOCOSTS");
    case TOption::COSTSPERDAY: return QStringLiteral("COSTSPERDAY");
    case TOption::TIMING: return QStringLiteral("TIMING");
    case TOption::MinConnectTime: return QStringLiteral("MinConnectTime");
    }
    return QString();
}

void ReadOption(TOption option, const QString &rawValue, TProviderOptions &o)
{
    const QString v = CleanValue(rawValue);
    auto number = [&](double fallback) {
        double d = 0;
        return ReadNumber(v, d) ? d : fallback;
    };
    auto integer = [&]() {
        std::int32_t i = 0;
        return ReadInteger(v, i) ? i : 0;
    };
    switch (option) {
    case TOption::FREISTUNDEN: o.FreeHours = integer(); break;
    case TOption::OPTIONS: o.Holidays2431 = v.isEmpty() || ReadYesNo(v); break;
    case TOption::FreeHoursCosts: o.FreeHoursCosts = number(0); break;
    case TOption::GRUNDBETRAG: o.BaseAmount = integer(); break;
    case TOption::BASECONNECTPRICE: o.BaseConnectPrice = number(0); break;
    case TOption::FreeHoursPerDay: o.FreeHoursPerDay = ReadYesNo(v); break;
    case TOption::ISDNDoubleCosts: o.ISDNDoubleCosts = ReadYesNo(v); break;
    case TOption::NOCOSTS: o.NoCostsFrom = number(-1); break;
    case TOption::COSTSPERDAY: o.CostsPerDay = std::max(0.0, number(0)); break;
    case TOption::TIMING: o.Timing = std::clamp(number(-1), -1.0, 1000.0); break;
    case TOption::MinConnectTime: o.MinConnectTime = std::clamp(number(-1), -1.0, 1000.0); break;
    }
}

char *WriteOptionValue(char *dst, TOption option, const TProviderOptions &o)
{
    auto yesNo = [dst](bool value) {
        const std::string_view text = value ? "YES" : "NO";
        return std::copy(text.begin(), text.end(), dst);
    };
    auto whole = [dst](std::int32_t value) {
        return std::to_chars(dst, dst + 12, value).ptr;
    };
    switch (option) {
    case TOption::TIMING:
        return WriteFileNumber(dst, o.Timing);
    case TOption::MinConnectTime:
        return WriteFileNumber(dst, o.MinConnectTime);
    case TOption::FREISTUNDEN:
        return whole(o.FreeHours);
    case TOption::OPTIONS:
        return yesNo(o.Holidays2431);
    case TOption::FreeHoursCosts:
        return o.FreeHoursCosts > 0 ? WriteFileNumber(dst, o.FreeHoursCosts) : nullptr;
    case TOption::GRUNDBETRAG:
        return whole(o.BaseAmount);
    case TOption::BASECONNECTPRICE:
        return WriteFileNumber(dst, o.BaseConnectPrice);
    case TOption::FreeHoursPerDay:
        return o.FreeHoursPerDay ? yesNo(true) : nullptr;
    case TOption::ISDNDoubleCosts:
        return o.ISDNDoubleCosts ? yesNo(true) : nullptr;
    case TOption::NOCOSTS:
        return writeWholeNumber(dst, o.NoCostsFrom > 0 ? o.NoCostsFrom : -1);
    case TOption::COSTSPERDAY:
        return o.CostsPerDay > 0 ? writeWholeNumber(dst, o.CostsPerDay) : nullptr;
    }
    return nullptr;
}

std::optional<QString> OptionValueText(TOption option, const TProviderOptions &o)
{
    char buf[MaxFixedTextLength];
    if (const char *end = WriteOptionValue(buf, option, o))
        return QString::fromLatin1(buf, end - buf);
    return std::nullopt;
}

void NormalizeForSave(TProviderOptions &options)
{
    // The file holds both as whole numbers; the model takes what is written,
    // so that the saved file loads back as the model it came from.
    if (std::isfinite(options.NoCostsFrom))
        options.NoCostsFrom = std::round(options.NoCostsFrom);
    if (std::isfinite(options.CostsPerDay))
        options.CostsPerDay = std::round(options.CostsPerDay);
    if (!(options.NoCostsFrom > 0))
        options.NoCostsFrom = -1;
    // Only a cost above 0 is written; the file holds anything else as 0.
    if (!(options.FreeHoursCosts > 0))
        options.FreeHoursCosts = 0;
}

QStringList HeaderTexts(const QString &fileName)
{
    return {
        fileName,
        QString(),
        QString(),
        QStringLiteral("Diese Datei ist Bestandteil des Programms \"Korvan\", sie wurde mit"),
        QStringLiteral("dem \"Korvan - Editor\" erstellt."),
        QString(),
        QString(),
        QStringLiteral("DER AUTOR DER DATEI ") + fileName + QStringLiteral(" HAFTET NICHT FUER DIE RICHTIGKEIT"),
        QStringLiteral("DER EINTRAGUNGEN IN DIESER DATEI."),
        QString(),
        QString(),
    };
}

QList<QPair<QString, QString>> CommonValues(const QString &fileName, const QDate &date)
{
    const QString dateText = QStringLiteral("%1/%2/%3")
                                 .arg(date.month(), 2, 10, QChar(u'0'))
                                 .arg(date.day(), 2, 10, QChar(u'0'))
                                 .arg(date.year(), 4, 10, QChar(u'0'));
    const QString kind = fileName == u"UserProv.ini"
        ? SpaceToUnderscore(QStringLiteral("Providertarife benutzerdefiniert"))
        : QStringLiteral("Providertarife");
    return {
        {QStringLiteral("STRVERSION"), QStringLiteral("Korvan version ") + VersionText},
        {QStringLiteral("VERSION"), VersionText},
        {QStringLiteral("FILEDATE"), dateText},
        {QStringLiteral("FILENAME"), kind},
    };
}

} // namespace ProviderFormat
