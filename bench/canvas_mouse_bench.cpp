// Mouse editing over a measurement of 5,000 hairs (rule lines and Bezier curves) at
// zoom 1. The baseline is the least any hover must do: one HitTest call per hair at
// the mouse point. Measured against it in the same run: a hover move (topmost shape
// under the mouse, enter/leave events, cursor), a drag move of one selected hair
// (snapping of the selection box and its trace), and a whole drag gesture followed
// by its undo.
#include "canvas/TMyCAD.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kHairs = 5000;

std::unique_ptr<TMyCAD> Measurement()
{
    auto cad = std::make_unique<TMyCAD>();
    cad->ClientResized(5472, 3648);
    for (int i = 0; i < kHairs; ++i) {
        const double x = 20 + (i * 97) % 5400;
        const double y = 20 + (i * 61) % 3600;
        if (i % 2 == 0)
            cad->AddShape(SpRuleLine, QString(), 0, { QPointF(x, y), QPointF(x + 35, y + 12) }, "Hair");
        else
            cad->AddShape(SpPolyBezier, QString(), 0,
                { QPointF(x, y), QPointF(x + 10, y - 12), QPointF(x + 25, y + 14), QPointF(x + 40, y + 3) }, "Hair");
    }
    cad->ClearSelection();
    cad->UndoList().Clear();
    return cad;
}

QPoint MousePoint(int64_t step)
{
    return QPoint(int(10 + (step * 37) % 5400), int(10 + (step * 23) % 3600));
}

void BM_HitTestBaseline(benchmark::State& state)
{
    auto cad = Measurement();
    int64_t step = 0;
    for (auto _ : state) {
        const QPointF p = MousePoint(step++);
        const TMyShape* hit = nullptr;
        for (int i = cad->ShapeCount() - 1; i >= 0 && hit == nullptr; --i)
            if (cad->ShapeByIndex(i)->HitTest(p))
                hit = cad->ShapeByIndex(i);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_HitTestBaseline)->Unit(benchmark::kMicrosecond);

void BM_HoverMove(benchmark::State& state)
{
    auto cad = Measurement();
    int entered = 0;
    cad->OnMouseEnterShape = [&](TMyShape*) { ++entered; };
    int64_t step = 0;
    for (auto _ : state) {
        const QPoint p = MousePoint(step++);
        cad->MouseMove(Qt::NoModifier, p.x(), p.y());
    }
    benchmark::DoNotOptimize(entered);
}
BENCHMARK(BM_HoverMove)->Unit(benchmark::kMicrosecond);

void BM_DragMove(benchmark::State& state)
{
    auto cad = Measurement();
    const TMyShape* hair = cad->ShapeByIndex(0);
    const QPoint grip(int(hair->Nodes()[0].x + 17), int(hair->Nodes()[0].y + 6));
    cad->MouseDown(Qt::LeftButton, Qt::NoModifier, grip.x(), grip.y());
    int64_t step = 0;
    for (auto _ : state) {
        const int d = int(step++ % 200);
        cad->MouseMove(Qt::NoModifier, grip.x() + d, grip.y() + d / 2);
    }
    cad->MouseUp(Qt::LeftButton, Qt::NoModifier, grip.x(), grip.y());
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMicrosecond);

void BM_DragGestureAndUndo(benchmark::State& state)
{
    auto cad = Measurement();
    const TMyShape* hair = cad->ShapeByIndex(kHairs / 2);
    const QPoint grip(int(hair->Nodes()[0].x + 17), int(hair->Nodes()[0].y + 6));
    for (auto _ : state) {
        cad->MouseDown(Qt::LeftButton, Qt::NoModifier, grip.x(), grip.y());
        cad->MouseMove(Qt::NoModifier, grip.x() + 30, grip.y() + 7);
        cad->MouseUp(Qt::LeftButton, Qt::NoModifier, grip.x() + 30, grip.y() + 7);
        cad->Undo();
    }
}
BENCHMARK(BM_DragGestureAndUndo)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
