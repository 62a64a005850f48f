// Measurement files as "Messung laden ..." reads them: whatever a damaged or
// foreign file holds, loading it over a picture must rebuild the workbench
// (scale bar, result entries, exclusion border, layers) without a crash or a
// hang; the border id must name the border, every entry a shape; and a file
// that loaded completely must come back with the same entries after saving it
// without picture and loading it again.
#include "common/MessageSink.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

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

// A workbench with a 64 x 48 picture loaded, as when the operator opens a file.
struct Bench
{
    SilentPrompt prompt;
    Workbench wb { prompt };
    MeasurementFile files { wb };

    Bench()
    {
        wb.SetTextMeasurer([](const QString& text, const TMyFont&) { return QSizeF(8.0 * text.size(), 16.0); });
        QImage picture(64, 48, QImage::Format_BGR888);
        picture.fill(Qt::gray);
        wb.Canvas().SetBkBitmap(picture);
        wb.State().ImageLoaded = true;
        wb.State().ImageWidth = 64;
        wb.State().ImageHeight = 48;
    }

    void CheckInvariants() const
    {
        const TMyCAD& cad = wb.Canvas();
        const int borderId = wb.State().BorderId;
        if (borderId >= 0 && (cad.ShapeById(borderId) == nullptr || cad.ShapeById(borderId)->Name() != "Border"))
            std::abort();
        for (const ResultTree::Entry& entry : wb.Tree().Entries())
            if (cad.ShapeById(entry.node.shapeId) == nullptr)
                std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = [] {
        MessageSink::SetHandler([](const QString&) {});
        return true;
    }();
    (void)silenced;
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.nvm"));
    const QString again = dir.filePath(QStringLiteral("again.nvm"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    Bench first;
    const bool complete = first.files.LoadMeasurement(path);
    first.CheckInvariants();
    if (complete && first.files.SaveMeasurement(again, false)) {
        Bench second;
        if (!second.files.LoadMeasurement(again))
            std::abort();
        second.CheckInvariants();
        if (second.wb.Tree().Count() != first.wb.Tree().Count())
            std::abort();
    }
    first.files.ClearMeasurement();
    first.CheckInvariants();
    return 0;
}
