// Canvas repaint. A 1920 x 1080 view over a 20-megapixel background picture with
// 5,000 hairs (rule lines and Bezier curves, drawn as the measuring program draws
// them) is repainted through TMyCAD::Paint at zoom 0.3 and 1.0 and compared in the
// same run with the same frame drawn by bare QPainter calls (drawImage of the
// picture, drawLine and drawPath of every hair). Also measured: the repaint of a
// small damaged area (a hovered handle), a full repaint right after one hair moved,
// and a cold frame after a change that redraws every shape (the cost after a zoom).
#include "bench/MedianReporter.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kHairs = 5000;
constexpr int kPictureWidth = 5472;
constexpr int kPictureHeight = 3648;
const QSize kView(1920, 1080);

QImage Background()
{
    static const QImage picture = [] {
        QImage image(kPictureWidth, kPictureHeight, QImage::Format_BGR888);
        for (int y = 0; y < image.height(); ++y) {
            uchar* row = image.scanLine(y);
            for (int x = 0; x < image.width() * 3; ++x)
                row[x] = uchar(120 + (x * 7 + y * 13) % 80);
        }
        return image;
    }();
    return picture;
}

// A measurement at the zoom, laid out as the measuring program does it: the picture
// stretched over the control, hairs with pen width trunc(500 x zoom x 0.01).
std::unique_ptr<TMyCAD> Measurement(double zoom)
{
    auto cad = std::make_unique<TMyCAD>();
    cad->SetUndoRedoSize(0);
    cad->SetBkBitmap(Background());
    cad->SetBkBitmapMode(Stretch);
    TGridObject grid;
    grid.GridShow = false;
    cad->SetGridOperation(grid);
    cad->SetZoom(zoom);
    cad->ClientResized(int(kPictureWidth * zoom), int(kPictureHeight * zoom));
    TMyPen pen;
    pen.color = 0x00FFFF;
    pen.width = int(500 * zoom * 0.01);
    TMyBrush clear;
    clear.style = bsClear;
    for (int i = 0; i < kHairs; ++i) {
        const double x = 40 + (i * 397) % (kPictureWidth - 120);
        const double y = 40 + (i * 263) % (kPictureHeight - 120);
        int id;
        if (i % 2 == 0) {
            id = cad->AddShape(SpRuleLine, QString(), 0,
                { QPointF(x * zoom, y * zoom), QPointF((x + 60) * zoom, (y + 25) * zoom) }, "H");
            auto* rule = static_cast<TMyRuleLine*>(cad->ShapeById(id));
            rule->SetTickStyle(tsNone);
            rule->SetArrowStyle(ANone);
            rule->SetShowUserInfo(true);
        } else {
            id = cad->AddShape(SpPolyBezier, QString(), 0,
                { QPointF(x * zoom, y * zoom), QPointF((x + 20) * zoom, (y - 30) * zoom),
                    QPointF((x + 45) * zoom, (y + 30) * zoom), QPointF((x + 70) * zoom, y * zoom) },
                "C");
        }
        TMyShape* hair = cad->ShapeById(id);
        hair->SetPen(pen);
        hair->SetBrush(clear);
        hair->SetCaptionShow(false);
    }
    cad->ClearSelection();
    return cad;
}

// The view: centred on the control, at most 1920 x 1080.
QRect ViewOf(const TMyCAD& cad)
{
    const QRect control(0, 0, cad.Width(), cad.Height());
    QRect view(QPoint(0, 0), kView);
    view.moveCenter(control.center());
    return view.intersected(control);
}

struct Frame
{
    std::unique_ptr<TMyCAD> cad;
    QImage image { kView, QImage::Format_RGB32 };
    QRect view;
};

Frame& FrameAt(double zoom)
{
    static std::map<double, Frame> frames;
    Frame& frame = frames[zoom];
    if (!frame.cad) {
        frame.cad = Measurement(zoom);
        frame.view = ViewOf(*frame.cad);
    }
    return frame;
}

void PaintCanvas(Frame& frame, const QRect& area)
{
    QPainter painter(&frame.image);
    painter.translate(-frame.view.topLeft());
    frame.cad->Paint(painter, area);
}

void CanvasFrame(benchmark::State& state, double zoom)
{
    Frame& frame = FrameAt(zoom);
    PaintCanvas(frame, frame.view); // the layer cache is filled once, as on the first show
    for (auto _ : state)
        PaintCanvas(frame, frame.view);
}

