#pragma once

// What the shared steps of the file layer need from the platform's own
// implementation (FileSystemPosix.cpp or FileSystemWin.cpp). Internal to the
// file layer.

#include "FileSystem.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <new>

namespace FileSystemDetail {

// The largest piece handed to one Write call; every piece must be written whole.
inline constexpr qint64 WriteChunk = qint64(1) << 20;

inline constexpr int ErrorOutOfMemory = OutOfMemoryCode;
inline constexpr int ErrorDiskFull = 112;
inline constexpr int ErrorTooLarge = TooLargeCode;
inline constexpr int ErrorGeneral = 31;
inline constexpr int ErrorNotRegular = 161;
inline constexpr int ErrorLinkLoop = 1921;

// The mark of this program's temporary files, between the base name and the
// random part: "." + base + ".tarifsave-" + RandomChars characters + ".tmp".
inline constexpr char TempMark[] = ".tarifsave-";
inline constexpr qsizetype RandomChars = 12;
inline constexpr qsizetype TempNameExtra = 1 + (sizeof(TempMark) - 1) + RandomChars + 4;

// The random part of a temporary name: 12 characters [0-9a-z], about 62 bits.
QByteArray RandomPart();
// Whether `c` may stand in the random part.
inline bool IsRandomChar(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z');
}

// Prepares a safe write to `path`: the file to replace (for a link, the
// regular file it leads to), its folder and its name. 0, or the code of a
// target that must not be replaced.
int PrepareSafeWriteTarget(const QString &path, QString &target, QString &dir, QString &baseName);

// Reads an open file to its end into bytes. sizeHint (the size the system
// reports, 0 when unknown) sizes the first buffer only: the file is read up
// to its end, whatever that is, but never beyond MaxFileBytes (a file that
// grows meanwhile gives ErrorTooLarge). readSome(dst, max) reads at most max
// bytes and returns how many, 0 at the end, or minus an error code. Returns
// 0 or the error code; the caller closes the file.
template<typename ReadSome> int ReadToEnd(qint64 sizeHint, QByteArray &bytes, ReadSome readSome)
{
    try {
        const qint64 limit = MaxFileBytes + 1;
        QByteArray buffer(
            sizeHint > 0 ? std::min(sizeHint + 1, limit) : 64 * 1024, Qt::Uninitialized);
        qint64 total = 0;
        for (;;) {
            if (total == buffer.size()) {
                if (total >= limit)
                    return ErrorTooLarge;
                buffer.resize(std::min(buffer.size() * 2, limit));
            }
            const qint64 n = readSome(buffer.data() + total, buffer.size() - total);
            if (n < 0)
                return int(-n);
            if (n == 0)
                break;
            total += n;
        }
        buffer.truncate(total);
        bytes = std::move(buffer);
        return 0;
    } catch (const std::bad_alloc &) {
        return ErrorOutOfMemory;
    }
}

} // namespace FileSystemDetail
