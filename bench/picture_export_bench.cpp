// Every picture path of a measurement next to a plain libjpeg decode of its picture,
// in the same run. The measurement holds a photograph-like 20-megapixel JPEG (5472 x
// 3648; PELORIX_BENCH_MP=50 gives 8660 x 5773), a calibration, an exclusion circle and
// 1000 hairs.
//
//   PlainDecode            baseline: libjpeg alone into new memory
//   LoadPicture            "Bild laden": decode, 24 bits, canvas background
//   LoadMeasurement        a saved measurement with its picture, until the results are ready
//   Export/Bmp|Jpeg|Png|Svg  the picture exports of the marked picture
//   PrintFiles             the two pictures and the table handed to the report library
//   PngTrade/<level>/<filter>  PNG of the top 1024 rows of the marked picture; "bytes"
//                          is the file size: the compression trade behind the export's choice
//
// The figures end with each path as a multiple of the plain decode (target: 4 at most).
#include "bench/MedianReporter.h"
#include "bench/PhotoPicture.h"
#include "canvas/PngWriter.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/PrintBridge.h"
#include "workbench/Workbench.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

class QuietPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

struct Fixture
{
    QTemporaryDir folder;
    QString picture;
    QString measurement;
    QuietPrompt prompt;
    std::unique_ptr<Workbench> loaded; // the measurement, loaded once for the exports
    QImage top; // the top rows of the marked picture, for the PNG trade
};

Fixture* g_fixture = nullptr;

bool Build(Fixture& f, int width, int height)
{
    f.picture = f.folder.filePath(QStringLiteral("photo.jpg"));
    f.measurement = f.folder.filePath(QStringLiteral("measurement.nvm"));
    if (!WritePhotoJpeg(QFile::encodeName(f.picture).constData(), width, height))
        return false;
    Workbench wb(f.prompt);
    wb.Canvas().SetUndoRedoSize(0);
    MeasurementFile files(wb);
    if (!files.LoadPicture(f.picture, false))
        return false;
    ScaleDialogModel& dialog = wb.Scale().Dialog();
    dialog.SelectUnitText(QStringLiteral("mm"));
    dialog.SetPixelLengthText(QStringLiteral("200"));
    dialog.SetScaleText(QStringLiteral("1"));
    wb.Scale().ApplyScaleDialog(true);
    wb.Scale().CreateScaleBar(200);
    wb.SetupEvaluatedField(width / 2, height / 2, height * 2 / 5);
    for (int i = 0; i < 1000; ++i) {
        const double x = 100 + (i * 37) % (width - 200);
        const double y = 100 + (i * 53) % (height - 200);
        wb.SetThicknessSlider(300 + i % 900);
        wb.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 90, y + 30) }, "Line");
    }
    if (!files.SaveMeasurement(f.measurement, true))
        return false;
    f.loaded = std::make_unique<Workbench>(f.prompt);
    if (!MeasurementFile(*f.loaded).LoadMeasurement(f.measurement))
        return false;
    f.loaded->Canvas().RenderControlBands(1024, false, [&](const QImage& band, int) {
        f.top = band.copy();
        return false;
    });
    return !f.top.isNull();
}

void PlainDecode(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(g_fixture->picture);
    for (auto _ : state) {
        size_t bytes = 0;
        auto pixels = PlainJpegDecode(path.constData(), bytes);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void LoadPicture(benchmark::State& state)
{
    for (auto _ : state) {
        QuietPrompt prompt;
        Workbench wb(prompt);
        if (!MeasurementFile(wb).LoadPicture(g_fixture->picture, false))
            state.SkipWithError("the picture could not be loaded");
    }
}

void LoadMeasurement(benchmark::State& state)
{
    for (auto _ : state) {
        QuietPrompt prompt;
        Workbench wb(prompt);
        if (!MeasurementFile(wb).LoadMeasurement(g_fixture->measurement))
            state.SkipWithError("the measurement could not be loaded");
        benchmark::DoNotOptimize(wb.ResultRows().data());
    }
}

void Export(benchmark::State& state, const char* format)
{
    const QString out = g_fixture->folder.filePath(QStringLiteral("export.") + QLatin1String(format));
    MeasurementFile files(*g_fixture->loaded);
    for (auto _ : state) {
        bool written = false;
        if (!files.SavePicture(out, QLatin1String(format), &written) || !written)
            state.SkipWithError("the export failed");
    }
    state.counters["bytes"] = double(QFile(out).size());
    QFile::remove(out);
}

void PrintFiles(benchmark::State& state)
{
    for (auto _ : state) {
        QString error;
        const auto files = PrintBridge::WritePrintFiles(*g_fixture->loaded, PrintBridge::ProgramTexts(), &error);
        if (!files) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        for (const QString& path : { files->original, files->marked, files->table })
            QFile::remove(path);
    }
}

void PngTrade(benchmark::State& state)
{
    const auto filter = static_cast<PngWriter::Filter>(state.range(1));
    qint64 size = 0;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        PngWriter png(out, g_fixture->top.width(), g_fixture->top.height(), int(state.range(0)), filter);
        if (!png.Add(g_fixture->top) || !png.Finish())
            state.SkipWithError("the PNG could not be written");
        size = out.size();
    }
    state.counters["bytes"] = double(size);
    state.counters["ratio"] = double(size) / (double(g_fixture->top.width()) * g_fixture->top.height() * 3);
}

void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
}

BENCHMARK(PlainDecode)->Apply(Configure);
BENCHMARK(LoadPicture)->Apply(Configure);
BENCHMARK(LoadMeasurement)->Apply(Configure);
BENCHMARK_CAPTURE(Export, Bmp, "bmp")->Apply(Configure);
BENCHMARK_CAPTURE(Export, Jpeg, "jpg")->Apply(Configure);
BENCHMARK_CAPTURE(Export, Png, "png")->Apply(Configure);
BENCHMARK_CAPTURE(Export, Svg, "svg")->Apply(Configure);
BENCHMARK(PrintFiles)->Apply(Configure);
BENCHMARK(PngTrade)
    ->ArgNames({ "level", "filter" })
    ->Args({ 1, int(PngWriter::Filter::None) })
    ->Args({ 1, int(PngWriter::Filter::Sub) })
    ->Args({ 1, int(PngWriter::Filter::Up) })
    ->Args({ 1, int(PngWriter::Filter::Adaptive) })
    ->Args({ 3, int(PngWriter::Filter::Sub) })
    ->Args({ 6, int(PngWriter::Filter::Sub) })
    ->Args({ 6, int(PngWriter::Filter::Adaptive) })
    ->Args({ 9, int(PngWriter::Filter::Adaptive) })
    ->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool fifty = qEnvironmentVariable("PELORIX_BENCH_MP") == QLatin1String("50");
    Fixture fixture;
    g_fixture = &fixture;
    if (!fixture.folder.isValid() || !Build(fixture, fifty ? 8660 : 5472, fifty ? 5773 : 3648)) {
        std::fprintf(stderr, "the benchmark's measurement could not be built\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double decode = reporter.Median("PlainDecode");
    if (decode > 0) {
        std::printf("%s MP, plain decode %.1f ms; each path as a multiple of it (target 4 at most):\n",
            fifty ? "50" : "20", decode);
        for (const char* name :
            { "LoadPicture", "LoadMeasurement", "Export/Bmp", "Export/Jpeg", "Export/Png", "Export/Svg", "PrintFiles" })
            if (const double t = reporter.Median(name); t > 0)
                std::printf("  %-16s %8.1f ms  %5.2fx\n", name, t, t / decode);
    }
    return 0;
}
