// Loading and saving the largest provider file, against a plain read of the
// same file split into lines; and the peak memory of a process that loads it.

#include "LargestFile.h"

#include "model/ProviderData.h"
#include "model/ProviderLoader.h"
#include "model/ProviderSaver.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"
#include "support/TheIniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    Fixture()
    {
        // Keep freed memory in the process, so that no measurement pays for
        // returning and faulting in pages again (the plain read suffered most).
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
        SetProgramDirOverride(dir.path());
        SetMsgBoxHandler([](const TMsgBoxRequest &) { return 1; });
        QFile f(dir.filePath(QStringLiteral("Provider.ini")));
        const QByteArray bytes = LargestProviderFile();
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
    QString path() const { return dir.filePath(QStringLiteral("Provider.ini")); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

TProviderData loadLargest()
{
    TTheIniFile ini;
    TProviderData data;
    data.FileName = QStringLiteral("Provider.ini");
    LoadProviderFile(ini, data);
    return data;
}

void BM_PlainReadSplitLines(benchmark::State &state)
{
    const QString path = fixture().path();
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            std::abort();
        const QList<QByteArray> lines = f.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(BM_PlainReadSplitLines)->Unit(benchmark::kMillisecond);

void BM_LoadLargest(benchmark::State &state)
{
    fixture();
    for (auto _ : state) {
        const TProviderData data = loadLargest();
        if (data.Count() != 1025) {
            state.SkipWithError("wrong provider count");
            break;
        }
    }
}
BENCHMARK(BM_LoadLargest)->Unit(benchmark::kMillisecond);

void BM_SaveLargest(benchmark::State &state)
{
    fixture();
    TProviderData data = loadLargest();
    TTheIniFile ini;
    for (auto _ : state) {
        data.LoadedStamp = {};
        if (SaveProviderFile(ini, data, QDate(2026, 12, 8)) != TSaveResult::Saved)
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveLargest)->Unit(benchmark::kMillisecond);

// Runs `work` in a child process, whose exit status is 0 when it succeeded;
// returns the child's peak resident memory in MiB.
template<typename Work> double peakMiBOfChild(benchmark::State &state, Work work)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError("child failed");
    return usage.ru_maxrss / 1024.0;
}

// The peak resident memory of a child process that loads the file, in MiB.
void BM_PeakMemoryOfLoad(benchmark::State &state)
{
    fixture();
    double peakMiB = 0;
    for (auto _ : state)
        peakMiB = peakMiBOfChild(state, [] { return loadLargest().Count() == 1025; });
    state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_PeakMemoryOfLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// Hostile shapes: load and save in a child process, which reports its peak
// memory. Arguments: the shape (0: 1025 providers sharing a range section,
// 1: one-character lines, 2: repeated section headers, 3: distinct section
// headers, 4: keys of the longest length taken with ranges of long numbers)
// and its size in range lines or bytes.
void BM_HostileLoadSave(benchmark::State &state)
{
    fixture();
    const qint64 shape = state.range(0), size = state.range(1);
    const QByteArray bytes = shape == 0 ? SharedKeyFile(int(size))
        : shape == 1                    ? TinyLinesFile(size)
        : shape == 4                    ? BoundKeyFile(size)
                                        : HeadersFile(size, shape == 3);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("UserProv.ini")));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
    f.close();
    double peakMiB = 0;
    for (auto _ : state) {
        peakMiB = peakMiBOfChild(state, [&] {
            SetProgramDirOverride(dir.path());
            TTheIniFile ini;
            TProviderData data;
            data.FileName = QStringLiteral("UserProv.ini");
            LoadProviderFile(ini, data);
            return SaveProviderFile(ini, data, QDate(2026, 12, 8)) == TSaveResult::Saved;
        });
    }
    state.counters["file_KB"] = bytes.size() / 1024.0;
    state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_HostileLoadSave)
    ->Args({0, 10000})
    ->Args({0, 250000})
    ->Args({1, 10 << 20})
    ->Args({2, 10 << 20})
    ->Args({3, 10 << 20})
    ->Args({4, 4 << 20})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
