#include "Cp1252.h"

#include <QStringDecoder>

#include <array>

namespace {

// Code points of the bytes 0x80 to 0x9F; every other byte maps to itself.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

} // namespace

namespace Cp1252 {

void decodeInto(const char *data, qsizetype size, QString &out)
{
    out.resize(size);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(HighTable[b - 0x80]) : QChar(char16_t(b));
    }
}

QString decode(const char *data, qsizetype size)
{
    QString out;
    decodeInto(data, size, out);
    return out;
}

QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size());
}

int byteOfBeyondLatin1(char16_t u)
{
    for (int i = 0; i < 32; ++i)
        if (HighTable[i] == u)
            return 0x80 + i;
    return -1;
}

bool encodeTo(QStringView text, char *dst)
{
    bool good = true;
    const QChar *src = text.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        int b = byteOf(src[i]);
        if (b < 0) {
            b = 0x1A;
            good = false;
        }
        dst[i] = static_cast<char>(b);
    }
    return good;
}

QByteArray encode(const QString &text, bool *ok)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    const bool good = encodeTo(text, out.data());
    if (ok)
        *ok = good;
    return out;
}

bool canEncode(const QString &text)
{
    return firstUnencodable(text).isNull();
}

QChar firstUnencodable(const QString &text)
{
    for (QChar c : text)
        if (byteOf(c) < 0)
            return c;
    return QChar();
}

int compare(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ca = a[i], cb = b[i];
        if (ca == cb)
            continue;
        int ka = byteOf(ca), kb = byteOf(cb);
        if (ka < 0)
            ka = 0x100 + ca.unicode();
        if (kb < 0)
            kb = 0x100 + cb.unicode();
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

namespace {

// Length of the valid UTF-8 sequence at p (no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0.
int utf8SequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char b = p[0];
    int n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (end - p < n || p[1] < lo || p[1] > hi)
        return 0;
    for (int i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return n;
}

} // namespace

TByteOrderMark DecodeMarkedFile(QByteArray &bytes)
{
    auto startsWith = [&](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char m : mark)
            if (static_cast<unsigned char>(bytes[i++]) != m)
                return false;
        return true;
    };
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData()) + 3;
        const auto *end = reinterpret_cast<const unsigned char *>(bytes.constData()) + bytes.size();
        QByteArray out;
        out.reserve(bytes.size());
        while (p < end) {
            if (*p < 0x80) {
                out.append(char(*p++));
            } else if (const int n = utf8SequenceLength(p, end)) {
                out.append(reinterpret_cast<const char *>(p), n);
                p += n;
            } else {
                out.append(decode(reinterpret_cast<const char *>(p), 1).toUtf8());
                ++p;
            }
        }
        bytes = std::move(out);
        return TByteOrderMark::Utf8;
    }
    const bool le = startsWith({0xFF, 0xFE});
    if (!le && !startsWith({0xFE, 0xFF}))
        return TByteOrderMark::None;
    QStringDecoder decoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
        QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
    bytes = text.toUtf8();
    return le ? TByteOrderMark::Utf16LE : TByteOrderMark::Utf16BE;
}

} // namespace Cp1252
