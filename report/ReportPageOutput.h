#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

class QPagedPaintDevice;
class TMyCAD;

// The page output of a report canvas: to a picture, to a printer (or a PDF file
// through Qt's PDF printer), and the copies through memory streams that every
// output works on.
namespace ReportPageOutput {

// The ids of all layers of the canvas.
std::vector<int> AllLayerIds(const TMyCAD& canvas);

// Makes every layer visible: a report prints the shapes of hidden layers too.
void ShowAllLayers(TMyCAD& canvas);

// Copies a canvas into a fresh one through a memory stream (save, rewind, load),
// as the working copy and the preview's canvas are made. Nothing when the stream
// does not read back.
std::unique_ptr<TMyCAD> CopyCanvas(TMyCAD& source, QString* error = nullptr);

// The page rendered into a picture at `scale` (1.0 is the design's size on the
// screen): page millimetres x scale x screen pixels per inch / 25.4, rounded, so A4
// at scale 1 and 96 pixels per inch is 794 x 1123. Null when too large to allocate.
QImage RenderLayers(TMyCAD& canvas, const std::vector<int>& layerIds, double scale);

// Prints the page as one job: zoom = scale x the printer's smaller resolution /
// the screen's pixels per inch, so the page prints at its true size; the printer
// takes the page's orientation. The canvas's zoom is kept. False with the reason
// when the job cannot be started.
bool PrintLayers(TMyCAD& canvas, QPagedPaintDevice& printer, const std::vector<int>& layerIds, double scale,
    QString* error = nullptr);

} // namespace ReportPageOutput
