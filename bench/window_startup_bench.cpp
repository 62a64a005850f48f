// Start-up of the main window on the sample case, until the window is shown with
// the calibrated picture, next to decoding the same picture alone in the same run.
//
//   Window/StartUpOnSample  TFormMain created, shown, start-up step with the host
//                           import of the sample exchange file (picture, patient,
//                           calibration, scale bar, exclusion circle), zoom fitted
//   Picture/Decode          TNVFreeImage::Load of the sample picture, the floor of
//                           any start-up that shows it
//
// The figures end with the start-up as a multiple of the plain decode. Runs on
// the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "bench/MedianReporter.h"
#include "common/TNVFreeImage.h"
#include "workbench/ui/TFormMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(PELORIX_DATA_DIR);

// The host import consumes its picture, so every start gets a fresh copy.
QString CopySample(const QTemporaryDir& dir)
{
    QFile::remove(dir.filePath(QStringLiteral("exchange.ini")));
    QFile::remove(dir.filePath(QStringLiteral("sample-scalp.jpg")));
    QFile::copy(kData + QStringLiteral("/sample/exchange.ini"), dir.filePath(QStringLiteral("exchange.ini")));
    QFile::copy(kData + QStringLiteral("/sample/sample-scalp.jpg"), dir.filePath(QStringLiteral("sample-scalp.jpg")));
    return dir.filePath(QStringLiteral("exchange.ini"));
}

void StartUpOnSample(benchmark::State& state)
{
    QTemporaryDir programDir;
    QTemporaryDir caseDir;
    QFile::copy(kData + QStringLiteral("/PelorixLang.ini"), programDir.filePath(QStringLiteral("PelorixLang.ini")));
    QFile::copy(kData + QStringLiteral("/help/Pelorix.html"), programDir.filePath(QStringLiteral("Pelorix.html")));
    QFile::copy(kData + QStringLiteral("/Camera.ini"), programDir.filePath(QStringLiteral("Camera.ini")));
    for (auto _ : state) {
        state.PauseTiming();
        TFormMain::Options options;
        options.programDir = programDir.path();
        options.recoveryDir = caseDir.path();
        options.hostFile = CopySample(caseDir);
        options.startupTimer = false;
        state.ResumeTiming();
        auto window = std::make_unique<TFormMain>(options);
        window->show();
        window->RunStartup();
        while (window->windowHandle() == nullptr || !window->windowHandle()->isExposed())
            QApplication::processEvents();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window->Bench().State().ImageLoaded);
        state.PauseTiming();
        if (!window->Bench().State().ImageLoaded)
            state.SkipWithError("the sample picture was not loaded");
        window.reset();
        state.ResumeTiming();
    }
}

void Decode(benchmark::State& state)
{
    const QString path = kData + QStringLiteral("/sample/sample-scalp.jpg");
    for (auto _ : state) {
        TNVFreeImage loader;
        benchmark::DoNotOptimize(loader.Load(path));
    }
}

} // namespace

BENCHMARK(StartUpOnSample)
    ->Name("Window/StartUpOnSample")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(false)
    ->Iterations(1);
BENCHMARK(Decode)->Name("Picture/Decode")->Unit(benchmark::kMillisecond)->Repetitions(7)->Iterations(1);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double startUp = reporter.Median("Window/StartUpOnSample");
    const double decode = reporter.Median("Picture/Decode");
    if (startUp > 0 && decode > 0)
        std::printf("medians: start-up to a shown window %.1f ms (target < 1000 ms), picture decode %.1f ms\n"
                    "start-up/decode %.2f\n",
            startUp, decode, startUp / decode);
    return 0;
}
