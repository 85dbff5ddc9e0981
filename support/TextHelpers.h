#pragma once

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <iterator>

// The code of a character, or of a Windows-1252 byte taken as the character of
// its number. Readers that look for ASCII characters only read text and bytes
// alike through it: ASCII bytes are their characters, and every other byte is
// above 127, as every character it decodes to is.
inline char16_t CodeOf(QChar c)
{
    return c.unicode();
}
inline char16_t CodeOf(char c)
{
    return static_cast<unsigned char>(c);
}

namespace TextReading {
// ReadInt32 on a QStringView or a QByteArrayView; inline, as readers call it
// for many short fields.
template<typename View> Q_ALWAYS_INLINE bool readInt32(View text, std::int32_t &value)
{
    qsizetype i = 0;
    while (i < text.size() && CodeOf(text[i]) == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (CodeOf(text[i]) == u'+' || CodeOf(text[i]) == u'-'))
        negative = CodeOf(text[i++]) == u'-';
    if (i >= text.size())
        return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = CodeOf(text[i]);
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > 0x80000000LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}
} // namespace TextReading

// Optional leading blanks, optional sign, decimal digits, in the 32-bit range.
inline bool ReadInt32(QStringView text, std::int32_t &value)
{
    return TextReading::readInt32(text, value);
}
// The same on the Windows-1252 bytes of a text, with the result its text gives.
inline bool ReadInt32(QByteArrayView text, std::int32_t &value)
{
    return TextReading::readInt32(text, value);
}

// Day abbreviations of the set bits of a day set, Monday to Saturday, then
// Sunday, then holiday: "Mo Di Mi Do Fr Sa So Fei".
QString DaysToNames(std::uint16_t days);

QString SpaceToUnderscore(QString s);
QString UnderscoreToSpace(QString s);
QString RemoveAmpersand(QString s);

// HH:MM:SS with the locale's time separator; hours may have more digits.
QString SecondsToTimeText(std::int32_t seconds);
// SecondsToTimeText with the given separator written to dst, which has room
// for MaxTimeTextLength characters; returns the end.
QChar *WriteTimeText(QChar *dst, std::int32_t seconds, QChar sep);
// Longest HH:MM:SS text of a 32-bit value: hours of a sign and six digits,
// minutes and seconds of a sign and two digits each, and two separators, as
// -360000659 gives "-100000:-10:-59".
inline constexpr int MaxTimeTextLength = 7 + 1 + 3 + 1 + 3;
// The first five characters of SecondsToTimeText (seconds cut off).
QString SecondsToShortTimeText(std::int32_t seconds);
// How ReadTimeText reads a time text. The one reader of time texts serves the
// file and the dialogs, each with its own form and limits:
//  - without a Separator, the file's "hh:mm": the hours at columns 0-1, the
//    minutes at 3-4, the character between them not examined;
//  - with one, "h:m" or "h:m:s" split at the separator, as a time mask shows it.
// A field is an integer as ReadInt32 reads it (leading blanks, a sign, which
// is ignored). Where a mask's blanks are positions the user left unfilled
// (BlanksAnywhere), they drop out wherever they stand, and EmptyFieldIsZero
// lets a field with nothing in it count 0. Hours above MaxHours and minutes
// or seconds above MaxMinutes make the text unreadable.
struct TTimeTextForm
{
    QChar Separator;
    std::int32_t MaxHours = INT32_MAX;
    std::int32_t MaxMinutes = INT32_MAX;
    bool BlanksAnywhere = false;
    bool EmptyFieldIsZero = false;
};

namespace TextReading {
template<typename View> View timeSlice(View s, qsizetype pos, qsizetype n)
{
    if (pos >= s.size())
        return View();
    return View(s.data() + pos, std::min(n, s.size() - pos));
}

template<typename View>
bool readTimeField(View field, const TTimeTextForm &form, std::int32_t max, qint64 &value)
{
    char16_t kept[12];
    qsizetype n = 0;
    bool onlyBlanks = true;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char16_t c = CodeOf(field[i]);
        onlyBlanks = onlyBlanks && c == u' ';
        if (c == u' ' && (form.BlanksAnywhere || n == 0))
            continue;
        if (n == qsizetype(std::size(kept)))
            return false; // longer than any field of a form
        kept[n++] = c;
    }
    std::int32_t v = 0;
    if (onlyBlanks) {
        if (!form.EmptyFieldIsZero)
            return false;
    } else if (!readInt32(QStringView(kept, n), v)) {
        return false;
    }
    value = v < 0 ? -qint64(v) : qint64(v);
    return value <= max;
}
} // namespace TextReading

// Reads a time text of the given form into seconds; false (and 0) when it has
// not that form, a field is no number or a field is above its limit.
template<typename View> bool ReadTimeText(View text, const TTimeTextForm &form, qint64 &seconds)
{
    using namespace TextReading;
    seconds = 0;
    qint64 fields[3] = {0, 0, 0};
    if (form.Separator.isNull()) {
        if (!readTimeField(timeSlice(text, 0, 2), form, form.MaxHours, fields[0])
            || !readTimeField(timeSlice(text, 3, 2), form, form.MaxMinutes, fields[1]))
            return false;
    } else {
        const char16_t sep = form.Separator.unicode();
        qsizetype count = 0, start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && CodeOf(text[i]) != sep)
                continue;
            if (count == 3
                || !readTimeField(View(text.data() + start, i - start), form,
                    count == 0 ? form.MaxHours : form.MaxMinutes, fields[count]))
                return false;
            ++count;
            start = i + 1;
        }
        if (count < 2)
            return false;
    }
    seconds = fields[0] * 3600 + fields[1] * 60 + fields[2];
    return true;
}

// The form of a time a mask shows: the locale's separator, blanks anywhere,
// empty fields 0, no limits.
TTimeTextForm MaskTimeForm();
// A mask's time as ReadTimeText reads it in MaskTimeForm; 0 for a text of
// another shape (which no mask gives), bounded to 32 bits.
std::int32_t TimeTextToSeconds(const QString &text);

// The fee with four decimals and the currency symbol placed by the locale:
// "0,0390 €" under German settings, "$0.0390" with the symbol in front.
QString FeeToText(double value);
// The amount in the locale's money format: "12,50 €", "1.234,50 €", "-$1.00".
QString MoneyToText(double value);

// The directory of the running program, ending in "/".
QString ProgramDir();
// Tests point the program directory elsewhere; an empty path restores it.
void SetProgramDirOverride(const QString &dir);

// A number as the screens show it: fixed-point with the given decimals and
// the locale's decimal separator, "0,0390" under German settings; with
// TTrailingZeros::Cut, zeros at the end of the decimals and a separator left
// bare are dropped: "60", "0,5", "7,25".
enum class TTrailingZeros { Keep, Cut };
QString NumberText(double value, int decimals, TTrailingZeros zeros = TTrailingZeros::Keep);

// Fixed-point text with "." whatever the locale, for example 60.0000; a
// value that rounds to zero has no minus sign; a value that is not finite
// counts as 0.
QString FixedText(double value, int decimals);
// The same text written to dst, which has room for MaxFixedTextLength
// characters; returns the end. For writers that build long texts.
inline constexpr int MaxFixedTextLength = 330;
QChar *WriteFixedText(QChar *dst, double value, int decimals);
char *WriteFixedText(char *dst, double value, int decimals);
