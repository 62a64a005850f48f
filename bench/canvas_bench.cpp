// Canvas streams and shape lookups. Saving and loading a measurement of 10,000
// hairs with user data over a 20-megapixel background are compared in the same
// run with writing and reading the same bytes through plain fwrite/fread; lookup
// and deletion are measured at 1,000 and 10,000 shapes to show they grow linearly.
#include "canvas/TMyCAD.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

QString BenchFile(const char* name)
{
    return QDir::tempPath() + QStringLiteral("/pelorix_canvas_bench_%1_%2").arg(getpid()).arg(QLatin1String(name));
}

void AddHairs(TMyCAD& cad, int count)
{
    for (int i = 0; i < count; ++i) {
        const double x = (i * 37) % 5000;
        const double y = (i * 53) % 3500;
        const int id = (i % 2 == 0)
            ? cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 40, y + 12) }, "Hair")
            : cad.AddShape(SpPolyBezier, QString(), 0.0f,
                { QPointF(x, y), QPointF(x + 10, y - 8), QPointF(x + 20, y - 8), QPointF(x + 30, y) }, "Hair");
        TMyShape* shape = cad.ShapeById(id);
        shape->UserData().Add("Type", i % 2 == 0 ? "L" : "C");
        shape->UserData().Add("Thickness", QString::number(40 + i % 60));
        shape->UserData().Add("Length", QString::number(0.1 + i * 1e-4, 'f', 4));
    }
}

// The measurement of the benchmark, built once.
TMyCAD& Measurement()
{
    static std::unique_ptr<TMyCAD> cad = [] {
        auto built = std::make_unique<TMyCAD>();
        built->SetUndoRedoSize(0);
        QImage background(5472, 3648, QImage::Format_BGR888);
        background.fill(qRgb(180, 140, 120));
        built->SetBkBitmap(background);
        built->AddLayer("HairLayer", true);
        AddHairs(*built, 10000);
        return built;
    }();
    return *cad;
}

QByteArray SavedBytes()
{
    static const QByteArray bytes = [] {
        const QString path = BenchFile("reference");
        Measurement().SaveToFile(path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QByteArray all = file.readAll();
        QFile::remove(path);
        return all;
    }();
    return bytes;
}

void BM_CanvasSaveToFile(benchmark::State& state)
{
    TMyCAD& cad = Measurement();
    const QString path = BenchFile("save.nvm");
    for (auto _ : state)
        if (!cad.SaveToFile(path))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * SavedBytes().size());
    QFile::remove(path);
}

// The same bytes with fwrite, fsync and rename: what an atomic save costs at least.
void BM_FwriteSameBytes(benchmark::State& state)
{
    const QByteArray bytes = SavedBytes();
    const QByteArray path = BenchFile("fwrite.bin").toLocal8Bit();
    const QByteArray temp = path + ".tmp";
    for (auto _ : state) {
        FILE* file = std::fopen(temp.constData(), "wb");
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
        std::fflush(file);
        fsync(fileno(file));
        std::fclose(file);
        std::rename(temp.constData(), path.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    std::remove(path.constData());
}

void BM_CanvasLoadFromFile(benchmark::State& state)
{
    const QString path = BenchFile("load.nvm");
    Measurement().SaveToFile(path);
    for (auto _ : state) {
        TMyCAD cad;
        if (!cad.LoadFromFile(path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(cad.ShapeCount());
    }
    state.SetBytesProcessed(state.iterations() * SavedBytes().size());
    QFile::remove(path);
}

// The same bytes read with fread into a fresh buffer, as a loader must.
void BM_FreadSameBytes(benchmark::State& state)
{
    const QByteArray bytes = SavedBytes();
    const QByteArray path = BenchFile("fread.bin").toLocal8Bit();
    FILE* out = std::fopen(path.constData(), "wb");
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fclose(out);
    for (auto _ : state) {
        FILE* file = std::fopen(path.constData(), "rb");
        std::unique_ptr<char[]> buffer(new char[size_t(bytes.size())]);
        benchmark::DoNotOptimize(std::fread(buffer.get(), 1, size_t(bytes.size()), file));
        std::fclose(file);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    std::remove(path.constData());
}

void BM_ShapeById(benchmark::State& state)
{
    TMyCAD cad;
    cad.SetUndoRedoSize(0);
    AddHairs(cad, int(state.range(0)));
    int id = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cad.ShapeById(id));
        id = (id + 7919) % int(state.range(0));
    }
}

// A canvas of n hairs, built (and the previous one freed) outside the timing.
std::unique_ptr<TMyCAD> FreshCanvas(benchmark::State& state, std::unique_ptr<TMyCAD>& previous, int n)
{
    state.PauseTiming();
    previous.reset();
    auto cad = std::make_unique<TMyCAD>();
    cad->SetUndoRedoSize(0);
    AddHairs(*cad, n);
    cad->ClearSelection();
    state.ResumeTiming();
    return cad;
}

// One deletion from the middle of a canvas of n shapes.
void BM_DeleteShapeById(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::unique_ptr<TMyCAD> cad;
    for (auto _ : state) {
        cad = FreshCanvas(state, cad, n);
        cad->DeleteShapeById(n / 2, false);
    }
}

// Deleting a tenth of the shapes in one selection.
void BM_DeleteSelectedTenth(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::unique_ptr<TMyCAD> cad;
    for (auto _ : state) {
        cad = FreshCanvas(state, cad, n);
        state.PauseTiming();
        for (int id = 0; id < n; id += 10)
            cad->SelectShapeById(id, false);
        state.ResumeTiming();
        cad->DeleteSelectedShapes();
    }
}

} // namespace

BENCHMARK(BM_CanvasSaveToFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CanvasLoadFromFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ShapeById)->Arg(1000)->Arg(10000);
BENCHMARK(BM_DeleteShapeById)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteSelectedTenth)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
