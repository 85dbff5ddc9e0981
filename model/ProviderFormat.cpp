#include "ProviderFormat.h"

#include "support/LocaleSettings.h"
#include "support/TextHelpers.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace ProviderFormat {

namespace {

// The readers below take a text (QStringView) or the Windows-1252 bytes of one
// (QByteArrayView) alike: they look for ASCII characters only, and in such
// bytes every character is one byte and every byte that is no ASCII character
// decodes to a character that is none either (see CodeOf). So the bytes of a
// value read exactly as its decoded text does.
template<typename View>
using CharOf = std::remove_cv_t<std::remove_pointer_t<decltype(View().data())>>;

// QStringView's left() and mid() (with a position of 0 or more), which
// QByteArrayView lacks.
template<typename View> View leftOf(View s, qsizetype n)
{
    return size_t(n) >= size_t(s.size()) ? s : View(s.data(), n);
}

template<typename View> View midOf(View s, qsizetype pos, qsizetype n = -1)
{
    Q_ASSERT(pos >= 0);
    if (pos >= s.size())
        return View();
    const qsizetype rest = s.size() - pos;
    return View(s.data() + pos, n < 0 || n > rest ? rest : n);
}

// The position of the first c (an ASCII character) in s from `from` on, or -1.
qsizetype firstOf(QStringView s, char16_t c, qsizetype from)
{
    for (qsizetype i = from; i < s.size(); ++i)
        if (s[i].unicode() == c)
            return i;
    return -1;
}

qsizetype firstOf(QByteArrayView s, char16_t c, qsizetype from)
{
    if (from >= s.size())
        return -1;
    const void *found = std::memchr(s.data() + from, c, size_t(s.size() - from));
    return found ? static_cast<const char *>(found) - s.data() : -1;
}

// Room for a cleaned value; values longer than this go to the heap.
template<typename View> using CleanBuffer = QVarLengthArray<CharOf<View>, 64>;

// The value as CleanValue leaves it: a view of `value` when nothing is
// deleted before its ";", else of `buffer`.
template<typename View> View cleaned(View value, CleanBuffer<View> &buffer)
{
    // All of the value when it has no ";" (leftOf takes all for -1).
    const View kept = leftOf(value, firstOf(value, u';', 0));
    if (firstOf(kept, u' ', 0) < 0)
        return kept;
    buffer.clear();
    for (qsizetype i = 0; i < kept.size(); ++i)
        if (CodeOf(kept[i]) != u' ')
            buffer.append(kept[i]);
    return View(buffer.constData(), buffer.size());
}

template<typename View> bool isDigitAt(View s, qsizetype k)
{
    return k < s.size() && CodeOf(s[k]) >= u'0' && CodeOf(s[k]) <= u'9';
}

template<typename View> bool isAt(View s, qsizetype k, char16_t c)
{
    return k < s.size() && CodeOf(s[k]) == c;
}

// Length of the number at the start of s (after `from`): sign, digits with an
// optional "." and decimals, optional exponent; 0 when there is no digit.
template<typename View> qsizetype numberLength(View s, qsizetype from)
{
    qsizetype i = from;
    if (isAt(s, i, u'+') || isAt(s, i, u'-'))
        ++i;
    const qsizetype mantissaStart = i;
    while (isDigitAt(s, i))
        ++i;
    bool digits = i > mantissaStart;
    if (isAt(s, i, u'.')) {
        const qsizetype afterPoint = i + 1;
        qsizetype k = afterPoint;
        while (isDigitAt(s, k))
            ++k;
        if (digits || k > afterPoint) {
            digits = true;
            i = k;
        }
    }
    if (!digits)
        return 0;
    if (isAt(s, i, u'e') || isAt(s, i, u'E')) {
        qsizetype k = i + 1;
        if (isAt(s, k, u'+') || isAt(s, k, u'-'))
            ++k;
        const qsizetype expStart = k;
        while (isDigitAt(s, k))
            ++k;
        if (k > expStart)
            i = k;
    }
    return i - from;
}

// Adds the digits from position i on to `digits`; returns the position after them.
template<typename View> qsizetype addDigits(View s, qsizetype i, std::uint64_t &digits)
{
    for (; i < s.size(); ++i) {
        const unsigned digit = unsigned(CodeOf(s[i])) - u'0'; // wraps below "0"
        if (digit > 9)
            break;
        digits = digits * 10 + digit;
    }
    return i;
}

// Reads a text that is a sign, digits and a point at most, with 1 to 15
// digits and nothing else; false for any other text, which the general way
// below reads. Its digits as a whole number and the power of ten it is
// divided by are both exact doubles, and the division rounds correctly, so
// the result is the nearest double, as from_chars gives it.
template<typename View> bool convertShort(View s, double &value)
{
    static constexpr double powersOfTen[]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype i = 0;
    const bool negative = isAt(s, 0, u'-');
    if (negative || isAt(s, 0, u'+'))
        ++i;
    // Past 19 digits the sum wraps; such a text is refused below.
    std::uint64_t digits = 0;
    const qsizetype start = i;
    i = addDigits(s, i, digits);
    qsizetype count = i - start, decimals = 0;
    if (isAt(s, i, u'.')) {
        const qsizetype afterPoint = ++i;
        i = addDigits(s, i, digits);
        decimals = i - afterPoint;
        count += decimals;
    }
    if (i != s.size() || count == 0 || count > 15)
        return false;
    value = double(digits) / powersOfTen[decimals];
    if (negative)
        value = -value;
    return true;
}

template<typename View> bool convert(View text, double &value)
{
    double v = 0;
    if (convertShort(text, v)) {
        value = v;
        return true;
    }
    // A validated number is ASCII; from_chars takes no "+".
    QVarLengthArray<char, 64> ascii;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (CodeOf(text[i]) != u'+')
            ascii.append(static_cast<char>(CodeOf(text[i])));
    const auto res = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), v);
    if (res.ec != std::errc() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

template<typename View> qsizetype skipBlanks(View s)
{
    qsizetype i = 0;
    while (isAt(s, i, u' '))
        ++i;
    return i;
}

template<typename View> bool readNumber(View text, double &value)
{
    // Most numbers are plain decimals, which convertShort reads at once; it
    // refuses every other text.
    if (convertShort(text, value))
        return true;
    const qsizetype start = skipBlanks(text);
    const qsizetype len = numberLength(text, start);
    if (len == 0 || start + len != text.size())
        return false;
    return convert(midOf(text, start, len), value);
}

template<typename View> double readNumberPrefix(View text)
{
    const qsizetype start = skipBlanks(text);
    const qsizetype len = numberLength(text, start);
    double v = 0;
    if (len == 0 || !convert(midOf(text, start, len), v))
        return 0;
    return v;
}

// The file's "hh:mm", a time of day: hours up to 23, minutes up to 59. On
// failure seconds is 0.
template<typename View> bool parseTimeOfDay(View s, std::int32_t &seconds)
{
    qint64 value = 0;
    const bool ok = ReadTimeText(s, {QChar(), 23, 59}, value);
    seconds = static_cast<std::int32_t>(value);
    return ok;
}

template<typename View> bool isTariffEntryText(View text)
{
    return text.size() >= 12 && CodeOf(text[5]) == u'-' && CodeOf(text[11]) == u'/';
}

template<typename View> std::uint16_t daysFromText(View text)
{
    std::uint16_t days = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (const char16_t c = CodeOf(text[i]); c >= u'1' && c <= u'8')
            days |= static_cast<std::uint16_t>(1u << (c - u'0'));
    return days;
}

template<typename View> bool isYes(View cleanedValue)
{
    return cleanedValue.size() == 3 && CodeOf(cleanedValue[0]) == u'Y'
        && CodeOf(cleanedValue[1]) == u'E' && CodeOf(cleanedValue[2]) == u'S';
}

// The text between the first "-" and the first "/" (empty when the "/" comes first).
template<typename View> View between(View s, qsizetype dash, qsizetype slash)
{
    if (dash < 0 || slash < 0 || slash <= dash)
        return {};
    return midOf(s, dash + 1, slash - dash - 1);
}

} // namespace

