// Opening the editor window on the largest provider file (construction with
// loading and filling the provider list) and switching between providers.

#include "LargestFile.h"

#include "app/MainWindow.h"
#include "controls/CoverageStrip.h"
#include "controls/StringGrid.h"
#include "editor/ProvidersDlg.h"
#include "support/MsgBox.h"
#include "support/TextHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir *programDir = nullptr;

void BM_OpenEditorOnLargestFile(benchmark::State &state)
{
    TMain main;
    for (auto _ : state) {
        TProvidersDlg dlg(&main, main.TelIniFile, QStringLiteral("Provider.ini"));
        if (dlg.ProvidersCB->count() != 1025) {
            state.SkipWithError("wrong provider count");
            break;
        }
    }
}
BENCHMARK(BM_OpenEditorOnLargestFile)->Unit(benchmark::kMillisecond);

void BM_SwitchProvider(benchmark::State &state)
{
    TMain main;
    TProvidersDlg dlg(&main, main.TelIniFile, QStringLiteral("Provider.ini"));
    dlg.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        i = (i + 389) % 1025; // jump around the list
        dlg.ProvidersCB->setCurrentIndex(i);
        dlg.ProvidersCBChange();
        QCoreApplication::processEvents(); // includes repainting the grids and strips
    }
    if (dlg.ProvStrGrid1->RowCount() != 22)
        state.SkipWithError("grid not filled");
    if (dlg.Coverage1->Coverage().Segments.size() != 21)
        state.SkipWithError("coverage strip not filled");
}
BENCHMARK(BM_SwitchProvider)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    programDir = &dir;
    SetProgramDirOverride(dir.path());
    SetMsgBoxHandler([](const TMsgBoxRequest &) { return 1; });
    QFile f(dir.filePath(QStringLiteral("Provider.ini")));
    const QByteArray bytes = LargestProviderFile();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return 1;
    f.close();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
