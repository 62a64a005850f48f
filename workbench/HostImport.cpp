#include "workbench/HostImport.h"

#include "common/NumberText.h"
#include "workbench/MeasurementFile.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/Workbench.h"
#include "workbench/hostexchange/TInterfaceBA.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A path from the exchange file, relative to the exchange file's folder.
QString BesideExchangeFile(const QString& exchangePath, const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isAbsolute())
        return path;
    return QFileInfo(exchangePath).absoluteDir().filePath(path);
}

} // namespace

HostImportResult HostImport::OpenExchangeFile(const QString& exchangePath)
{
    if (!MeasurementFile(m_wb).ConfirmDiscard()) {
        HostImportResult declined;
        declined.status = HostImportResult::Declined;
        return declined;
    }
    return ImportHostFile(exchangePath, false);
}

HostImportResult HostImport::ImportHostFile(const QString& exchangePath, bool consumePicture)
{
    HostImportResult result;
    auto exchange = std::make_unique<TInterfaceBA>(TInterfaceBA::miReceive, m_programDirectory);
    TInterfaceBA& host = *exchange;
    m_wb.SetHostExchange(std::move(exchange));
    // A file without a picture record is refused by the reader as well.
    if (!host.Read(exchangePath)) {
        m_wb.Prompt().ShowMessage(QStringLiteral("Error reading image ini file!"));
        result.status = HostImportResult::ReadFailed;
        result.error = host.ErrorString();
        return result;
    }
    if (host.Count() < 1)
        return result;

    const structSubject subject = host.SubjectRecord(0);
    const structImage image = host.ImageRecord(0);
    const QString measurementPath
        = BesideExchangeFile(exchangePath, host.AdditionalValue(QStringLiteral("MeasureResultsFile")));

    // The host names the patient; its measurement file is that patient's too.
    auto setPatient = [&] {
        std::vector<TGridResult>& rows = m_wb.ResultRows();
        rows[RowName].text = subject.Name + QStringLiteral(", ") + subject.Firstname;
        rows[RowBirthdate].text = subject.Birthdate;
        rows[RowDate].text = image.Date + QLatin1Char(' ') + image.Time;
        m_wb.State().PatientDataMissing = false;
    };
    setPatient();

    MeasurementFile files(m_wb);
    const QString picturePath = BesideExchangeFile(exchangePath, image.Image);
    if (!files.LoadPicture(picturePath, consumePicture)) {
        result.status = HostImportResult::PictureFailed;
        result.error = files.LastError();
    }

    Calibration& calibration = m_wb.Scale();
    ScaleDialogModel& dialog = calibration.Dialog();
    const int pixelsPerMm = PixelsPerMillimetre(image.Pp100MM);
    if (pixelsPerMm > 0) {
        WorkbenchState& state = m_wb.State();
        state.RulerUnit = RulerMillimetres;
        state.UnitText = QStringLiteral("mm");
        state.AreaUnitText = QStringLiteral("mm²");
        state.Scale = 1.0 / pixelsPerMm;
        dialog.SelectUnitText(QStringLiteral("mm"));
        dialog.SetPixelLengthText(NumberText::Fixed(pixelsPerMm, 2, m_wb.DecimalSeparator()));
        dialog.SetScaleText(QStringLiteral("1"));
        calibration.ApplyScaleDialog(true);
    } else {
        dialog.SelectUnitText(QStringLiteral("Pixel"));
    }
    // The host's calibration replaces any bar already on the canvas.
    if (TMyShape* oldBar = m_wb.Canvas().ShapeById(m_wb.State().ScaleBarId)) {
        oldBar->SetLocked(false);
        m_wb.Canvas().DeleteShapeById(oldBar->ShapeId(), false);
        m_wb.State().ScaleBarId = -1;
    }
    calibration.CreateScaleBar(pixelsPerMm);

    const BorderCircle circle { image.ExclusionCircleX0InPixel, image.ExclusionCircleY0InPixel,
        image.ExclusionCircleRadiusInPixel };
    if (circle.Valid())
        m_wb.SetupEvaluatedField(circle.x0, circle.y0, circle.r);
    m_wb.RecomputeAll();

    if (!measurementPath.isEmpty() && QFileInfo(measurementPath).isFile() && files.ConfirmDiscard()) {
        result.measurementLoaded = files.LoadMeasurement(measurementPath);
        setPatient();
        m_wb.UpdateResultsGrid();
        if (!result.measurementLoaded && result.status == HostImportResult::Imported) {
            result.status = HostImportResult::MeasurementFailed;
            result.error = files.LastError();
        }
    }
    // The scale bar, the circle and the cleared marks are the host's, not the operator's edits.
    m_wb.Canvas().UndoList().Clear();
    return result;
}
