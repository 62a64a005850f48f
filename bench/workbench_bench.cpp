// The measuring logic's hot paths, each next to a baseline measured in the same run.
//
//   RecomputeAll/N         rebuilding every result of N hairs (tree entries, counters, grid)
//   ReadingPass/N          baseline: every hair's box and thickness read and summed in one
//                          loop over the canvas, without any result entries
//   CurveIntegration/N     integrating every curve once (the first recomputation after
//                          loading; later ones reuse the lengths of unchanged curves)
//   EvaluatedField/5000    SetupEvaluatedField for r = 5,000 (counting plus border shape)
//   DiscRows/5000          the lattice count alone, one integer square root per row
//   DiscPixels/5000        baseline: the same count pixel by pixel
//
// The hairs are a mix as drawn in practice: 60 % straight hairs, 30 % curved hairs of
// one or two segments, 5 % follicular units, 5 % quick-count marks. The closing lines
// give the targets' figures: RecomputeAll at 10,000 hairs (target under 10 ms), its
// growth from 1,000 to 10,000 to 100,000 (linear: 10x per step), its multiple of the
// baseline, and the evaluated field (target under 2 ms) against per-pixel counting.
#include "bench/MedianReporter.h"
#include "canvas/TMyLine.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/HairMetrics.h"
#include "workbench/Workbench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

struct Measurement
{
    DefaultAnswerPrompt prompt;
    Workbench workbench { prompt };
};

// A calibrated 20-megapixel measurement with the exclusion circle and n hairs, built once per n.
Workbench& MeasurementOf(int n)
{
    static std::map<int, std::unique_ptr<Measurement>> built;
    std::unique_ptr<Measurement>& slot = built[n];
    if (slot)
        return slot->workbench;
    slot = std::make_unique<Measurement>();
    Workbench& wb = slot->workbench;
    TMyCAD& cad = wb.Canvas();
    cad.SetUndoRedoSize(0);
    wb.State().ImageWidth = 5472;
    wb.State().ImageHeight = 3648;
    ScaleDialogModel& dialog = wb.Scale().Dialog();
    dialog.SelectUnitText(QStringLiteral("mm"));
    dialog.SetPixelLengthText(QStringLiteral("152"));
    dialog.SetScaleText(QStringLiteral("1"));
    wb.Scale().ApplyScaleDialog(true);
    wb.SetupEvaluatedField(2736, 1824, 1800);
    for (int i = 0; i < n; ++i) {
        const double x = 100 + (i * 37) % 5200;
        const double y = 100 + (i * 53) % 3400;
        wb.SetThicknessSlider(200 + (i * 7) % 800);
        const int kind = i % 20;
        if (kind < 12) {
            cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 40 + i % 30, y + 12) }, "Line");
        } else if (kind < 18) {
            std::vector<QPointF> points { QPointF(x, y), QPointF(x + 10, y - 8), QPointF(x + 20, y - 8),
                QPointF(x + 30, y) };
            if (kind % 2 == 0)
                points.insert(points.end(), { QPointF(x + 40, y + 8), QPointF(x + 50, y + 8), QPointF(x + 60, y) });
            cad.AddShape(SpPolyBezier, QString(), 0.0f, points, "Curve");
        } else if (kind == 18) {
            cad.AddShape(SpEllipse, QString(), 0.0f,
                { QPointF(x, y), QPointF(x + 30, y), QPointF(x + 30, y + 20), QPointF(x, y + 20) }, "Unit");
        } else {
            const int id = cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 1, y) }, "Hair");
            cad.ShapeById(id)->UserData().Add("Type", "C");
        }
        cad.ClearSelection();
    }
    wb.RecomputeAll();
    return wb;
}

void RecomputeAll(benchmark::State& state, int hairs)
{
    Workbench& wb = MeasurementOf(hairs);
    for (auto _ : state) {
        wb.RecomputeAll();
        benchmark::DoNotOptimize(wb.State().HairCount);
    }
    state.SetItemsProcessed(state.iterations() * hairs);
}

// Baseline: what any recomputation must do at least, reading every hair's box and
// thickness once and summing them.
void ReadingPass(benchmark::State& state, int hairs)
{
    Workbench& wb = MeasurementOf(hairs);
    const TMyCAD& cad = wb.Canvas();
    const double s = wb.State().Scale;
    const QString key = QStringLiteral("Thickness");
    for (auto _ : state) {
        double lengths = 0;
        double thicknesses = 0;
        for (int i = 0; i < cad.ShapeCount(); ++i) {
            const TMyShape* shape = cad.ShapeByIndex(i);
            const std::string_view name = shape->ClassName();
            if (name != "TMyRuleLine" && name != "TMyPolyBezier")
                continue;
            lengths += HairMetrics::BoxDiagonal(*shape) * s;
            thicknesses += HairMetrics::ParseInteger(shape->UserData().GetValue(key)).value_or(0) * s * 0.01;
        }
        benchmark::DoNotOptimize(lengths);
        benchmark::DoNotOptimize(thicknesses);
    }
    state.SetItemsProcessed(state.iterations() * hairs);
}

