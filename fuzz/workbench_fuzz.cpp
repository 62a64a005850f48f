// Measurements from files: whatever canvas a damaged or foreign measurement file
// yields, the workbench must register its shapes, recalibrate from its scale bar,
// set up the evaluated field from its border, recompute, zoom and delete without a
// crash or a hang, and its counters must agree with its tree.
#include "canvas/TMyCAD.h"
#include "common/MessageSink.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/Workbench.h"

#include <QBuffer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// Default answers, and no output: the fuzzer runs millions of inputs.
class SilentPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString&) override { }
    void ShowInformation(const QString&, const QString&) override { }
};

int Clamped(float value, int low, int high)
{
    if (!std::isfinite(value))
        return low;
    return int(std::clamp(double(value), double(low), double(high)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = [] {
        MessageSink::SetHandler([](const QString&) {});
        return true;
    }();
    (void)silenced;

    SilentPrompt prompt;
    Workbench wb(prompt);
    wb.SetTextMeasurer([](const QString& text, const TMyFont&) { return QSizeF(8.0 * text.size(), 16.0); });
    wb.State().ImageWidth = 2000;
    wb.State().ImageHeight = 1500;
    TMyCAD& cad = wb.Canvas();
    QBuffer input;
    input.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    input.open(QIODevice::ReadOnly);
    cad.LoadFromStream(input);

    // Register as a measurement is read: results for the hairs, the bar recalibrates.
    std::vector<int> ids;
    for (int i = 0; i < cad.ShapeCount(); ++i)
        ids.push_back(cad.ShapeByIndex(i)->ShapeId());
    int borderId = -1;
    for (int id : ids) {
        TMyShape* shape = cad.ShapeById(id);
        if (shape == nullptr)
            continue;
        const QString type = shape->UserData().GetValue(QStringLiteral("Type"));
        if (type == QLatin1String("M")) {
            wb.Scale().Dialog().SetScaleText(shape->UserData().GetValue(QStringLiteral("Scale")));
            wb.Scale().Dialog().SelectUnitText(shape->UserData().GetValue(QStringLiteral("Unit")));
            wb.Scale().RecalibrateFromBar(shape);
        } else if (type != QLatin1String("T")) {
            wb.RegisterMeasuredShape(shape);
        }
        if (shape->Name() == QLatin1String("Border") && shape->Nodes().size() >= 3)
            borderId = id;
    }
    if (TMyShape* border = cad.ShapeById(borderId)) {
        const auto& n = border->Nodes();
        const int x0 = Clamped((n[0].x + n[1].x) / 2, 0, 4000);
        const int y0 = Clamped((n[0].y + n[2].y) / 2, 0, 4000);
        const int r = Clamped((n[1].x - n[0].x) / 2, 0, 4000);
        if (x0 > 0 && y0 > 0 && r > 0)
            wb.SetupEvaluatedField(x0, y0, r);
    }
    wb.RecomputeAll();
    // Every counted hair has an entry with a thickness (a quick-count mark has no length).
    int hairs = 0;
    for (const ResultTree::Entry& entry : wb.Tree().Entries())
        hairs += !entry.children.empty();
    if (wb.State().HairCount > hairs)
        std::abort();

    wb.SetZoomSlider(int(size % 161) - 80, { 800, 600, 0, 0 });
    wb.SelectAllCommand();
    wb.SetThicknessSlider(int(size % 5000) + 1);
    wb.RefreshTimerFired();
    wb.KeyPressed(Workbench::Key::Right, true);
    wb.DeleteCommand();
    if (wb.Tree().Count() > cad.ShapeCount())
        std::abort();
    return 0;
}
