#include "common/IsolatedPictureDecoder.h"

#include "common/ChildProcess.h"
#include "common/PictureDecoderProtocol.h"

#include <FreeImage.h>

#include <QByteArray>

#include <cmath>

namespace {

using namespace PictureDecoderProtocol;

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using BitmapPtr = std::unique_ptr<FIBITMAP, BitmapDeleter>;

QString Unreadable(const QString& why)
{
    return QStringLiteral("picture could not be read: ") + why;
}

QString Seconds(int milliseconds)
{
    return QString::number(milliseconds / 1000.0, 'f', 1) + QStringLiteral(" s");
}

} // namespace

IsolatedPictureDecoder::Result IsolatedPictureDecoder::Decode(const QString& path, QByteArrayView bytes) const
{
    Result result;
    if (program.isEmpty()) {
        result.error = Unreadable(
            QStringLiteral("the picture decoder %1 is missing beside the program").arg(QLatin1String(kProgramName)));
        return result;
    }
    const int cpuSeconds = int(std::ceil(milliseconds / 1000.0)) + 1;
    QStringList arguments { QString::number(memoryBytes), QString::number(cpuSeconds) };
    if (!path.isEmpty())
        arguments << path;

    ChildProcess child;
    QString startError;
    if (!child.Start(program, arguments, &startError)) {
        result.error = Unreadable(startError);
        return result;
    }
    const QDeadlineTimer deadline(milliseconds);
    // A decoder that gives up early stops reading its input; its reply tells why.
    if (path.isEmpty())
        child.Write(bytes.data(), bytes.size(), deadline);
    child.CloseInput();

    ReplyHeader reply;
    BitmapPtr bitmap;
    QByteArray messages;
    QString refusal;
    bool complete = child.Read(reinterpret_cast<char*>(&reply), sizeof reply, deadline) && reply.magic == kMagic
        && reply.messageBytes <= 1u << 20;
    if (complete) {
        messages.resize(reply.messageBytes);
        complete = child.Read(messages.data(), messages.size(), deadline);
    }
    if (complete && reply.status == kDecoded) {
        const auto type = FREE_IMAGE_TYPE(reply.type);
        refusal = checkSize ? checkSize(reply.width, reply.height, reply.bpp) : QString();
        if (refusal.isEmpty() && type >= FIT_BITMAP && type <= FIT_RGBAF)
            bitmap.reset(FreeImage_AllocateT(type, int(reply.width), int(reply.height), int(reply.bpp), reply.redMask,
                reply.greenMask, reply.blueMask));
        if (refusal.isEmpty() && !bitmap)
            refusal = Unreadable(QStringLiteral("the decoder described a bitmap that cannot be made (%1 x %2, %3 bits)")
                                     .arg(reply.width)
                                     .arg(reply.height)
                                     .arg(reply.bpp));
        const unsigned colours
            = bitmap && FreeImage_GetPalette(bitmap.get()) != nullptr ? FreeImage_GetColorsUsed(bitmap.get()) : 0;
        if (bitmap) {
            if (FreeImage_GetPitch(bitmap.get()) != reply.pitch || colours != reply.paletteEntries) {
                refusal = Unreadable(QStringLiteral("the decoder's reply does not fit its bitmap"));
                bitmap.reset();
            }
        }
        if (bitmap) {
            complete = (colours == 0
                           || child.Read(reinterpret_cast<char*>(FreeImage_GetPalette(bitmap.get())),
                               qint64(reply.paletteEntries) * 4, deadline))
                && child.Read(reinterpret_cast<char*>(FreeImage_GetBits(bitmap.get())),
                    qint64(reply.pitch) * reply.height, deadline);
        }
    }
    const bool readTimedOut = child.TimedOut();
    // A decoder that has said all it had to, or closed its output early, ends at once (the
    // deadline still holds); one that ran out of time is killed without waiting.
    const ChildProcess::Exit exit = child.Finish(complete ? QDeadlineTimer(1000) : deadline, readTimedOut);
    result.messages = QString::fromUtf8(messages).simplified();
    if (complete && reply.status == kDecoded && refusal.isEmpty() && bitmap) {
        result.format = reply.format;
        result.bitmap = bitmap.release();
        return result;
    }
    if (!refusal.isEmpty())
        result.error = refusal;
    else if (complete && reply.status == kNotRecognised)
        result.error = QStringLiteral("contents are not a picture Pelorix can read (format not recognised)");
    else if (complete)
        result.error = Unreadable(QStringLiteral("FreeImage could not decode it (damaged or unsupported)"));
    else if (readTimedOut || exit.timedOut)
        result.error
            = Unreadable(QStringLiteral("decoding took longer than %1 (damaged file?)").arg(Seconds(milliseconds)));
    else if (exit.cpuLimit)
        result.error = Unreadable(
            QStringLiteral("decoding took more than %1 s of processor time (damaged file?)").arg(cpuSeconds));
    else if (exit.crashed)
        result.error
            = Unreadable(QStringLiteral("the decoder crashed on it (signal %1; damaged file)").arg(exit.signal));
    else
        result.error = Unreadable(QStringLiteral("the decoder stopped without an answer (exit code %1; damaged file "
                                                 "or more than its %2 MiB of memory)")
                                      .arg(exit.code)
                                      .arg(memoryBytes >> 20));
    if (!result.messages.isEmpty() && complete)
        result.error += QStringLiteral(": ") + result.messages.left(300);
    return result;
}
