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

bool MeasurementFile::LoadPicture(const QString& path, bool consume, const LongWorkRunner& runner)
{
    // The step marker tells support where a load stopped.
    QString marker = QStringLiteral("-0");
    auto fail = [&](const QString& reason) {
        return Fail(
            QStringLiteral("Error #2088: ") + reason + QStringLiteral(" [") + path + QStringLiteral("]") + marker,
            path + QStringLiteral(": ") + reason);
    };
    // Decoding touches neither the canvas nor the workbench, so the window runs it
    // beside the painting window; the picture is taken over on the caller's thread.
    enum class Decoded { Unreadable, TooLarge, Picture } decoded = Decoded::Unreadable;
    QString reason;
    QImage picture;
    const LongWork decode = [&](const ProgressReport& report) {
        std::unique_ptr<DibBitmap> bitmap = TNVFreeImage().Load(path, &reason);
        if (bitmap) {
            decoded = Decoded::TooLarge;
            if (bitmap->ConvertTo24Bits()) {
                // The decoded pixels become the picture: no second copy of it is made.
                picture = bitmap->TakeQImage();
                decoded = Decoded::Picture;
            }
        }
        return !report || report(1, 1);
    };
    if (!(runner ? runner(decode) : decode({}))) {
        // Cancelled by the operator: the previous picture stays, nothing to report.
        m_lastError = path + QStringLiteral(": loading was cancelled");
        return false;
    }
    marker = QStringLiteral("-1");
    if (decoded == Decoded::Unreadable)
        return fail(reason.isEmpty() ? QStringLiteral("the picture cannot be decoded") : reason);
    if (decoded == Decoded::TooLarge)
        return fail(QStringLiteral("the picture does not fit into memory"));
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

bool MeasurementFile::LoadPictureCommand(const LongWorkRunner& runner)
{
    const auto path
        = m_wb.Prompt().AskFileName({ m_wb.Texts().Text(QStringLiteral("FilterPictureOpen")), QString(), false });
    if (!path)
        return false;
    // A failed load keeps the previous picture, and with it its measurement.
    if (!LoadPicture(*path, false, runner))
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

bool MeasurementFile::SavePictureCommand(const LongWorkRunner& runner)
{
    const auto path = m_wb.Prompt().AskFileName(
        { m_wb.Texts().Text(QStringLiteral("FilterPictureSave")), QStringLiteral("bmp"), true });
    if (!path)
        return false;
    // "x.BMP" is a bitmap as much as "x.bmp"; a name the export cannot write is
    // said so, never passed over in silence.
    const QString format = PictureFormatOf(*path);
    if (format.isEmpty()) {
        const QString message
            = *path + QStringLiteral(": ") + m_wb.Texts().Text(QStringLiteral("MessagePictureFormats"));
        return Fail(message, message);
    }
    bool written = false;
    SavePicture(*path, format, &written, runner);
    return written;
}

QString MeasurementFile::PictureFormatOf(const QString& path)
{
    QString format = QFileInfo(path).suffix().toLower();
    if (format == QLatin1String("jpeg"))
        format = QStringLiteral("jpg");
    static const QStringList formats { QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("wmf"),
        QStringLiteral("dxf"), QStringLiteral("dxf1"), QStringLiteral("svg"), QStringLiteral("png") };
    return formats.contains(format) ? format : QString();
}

bool MeasurementFile::SavePicture(
    const QString& path, const QString& format, bool* written, const LongWorkRunner& runner)
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
    else if (suffix == QLatin1String("png")) {
        bool cancelled = false;
        const LongWork work = [&](const ProgressReport& report) {
            if (!report)
                return cad.ExportPng(path);
            return cad.ExportPng(path, [&](int done, int total) {
                cancelled = !report(done, total);
                return !cancelled;
            });
        };
        ok = runner ? runner(work) : work({});
        if (cancelled)
            return false; // the operator's choice: no message
    } else
        return true;
    if (written)
        *written = ok;
    if (!ok) {
        const QString reason = path + QStringLiteral(": cannot be written (") + cad.LastError() + QLatin1Char(')');
        return Fail(reason, reason);
    }
    return true;
}
