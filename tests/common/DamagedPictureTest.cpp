// Damaged, oversized and unrecognised pictures of every format the loader reads, and
// decoder processes that crash or hang: each is refused with a reason, quickly.
#include "common/TNVFreeImage.h"

#include "tests/support/TestSupport.h"

#include <FreeImage.h>

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray Encode(FIBITMAP* bitmap, FREE_IMAGE_FORMAT format)
{
    FIMEMORY* stream = FreeImage_OpenMemory();
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, bitmap, stream, 0)) {
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(stream, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    FreeImage_CloseMemory(stream);
    FreeImage_Unload(bitmap);
    return bytes;
}

// A picture of the given depth whose bytes vary, so that compressed forms are not trivial.
FIBITMAP* Pattern(int width, int height, int bpp)
{
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, bpp);
    for (int y = 0; y < height; ++y)
        for (unsigned i = 0; i < FreeImage_GetLine(bitmap); ++i)
            FreeImage_GetScanLine(bitmap, y)[i] = BYTE(i * 7 + unsigned(y) * 13);
    return bitmap;
}

quint8 Sample(int x, int y, int c)
{
    return quint8(x * 3 + y * 7 + c * 50);
}

QByteArray Be16(int v)
{
    const char bytes[] = { char(v >> 8), char(v) };
    return QByteArray(bytes, 2);
}

QByteArray Be32(qint64 v)
{
    return Be16(int(v >> 16)) + Be16(int(v & 0xFFFF));
}

QByteArray Le16(int v)
{
    const char bytes[] = { char(v), char(v >> 8) };
    return QByteArray(bytes, 2);
}

// A Photoshop file with the merged picture raw (compression 0) or packed per row (1).
QByteArray Psd(int width, int height, int channels, int compression)
{
    QByteArray bytes = "8BPS" + Be16(1) + QByteArray(6, '\0') + Be16(channels) + Be32(height) + Be32(width) + Be16(8)
        + Be16(3) + Be32(0) + Be32(0) + Be32(0) + Be16(compression);
    QByteArray rows;
    for (int c = 0; c < channels; ++c)
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int x = 0; x < width; ++x)
                row += char(Sample(x, y, c));
            if (compression == 1) {
                row.prepend(char(width - 1)); // one literal run (width <= 128)
                bytes += Be16(int(row.size()));
            }
            rows += row;
        }
    return bytes + rows;
}

QByteArray Pnm(char kind, int width, int height)
{
    const int channels = kind == '3' || kind == '6' ? 3 : 1;
    QByteArray bytes = QByteArray("P") + kind + "\n# comment\n" + QByteArray::number(width) + " "
        + QByteArray::number(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * channels; ++x)
            bytes += kind >= '4' ? QByteArray(1, char(Sample(x, y, 0))) : QByteArray::number(Sample(x, y, 0)) + ' ';
    return bytes;
}

QByteArray Tga(int width, int height, bool packed)
{
    QByteArray bytes = QByteArray(2, '\0') + char(packed ? 10 : 2) + QByteArray(9, '\0') + Le16(width) + Le16(height)
        + char(24) + char(0);
    for (int y = 0; y < height; ++y) {
        if (packed)
            bytes += char(width - 1);
        for (int x = 0; x < width * 3; ++x)
            bytes += char(Sample(x, y, 0));
    }
    return bytes;
}

QByteArray Le32(qint64 v)
{
    return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16));
}

// An 8-bit BMP packed in runs of 5 equal pixels (RLE8), with row and picture ends.
QByteArray RleBmp(int width, int height)
{
    QByteArray data;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 5)
            data += char(5) + QByteArray(1, char(Sample(x, y, 0)));
        if (y + 1 < height) // FreeImage takes an end of line before the end of the picture as damage
            data += QByteArray(2, '\0');
    }
    data += QByteArray("\0\1", 2);
    QByteArray palette;
    for (int i = 0; i < 256; ++i)
        palette += QByteArray(3, char(i)) + '\0';
    const int offset = 14 + 40 + 1024;
    return "BM" + Le32(offset + data.size()) + Le32(0) + Le32(offset) + Le32(40) + Le32(width) + Le32(height) + Le16(1)
        + Le16(8) + Le32(1) + Le32(data.size()) + Le32(2835) + Le32(2835) + Le32(256) + Le32(0) + palette + data;
}

