// The picture commands of MeasurementFile: loading a picture as the canvas
// background and saving the canvas as a picture.
#include "workbench/MeasurementFile.h"

#include "common/TNVFreeImage.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/Workbench.h"

#include <QFile>
#include <QFileInfo>

const QString MeasurementFile::kPictureSaveFilter = QStringLiteral(
    "Bitmaps (*.bmp)|*.bmp|Windows Meta file (*.wmf)|*.wmf|JPEG Image File (*.jpg)|*.jpg|DXF (*.dxf)|*.dxf|"
    "DXF1(*.dxf1)|*.dxf1");
const QString MeasurementFile::kPictureOpenFilter = QStringLiteral(
    "All(*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd)|*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|TIFF (*.tif)|*.tif|"
    "GIF (*.gif)|*.gif|Icons (*.ico)|*.ico|Photoshop (*.psd)|*.psd|PNG (*.png)|*.png");

QString MeasurementFile::StatusImageName(const QString& path)
{
    static const QString kDatabasePrefix = QStringLiteral("NVTempImageDB_");
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith(kDatabasePrefix))
        return QStringLiteral("DB: ") + name.mid(kDatabasePrefix.size(), 128);
    return name;
}

void MeasurementFile::SetPictureStatus(const QString& name, int width, int height)
{
    WorkbenchState& state = m_wb.State();
    state.ImageWidth = width;
    state.ImageHeight = height;
    state.ui.statusImageName = name;
    state.ui.statusImageSize
        = QStringLiteral("W: ") + QString::number(width) + QStringLiteral("  H: ") + QString::number(height);
}

bool MeasurementFile::LoadPicture(const QString& path, bool consume)
{
    // The step marker tells support where a load stopped.
    QString marker = QStringLiteral("-0");
    auto fail = [&](const QString& reason) {
        return Fail(
            QStringLiteral("Error #2088: ") + reason + QStringLiteral(" [") + path + QStringLiteral("]") + marker,
            path + QStringLiteral(": ") + reason);
    };
    QString reason;
    std::unique_ptr<DibBitmap> bitmap = TNVFreeImage().Load(path, &reason);
    marker = QStringLiteral("-1");
    if (!bitmap)
        return fail(reason.isEmpty() ? QStringLiteral("the picture cannot be decoded") : reason);
    if (!bitmap->ConvertTo24Bits())
        return fail(QStringLiteral("the picture does not fit into memory"));
    QImage picture = bitmap->ToQImage();
    bitmap.reset();
    marker = QStringLiteral("-2");
    if (picture.isNull())
        return fail(QStringLiteral("the picture does not fit into memory"));
    marker = QStringLiteral("-3");

    TMyCAD& cad = m_wb.Canvas();
    cad.SetBkBitmap(picture);
    if (cad.BkBitmap().isNull())
        return fail(QStringLiteral("the picture does not fit into memory"));
    cad.SetBkBitmapMode(Stretch);
    SetPictureStatus(StatusImageName(path), picture.width(), picture.height());
    m_wb.State().ImageLoaded = true;
    marker = QStringLiteral("-4");
    m_wb.SetZoomSlider(m_wb.State().ui.zoomPosition, {});
    cad.Invalidate();
    // A handed-over picture is consumed only once it is safely on the canvas, so a
    // failed load never loses the host's copy.
    if (consume && QFileInfo::exists(path))
        QFile::remove(path);
    return true;
}

bool MeasurementFile::LoadPictureCommand()
{
    const auto path
        = m_wb.Prompt().AskFileName({ m_wb.Texts().Text(QStringLiteral("FilterPictureOpen")), QString(), false });
    if (!path)
        return false;
    // A failed load keeps the previous picture, and with it its measurement.
    if (!LoadPicture(*path, false))
        return false;
    ClearMeasurement();
    RebuildBorder();
    return true;
}

void MeasurementFile::RebuildBorder()
{
    // The camera set-up (calibration, exclusion circle) outlives a picture change,
    // but the evaluated field depends on the picture's size, so it is counted again.
    const auto circle = CircleOfBorder(m_wb.Canvas().ShapeById(m_wb.State().BorderId));
    if (circle && circle->Valid())
        m_wb.SetupEvaluatedField(circle->x0, circle->y0, circle->r);
}

bool MeasurementFile::SavePictureCommand()
{
    const auto path = m_wb.Prompt().AskFileName(
        { m_wb.Texts().Text(QStringLiteral("FilterPictureSave")), QStringLiteral("bmp"), true });
    if (!path)
        return false;
    const QString suffix = QFileInfo(*path).suffix();
    // The menu command offers the formats of its dialog only; the others are the
    // command-line tool's.
    if (suffix == QLatin1String("svg") || suffix == QLatin1String("png"))
        return false;
    // The extension is compared exactly: "BMP" is no bitmap name.
    bool written = false;
    SavePicture(*path, suffix, &written);
    return written;
}

bool MeasurementFile::SavePicture(const QString& path, const QString& format, bool* written)
{
    if (written)
        *written = false;
    TMyCAD& cad = m_wb.Canvas();
    const QString& suffix = format;
    bool ok = false;
    if (suffix == QLatin1String("bmp"))
        ok = cad.ExportBitmap(path);
    else if (suffix == QLatin1String("jpg"))
        ok = cad.ExportJpeg(path, 80);
    else if (suffix == QLatin1String("wmf"))
        ok = cad.ExportMetafile(path);
    else if (suffix == QLatin1String("dxf"))
        ok = cad.ExportDxf(path);
    else if (suffix == QLatin1String("dxf1"))
        ok = cad.ExportDxfOutlined(path);
    else if (suffix == QLatin1String("svg"))
        ok = cad.ExportSvg(path);
    else if (suffix == QLatin1String("png"))
        ok = cad.ExportPng(path);
    else
        return true;
    if (written)
        *written = ok;
    if (!ok) {
        const QString reason = path + QStringLiteral(": cannot be written (") + cad.LastError() + QLatin1Char(')');
        return Fail(reason, reason);
    }
    return true;
}
