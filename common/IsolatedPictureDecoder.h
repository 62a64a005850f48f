#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

struct FIBITMAP;

// Decodes a picture in a pelorix-picture-decoder process (see PictureDecoderProtocol.h)
// and builds the FreeImage bitmap it decoded in this process.
struct IsolatedPictureDecoder
{
    QString program; // the decoder program; empty when it could not be found
    qint64 memoryBytes = 0; // the decoder's address-space limit
    int milliseconds = 0; // wall-clock deadline; the processor-time limit follows from it
    // Checks the size the decoder reports before memory for it is allocated here; returns
    // the reason for refusing it, or empty.
    std::function<QString(qint64 width, qint64 height, double bitsPerPixel)> checkSize;

    struct Result
    {
        FIBITMAP* bitmap = nullptr; // owned by the caller
        int format = -1; // what the decoder recognised (FREE_IMAGE_FORMAT)
        QString messages; // FreeImage's complaints while decoding
        QString error; // why there is no bitmap
    };
    // Decodes the file at path, or the bytes when path is empty.
    Result Decode(const QString& path, QByteArrayView bytes) const;
};