QByteArray Xbm(int width, int height)
{
    QByteArray bytes = "#define p_width " + QByteArray::number(width) + "\n#define p_height "
        + QByteArray::number(height) + "\nstatic unsigned char p_bits[] = {\n";
    for (int i = 0; i < (width + 7) / 8 * height; ++i)
        bytes += "0x" + QByteArray::number(Sample(i, 0, 0), 16) + ", ";
    return bytes + "};\n";
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// Loads from a file and from memory; the reason when both refuse alike, "loaded" otherwise.
std::string Refusal(const TNVFreeImage& loader, const QByteArray& bytes, const QString& name)
{
    TestSupport::TempDir dir;
    QString fromFile;
    QString fromMemory;
    const bool fileLoaded = bool(loader.Load(dir.Write(name, bytes), &fromFile));
    const bool memoryLoaded = bool(loader.LoadFromMemory(bytes, &fromMemory));
    if (fileLoaded || memoryLoaded)
        return fileLoaded && memoryLoaded ? "loaded" : "loaded from one source only";
    EXPECT_EQ(fromFile.toStdString(), fromMemory.toStdString());
    return fromFile.toStdString();
}

} // namespace

TEST(DamagedPicture, EveryFormat_LoadsWholeAndIsRefusedCut)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
    } formats[] = {
        { "p.jpg", Encode(Pattern(40, 30, 24), FIF_JPEG) },
        { "p.png", Encode(Pattern(40, 30, 24), FIF_PNG) },
        { "p.bmp", Encode(Pattern(40, 30, 24), FIF_BMP) },
        { "packed.bmp", RleBmp(40, 30) },
        { "p.tif", Encode(Pattern(40, 30, 24), FIF_TIFF) },
        { "p.gif", Encode(Pattern(40, 30, 8), FIF_GIF) },
        { "p.ico", Encode(Pattern(32, 32, 24), FIF_ICO) },
        { "raw.psd", Psd(40, 30, 3, 0) },
        { "packed.psd", Psd(40, 30, 3, 1) },
        { "p.pgm", Pnm('5', 40, 30) },
        { "p.ppm", Pnm('6', 40, 30) },
        { "text.pgm", Pnm('2', 40, 30) },
        { "text.ppm", Pnm('3', 40, 30) },
        { "raw.tga", Tga(40, 30, false) },
        { "packed.tga", Tga(40, 30, true) },
        { "p.xbm", Xbm(40, 30) },
    };
    const TNVFreeImage loader;
    for (const auto& format : formats) {
        ASSERT_FALSE(format.bytes.isEmpty()) << format.name;
        EXPECT_EQ(Refusal(loader, format.bytes, format.name), "loaded") << format.name;
        for (int percent : { 10, 50, 75, 99 }) {
            const std::string reason
                = Refusal(loader, format.bytes.left(format.bytes.size() * percent / 100), format.name);
            EXPECT_NE(reason, "loaded") << format.name << " cut at " << percent << " %";
            EXPECT_FALSE(reason.empty()) << format.name;
        }
    }
}

TEST(DamagedPicture, PhotoshopWithWrongBytes_IsRefusedOrLoaded_NeverCrashes)
{
    const QByteArray psd = Psd(40, 30, 3, 1);
    // One wrong byte in the version, the channel count, the sizes, the depth, the lengths of
    // the sections, the compression and the packed row lengths.
    for (int at : { 5, 13, 15, 17, 21, 23, 26, 29, 33, 37, 39, 41, 43, 80 }) {
        QByteArray damaged = psd;
        damaged[at] = char(damaged[at] ^ 0x5A);
        const std::string reason = Refusal(TNVFreeImage(), damaged, "wrong.psd");
        EXPECT_FALSE(reason.empty()) << at;
    }
    EXPECT_EQ(Refusal(TNVFreeImage(), psd.left(12) + Be16(60) + psd.mid(14), "channels.psd"),
        "Photoshop header is damaged (version 1, 60 channels, 8 bits per channel)");
}

