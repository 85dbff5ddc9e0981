// Feeds arbitrary bytes through the provider file loader and the writer:
// nothing may crash, leak or hang, and saving must be faithful: load -> save
// -> load gives the model as saving leaves it, without a message, and a
// second save gives the same bytes (SaveRoundTrip.h).

#include "SaveRoundTrip.h"

#include "support/TextHelpers.h"

#include <QDir>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool ready = [] {
        const char *tmp = std::getenv("TMPDIR");
        const QString dir = QString::fromLocal8Bit(tmp ? tmp : "/tmp")
            + QStringLiteral("/tarif-fuzz-%1").arg(getpid());
        QDir().mkpath(dir);
        SetProgramDirOverride(dir);
        // The fixed checks, once: inputs of the fuzzer never reach the bounds.
        if (const QString fault = SaveRoundTrip::CheckSizeBound(); !fault.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(fault));
            std::abort();
        }
        return true;
    }();
    (void)ready;
    const QString fault
        = SaveRoundTrip::Check(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
