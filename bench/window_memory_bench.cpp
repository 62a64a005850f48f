// The main window's peak memory with a large picture, at every position of the zoom
// slider, against the picture's 24-bit size. A photograph-like JPEG of 50 megapixels
// (8660 x 5773; PELORIX_BENCH_MP=20 gives 5472 x 3648) with 1000 hairs is loaded
// into a 1600 x 1000 window, which is then repainted at each zoom from the smallest
// to the largest, scrolled to the middle of the picture.
//
//   Window/PaintEveryZoom  the whole walk once; its counters: the process's peak
//                          resident size as a multiple of the picture (target 3.5 at
//                          most) and the part above the empty window
//
// The figures end with the peak after each zoom.
#include "bench/MedianReporter.h"
#include "bench/PhotoPicture.h"
#include "workbench/MeasurementFile.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormMain.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const QString kData = QStringLiteral(PELORIX_DATA_DIR);

// The peak resident size so far (VmHWM), in bytes.
double PeakBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

struct Walk
{
    double pictureBytes = 0;
    double emptyWindow = 0;
    std::vector<std::pair<int, double>> peaks; // zoom position, peak after its paint
};

Walk g_walk;

void PaintEveryZoom(benchmark::State& state)
{
    const bool fifty = qEnvironmentVariable("PELORIX_BENCH_MP") != QLatin1String("20");
    const int width = fifty ? 8660 : 5472;
    const int height = fifty ? 5773 : 3648;
    QTemporaryDir programDir;
    QTemporaryDir work;
    QFile::copy(kData + QStringLiteral("/PelorixLang.ini"), programDir.filePath(QStringLiteral("PelorixLang.ini")));
    QFile::copy(kData + QStringLiteral("/help/Pelorix.html"), programDir.filePath(QStringLiteral("Pelorix.html")));
    const QString picture = work.filePath(QStringLiteral("photo.jpg"));
    if (!WritePhotoJpeg(QFile::encodeName(picture).constData(), width, height)) {
        state.SkipWithError("the picture could not be written");
        return;
    }
    g_walk.pictureBytes = double(width) * height * 3;
    for (auto _ : state) {
        TFormMain::Options options;
        options.programDir = programDir.path();
        options.recoveryDir = work.path();
        options.startupTimer = false;
        TFormMain window(options);
        window.resize(1600, 1000);
        window.show();
        window.RunStartup();
        QApplication::processEvents();
        g_walk.emptyWindow = PeakBytes();
        if (!MeasurementFile(window.Bench()).LoadPicture(picture, false)) {
            state.SkipWithError("the picture could not be loaded");
            break;
        }
        TMyCAD& cad = window.Bench().Canvas();
        for (int i = 0; i < 1000; ++i) {
            const double x = 100 + (i * 37) % (width - 200);
            const double y = 100 + (i * 53) % (height - 200);
            cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 90, y + 30) }, "Line");
        }
        window.SyncUi();
        QSlider* zoom = window.TrackBarZoom();
        CanvasArea* area = window.Canvas();
        for (int position = zoom->minimum(); position <= zoom->maximum(); position += 10) {
            zoom->setValue(position);
            QApplication::processEvents();
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum() / 2);
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum() / 2);
            area->viewport()->repaint();
            QApplication::processEvents();
            g_walk.peaks.emplace_back(position, PeakBytes());
        }
    }
    const double peak = g_walk.peaks.empty() ? 0 : g_walk.peaks.back().second;
    state.counters["peak_x_picture"] = peak / g_walk.pictureBytes;
    state.counters["above_empty_x_picture"] = (peak - g_walk.emptyWindow) / g_walk.pictureBytes;
}

} // namespace

BENCHMARK(PaintEveryZoom)->Name("Window/PaintEveryZoom")->Unit(benchmark::kMillisecond)->Iterations(1);

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
    if (g_walk.pictureBytes > 0) {
        std::printf("picture %.0f MB (24 bits), empty window %.0f MB; peak after each zoom position "
                    "(x the picture; target 3.5 at most):\n",
            g_walk.pictureBytes / 1e6, g_walk.emptyWindow / 1e6);
        for (const auto& [position, peak] : g_walk.peaks)
            std::printf("  zoom %+4d (%.2fx)  %6.0f MB  %.2fx\n", position, std::pow(10.0, position / 100.0),
                peak / 1e6, peak / g_walk.pictureBytes);
    }
    return 0;
}
