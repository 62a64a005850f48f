// How long the picture loader takes for a 20-megapixel camera JPEG, next to what
// libjpeg-turbo alone needs to decode the same file. The picture is generated once
// per run (textured and noisy, so that decoding costs what a real photograph costs).
//
//   PlainDecode/FreshBuffer   libjpeg-turbo into a newly allocated buffer
//   PlainDecode/ReusedBuffer  libjpeg-turbo into a buffer whose pages are already touched
//   Loader/Load24             TNVFreeImage::Load + ConvertTo24Bits, as the workbench opens a picture
//   Loader/Load24Cold         the same, with the heap given back to the system before each load
//   FreeImage/LoadAndCopy24   FreeImage_Load + FreeImage_ConvertTo24Bits, a second full-size copy
//
// "faults" counts the page faults of one decode. Before the benchmarks the run times the
// first load of the process (a picture handed over at start-up), and the figures end
// with the loader's time as a multiple of each plain decode.
// PELORIX_BENCH_PICTURE=photo.jpg measures a real photograph instead.
#include "bench/MedianReporter.h"
#include "common/TNVFreeImage.h"

#include <FreeImage.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 5472;
constexpr int kHeight = 3648;
constexpr int kRepetitions = 9;

QString g_picturePath;

// Something like skin and hair under a microscope: smooth shading, dark curved strands
// and sensor noise, so that the entropy coder has real work to do.
void FillRow(int y, std::vector<JSAMPLE>& row, uint32_t& noise)
{
    for (int x = 0; x < kWidth; ++x) {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const int grain = static_cast<int>(noise & 31) - 16;
        const int shade = 150 + (x * 60 / kWidth) - (y * 40 / kHeight);
        const int strand = ((x + (y * y) / 3000 + (x * y) / 9000) % 97) < 6 ? -90 : 0;
        const int texture = ((x / 7 + y / 5) & 7) * 3;
        auto clamp = [](int v) { return static_cast<JSAMPLE>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
        row[3 * x + 0] = clamp(shade + 40 + strand + texture + grain);
        row[3 * x + 1] = clamp(shade + strand + texture + grain);
        row[3 * x + 2] = clamp(shade - 20 + strand + grain);
    }
}

bool WriteTestJpeg(const QString& path)
{
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(3 * kWidth);
    uint32_t noise = 2463534242u;
    while (info.next_scanline < info.image_height) {
        FillRow(static_cast<int>(info.next_scanline), row, noise);
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// Decodes the test picture with libjpeg-turbo alone into buffer (3 bytes a pixel, top row first).
void PlainDecode(unsigned char* buffer)
{
    FILE* file = std::fopen(g_picturePath.toLocal8Bit().constData(), "rb");
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const size_t rowBytes = size_t(info.output_width) * info.output_components;
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = { buffer + rowBytes * info.output_scanline };
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

// Bytes of the decoded picture, from its header.
size_t DecodedBytes()
{
    FILE* file = std::fopen(g_picturePath.toLocal8Bit().constData(), "rb");
    if (file == nullptr)
        return 0;
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);
    const size_t bytes = size_t(info.output_width) * info.output_height * info.output_components;
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return bytes;
}

size_t g_pictureBytes = 0;

long MinorFaults()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Page faults per decode, to show where the time goes.
class FaultCounter
{
public:
    explicit FaultCounter(benchmark::State& state)
        : m_state(state)
        , m_start(MinorFaults())
    {
    }
    ~FaultCounter()
    {
        m_state.counters["faults"]
            = benchmark::Counter(double(MinorFaults() - m_start), benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& m_state;
    long m_start;
};

void PlainDecodeFreshBuffer(benchmark::State& state)
{
    const FaultCounter faults(state);
    for (auto _ : state) {
        // A mapping of its own, whatever malloc would do: the decoder is the first to touch
        // these pages, as it is for a picture loaded into new memory.
        void* buffer = mmap(nullptr, g_pictureBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        PlainDecode(static_cast<unsigned char*>(buffer));
        munmap(buffer, g_pictureBytes);
    }
}

void PlainDecodeReusedBuffer(benchmark::State& state)
{
    static std::unique_ptr<unsigned char[]> buffer(new unsigned char[g_pictureBytes]());
    const FaultCounter faults(state);
    for (auto _ : state) {
        PlainDecode(buffer.get());
        benchmark::DoNotOptimize(buffer.get());
    }
}

// What opening a picture costs the workbench; nullptr on failure, with the reason in error.
std::unique_ptr<DibBitmap> LoadPicture(QString& error)
{
    auto bitmap = TNVFreeImage().Load(g_picturePath, &error);
    if (bitmap && !bitmap->ConvertTo24Bits())
        bitmap.reset();
    return bitmap;
}

// With `cold`, the heap is handed back to the system before each load, so that every
// load gets fresh memory, as the first picture of a session does.
void LoaderLoad(benchmark::State& state, bool cold)
{
    const FaultCounter faults(state);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            malloc_trim(0);
            state.ResumeTiming();
        }
        QString error;
        const auto bitmap = LoadPicture(error);
        if (!bitmap) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(bitmap->ScanLine(0));
    }
}

void LoaderLoad24(benchmark::State& state)
{
    LoaderLoad(state, false);
}

void LoaderLoad24Cold(benchmark::State& state)
{
    LoaderLoad(state, true);
}

void FreeImageLoadAndCopy24(benchmark::State& state)
{
    const QByteArray path = g_picturePath.toLocal8Bit();
    const FaultCounter faults(state);
    for (auto _ : state) {
        FIBITMAP* decoded = FreeImage_Load(FIF_JPEG, path.constData(), 0);
        FIBITMAP* converted = FreeImage_ConvertTo24Bits(decoded);
        benchmark::DoNotOptimize(FreeImage_GetBits(converted));
        FreeImage_Unload(converted);
        FreeImage_Unload(decoded);
    }
}

// Each repetition is one whole decode; the median of several is robust against a stray slow one.
void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
}

BENCHMARK(PlainDecodeFreshBuffer)->Name("PlainDecode/FreshBuffer")->Apply(Configure);
BENCHMARK(PlainDecodeReusedBuffer)->Name("PlainDecode/ReusedBuffer")->Apply(Configure);
BENCHMARK(LoaderLoad24)->Name("Loader/Load24")->Apply(Configure);
BENCHMARK(LoaderLoad24Cold)->Name("Loader/Load24Cold")->Apply(Configure);
BENCHMARK(FreeImageLoadAndCopy24)->Name("FreeImage/LoadAndCopy24")->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    // PELORIX_BENCH_PICTURE names a real JPEG to measure instead of the generated one.
    QTemporaryDir folder;
    g_picturePath = qEnvironmentVariable("PELORIX_BENCH_PICTURE");
    if (g_picturePath.isEmpty()) {
        g_picturePath = folder.filePath("bench-20mp.jpg");
        if (!folder.isValid() || !WriteTestJpeg(g_picturePath)) {
            std::fprintf(stderr, "cannot write the test picture\n");
            return 1;
        }
    }
    g_pictureBytes = DecodedBytes();
    if (g_pictureBytes == 0) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(g_picturePath));
        return 1;
    }
    std::printf("test picture: %s, %lld bytes, GLIBC_TUNABLES=%s\n", qPrintable(g_picturePath),
        static_cast<long long>(QFileInfo(g_picturePath).size()),
        std::getenv("GLIBC_TUNABLES") ? std::getenv("GLIBC_TUNABLES") : "(unset)");

    // The case of a picture handed over at start-up: the first big allocation of the process.
    {
        const long faultsBefore = MinorFaults();
        QElapsedTimer timer;
        timer.start();
        QString error;
        const bool loaded = LoadPicture(error) != nullptr;
        std::printf("first load in this process: %.1f ms, %ld page faults%s\n", timer.nsecsElapsed() / 1e6,
            MinorFaults() - faultsBefore, loaded ? "" : " (failed)");
    }

    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double fresh = reporter.Median("PlainDecode/FreshBuffer");
    const double reused = reporter.Median("PlainDecode/ReusedBuffer");
    const double loader = reporter.Median("Loader/Load24");
    const double cold = reporter.Median("Loader/Load24Cold");
    if (fresh > 0 && reused > 0 && loader > 0 && cold > 0)
        std::printf("medians: plain fresh %.1f ms, plain reused %.1f ms, loader %.1f ms, loader cold %.1f ms\n"
                    "loader/fresh %.2f, loader/reused %.2f, loader cold/fresh %.2f, loader cold/reused %.2f\n",
            fresh, reused, loader, cold, loader / fresh, loader / reused, cold / fresh, cold / reused);
    return 0;
}
