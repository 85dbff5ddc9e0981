// Cost of the INI component against plain file access on a provider-sized
// file (2.5 MB, 60,000 keys in 500 sections) and on one ten times as large.
// Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true.

#include "support/FileSystem.h"
#include "support/TheIniFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <malloc.h>

#include <map>

namespace {

constexpr int KeysPerSection = 120;

struct Sample
{
    QString path;
    QByteArray bytes;
    QStringList sections;
};

// One file per scale (1 = 500 sections), made once per run.
const Sample &sample(int scale)
{
    // Keep freed memory in the process, so that no measurement pays for
    // returning and faulting in pages again.
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
        return true;
    }();
    Q_UNUSED(tuned);
    static QTemporaryDir dir;
    static std::map<int, Sample> samples;
    auto it = samples.find(scale);
    if (it != samples.end())
        return it->second;
    Sample s;
    s.path = dir.path() + QStringLiteral("/rates%1.ini").arg(scale);
    QByteArray &out = s.bytes;
    out.append("; Tarife\r\n");
    for (int sec = 0; sec < 500 * scale; ++sec) {
        const QString name = QStringLiteral("Anbieter%1_Werktag").arg(sec, 5, 10, QChar(u'0'));
        s.sections.append(name);
        out.append("\r\n[").append(name.toLatin1()).append("]\r\n");
        for (int k = 0; k < KeysPerSection; ++k)
            out.append("Eintrag").append(QByteArray::number(k)).append("=08:00:00 18:00:00 60 0,0390\r\n");
    }
    if (SafeWriteFile(s.path, out) != 0)
        qFatal("cannot write the sample file");
    return samples.emplace(scale, std::move(s)).first->second;
}

void BM_OpenAndReadEverything(benchmark::State &state)
{
    const Sample &s = sample(int(state.range(0)));
    qint64 values = 0;
    for (auto _ : state) {
        TTheIniFile ini;
        ini.SetIniLocation(loUser);
        ini.SetIniFileName(s.path);
        ini.SetOpen(true);
        QStringList keys;
        for (const QString &section : s.sections) {
            ini.SetSection(section);
            ini.ReadSection(keys);
            for (const QString &key : std::as_const(keys)) {
                const QString v = ini.ReadString(key, QString());
                values += v.size();
            }
        }
        if (ini.ErrorCode() != 0)
            state.SkipWithError("read failed");
    }
    benchmark::DoNotOptimize(values);
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

void BM_PlainReadAndSplit(benchmark::State &state)
{
    const Sample &s = sample(int(state.range(0)));
    for (auto _ : state) {
        QFile f(s.path);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        const QList<QByteArray> lines = f.readAll().split('\n');
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

void BM_ReleaseAfterOneChange(benchmark::State &state)
{
    const Sample &s = sample(int(state.range(0)));
    TTheIniFile ini;
    ini.SetIniLocation(loUser);
    ini.SetIniFileName(s.path);
    ini.SetSection(s.sections.at(s.sections.size() / 2));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ini.SetOpen(true);
        ini.WriteString(QStringLiteral("Eintrag7"), QStringLiteral("08:00:00 18:00:00 60 0,04%1").arg(round++ % 2));
        state.ResumeTiming();
        if (!ini.Release())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

void BM_PlainSafeWrite(benchmark::State &state)
{
    const Sample &s = sample(int(state.range(0)));
    for (auto _ : state) {
        if (SafeWriteFile(s.path, s.bytes) != 0)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * s.bytes.size());
}

} // namespace

BENCHMARK(BM_OpenAndReadEverything)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadAndSplit)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReleaseAfterOneChange)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSafeWrite)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
