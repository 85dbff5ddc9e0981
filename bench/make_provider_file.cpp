// Writes the largest provider file the loader takes, or a file of the same
// shape with `scale` times as many providers, for whole-process comparisons.
//
//   make_provider_file OUT [SCALE]

#include "LargestFile.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fputs("usage: make_provider_file OUT [SCALE]\n", stderr);
        return 2;
    }
    const int scale = argc > 2 ? std::atoi(argv[2]) : 1;
    const QByteArray bytes = LargestProviderFile(1025 * std::max(scale, 1));
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return 1;
    return 0;
}
