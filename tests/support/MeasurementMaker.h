#pragma once

// Builds measurement files for the follow-up tests and the batch benchmark: a
// calibrated field with an exclusion circle, straight hairs of given thicknesses
// and follicular units, saved with or without a picture. Header-only: users link
// the workbench library.
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QImage>
#include <QPointF>
#include <QString>

#include <vector>

namespace MeasurementMaker {

struct Spec
{
    int pixelsPerMm = 100; // 0.01 mm per pixel: a thickness slider value T is T / 10 µm
    int x0 = 600;
    int y0 = 600;
    int r = 500; // 5 mm: about 0.785 cm²
    std::vector<int> thicknesses; // slider values of the straight hairs, one hair each
    int follicularUnits = 0;
    QString patient; // the name row ("" leaves it empty)
    QString date; // the picture date row
    bool withPicture = false;
    int pictureWidth = 1200;
    int pictureHeight = 1200;
};

class SilentPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString&) override { }
    void ShowInformation(const QString&, const QString&) override { }
};

inline bool Write(const QString& path, const Spec& spec)
{
    SilentPrompt prompt;
    Workbench wb(prompt);
    wb.Canvas().SetUndoRedoSize(0);
    if (spec.withPicture) {
        QImage picture(spec.pictureWidth, spec.pictureHeight, QImage::Format_BGR888);
        picture.fill(qRgb(180, 140, 120));
        wb.Canvas().SetBkBitmap(picture);
    }
    wb.State().ImageLoaded = true;
    wb.State().ImageWidth = spec.pictureWidth;
    wb.State().ImageHeight = spec.pictureHeight;
    ScaleDialogModel& dialog = wb.Scale().Dialog();
    dialog.SelectUnitText(QStringLiteral("mm"));
    dialog.SetPixelLengthText(QString::number(spec.pixelsPerMm));
    dialog.SetScaleText(QStringLiteral("1"));
    wb.Scale().ApplyScaleDialog(true);
    wb.Scale().CreateScaleBar(spec.pixelsPerMm);
    wb.SetupEvaluatedField(spec.x0, spec.y0, spec.r);
    TMyCAD& cad = wb.Canvas();
    for (size_t i = 0; i < spec.thicknesses.size(); ++i) {
        const double x = spec.x0 - spec.r / 2 + double((i * 37) % size_t(spec.r));
        const double y = spec.y0 - spec.r / 2 + double((i * 53) % size_t(spec.r));
        cad.ClearSelection();
        wb.SetThicknessSlider(spec.thicknesses[i]);
        cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 40, y + 12) }, "Line");
    }
    for (int i = 0; i < spec.follicularUnits; ++i) {
        const double x = spec.x0 - 200 + (i * 29) % 400;
        const double y = spec.y0 - 200 + (i * 31) % 400;
        cad.AddShape(SpEllipse, QString(), 0.0f,
            { QPointF(x, y), QPointF(x + 12, y), QPointF(x + 12, y + 9), QPointF(x, y + 9) }, "Unit");
    }
    if (!spec.patient.isEmpty())
        wb.ResultRows()[RowName].text = spec.patient;
    if (!spec.date.isEmpty())
        wb.ResultRows()[RowDate].text = spec.date;
    return MeasurementFile(wb).SaveMeasurement(path, spec.withPicture);
}

} // namespace MeasurementMaker
