// How long Prelvo takes to write the shipped report with two 20-megapixel pictures
// (the original and the marked one, 24-bit BMP files as Pelorix hands them over),
// through the library's exported functions as a caller uses them:
// InitReport, ExportReport, CloseReport.
//
//   Decode/TwoPictures   the picture loader reading both files: the baseline, since
//                        any report of these pictures has to decode them
//   ExportReport/Pdf     the report as a PDF file (Qt's PDF printer at 300 dpi)
//   ExportReport/Png300  the report as a 300-dpi PNG picture (2480 x 3508)
//
// The figures end with each export as a multiple of the baseline; the target is
// under 1.5 s for each export.
#include "bench/MedianReporter.h"
#include "common/TNVFreeImage.h"
#include "report/prelvo/Prelvo.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLibrary>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

constexpr int kWidth = 5472;
constexpr int kHeight = 3648;
constexpr int kRepetitions = 7;

struct Fixture
{
    QTemporaryDir folder;
    QString original;
    QString marked;
    QByteArray table;
    QByteArray templatePath = QByteArrayLiteral(PELORIX_TEMPLATE);
    InitReportFunction init = nullptr;
    ExportReportFunction exportReport = nullptr;
    CloseReportFunction close = nullptr;
};

Fixture* g_fixture = nullptr;

// Skin-like shading with dark strands and noise; the marked picture adds red marks.
QImage MakePicture(bool marked)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    uint32_t noise = 2463534242u;
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int grain = int(noise & 31) - 16;
            const int strand = ((x + (y * y) / 3000 + (x * y) / 9000) % 97) < 6 ? -90 : 0;
            const bool mark = marked && ((x + y / 2) % 211) < 3;
            const int shade = 150 + x * 60 / kWidth - y * 40 / kHeight + strand + grain;
            row[3 * x + 0] = uchar(mark ? 255 : std::clamp(shade + 40, 0, 255));
            row[3 * x + 1] = uchar(mark ? 0 : std::clamp(shade, 0, 255));
            row[3 * x + 2] = uchar(mark ? 0 : std::clamp(shade - 20, 0, 255));
        }
    }
    return image;
}

// The variable table with every variable of the shipped template.
bool WriteTable(const QString& path, const QString& original, const QString& marked)
{
    QStringList names = { "ProgVersion", "ProgramName", "DateTime", "Name", "DateOfBirth", "ImageDate" };
    QStringList values
        = { "0.1.0", "pelorix", "09.12.2026 10:15:00", "Musterfrau, Erika", "12.08.1964", "01.12.2026 09:30:00" };
    for (const char* stem :
        { "TotalCount", "TotalDensity", "ThicknessMean", "Thickness_Cum", "LengthMean", "LengthCum", "VellusCount",
            "VellusDensity", "TerminalCount", "TerminalDensity", "FollicularUnitCount", "FollicularUnitDensity" }) {
        names << QString::fromLatin1(stem) + "Caption" << QString::fromLatin1(stem) + "Value"
              << QString::fromLatin1(stem) + "Unit";
        values << QString::fromLatin1(stem) << QStringLiteral("123.45") << QStringLiteral("1/cm2");
    }
    names << "ImageOriginal"
          << "ImageAnalysis";
    values << original << marked;
    QByteArray ini = "[General]\r\nColCount=2\r\nRowCount=" + QByteArray::number(names.size()) + "\r\n";
    const QStringList* columns[] = { &names, &values };
    for (int c = 0; c < 2; ++c) {
        ini += "[Col" + QByteArray::number(c) + "]\r\nName=" + (c == 0 ? "Name" : "Value") + "\r\nType=256\r\n";
        for (qsizetype r = 0; r < names.size(); ++r)
            ini += "Row" + QByteArray::number(r) + "Value=" + (*columns[c])[r].toLocal8Bit() + "\r\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
}

void DecodeTwoPictures(benchmark::State& state)
{
    for (auto _ : state) {
        auto a = TNVFreeImage().Load(g_fixture->original);
        auto b = TNVFreeImage().Load(g_fixture->marked);
        if (!a || !b)
            state.SkipWithError("cannot decode the pictures");
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
}

void Export(benchmark::State& state, const char* fileName)
{
    const QByteArray out = QFile::encodeName(g_fixture->folder.filePath(QString::fromLatin1(fileName)));
    for (auto _ : state) {
        if (!g_fixture->init(g_fixture->templatePath.constData(), g_fixture->table.constData())
            || !g_fixture->exportReport(out.constData()))
            state.SkipWithError("the report could not be exported");
        g_fixture->close();
    }
}

void ExportPdf(benchmark::State& state)
{
    Export(state, "report.pdf");
}

void ExportPng(benchmark::State& state)
{
    Export(state, "report.png");
}

void Configure(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
}

BENCHMARK(DecodeTwoPictures)->Name("Decode/TwoPictures")->Apply(Configure);
BENCHMARK(ExportPdf)->Name("ExportReport/Pdf")->Apply(Configure);
BENCHMARK(ExportPng)->Name("ExportReport/Png300")->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    fixture.original = fixture.folder.filePath("imgo.bmp");
    fixture.marked = fixture.folder.filePath("imga.bmp");
    const QString table = fixture.folder.filePath("ResultDataFrameForPrint.dff");
    if (!fixture.folder.isValid() || !MakePicture(false).save(fixture.original)
        || !MakePicture(true).save(fixture.marked) || !WriteTable(table, fixture.original, fixture.marked)) {
        std::fprintf(stderr, "cannot write the test pictures\n");
        return 1;
    }
    fixture.table = QFile::encodeName(table);
    QLibrary library(QStringLiteral(PRELVO_LIBRARY));
    fixture.init = reinterpret_cast<InitReportFunction>(library.resolve("InitReport"));
    fixture.exportReport = reinterpret_cast<ExportReportFunction>(library.resolve("ExportReport"));
    fixture.close = reinterpret_cast<CloseReportFunction>(library.resolve("CloseReport"));
    if (!fixture.init || !fixture.exportReport || !fixture.close) {
        std::fprintf(stderr, "cannot load %s: %s\n", PRELVO_LIBRARY, qPrintable(library.errorString()));
        return 1;
    }
    std::printf("two %d x %d 24-bit BMP pictures, template %s\n", kWidth, kHeight, PELORIX_TEMPLATE);

    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double decode = reporter.Median("Decode/TwoPictures");
    const double pdf = reporter.Median("ExportReport/Pdf");
    const double png = reporter.Median("ExportReport/Png300");
    if (decode > 0 && pdf > 0 && png > 0)
        std::printf("medians: decode both %.0f ms, PDF %.0f ms, PNG 300 dpi %.0f ms\n"
                    "PDF/decode %.2f, PNG/decode %.2f; target under 1500 ms each: PDF %s, PNG %s\n",
            decode, pdf, png, pdf / decode, png / decode, pdf < 1500 ? "met" : "missed", png < 1500 ? "met" : "missed");
    return 0;
}
