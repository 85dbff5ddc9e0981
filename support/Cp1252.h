#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// Windows-1252, the code page of the provider files. The table codec keeps
// every one of the 256 byte values: the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters
// of the same number, as the Windows converters do, and back again.
namespace Cp1252 {

// Decodes bytes to text; never fails.
QString decode(const QByteArray &bytes);
QString decode(const char *data, qsizetype size);
// The same into `out`, reusing its memory: for readers that decode many
// short texts one after another.
void decodeInto(const char *data, qsizetype size, QString &out);

// Encodes text. A character that Windows-1252 cannot hold comes out as 0x1A
// and makes *ok false; callers must refuse such text instead of writing it.
QByteArray encode(const QString &text, bool *ok = nullptr);
// The same written to dst, which has room for text.size() bytes: for writers
// that keep the bytes on the stack. Returns false when a character has no byte.
bool encodeTo(QStringView text, char *dst);

// byteOf for a character that is not Latin-1 or is a C1 control (0x80-0x9F).
int byteOfBeyondLatin1(char16_t u);

// The Windows-1252 byte of one character, or -1 when it has none. Latin-1
// characters other than the C1 controls have the byte of their own number.
inline int byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    return byteOfBeyondLatin1(u);
}

// True when every character of the text has a Windows-1252 byte.
bool canEncode(const QString &text);

// The first character of the text that Windows-1252 cannot hold, or a null QChar.
QChar firstUnencodable(const QString &text);

// Compares two texts by their Windows-1252 bytes as unsigned values (ordinal,
// case-sensitive; a prefix sorts first). Characters without a byte sort after
// every byte, by their UTF-16 code. Returns <0, 0 or >0.
int compare(const QString &a, const QString &b);

namespace Detail {
constexpr std::array<unsigned char, 256> makeFoldTable()
{
    std::array<unsigned char, 256> t {};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int i = 'a'; i <= 'z'; ++i)
        t[i] = static_cast<unsigned char>(i - 32);
    for (int i = 0xE0; i <= 0xFE; ++i)
        if (i != 0xF7)
            t[i] = static_cast<unsigned char>(i - 32);
    t[0x9A] = 0x8A;
    t[0x9C] = 0x8C;
    t[0x9E] = 0x8E;
    t[0xFF] = 0x9F;
    return t;
}
inline constexpr std::array<unsigned char, 256> FoldTable = makeFoldTable();
} // namespace Detail

// Upper-case fold of one Windows-1252 byte as the Windows profile services
// fold names: a-z, and the accented letters 0xE0-0xFE except 0xF7, map to
// their capitals; 0x9A, 0x9C, 0x9E map to 0x8A, 0x8C, 0x8E; 0xFF to 0x9F.
// Inline: names are folded byte by byte on every lookup.
inline unsigned char foldByte(unsigned char b)
{
    return Detail::FoldTable[b];
}

// A file that starts with a byte order mark is no Windows-1252 file.
enum class TByteOrderMark { None, Utf8, Utf16LE, Utf16BE };

// Recognises a byte order mark and, when there is one, turns the rest of the
// file into UTF-8 in place: UTF-16 is decoded (a broken pair becomes U+FFFD);
// after a UTF-8 mark, valid UTF-8 sequences stay and every other byte is read
// as Windows-1252. Without a mark the bytes are left as they are.
TByteOrderMark DecodeMarkedFile(QByteArray &bytes);

} // namespace Cp1252
