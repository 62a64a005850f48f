// Speed and memory of the automatic hair detection, beside the picture load in
// the same run:
//   Picture/Load24            TNVFreeImage::Load + ConvertTo24Bits of the bundled sample (2592 x 1944)
//   Detection/Sample          DetectHairs on the whole sample at its 200 pixels per mm (the skeleton graph)
//   Detection/SampleTracer    the same with the centre-line tracer instead of the skeleton graph
//   Detection/Half            the left half of the sample (half the pixels)
//   Detection/Double          the sample twice side by side (twice the pixels)
// "cpu_ms" counts the CPU time of every thread of the process per iteration.
// The closing lines give detection / load, milliseconds per megapixel for the
// three sizes (linear growth keeps them equal) and the detection's peak memory
// beyond the picture as a multiple of the picture's decoded size.
#include "bench/MedianReporter.h"
#include "common/TNVFreeImage.h"
#include "workbench/detection/HairDetector.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

const QString kSample = QStringLiteral(PELORIX_DATA_DIR "/sample/sample-scalp.jpg");
constexpr double kPixelsPerMm = 200.0;
QImage g_sample;
QImage g_half;
QImage g_double;

double ProcessCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Resident memory of the process now, bytes.
long ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

void PictureLoad24(benchmark::State& state)
{
    for (auto _ : state) {
        QString error;
        auto bitmap = TNVFreeImage().Load(kSample, &error);
        if (!bitmap || !bitmap->ConvertTo24Bits()) {
            state.SkipWithError("cannot load the sample picture");
            break;
        }
        benchmark::DoNotOptimize(bitmap->ScanLine(0));
    }
}

void Detect(benchmark::State& state, const QImage& picture, bool tracer = detection::Options().tracer)
{
    detection::Options options;
    options.pixelsPerMm = kPixelsPerMm;
    options.tracer = tracer;
    double cpu = 0.0;
    size_t hairs = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        const detection::Result result = detection::DetectHairs(picture, options);
        cpu += ProcessCpuMs() - before;
        hairs = result.hairs.size();
        benchmark::DoNotOptimize(result.hairs.data());
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["hairs"] = double(hairs);
    state.counters["megapixels"] = picture.width() * double(picture.height()) / 1e6;
}

void DetectSample(benchmark::State& state)
{
    Detect(state, g_sample);
}

void DetectSampleTracer(benchmark::State& state)
{
    Detect(state, g_sample, true);
}

void DetectHalf(benchmark::State& state)
{
    Detect(state, g_half);
}

void DetectDouble(benchmark::State& state)
{
    Detect(state, g_double);
}

void Configure(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->Iterations(1)->ReportAggregatesOnly(true);
}

BENCHMARK(PictureLoad24)->Name("Picture/Load24")->Apply(Configure);
BENCHMARK(DetectSample)->Name("Detection/Sample")->Apply(Configure);
BENCHMARK(DetectSampleTracer)->Name("Detection/SampleTracer")->Apply(Configure);
BENCHMARK(DetectHalf)->Name("Detection/Half")->Apply(Configure);
BENCHMARK(DetectDouble)->Name("Detection/Double")->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_sample = QImage(kSample).convertToFormat(QImage::Format_RGB32);
    if (g_sample.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(kSample));
        return 1;
    }
    g_half = g_sample.copy(0, 0, g_sample.width() / 2, g_sample.height());
    g_double = QImage(g_sample.width() * 2, g_sample.height(), QImage::Format_RGB32);
    {
        QPainter painter(&g_double);
        painter.drawImage(0, 0, g_sample);
        painter.drawImage(g_sample.width(), 0, g_sample.mirrored(true, false));
    }

    // Peak memory of one detection beyond what the process holds with the picture.
    {
        const long before = ResidentBytes();
        detection::Options options;
        options.pixelsPerMm = kPixelsPerMm;
        long peak = before;
        // The detection reports progress between its stages: the resident size there
        // is close to its peak.
        options.progress = [&peak](int) {
            peak = std::max(peak, ResidentBytes());
            return true;
        };
        const double start = ProcessCpuMs();
        QElapsedTimer clock;
        clock.start();
        const detection::Result result = detection::DetectHairs(g_sample, options);
        const double firstMs = double(clock.nsecsElapsed()) / 1e6;
        const double firstCpuMs = ProcessCpuMs() - start;
        const double pictureBytes = g_sample.width() * double(g_sample.height()) * 3.0;
        std::printf("detection of the sample: %zu hairs, peak extra memory %.1f MB = %.2f x the picture's "
                    "24-bit size (%.1f MB)\n",
            result.hairs.size(), (peak - before) / 1e6, (peak - before) / pictureBytes, pictureBytes / 1e6);
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("process peak resident size: %.1f MB\n", usage.ru_maxrss / 1e3);
        // What one detection costs in a fresh process (pelorix-cli detect, the first
        // "Haare erkennen" of a session): the runs timed below come after it.
        std::printf("first detection in the process: %.0f ms (cpu %.0f ms)\n", firstMs, firstCpuMs);
    }

    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double load = reporter.Median("Picture/Load24");
    const double sample = reporter.Median("Detection/Sample");
    const double tracer = reporter.Median("Detection/SampleTracer");
    const double half = reporter.Median("Detection/Half");
    const double twice = reporter.Median("Detection/Double");
    const double mp = g_sample.width() * double(g_sample.height()) / 1e6;
    if (load > 0 && sample > 0)
        std::printf("medians: load %.1f ms, detection %.1f ms (target 1000 ms); detection/load %.2f\n", load, sample,
            sample / load);
    if (load > 0 && sample > 0 && tracer > 0)
        std::printf("tracer instead: detection %.1f ms, detection/load %.2f, tracer/graph %.2f\n", tracer,
            tracer / load, tracer / sample);
    if (half > 0 && sample > 0 && twice > 0)
        std::printf(
            "ms per megapixel: half %.1f, sample %.1f, double %.1f\n", half / (mp / 2), sample / mp, twice / (2 * mp));
    return 0;
}