void CanvasSmallArea(benchmark::State& state, double zoom)
{
    Frame& frame = FrameAt(zoom);
    PaintCanvas(frame, frame.view);
    const QRect handle(frame.view.center() - QPoint(8, 8), QSize(16, 16));
    for (auto _ : state)
        PaintCanvas(frame, handle);
}

// One hair moves by a pixel and back, as a drag ends; then the whole view repaints.
void CanvasAfterEdit(benchmark::State& state, double zoom)
{
    Frame& frame = FrameAt(zoom);
    PaintCanvas(frame, frame.view);
    TMyShape* hair = frame.cad->ShapeByIndex(kHairs / 2);
    double step = 1;
    for (auto _ : state) {
        frame.cad->MoveShapeBy(hair, step, 0);
        step = -step;
        PaintCanvas(frame, frame.view);
    }
}

// A setting that changes every shape's drawing (as a zoom does) forces a full redraw.
void CanvasCold(benchmark::State& state, double zoom)
{
    Frame& frame = FrameAt(zoom);
    bool alternate = false;
    for (auto _ : state) {
        frame.cad->SetTheUNIT(alternate ? mm : cm);
        alternate = !alternate;
        PaintCanvas(frame, frame.view);
    }
}

// The baseline: the same frame with bare QPainter calls and no caching.
void BareFrame(benchmark::State& state, double zoom)
{
    Frame& frame = FrameAt(zoom);
    TMyCAD& cad = *frame.cad;
    const QImage& picture = cad.BkBitmap();
    const double sx = picture.width() / double(cad.Width());
    const double sy = picture.height() / double(cad.Height());
    const QRectF source(
        frame.view.left() * sx, frame.view.top() * sy, frame.view.width() * sx, frame.view.height() * sy);
    for (auto _ : state) {
        QPainter painter(&frame.image);
        painter.translate(-frame.view.topLeft());
        painter.drawImage(QRectF(frame.view), picture, source);
        for (int i = 0; i < cad.ShapeCount(); ++i) {
            const TMyShape* hair = cad.ShapeByIndex(i);
            QPen pen(QColor(255, 255, 0), hair->Pen().width);
            painter.setPen(pen);
            const auto& n = hair->Nodes();
            auto at = [&](size_t k) { return QPointF(n[k].x * zoom, n[k].y * zoom); };
            if (n.size() == 2) {
                painter.drawLine(at(0), at(1));
            } else {
                QPainterPath path(at(0));
                path.cubicTo(at(1), at(2), at(3));
                painter.drawPath(path);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<std::pair<const char*, double>> zooms = { { "0.3", 0.3 }, { "1.0", 1.0 } };
    for (const auto& [name, zoom] : zooms) {
        const double z = zoom;
        const std::string suffix = std::string("/zoom") + name;
        auto configure = [](benchmark::internal::Benchmark* bench) {
            bench->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true)->MinTime(0.3);
        };
        configure(
            benchmark::RegisterBenchmark(("bare" + suffix).c_str(), [z](benchmark::State& s) { BareFrame(s, z); }));
        configure(
            benchmark::RegisterBenchmark(("canvas" + suffix).c_str(), [z](benchmark::State& s) { CanvasFrame(s, z); }));
        configure(benchmark::RegisterBenchmark(
            ("canvas_small_area" + suffix).c_str(), [z](benchmark::State& s) { CanvasSmallArea(s, z); }));
        configure(benchmark::RegisterBenchmark(
            ("canvas_after_edit" + suffix).c_str(), [z](benchmark::State& s) { CanvasAfterEdit(s, z); }));
        configure(benchmark::RegisterBenchmark(
            ("canvas_cold" + suffix).c_str(), [z](benchmark::State& s) { CanvasCold(s, z); }));
    }
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter(
        isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [name, zoom] : zooms) {
        const std::string suffix = std::string("/zoom") + name;
        const double canvas = reporter.Median("canvas" + suffix);
        const double bare = reporter.Median("bare" + suffix);
        const double small = reporter.Median("canvas_small_area" + suffix);
        if (canvas <= 0 || bare <= 0)
            continue;
        std::printf("zoom %s: repaint of the 1920 x 1080 view %.2f ms median (target 16 ms), bare QPainter frame "
                    "%.2f ms: %.3f of the baseline; damaged 16 x 16 area %.3f ms = %.4f of a full repaint; "
                    "after moving one hair %.2f ms; cold frame %.2f ms\n",
            name, canvas, bare, canvas / bare, small, small / canvas, reporter.Median("canvas_after_edit" + suffix),
            reporter.Median("canvas_cold" + suffix));
    }
    benchmark::Shutdown();
    return 0;
}
