// Makes two visits of the sample case for the comparison window's screenshot: the
// hairs of the sample's ground truth whose roots lie inside the exclusion circle,
// drawn on the imported sample picture (visit 1), and the same site after a
// treatment (visit 2: a third of the vellus hairs grown to terminal thickness, a
// few hairs more). Both are saved with the picture.
//   make_follow_up_sample EXCHANGE.ini TRUTH.json VISIT1.nvm VISIT2.nvm
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/HostImport.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>

#include <cstdio>

namespace {

class QuietPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

void DrawHairs(Workbench& wb, const QJsonArray& hairs, bool treated)
{
    int vellus = 0;
    for (const QJsonValue& value : hairs) {
        const QJsonObject hair = value.toObject();
        if (!hair["rootInsideCircle"].toBool())
            continue;
        int micrometres = hair["thicknessUm"].toInt();
        if (treated && micrometres <= 40 && vellus++ % 3 == 0)
            micrometres = 55 + vellus % 20;
        std::vector<QPointF> points;
        for (const QJsonValue& p : hair["points"].toArray())
            points.emplace_back(p.toArray()[0].toDouble(), p.toArray()[1].toDouble());
        if (points.size() < 2)
            continue;
        wb.Canvas().ClearSelection();
        // 200 pixels per millimetre: a slider step is 0.05 µm.
        wb.SetThicknessSlider(micrometres * 20);
        if (points.size() == 4)
            wb.Canvas().AddShape(SpPolyBezier, QString(), 0.0f, points, "Curve");
        else
            wb.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { points.front(), points.back() }, "Line");
    }
    if (treated)
        for (int i = 0; i < 12; ++i) {
            const double x = 900 + (i * 97) % 800;
            const double y = 600 + (i * 61) % 700;
            wb.Canvas().ClearSelection();
            wb.SetThicknessSlider(1300);
            wb.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 150, y + 60) }, "Line");
        }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_follow_up_sample EXCHANGE.ini TRUTH.json VISIT1.nvm VISIT2.nvm\n");
        return 2;
    }
    QFile truthFile(QString::fromLocal8Bit(argv[2]));
    if (!truthFile.open(QIODevice::ReadOnly))
        return 1;
    const QJsonArray hairs = QJsonDocument::fromJson(truthFile.readAll()).object()["hairs"].toArray();
    QuietPrompt prompt;
    Workbench wb(prompt);
    if (HostImport(wb).ImportHostFile(QString::fromLocal8Bit(argv[1])).status != HostImportResult::Imported)
        return 1;
    // Hairs are strokes, never filled: the brush the window sets at start-up.
    TMyBrush brush = wb.Canvas().Brush();
    brush.style = bsClear;
    wb.Canvas().SetBrush(brush);
    MeasurementFile files(wb);
    DrawHairs(wb, hairs, false);
    if (!files.SaveMeasurement(QString::fromLocal8Bit(argv[3]), true))
        return 1;
    files.ClearMeasurement();
    wb.ResultRows()[RowDate].text = QStringLiteral("12.09.2024");
    DrawHairs(wb, hairs, true);
    return files.SaveMeasurement(QString::fromLocal8Bit(argv[4]), true) ? 0 : 1;
}
