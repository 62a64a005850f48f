#pragma once

#include <QPolygonF>
#include <QRectF>

#include <vector>

// What the canvas shows over the drawing while a gesture is under way: outlines of
// shapes being drawn, dragged, resized or rotated, and the selection rubber band.
// Everything is in screen pixels of the control. The renderer draws the outlines
// with a white dotted pen and the band with a dotted pen between the canvas's pen
// colour and white; nothing is drawn on the screen directly.
struct TraceOverlay
{
    // Open poly lines; a closed outline repeats its first point at the end.
    std::vector<QPolygonF> outlines;
    // The rubber band; a null rectangle when no band is shown.
    QRectF selectionBand;

    bool IsEmpty() const { return outlines.empty() && selectionBand.isNull(); }
    bool operator==(const TraceOverlay& other) const = default;
};

class TMyShape;

// The outline of one shape (not its members) in screen pixels at the zoom.
QPolygonF ScreenOutline(const TMyShape& shape, double zoom);
