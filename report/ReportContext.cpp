#include "report/ReportContext.h"

#include "canvas/TMyCAD.h"
#include "common/MessageSink.h"
#include "report/ReportMessages.h"
#include "report/ReportPageOutput.h"
#include "report/ReportPrinter.h"
#include "report/ReportTemplate.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <exception>

namespace {

// Qt's PNG quality 80 is zlib level 1: half the time of the default for a page
// about a fifth larger.
constexpr int kPngQuality = 80;

// Pictures in a preview keep the detail of a 600-dpi print.
constexpr double kPreviewDpi = 600.0;

// Replaces a file by the bytes of another atomically.
bool ReplaceWith(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    QSaveFile out(target);
    if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = in.readAll();
        if (out.write(bytes) == bytes.size() && out.commit())
            return true;
    }
    if (error)
        *error = QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
    return false;
}

} // namespace

ReportContext::ReportContext()
    : m_design(std::make_unique<TMyCAD>())
{
    ResetDesign();
}

ReportContext::~ReportContext() = default;

void ReportContext::ResetDesign()
{
    ApplyDesignerSettings(*m_design);
}

void ReportContext::ApplyDesignerSettings(TMyCAD& canvas)
{
    canvas.SetTheUNIT(mm);
    canvas.SetPageOrientation(poPortrait);
    canvas.SetPageStyle(A4);
    canvas.SetZoom(1.0);
    canvas.SetArrowStyle(ANone);
    canvas.SetArrowAngle(10);
    canvas.SetArrowLength(30);
    canvas.SetArrowOffset(0);
    canvas.SetBkBitmapMode(Center);
    canvas.SetColorOfBackGround(0xFFFFFF);
    canvas.SetColorOfHot(0x808080);
    canvas.SetDragMode(dgBoth);
    canvas.SetDragTrace(true);
    TGridObject grid = canvas.GridOperation();
    grid.GridWidth = 20.0;
    grid.GridHeight = 20.0;
    grid.GridColor = 0xC0C0C0;
    grid.GridPenSize = 1;
    canvas.SetGridOperation(grid);
    canvas.SetLinklineAroundShape(true);
    canvas.SetMouseEffect(true);
    canvas.SetOperateAllLayer(true);
    canvas.SetPageFootAlignment(taRightJustify);
    canvas.SetPrintABorder(true);
    canvas.SetPrintBackground(false);
    canvas.SetRatio(1.0);
    canvas.SetResizeEnable(true);
    canvas.SetRotateEnable(true);
    canvas.SetRotateConstraintDegree(0);
    canvas.SetReturnToSelecting(true);
    canvas.SetSnap(true);
    canvas.SetXYMode(Mode0);
    TMyFont font = canvas.Font();
    font.name = QStringLiteral("Tahoma");
    font.SetSize(8);
    canvas.SetFont(font);
}

bool ReportContext::LoadReportTemplate(const QString& archivePath)
{
    return ReportTemplate::LoadReportTemplate(
        *m_design, archivePath, [this](const QString& text) { m_statusText = text; });
}

bool ReportContext::SaveReportTemplate(const QString& archivePath, QString* error)
{
    return ReportTemplate::SaveReportTemplate(*m_design, archivePath, error);
}

bool ReportContext::OpenReport(const QString& path)
{
    return ReportTemplate::OpenReportDesign(*m_design, path, [this](const QString& text) { m_statusText = text; });
}

void ReportContext::LoadResultData(const QString& path)
{
    m_resultFileName = path;
    m_variableRows = ReportVariables::ReadResultRows(path);
}

QString ReportContext::PreviewText(const QString& text, const QStringList& names) const
{
    return ReportVariables::FormatText(text, names, ReportVariables::ReadResultRows(m_resultFileName));
}

QPagedPaintDevice* ReportContext::Printer()
{
    if (!m_printer && InstalledPrinterFactory())
        m_printer = InstalledPrinterFactory()();
    return m_printer.get();
}

void ReportContext::SetPrinter(std::unique_ptr<QPagedPaintDevice> printer)
{
    m_printer = std::move(printer);
}

double ReportContext::OutputZoom(ReportOutput mode)
{
    const double screen = m_design->PixelsPerInch();
    if (mode == roPrint) {
        const QPagedPaintDevice* printer = Printer();
        return printer ? std::min(printer->logicalDpiX(), printer->logicalDpiY()) / screen : 1.0;
    }
    if (mode == roImage)
        return 1.0;
    return kPreviewDpi / screen; // the preview may be zoomed in
}

