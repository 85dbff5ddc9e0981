#pragma once

// What the shared steps of the file layer need from the platform's own
// implementation (FileSystemPosix.cpp or FileSystemWin.cpp). Internal to the
// file layer.

#include "FileSystem.h"

#include <QByteArray>
#include <QString>

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

} // namespace FileSystemDetail