QString CleanValue(const QString &value)
{
    CleanBuffer<QStringView> buffer;
    const QStringView kept = cleaned(QStringView(value), buffer);
    // Cleaning only deletes: the same length is the same text.
    return kept.size() == value.size() ? value : kept.toString();
}

bool ReadNumber(QStringView text, double &value)
{
    return readNumber(text, value);
}

bool ReadInteger(QStringView text, std::int32_t &value)
{
    return ReadInt32(text, value);
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
    p.DisplayName = UnderscoreToSpace(p.Name);
    return p;
}

bool IsWritableKey(const QString &key)
{
    auto blank = [](QChar c) {
        return c == u' ' || c == u'\t';
    };
    return !key.isEmpty() && !blank(key.front()) && !blank(key.back()) && !key.contains(u'=')
        && key.front() != u'[' && key.front() != u';';
}

QString ProviderLineText(const QString &displayName, const QString &key)
{
    return SpaceToUnderscore(displayName) + u',' + key;
}

namespace {

template<typename View> TEntryParse parseEntryValue(View rawValue, TTariffEntry &entry)
{
    CleanBuffer<View> buffer;
    const View s = cleaned(rawValue, buffer);
    if (s.isEmpty())
        return TEntryParse::Empty;
    if (!isTariffEntryText(s))
        return TEntryParse::SyntaxError;

    // The first "-", the first "/" and the "/" after it.
    const qsizetype dash = firstOf(s, u'-', 0);
    const qsizetype slash1 = firstOf(s, u'/', 0);
    const qsizetype slash2 = firstOf(s, u'/', slash1 + 1);
    const View start = leftOf(s, dash);
    const View end = between(s, dash, slash1);
    const View interval
        = slash2 < 0 ? midOf(s, slash1 + 1) : midOf(s, slash1 + 1, slash2 - slash1 - 1);
    const View fee = slash2 < 0 ? View() : midOf(s, slash2 + 1);

    entry = TTariffEntry {};
    const bool fromOk = parseTimeOfDay(start, entry.TimeFrom);
    const bool toOk = parseTimeOfDay(end, entry.TimeTo);
    if (!fromOk || !toOk)
        return TEntryParse::Faulty;
    entry.TimeTo += 59;
    bool numbersOk = true;
    if (!readNumber(interval, entry.Interval)) {
        entry.Interval = readNumberPrefix(interval);
        numbersOk = false;
    }
    if (!readNumber(fee, entry.Fee)) {
        entry.Fee = readNumberPrefix(fee);
        numbersOk = false;
    }
    return numbersOk ? TEntryParse::Valid : TEntryParse::Faulty;
}

} // namespace