// Integrating every curve once: what the first recomputation after loading adds.
void CurveIntegration(benchmark::State& state, int hairs)
{
    Workbench& wb = MeasurementOf(hairs);
    const TMyCAD& cad = wb.Canvas();
    for (auto _ : state) {
        double lengths = 0;
        for (int i = 0; i < cad.ShapeCount(); ++i)
            if (const TMyShape* shape = cad.ShapeByIndex(i); std::string_view(shape->ClassName()) == "TMyPolyBezier")
                lengths += HairMetrics::CurveLength(shape->Nodes()).length;
        benchmark::DoNotOptimize(lengths);
    }
    state.SetItemsProcessed(state.iterations() * hairs);
}

void EvaluatedField(benchmark::State& state, int r)
{
    DefaultAnswerPrompt prompt;
    Workbench wb(prompt);
    wb.State().ImageWidth = 2 * r + 1;
    wb.State().ImageHeight = 2 * r + 1;
    for (auto _ : state) {
        wb.SetupEvaluatedField(r, r, r);
        benchmark::DoNotOptimize(wb.State().EvaluatedArea);
    }
}

void DiscRows(benchmark::State& state, int64_t r)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(HairMetrics::CountDiscPoints(r, r, r, 2 * r + 1, 2 * r + 1));
}

void DiscPixels(benchmark::State& state, int64_t r)
{
    for (auto _ : state) {
        int64_t count = 0;
        for (int64_t y = 0; y <= 2 * r; ++y)
            for (int64_t x = 0; x <= 2 * r; ++x)
                count += (x - r) * (x - r) + (y - r) * (y - r) <= r * r;
        benchmark::DoNotOptimize(count);
    }
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* bench)
{
    return bench->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

// Each size is its own named benchmark, so that the medians are found by name.
void Register()
{
    for (int hairs : { 1000, 10000, 100000 })
        Configure(benchmark::RegisterBenchmark(("RecomputeAll/" + std::to_string(hairs)).c_str(), RecomputeAll, hairs));
    for (int hairs : { 1000, 10000, 100000 })
        Configure(benchmark::RegisterBenchmark(("ReadingPass/" + std::to_string(hairs)).c_str(), ReadingPass, hairs));
    Configure(benchmark::RegisterBenchmark("CurveIntegration/10000", CurveIntegration, 10000));
    Configure(benchmark::RegisterBenchmark("EvaluatedField/5000", EvaluatedField, 5000));
    Configure(benchmark::RegisterBenchmark("DiscRows/5000", DiscRows, int64_t(5000)));
    Configure(benchmark::RegisterBenchmark("DiscPixels/5000", DiscPixels, int64_t(5000)))->Iterations(3);
}

} // namespace

int main(int argc, char** argv)
{
    Register();
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double r1k = reporter.Median("RecomputeAll/1000");
    const double r10k = reporter.Median("RecomputeAll/10000");
    const double r100k = reporter.Median("RecomputeAll/100000");
    const double b10k = reporter.Median("ReadingPass/10000");
    const double curves = reporter.Median("CurveIntegration/10000");
    if (r1k > 0 && r10k > 0 && r100k > 0 && b10k > 0)
        std::printf("RecomputeAll medians: 1,000 hairs %.3f ms, 10,000 hairs %.3f ms (target < 10 ms), "
                    "100,000 hairs %.2f ms\n"
                    "growth 10,000/1,000 %.1fx, 100,000/10,000 %.1fx (linear: 10x); "
                    "RecomputeAll/reading pass at 10,000 %.2fx; integrating all 3,000 curves once %.3f ms\n",
            r1k, r10k, r100k, r10k / r1k, r100k / r10k, r10k / b10k, curves);
    const double field = reporter.Median("EvaluatedField/5000");
    const double rows = reporter.Median("DiscRows/5000");
    const double pixels = reporter.Median("DiscPixels/5000");
    if (field > 0 && rows > 0 && pixels > 0)
        std::printf("SetupEvaluatedField r = 5,000: %.3f ms (target < 2 ms), row count alone %.3f ms, "
                    "per-pixel baseline %.1f ms: %.0fx faster\n",
            field, rows, pixels, pixels / field);
    return 0;
}
