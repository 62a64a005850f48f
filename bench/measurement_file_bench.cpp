// Loading a measurement file until its results are ready, against the canvas
// stream load of the same file alone, in the same run.
//
//   CanvasStreamLoad       baseline: TMyCAD::LoadFromFile of the file into a fresh canvas
//   LoadMeasurement        "Messung laden ...": MeasurementFile::LoadMeasurement into a
//                          fresh workbench (canvas load, scale bar, result entries, border
//                          and evaluated field, zoom, RecomputeAll)
//
// The file holds a 20-megapixel picture (5472 x 3648), a scale bar, an exclusion circle
// and 10,000 hairs: 60 % straight, 30 % curved, 10 % follicular units. The closing line
// gives what the results add to the stream load (target: under 20 %).
#include "bench/MedianReporter.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

class QuietPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

// The measurement file of the benchmark, written once.
const QString& MeasurementPath()
{
    static const QString path = [] {
        const QString file = QDir::tempPath() + QStringLiteral("/pelorix_measurement_bench_%1.nvm").arg(getpid());
        QuietPrompt prompt;
        Workbench wb(prompt);
        wb.Canvas().SetUndoRedoSize(0);
        QImage picture(5472, 3648, QImage::Format_BGR888);
        picture.fill(qRgb(180, 140, 120));
        wb.Canvas().SetBkBitmap(picture);
        wb.State().ImageLoaded = true;
        wb.State().ImageWidth = picture.width();
        wb.State().ImageHeight = picture.height();
        ScaleDialogModel& dialog = wb.Scale().Dialog();
        dialog.SelectUnitText(QStringLiteral("mm"));
        dialog.SetPixelLengthText(QStringLiteral("152"));
        dialog.SetScaleText(QStringLiteral("1"));
        wb.Scale().ApplyScaleDialog(true);
        wb.Scale().CreateScaleBar(152);
        wb.SetupEvaluatedField(2736, 1824, 1700);
        TMyCAD& cad = wb.Canvas();
        for (int i = 0; i < 10000; ++i) {
            const double x = 100 + (i * 37) % 5200;
            const double y = 100 + (i * 53) % 3400;
            wb.SetThicknessSlider(300 + i % 900);
            if (i % 10 < 6)
                cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 40, y + 12) }, "Line");
            else if (i % 10 < 9)
                cad.AddShape(SpPolyBezier, QString(), 0.0f,
                    { QPointF(x, y), QPointF(x + 10, y - 8), QPointF(x + 20, y - 8), QPointF(x + 30, y) }, "Curve");
            else
                cad.AddShape(SpEllipse, QString(), 0.0f,
                    { QPointF(x, y), QPointF(x + 12, y), QPointF(x + 12, y + 9), QPointF(x, y + 9) }, "Unit");
        }
        if (wb.Tree().Count() != 10000 || !MeasurementFile(wb).SaveMeasurement(file, true))
            std::fprintf(stderr, "the benchmark's measurement could not be built\n");
        return file;
    }();
    return path;
}

void CanvasStreamLoad(benchmark::State& state)
{
    const QString& path = MeasurementPath();
    for (auto _ : state) {
        auto cad = std::make_unique<TMyCAD>();
        if (!cad->LoadFromFile(path))
            state.SkipWithError("the canvas load failed");
        state.PauseTiming();
        cad.reset();
        state.ResumeTiming();
    }
}

void LoadMeasurement(benchmark::State& state)
{
    const QString& path = MeasurementPath();
    for (auto _ : state) {
        auto prompt = std::make_unique<QuietPrompt>();
        auto wb = std::make_unique<Workbench>(*prompt);
        wb->State().ImageLoaded = false;
        if (!MeasurementFile(*wb).LoadMeasurement(path) || wb->Tree().Count() != 10000)
            state.SkipWithError("the measurement load failed");
        benchmark::DoNotOptimize(wb->ResultRows().data());
        state.PauseTiming();
        wb.reset();
        state.ResumeTiming();
    }
}

void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(1.0);
}

BENCHMARK(CanvasStreamLoad)->Apply(Configure);
BENCHMARK(LoadMeasurement)->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    QFile::remove(MeasurementPath());

    const double stream = reporter.Median("CanvasStreamLoad");
    const double full = reporter.Median("LoadMeasurement");
    if (stream > 0 && full > 0)
        std::printf("Measurement load, 20 MP picture and 10,000 hairs: stream alone %.1f ms, until results are "
                    "ready %.1f ms; the results add %.1f %% (target < 20 %%)\n",
            stream, full, 100.0 * (full - stream) / stream);
    return 0;
}
