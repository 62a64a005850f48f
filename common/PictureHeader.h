#pragma once

#include <QByteArrayView>
#include <QString>

// What a picture file's header declares, read by small bounded readers of our own before
// any decoder sees the file: the size the decoder will allocate, and whether the file
// holds all the data the header promises. Every reader stays inside the bytes it is
// given and takes time linear in them.
struct PictureHeader
{
    bool sizeKnown = false; // width, height and decodeBitsPerPixel are filled in
    qint64 width = 0;
    qint64 height = 0;
    double decodeBitsPerPixel = 0; // of the biggest buffer the decoder allocates for it
    QString problem; // the header is damaged or the data ends early; empty when neither

    // Reads the header of a picture whose format FreeImage recognised (a
    // FREE_IMAGE_FORMAT). Formats without a reader here give an empty result.
    static PictureHeader Read(int freeImageFormat, QByteArrayView bytes);
};