TEntryParse ParseEntryValue(const QString &rawValue, TTariffEntry &entry)
{
    return parseEntryValue(QStringView(rawValue), entry);
}

TEntryParse ParseEntryValue(QByteArrayView rawValue, TTariffEntry &entry)
{
    return parseEntryValue(rawValue, entry);
}

namespace {

// SecondsToShortTimeText into a QChar or byte buffer; times of day take the
// short way, anything else goes through the text helper.
template<typename Char> Char *writeShortTime(Char *dst, std::int32_t seconds, Char sep)
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
template<typename Char> Char *writeEntryValue(Char *dst, const TTariffEntry &entry, Char sep)
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

QString IndexedIdent(const QString &key, int index)
{
    return key + QString::number(index);
}

namespace {

template<typename View> std::optional<TFreeHoursRange> parseRangeValue(View s)
{
    const qsizetype bar = firstOf(s, u'|', 0);
    const View days = bar < 0 ? View() : leftOf(s, bar);
    const View rest = bar < 0 ? s : midOf(s, bar + 1);
    const qsizetype dash = firstOf(rest, u'-', 0);
    const qsizetype slash1 = firstOf(rest, u'/', 0);
    if (dash < 0 || slash1 < 0)
        return std::nullopt;
    const qsizetype slash2 = firstOf(rest, u'/', slash1 + 1);
    if (slash2 < 0)
        return std::nullopt;

    TFreeHoursRange range;
    range.Days = daysFromText(days);
    if (!parseTimeOfDay(leftOf(rest, dash), range.TimeFrom)
        || !parseTimeOfDay(between(rest, dash, slash1), range.TimeTo)
        || !readNumber(midOf(rest, slash1 + 1, slash2 - slash1 - 1), range.Interval))
        return std::nullopt;
    return range;
}

// days|hh:mm-hh:mm/interval/ into a QChar or byte buffer; the days as the
// digits 1 to 8 of the set bits, ascending.
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

std::optional<TFreeHoursRange> ParseRangeValue(const QString &rawValue)
{
    return parseRangeValue(QStringView(rawValue));
}

std::optional<TFreeHoursRange> ParseRangeValue(QByteArrayView rawValue)
{
    return parseRangeValue(rawValue);
}

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
    case TOption::FREISTUNDEN:
        return QStringLiteral("FREISTUNDEN");
    case TOption::OPTIONS:
        return QStringLiteral("OPTIONS");
    case TOption::FreeHoursCosts:
        return QStringLiteral("FreeHoursCosts");
    case TOption::GRUNDBETRAG:
        return QStringLiteral("GRUNDBETRAG");
    case TOption::BASECONNECTPRICE:
        return QStringLiteral("BASECONNECTPRICE");
    case TOption::FreeHoursPerDay:
        return QStringLiteral("FreeHoursPerDay");
    case TOption::ISDNDoubleCosts:
        return QStringLiteral("ISDNDoubleCosts");
    case TOption::NOCOSTS:
        return QStringLiteral("NOCOSTS");
    case TOption::COSTSPERDAY:
        return QStringLiteral("COSTSPERDAY");
    case TOption::TIMING:
        return QStringLiteral("TIMING");
    case TOption::MinConnectTime:
        return QStringLiteral("MinConnectTime");
    }
    return QString();
}

