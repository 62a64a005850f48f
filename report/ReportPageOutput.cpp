#include "report/ReportPageOutput.h"

#include "canvas/TMyCAD.h"
#include "report/ReportTemplate.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ReportPageOutput {

namespace {

// Larger pages are refused rather than allocated (A0 at 1200 dpi is about 2^30).
constexpr double kMaxPagePixels = double(1 << 28);

} // namespace

std::vector<int> AllLayerIds(const TMyCAD& canvas)
{
    std::vector<int> ids;
    ids.reserve(canvas.Layers().size());
    for (const LayerRec& layer : canvas.Layers())
        ids.push_back(layer.layerId);
    return ids;
}

void ShowAllLayers(TMyCAD& canvas)
{
    for (const int id : AllLayerIds(canvas))
        canvas.ShowLayer(id);
}

std::unique_ptr<TMyCAD> CopyCanvas(TMyCAD& source, QString* error)
{
    auto copy = std::make_unique<TMyCAD>();
    if (!ReportTemplate::LoadCanvasBytes(*copy, ReportTemplate::CanvasBytes(source), error))
        return nullptr;
    return copy;
}

QImage RenderLayers(TMyCAD& canvas, const std::vector<int>& layerIds, double scale)
{
    const double perMm = scale * canvas.PixelsPerInch() / 25.4;
    const double pixels = double(canvas.PageWidth()) * perMm * double(canvas.PageHeight()) * perMm;
    if (!(scale > 0.0) || !(pixels <= kMaxPagePixels))
        return QImage();
    return canvas.RenderPage(layerIds, scale);
}

bool PrintLayers(
    TMyCAD& canvas, QPagedPaintDevice& printer, const std::vector<int>& layerIds, double scale, QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    printer.setPageOrientation(
        canvas.PageOrientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The page is laid out on the whole sheet, as the preview and the PDF show it:
    // the printer's margins must not move the footer into the designed frame.
    QPageLayout layout = printer.pageLayout();
    layout.setMode(QPageLayout::FullPageMode);
    printer.setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(&printer))
        return fail(QStringLiteral("the print job could not be started"));
    const double dpi = std::min(printer.logicalDpiX(), printer.logicalDpiY());
    const double zoom = scale * dpi / canvas.PixelsPerInch();
    const QSize page = printer.pageLayout().fullRectPixels(printer.logicalDpiX()).size();
    canvas.PaintPage(painter, page, zoom, layerIds, true);
    if (!painter.end())
        return fail(QStringLiteral("the print job could not be finished"));
    return true;
}

} // namespace ReportPageOutput
