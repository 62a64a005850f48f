#pragma once

#include "canvas/TMyRectangle.h"

#include <QImage>

// A picture in a box, drawn with optional grey scale, contrast and brightness.
class TMyImage : public TMyRectangle
{
public:
    using TMyRectangle::TMyRectangle;
    const char* ClassName() const override { return "TMyImage"; }
    ShapeKind Kind() const override { return ShapeKind::Image; }

    const QImage& Bitmap() const { return m_bitmap; }
    // Keeps the picture as 24 bits and, when the shape has its four corners, sizes
    // the box to the picture (node 0 stays, the others follow width and height / Zoom).
    void SetBitmap(const QImage& picture);
    bool Border() const { return m_border; }
    void SetBorder(bool value) { m_border = value; }
    int Brightness() const { return m_brightness; }
    // Accepts -255..255; other values are ignored.
    void SetBrightness(int value);
    int Contrast() const { return m_contrast; }
    // Accepts -255..255; other values are ignored.
    void SetContrast(int value);
    bool GrayScale() const { return m_grayScale; }
    void SetGrayScale(bool value) { m_grayScale = value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }
    // The picture as it is drawn: grey scale, contrast, brightness, mirroring and the
    // transparent colour applied. Kept until the picture or one of its settings changes.
    const QImage& AdjustedBitmap() const;

    // Copies the picture and its settings only when the source is exactly a TMyImage.
    void Assign(const TMyShape& source) override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    QImage m_bitmap;
    bool m_border = false;
    int m_brightness = 0;
    int m_contrast = 0;
    bool m_grayScale = false;
    bool m_transparent = false;
    mutable QImage m_adjusted;
    mutable quint64 m_adjustedKey = 0;
};
