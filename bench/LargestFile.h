#pragma once

#include <QByteArray>

// The largest provider file the loader takes: 1025 providers, 21 weekday and
// 21 weekend entries each, 8 free-hours ranges each, every option section
// filled (about 2.5 MB). More providers give a file of the same shape that
// is that much larger (the loader then takes the first 1025).
QByteArray LargestProviderFile(int providers = 1025);

// 1025 providers that all name one key, and one free-hours range section of
// the given number of lines that each of them reads.
QByteArray SharedKeyFile(int rangeLines);
// About `bytes` bytes: one provider whose range section is nothing but
// one-character lines.
QByteArray TinyLinesFile(qsizetype bytes);
// About `bytes` bytes of section headers only: all "[a]" when `distinct` is
// false, else each with a name of its own.
QByteArray HeadersFile(qsizetype bytes, bool distinct);
// About `bytes` bytes: 1025 providers with keys of the longest length the
// loader takes, and free-hours ranges of one-character idents whose interval
// is the smallest number: saving writes each with the whole key and the
// interval's 326 characters, the most output per byte read.
QByteArray BoundKeyFile(qsizetype bytes);
