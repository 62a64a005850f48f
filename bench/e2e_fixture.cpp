// The helper of scripts/bench-e2e: makes the pictures and measurements that the
// end-to-end figures are taken on, and is the baseline those figures are divided by.
//
//   e2e_fixture picture WIDTH HEIGHT OUT.jpg     a photograph-like JPEG (quality 90): skin
//                                                shading, dark strands and sensor noise
//   e2e_fixture decode IN.jpg                    a plain libjpeg decode into fresh memory,
//                                                the baseline of every command's time
//   e2e_fixture measurement PICTURE OUT.nvm [N]  a calibrated measurement of PICTURE with its
//                                                exclusion circle and N hairs (default 1000),
//                                                saved with the picture
#include "bench/PhotoPicture.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

int WritePicture(int width, int height, const char* path)
{
    return WritePhotoJpeg(path, width, height) ? 0 : 1;
}

int Decode(const char* path)
{
    size_t bytes = 0;
    const auto pixels = PlainJpegDecode(path, bytes);
    if (!pixels)
        return 1;
    // One byte from every page, so that nothing of the decode can be left out.
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; i += 4096)
        sum += pixels[i];
    std::printf("%u\n", sum);
    return 0;
}

class QuietPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

int WriteMeasurement(const QString& picture, const QString& out, int hairs)
{
    QuietPrompt prompt;
    Workbench wb(prompt);
    wb.Canvas().SetUndoRedoSize(0);
    MeasurementFile files(wb);
    if (!files.LoadPicture(picture, false)) {
        std::fprintf(stderr, "%s\n", qPrintable(files.LastError()));
        return 1;
    }
    const int width = wb.State().ImageWidth;
    const int height = wb.State().ImageHeight;
    ScaleDialogModel& dialog = wb.Scale().Dialog();
    dialog.SelectUnitText(QStringLiteral("mm"));
    dialog.SetPixelLengthText(QStringLiteral("200"));
    dialog.SetScaleText(QStringLiteral("1"));
    wb.Scale().ApplyScaleDialog(true);
    wb.Scale().CreateScaleBar(200);
    wb.SetupEvaluatedField(width / 2, height / 2, std::min(width, height) * 2 / 5);
    TMyCAD& cad = wb.Canvas();
    for (int i = 0; i < hairs; ++i) {
        const double x = 100 + (i * 37) % std::max(1, width - 200);
        const double y = 100 + (i * 53) % std::max(1, height - 200);
        wb.SetThicknessSlider(300 + i % 900);
        if (i % 10 < 6)
            cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 90, y + 30) }, "Line");
        else if (i % 10 < 9)
            cad.AddShape(SpPolyBezier, QString(), 0.0f,
                { QPointF(x, y), QPointF(x + 25, y - 20), QPointF(x + 50, y - 20), QPointF(x + 75, y) }, "Curve");
        else
            cad.AddShape(SpEllipse, QString(), 0.0f,
                { QPointF(x, y), QPointF(x + 30, y), QPointF(x + 30, y + 22), QPointF(x, y + 22) }, "Unit");
    }
    if (!files.SaveMeasurement(out, true)) {
        std::fprintf(stderr, "%s\n", qPrintable(files.LastError()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("picture") && argc == 5)
        return WritePicture(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    if (command == QLatin1String("decode") && argc == 3)
        return Decode(argv[2]);
    if (command == QLatin1String("measurement") && (argc == 4 || argc == 5))
        return WriteMeasurement(
            QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), argc == 5 ? std::atoi(argv[4]) : 1000);
    std::fprintf(
        stderr, "usage: e2e_fixture picture W H OUT.jpg | decode IN.jpg | measurement PICTURE OUT.nvm [HAIRS]\n");
    return 2;
}
