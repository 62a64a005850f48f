// The recovery file after a change to the marks, against writing the whole
// measurement with its picture (what it did before), in the same run.
//
//   WholeMeasurement   baseline: the measurement with its picture, written atomically
//   RecoveryMarks      RecoveryStore::Write after a change: the marks only (the picture
//                      was written once, before the timing)
//
// The drawing: a 20-megapixel picture (5472 x 3648), a scale bar and 1,000 hairs
// (target for the marks: well under 50 ms).
#include "bench/MedianReporter.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/RecoveryStore.h"
#include "workbench/Workbench.h"

#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

struct Drawing
{
    DefaultAnswerPrompt prompt;
    Workbench wb { prompt };
    QTemporaryDir dir;

    Drawing()
    {
        wb.Canvas().SetUndoRedoSize(0);
        QImage picture(5472, 3648, QImage::Format_BGR888);
        picture.fill(qRgb(180, 140, 120));
        wb.Canvas().SetBkBitmap(picture);
        wb.State().ImageLoaded = true;
        wb.State().ImageWidth = picture.width();
        wb.State().ImageHeight = picture.height();
        wb.Scale().CreateScaleBar(152);
        for (int i = 0; i < 1000; ++i) {
            const double x = 100 + (i * 37) % 5200;
            const double y = 100 + (i * 53) % 3400;
            wb.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 40, y + 12) }, "Line");
        }
    }
};

Drawing& TheDrawing()
{
    static Drawing drawing;
    return drawing;
}

void WholeMeasurement(benchmark::State& state)
{
    Drawing& d = TheDrawing();
    const QString path = d.dir.filePath(QStringLiteral("whole.nvm"));
    for (auto _ : state)
        if (!MeasurementFile(d.wb).SaveMeasurement(path, true))
            state.SkipWithError("the measurement could not be written");
}

void RecoveryMarks(benchmark::State& state)
{
    Drawing& d = TheDrawing();
    RecoveryStore store(d.dir.path());
    store.Write(d.wb); // the picture, once
    for (auto _ : state)
        if (!store.Write(d.wb))
            state.SkipWithError("the recovery file could not be written");
    store.Remove();
}

void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.5);
}

BENCHMARK(WholeMeasurement)->Apply(Configure);
BENCHMARK(RecoveryMarks)->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double whole = reporter.Median("WholeMeasurement");
    const double marks = reporter.Median("RecoveryMarks");
    if (whole > 0 && marks > 0)
        std::printf("Recovery after a change, 20 MP picture and 1,000 hairs: whole measurement %.1f ms, marks "
                    "only %.2f ms (%.1f %% of it; target < 50 ms)\n",
            whole, marks, 100.0 * marks / whole);
    return 0;
}
