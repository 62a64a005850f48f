// pelorix-cli detect: the automatic hair detection of "Haare erkennen" on one
// picture, as JSON; optionally saved as a measurement with the proposals accepted.
#include "app/cli/CliSession.h"
#include "app/cli/CliSupport.h"

#include "common/NumberText.h"
#include "workbench/detection/HairDetector.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace {

double Rounded(double value, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::round(value * f) / f;
}

QJsonArray Points(const std::vector<QPointF>& points)
{
    QJsonArray array;
    for (const QPointF& p : points)
        array.append(QJsonArray { Rounded(p.x(), 1), Rounded(p.y(), 1) });
    return array;
}

// "X0,Y0,R" in image pixels, R > 0.
std::optional<detection::Field> ParseField(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return std::nullopt;
    double values[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        // Picture pixels: the saved field holds them as whole numbers.
        if (!ok || !std::isfinite(values[i]) || std::abs(values[i]) > 1e7)
            return std::nullopt;
    }
    if (values[2] <= 0.0)
        return std::nullopt;
    return detection::Field { values[0], values[1], values[2] };
}

// The calibration a host hands over as whole pixels per millimetre, here with any value.
void CalibrateMillimetres(Workbench& workbench, double pixelsPerMm)
{
    WorkbenchState& state = workbench.State();
    Calibration& calibration = workbench.Scale();
    ScaleDialogModel& dialog = calibration.Dialog();
    state.RulerUnit = RulerMillimetres;
    state.UnitText = QStringLiteral("mm");
    state.AreaUnitText = QStringLiteral("mm²");
    state.Scale = 1.0 / pixelsPerMm;
    dialog.SelectUnitText(QStringLiteral("mm"));
    dialog.SetPixelLengthText(NumberText::Fixed(pixelsPerMm, 2, workbench.DecimalSeparator()));
    dialog.SetScaleText(QStringLiteral("1"));
    calibration.ApplyScaleDialog(true);
    calibration.CreateScaleBar(int(std::lround(pixelsPerMm)));
}

} // namespace

int DetectCommand(const QStringList& args)
{
    const QString usage
        = QStringLiteral("detect PICTURE [--pixels-per-mm P] [--field X0,Y0,R] [--save OUT.nvm] [--with-picture]");
    const auto parsed
        = ParseArgs(args, { QStringLiteral("--pixels-per-mm"), QStringLiteral("--field"), QStringLiteral("--save") },
            { QStringLiteral("--with-picture") });
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(usage);
    double pixelsPerMm = 0.0;
    if (const auto text = parsed->Option(QStringLiteral("--pixels-per-mm"))) {
        bool ok = false;
        pixelsPerMm = text->toDouble(&ok);
        if (!ok || !std::isfinite(pixelsPerMm) || pixelsPerMm <= 0.0 || pixelsPerMm > 100000.0)
            return UsageError(usage,
                QStringLiteral("detect: --pixels-per-mm needs a number above 0 and up to 100000, not \"%1\"")
                    .arg(*text));
        if (!detection::CalibrationSupported(pixelsPerMm))
            return InputError(QStringLiteral("detect: at %1 pixels per mm the picture shows no hairs that can be "
                                             "detected; hair detection needs %2 to %3 pixels per mm")
                                  .arg(pixelsPerMm)
                                  .arg(detection::kMinPixelsPerMm)
                                  .arg(detection::kMaxPixelsPerMm));
    }
    std::optional<detection::Field> field;
    if (const auto text = parsed->Option(QStringLiteral("--field"))) {
        field = ParseField(*text);
        if (!field)
            return UsageError(usage,
                QStringLiteral("detect: --field needs X0,Y0,R in picture pixels (R above 0, no value beyond "
                               "10000000), not \"%1\"")
                    .arg(*text));
    }
    const auto savePath = parsed->Option(QStringLiteral("--save"));
    if (parsed->Flag(QStringLiteral("--with-picture")) && !savePath)
        return UsageError(usage, QStringLiteral("detect: --with-picture goes with --save"));

    const QString path = parsed->positional[0];
    CliSession session;
    if (!QFileInfo(path).isFile())
        return InputError(path + QStringLiteral(": the file does not exist"));
    // The workbench's picture loader, as "Bild laden ..." reads it (never deleting it).
    if (!session.files.LoadPicture(path, false))
        return InputError(session.files.LastError());
    const QImage& picture = session.workbench.Canvas().BkBitmap();

    detection::Options options;
    options.pixelsPerMm = pixelsPerMm;
    options.field = field;
    QElapsedTimer timer;
    timer.start();
    const detection::Result result = detection::DetectHairs(picture, options);
    const qint64 elapsed = timer.elapsed();

    const double unitPerPixel = pixelsPerMm > 0.0 ? 1.0 / pixelsPerMm : 1.0;
    QJsonArray hairs;
    for (const detection::Hair& hair : result.hairs) {
        hairs.append(QJsonObject {
            { QStringLiteral("kind"), hair.curved ? QStringLiteral("curve") : QStringLiteral("line") },
            { QStringLiteral("nodes"), Points(hair.nodes) },
            { QStringLiteral("path"), Points(hair.path) },
            { QStringLiteral("thicknessUm"),
                Rounded(pixelsPerMm > 0.0 ? hair.thicknessPx * 1000.0 * unitPerPixel : hair.thicknessPx, 1) },
            { QStringLiteral("lengthMm"), Rounded(hair.lengthPx * unitPerPixel, pixelsPerMm > 0.0 ? 4 : 1) },
            { QStringLiteral("confidence"), Rounded(hair.confidence, 3) },
        });
    }

    if (savePath) {
        if (pixelsPerMm > 0.0)
            CalibrateMillimetres(session.workbench, pixelsPerMm);
        if (field)
            session.workbench.SetupEvaluatedField(
                int(std::lround(field->x0)), int(std::lround(field->y0)), int(std::lround(field->radius)));
        session.workbench.ShowProposals(result.hairs);
        session.workbench.AcceptProposals();
        if (!session.files.SaveMeasurement(*savePath, parsed->Flag(QStringLiteral("--with-picture"))))
            return InputError(session.files.LastError());
    }

    PrintJson(QJsonDocument(QJsonObject {
        { QStringLiteral("pixelsPerMm"), pixelsPerMm > 0.0 ? QJsonValue(pixelsPerMm) : QJsonValue() },
        { QStringLiteral("elapsedMs"), elapsed },
        { QStringLiteral("hairs"), hairs },
    }));
    return session.Succeed();
}