std::unique_ptr<TMyCAD> ReportContext::MakeWorkingCopy(double outputZoom, bool& filled)
{
    auto copy = ReportPageOutput::CopyCanvas(*m_design);
    if (!copy)
        return nullptr;
    ReportPageOutput::ShowAllLayers(*copy);
    filled = ReportVariables::FillReportVariables(*copy, m_resultFileName, outputZoom);
    return copy;
}

bool ReportContext::RunReport(ReportOutput mode)
{
    try {
        bool filled = false;
        const std::unique_ptr<TMyCAD> copy = MakeWorkingCopy(OutputZoom(mode), filled);
        if (!copy || (mode != roPrint && mode != roImage && mode != roPreview)) {
            MessageSink::Show(ReportMessages::kPrintError);
            return false;
        }
        if (!filled)
            return false; // the picture error has been shown
        const std::vector<int> layers = ReportPageOutput::AllLayerIds(*copy);
        if (mode == roPrint) {
            QPagedPaintDevice* printer = Printer();
            if (!printer || !ReportPageOutput::PrintLayers(*copy, *printer, layers, 1.0)) {
                MessageSink::Show(ReportMessages::kPrintError);
                return false;
            }
            return true;
        }
        if (mode == roPreview && m_presenter) {
            m_presenter->ShowPreview(*this, *copy);
            return true;
        }
        QImage page = ReportPageOutput::RenderLayers(*copy, layers, 1.0);
        if (page.isNull()) {
            MessageSink::Show(ReportMessages::kPrintError);
            return false;
        }
        if (mode == roPreview) {
            m_previewPage = std::move(page);
            return true;
        }
        m_imagePage = std::move(page);
        if (m_presenter)
            m_presenter->ShowImage(*this, m_imagePage);
        return true;
    } catch (const std::exception&) {
        MessageSink::Show(ReportMessages::kPrintError);
        return false;
    }
}

bool ReportContext::ExportReport(const QString& outPath, QString* error, int dpi)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QString suffix = QFileInfo(outPath).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png"))
        return fail(QStringLiteral("%1: a report is exported as .pdf or .png").arg(outPath));
    if (dpi < 36 || dpi > 1200)
        return fail(QStringLiteral("%1 dots per inch is outside 36 to 1200").arg(dpi));

    try {
        bool filled = false;
        const std::unique_ptr<TMyCAD> copy = MakeWorkingCopy(dpi / m_design->PixelsPerInch(), filled);
        if (!copy)
            return fail(QStringLiteral("the design could not be copied"));
        if (!filled)
            return fail(QStringLiteral("a picture of the report could not be loaded"));
        const std::vector<int> layers = ReportPageOutput::AllLayerIds(*copy);

        if (suffix == QLatin1String("png")) {
            QImage page = ReportPageOutput::RenderLayers(*copy, layers, dpi / copy->PixelsPerInch());
            if (page.isNull())
                return fail(QStringLiteral("the page is too large to render"));
            const int perMetre = qRound(dpi / 0.0254);
            page.setDotsPerMeterX(perMetre);
            page.setDotsPerMeterY(perMetre);
            QSaveFile out(outPath);
            QImageWriter writer(&out, "png");
            writer.setQuality(kPngQuality);
            if (!out.open(QIODevice::WriteOnly) || !writer.write(page) || !out.commit())
                return fail(QStringLiteral("cannot write %1: %2").arg(outPath, out.errorString()));
            return true;
        }

        // The PDF is written into a private folder and the finished file replaces
        // the target.
        QTemporaryDir folder;
        if (!folder.isValid())
            return fail(QStringLiteral("cannot create a temporary folder: ") + folder.errorString());
        const QString staged = folder.filePath(QStringLiteral("report.pdf"));
        QPdfWriter printer(staged);
        printer.setResolution(dpi);
        printer.setCreator(QStringLiteral("Prelvo"));
        const QSizeF pageMm(copy->PageWidth(), copy->PageHeight());
        const bool landscape = copy->PageOrientation() == poLandscape;
        printer.setPageLayout(QPageLayout(QPageSize(landscape ? pageMm.transposed() : pageMm, QPageSize::Millimeter),
            QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
        QString printError;
        if (!ReportPageOutput::PrintLayers(*copy, printer, layers, 1.0, &printError))
            return fail(printError);
        return ReplaceWith(staged, outPath, error);
    } catch (const std::exception& exception) {
        return fail(QString::fromUtf8(exception.what()));
    }
}
