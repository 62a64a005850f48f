// pelorix-cli batch on a clinic's folder: 1,000 measurement files of 100 hairs
// each, saved without pictures, evaluated and written to one .xlsx workbook.
//
//   BatchOneJob        baseline: one file after the other
//   BatchAllCores      as many files in parallel as the machine has cores (at least 2),
//                      as pelorix-cli batch does by default
//
// The closing line gives the parallel run against the 10 s target and the
// speed-up over one job.
#include "bench/MedianReporter.h"
#include "tests/support/MeasurementMaker.h"
#include "workbench/BatchResults.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kFiles = 1000;
constexpr int kHairs = 100;

QTemporaryDir& Folder()
{
    static QTemporaryDir folder = [] {
        QTemporaryDir dir;
        for (int f = 0; f < kFiles; ++f) {
            MeasurementMaker::Spec spec;
            for (int h = 0; h < kHairs; ++h)
                spec.thicknesses.push_back(150 + (f * 7 + h * 13) % 900);
            spec.follicularUnits = 10 + f % 7;
            spec.patient = QStringLiteral("Patient %1").arg(f);
            spec.date = QStringLiteral("01.02.2026");
            if (!MeasurementMaker::Write(
                    dir.filePath(QStringLiteral("visit%1.nvm").arg(f, 4, 10, QLatin1Char('0'))), spec))
                std::fprintf(stderr, "the benchmark's files could not be written\n");
        }
        return dir;
    }();
    return folder;
}

void RunBatch(benchmark::State& state, int jobs)
{
    const QString folder = Folder().path();
    const QString out = folder + QStringLiteral("/../pelorix_batch_bench_%1.xlsx").arg(getpid());
    for (auto _ : state) {
        const QStringList files = BatchResults::FindMeasurements(folder, false);
        const auto results = BatchResults::Run(files, jobs);
        if (!SheetWriter::WriteXlsx(
                out, { BatchResults::ResultsSheet(results, folder), BatchResults::ErrorsSheet(results, folder) })
            || BatchResults::ErrorsSheet(results, folder).rows.size() != 0 || results.size() != size_t(kFiles))
            state.SkipWithError("the batch failed");
    }
    QFile::remove(out);
}

int Cores()
{
    return int(std::max(2u, std::thread::hardware_concurrency()));
}

void BatchOneJob(benchmark::State& state)
{
    RunBatch(state, 1);
}

void BatchAllCores(benchmark::State& state)
{
    RunBatch(state, Cores());
}

void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Repetitions(3)->Iterations(1)->ReportAggregatesOnly(true);
}

BENCHMARK(BatchOneJob)->Apply(Configure);
BENCHMARK(BatchAllCores)->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double one = reporter.Median("BatchOneJob");
    const double all = reporter.Median("BatchAllCores");
    if (one > 0 && all > 0)
        std::printf("Batch of %d files of %d hairs to .xlsx: one job %.0f ms, %d jobs %.0f ms (%.2fx faster); "
                    "%.2f of the 10 s target\n",
            kFiles, kHairs, one, Cores(), all, one / all, all / 10000.0);
    return 0;
}
