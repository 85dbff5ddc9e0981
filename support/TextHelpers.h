#pragma once

#include "model/TETypes.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>

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

// The key a new provider of this name gets: up to four capitals from the start
// of the name (KeyLetters) and the first counter from 0001 upward that gives
// a key no provider of the list has, compared as the INI file compares names
// (letter case folded): tele0001 in the list takes TELE0001 too. The
// record's Name holds the letter prefix.
TKeyAndName NewProviderKey(const QString &name, const QList<TKeyAndName> &providers);
// Appends NewProviderKey(name, providers) to providers.
void AddNewProviderKey(const QString &name, QList<TKeyAndName> &providers);

// HH:MM:SS with the locale's time separator; hours may have more digits.
QString SecondsToTimeText(std::int32_t seconds);
// The first five characters of SecondsToTimeText (seconds cut off).
QString SecondsToShortTimeText(std::int32_t seconds);
// Reads "h:m:s", "h:m" or a bare number of minutes; unreadable parts count 0.
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

// Drops entries whose Interval is 0 and sorts the list by TariffSortKey
// (bytes, unsigned) with the editor's quicksort, which is not stable.
void SortTariffEntries(TTariffEntryList &entries);

// The sort key of one entry: start and end as HH:MM:SS, joined by a blank,
// cut to TTariffEntry::MaxSortKeyLength characters.
QString TariffSortKey(const TTariffEntry &entry);

// Fixed-point text with "." whatever the locale, for example 60.0000; a
// value that rounds to zero has no minus sign; a value that is not finite
// counts as 0.
QString FixedText(double value, int decimals);
// The same text written to dst, which has room for MaxFixedTextLength
// characters; returns the end. For writers that build long texts.
inline constexpr int MaxFixedTextLength = 330;
QChar *WriteFixedText(QChar *dst, double value, int decimals);
char *WriteFixedText(char *dst, double value, int decimals);

// The quicksort scheme of the editor: middle element as pivot, indices moving
// inwards, swap, recurse on both parts. less(a, b) compares two elements.
template<typename List, typename Less>
void EditorQuickSort(List &list, qsizetype l, qsizetype r, Less less)
{
    while (l < r) {
        qsizetype i = l, j = r;
        const auto pivot = list.at((l + r) / 2);
        do {
            while (less(list.at(i), pivot))
                ++i;
            while (less(pivot, list.at(j)))
                --j;
            if (i <= j) {
                list.swapItemsAt(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse on the smaller part and loop on the larger one, so that the
        // stack stays shallow; the order of the two parts does not change the result.
        if (j - l < r - i) {
            if (l < j)
                EditorQuickSort(list, l, j, less);
            l = i;
        } else {
            if (i < r)
                EditorQuickSort(list, i, r, less);
            r = j;
        }
    }
}