TEST(DamagedPicture, AbsurdDeclaredSizes_AreRefusedBeforeDecoding)
{
    // 84 bytes that declare 29000 x 29000 pixels; FreeImage spent more than 20 minutes on it.
    const QByteArray xbm = "#define a_width 29000\n#define a_height 29000\nstatic char a_bits[] = { 0x00, 0x01 };\n";
    EXPECT_TRUE(StartsWith(
        Refusal(TNVFreeImage(), xbm, "huge.xbm"), "picture is too large: 29000 x 29000 pixels are 841.0 megapixels"));
    // 1 KB that declares 20000 x 20000; this took 2.3 GB and 32 s.
    const QByteArray pgm = "P5\n20000 20000\n255\n" + QByteArray(1000, '\x40');
    EXPECT_TRUE(StartsWith(Refusal(TNVFreeImage(), pgm, "huge.pgm"), "picture is too large: 20000 x 20000"));
    // A 1-bit picture of 225 megapixels needs only 28 MB in FreeImage but 675 MB as the
    // 24-bit picture callers make of it: over the default limit of 200 megapixels.
    const QByteArray pbm = "P4\n15000 15000\n" + QByteArray(1875 * 15000, '\x55');
    EXPECT_EQ(Refusal(TNVFreeImage(), pbm, "big.pbm"),
        "picture is too large: 15000 x 15000 pixels are 225.0 megapixels, which need 644 MiB as 24-bit picture "
        "(at most 200 megapixels)");
    const QByteArray psd = Psd(40, 30, 3, 0);
    EXPECT_TRUE(StartsWith(Refusal(TNVFreeImage(), psd.left(14) + Be32(29000) + Be32(29000) + psd.mid(22), "huge.psd"),
        "picture is too large: 29000 x 29000"));
    const QByteArray tga = Tga(40, 30, true);
    EXPECT_TRUE(StartsWith(Refusal(TNVFreeImage(), tga.left(12) + Le16(29000) + Le16(29000) + tga.mid(16), "huge.tga"),
        "picture is too large: 29000 x 29000"));
    // The limit is the loader's: a smaller one refuses what the default allows.
    EXPECT_TRUE(StartsWith(Refusal(TNVFreeImage({ .maxPixels = 1199 }), Pnm('5', 40, 30), "p.pgm"),
        "picture is too large: 40 x 30 pixels are 0.0 megapixels"));
}

TEST(DamagedPicture, UnrecognisedContents_AreRefusedWhateverTheName)
{
    // 72 bytes named .wbmp that a fallback to the name made a blank 29000 x 29000 picture.
    const QByteArray wbmp = QByteArray::fromHex("0000818a48818a48") + QByteArray(64, '\0');
    for (const char* name : { "tiny.wbmp", "noise.jpg", "noise.tga" })
        EXPECT_EQ(
            Refusal(TNVFreeImage(), wbmp, name), "contents are not a picture Pelorix can read (format not recognised)")
            << name;
}

// A stand-in for the decoder program that misbehaves in one way.
class FakeDecoder : public ::testing::Test
{
protected:
    void Install(const QByteArray& script)
    {
        const QString path = m_dir.Write("pelorix-picture-decoder", "#!/bin/sh\n" + script + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PELORIX_HELPER_DIR", QFile::encodeName(m_dir.Root()));
    }
    void TearDown() override { qunsetenv("PELORIX_HELPER_DIR"); }

    TestSupport::TempDir m_dir;
    const QByteArray m_psd = Psd(40, 30, 3, 0);
};

TEST_F(FakeDecoder, Crash_IsCouldNotBeRead)
{
    Install("kill -SEGV $$");
    EXPECT_EQ(Refusal(TNVFreeImage(), m_psd, "p.psd"),
        "picture could not be read: the decoder crashed on it (signal 11; damaged file)");
}

TEST_F(FakeDecoder, Hang_IsCouldNotBeReadAtTheDeadline)
{
    Install("exec sleep 30");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Refusal(TNVFreeImage({ .isolatedMilliseconds = 300 }), m_psd, "p.psd"),
        "picture could not be read: decoding took longer than 0.3 s (damaged file?)");
    EXPECT_LT(clock.elapsed(), 10000); // killed at the deadline, not waited for (30 s)
}

TEST_F(FakeDecoder, GarbageReply_IsCouldNotBeRead)
{
    Install("cat > /dev/null; echo this is no reply; exit 0");
    EXPECT_TRUE(StartsWith(Refusal(TNVFreeImage(), m_psd, "p.psd"),
        "picture could not be read: the decoder stopped without an answer (exit code 0"));
}

TEST(DamagedPicture, LimitsFromIni_ReadsTheMegapixelSetting)
{
    TestSupport::TempDir dir;
    EXPECT_EQ(TNVFreeImage::LimitsFromIni(dir.Path("missing.ini")).maxPixels, 200'000'000);
    const QString ini = dir.Write("Pelorix.ini", "[Settings]\r\nMaxPictureMegapixels=50\r\n");
    EXPECT_EQ(TNVFreeImage::LimitsFromIni(ini).maxPixels, 50'000'000);
    const QString bad = dir.Write("Bad.ini", "[Settings]\r\nMaxPictureMegapixels=-3\r\n");
    EXPECT_EQ(TNVFreeImage::LimitsFromIni(bad).maxPixels, 200'000'000);

    const TNVFreeImage::Limits saved = TNVFreeImage::DefaultLimits();
    TNVFreeImage::SetDefaultLimits({ .maxPixels = 1000 });
    QString error;
    EXPECT_FALSE(TNVFreeImage().LoadFromMemory(Pnm('5', 40, 30), &error));
    TNVFreeImage::SetDefaultLimits(saved);
    EXPECT_TRUE(TNVFreeImage().LoadFromMemory(Pnm('5', 40, 30), &error));
}