namespace {

template<typename View> void readOption(TOption option, View rawValue, TProviderOptions &o)
{
    CleanBuffer<View> buffer;
    const View v = cleaned(rawValue, buffer);
    auto number = [&](double fallback) {
        double d = 0;
        return readNumber(v, d) ? d : fallback;
    };
    auto integer = [&]() {
        std::int32_t i = 0;
        return ReadInt32(v, i) ? i : 0;
    };
    switch (option) {
    case TOption::FREISTUNDEN:
        // Kept to what the options dialog shows and takes.
        o.FreeHours = std::clamp(integer(), 0, TProviderOptions::MaxFreeHours);
        break;
    case TOption::OPTIONS:
        o.Holidays2431 = v.isEmpty() || isYes(v);
        break;
    case TOption::FreeHoursCosts:
        o.FreeHoursCosts = number(0);
        break;
    case TOption::GRUNDBETRAG:
        o.BaseAmount = integer();
        break;
    case TOption::BASECONNECTPRICE:
        o.BaseConnectPrice = number(0);
        break;
    case TOption::FreeHoursPerDay:
        o.FreeHoursPerDay = isYes(v);
        break;
    case TOption::ISDNDoubleCosts:
        o.ISDNDoubleCosts = isYes(v);
        break;
    case TOption::NOCOSTS:
        o.NoCostsFrom = number(-1);
        break;
    case TOption::COSTSPERDAY:
        o.CostsPerDay = std::max(0.0, number(0));
        break;
    case TOption::TIMING:
        o.Timing = std::clamp(number(-1), -1.0, 1000.0);
        break;
    case TOption::MinConnectTime:
        o.MinConnectTime = std::clamp(number(-1), -1.0, 1000.0);
        break;
    }
}

} // namespace

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

void ReadOption(TOption option, const QString &rawValue, TProviderOptions &options)
{
    readOption(option, QStringView(rawValue), options);
}

void ReadOption(TOption option, QByteArrayView rawValue, TProviderOptions &options)
{
    readOption(option, rawValue, options);
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
        QStringLiteral("DER AUTOR DER DATEI ") + fileName
            + QStringLiteral(" HAFTET NICHT FUER DIE RICHTIGKEIT"),
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
