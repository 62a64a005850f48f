// Picture exports: BMP, PNG and JPEG read back, the metafile's records walked as a
// reader walks them, SVG parsed as XML, and failed writes leaving old files alone.
#include "tests/canvas/CanvasBuilders.h"
#include "tests/canvas/GuiEnvironment.h"
#include "tests/support/TestSupport.h"

#include "canvas/JpegEncoder.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/WmfWriter.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QXmlStreamReader>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace CanvasBuilders;
using TestSupport::ReadAll;
using TestSupport::TempDir;

namespace {

// A 120 x 80 drawing over a blue background picture: a red filled rectangle and a text.
void Drawing(TMyCAD& cad)
{
    cad.ClientResized(120, 80);
    QImage background(60, 40, QImage::Format_RGB32);
    background.fill(Qt::blue);
    cad.SetBkBitmap(background);
    cad.SetBkBitmapMode(LeftTop);
    AddRect(cad, 70, 10, 40, 30);
    TMyBrush red;
    red.color = 0x0000FF;
    cad.ShapeByIndex(0)->SetBrush(red);
    cad.AddShape(SpText, "Hi", 0, { QPointF(10, 50), QPointF(110, 50), QPointF(110, 75), QPointF(10, 75) }, "T");
}

struct WmfRecord
{
    uint16_t function;
    std::vector<uint16_t> parameters;
};

struct Wmf
{
    bool placeableOk = false;
    int width = 0;
    int height = 0;
    int inch = 0;
    uint32_t declaredWords = 0;
    uint16_t objects = 0;
    std::vector<WmfRecord> records;
    bool endsWithEof = false;
};

// Reads a placeable metafile as a player does: header, checksum, then records by
// their sizes until the end-of-file record.
Wmf ReadWmf(const QByteArray& bytes)
{
    Wmf wmf;
    auto word = [&](qsizetype i) { return qFromLittleEndian<uint16_t>(bytes.constData() + i * 2); };
    if (bytes.size() < 22 + 18 + 6)
        return wmf;
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= word(i);
    wmf.placeableOk = word(0) == 0xCDD7 && word(1) == 0x9AC6 && checksum == word(10);
    wmf.width = int16_t(word(5)) - int16_t(word(3));
    wmf.height = int16_t(word(6)) - int16_t(word(4));
    wmf.inch = word(7);
    const qsizetype base = 11;
    if (word(base) != 1 || word(base + 1) != 9)
        return wmf;
    wmf.declaredWords = word(base + 3) | (uint32_t(word(base + 4)) << 16);
    wmf.objects = word(base + 5);
    qsizetype at = base + 9;
    const qsizetype total = bytes.size() / 2;
    while (at + 3 <= total) {
        const uint32_t size = word(at) | (uint32_t(word(at + 1)) << 16);
        if (size < 3 || at + size > total)
            break;
        WmfRecord record { word(at + 2), {} };
        for (uint32_t i = 3; i < size; ++i)
            record.parameters.push_back(word(at + i));
        wmf.records.push_back(record);
        at += size;
        if (record.function == 0) {
            wmf.endsWithEof = at == total;
            break;
        }
    }
    return wmf;
}

int CountRecords(const Wmf& wmf, uint16_t function)
{
    int count = 0;
    for (const WmfRecord& record : wmf.records)
        count += record.function == function;
    return count;
}

} // namespace

TEST(PictureExport, BitmapAndPng_BackgroundAndShapesAtControlSize)
{
    TMyCAD cad;
    Drawing(cad);
    TempDir dir;
    ASSERT_TRUE(cad.ExportBitmap(dir.Path("p.bmp")));
    ASSERT_TRUE(cad.ExportPng(dir.Path("p.png")));
    for (const char* name : { "p.bmp", "p.png" }) {
        const QImage image(dir.Path(name));
        ASSERT_EQ(image.size(), QSize(120, 80)) << name;
        EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(Qt::blue)) << name;
        EXPECT_EQ(QColor(image.pixel(90, 25)), QColor(Qt::red)) << name;
        EXPECT_EQ(QColor(image.pixel(65, 5)), QColor(Qt::white)) << name; // no page colour, no grid
    }
    EXPECT_EQ(ReadAll(dir.Path("p.bmp")).mid(28, 2), QByteArray("\x18\x00", 2)); // 24 bits per pixel
}

// A stretched photograph-like background and shapes of every size crossing band
// boundaries: lines, a curve, a text, an ellipse and a thick diagonal.
void BandDrawing(TMyCAD& cad)
{
    cad.ClientResized(157, 131);
    QImage background(50, 40, QImage::Format_BGR888);
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x)
            background.setPixel(x, y, qRgb(x * 5, y * 6, (x * y) % 256));
    cad.SetBkBitmap(background);
    cad.SetBkBitmapMode(Stretch);
    for (int i = 0; i < 12; ++i)
        cad.AddShape(
            SpLine, QString(), 0.0f, { QPointF(3 + i * 12, 2 + i * 9), QPointF(20 + i * 11, 7 + i * 10) }, "L");
    cad.AddShape(
        SpPolyBezier, QString(), 0.0f, { QPointF(10, 120), QPointF(40, 10), QPointF(90, 10), QPointF(150, 125) }, "C");
    cad.AddShape(SpText, "Band", 0, { QPointF(60, 60), QPointF(140, 60), QPointF(140, 80), QPointF(60, 80) }, "T");
    AddRect(cad, 100, 5, 40, 100, SpEllipse);
    const int diagonal = cad.AddShape(SpLine, QString(), 0.0f, { QPointF(0, 130), QPointF(156, 0) }, "D");
    TMyPen thick = cad.ShapeById(diagonal)->Pen();
    thick.width = 7;
    cad.ShapeById(diagonal)->SetPen(thick);
}

TEST(PictureExport, Bands_PaintExactlyTheWholePictureInEitherOrder)
{
    TMyCAD cad;
    BandDrawing(cad);
    const QImage whole = cad.RenderControl();
    for (bool bottomUp : { false, true }) {
        QImage joined(whole.size(), QImage::Format_RGB32);
        joined.fill(Qt::black);
        int expectedTop = bottomUp ? 126 : 0;
        ASSERT_TRUE(cad.RenderControlBands(7, bottomUp, [&](const QImage& band, int top) {
            EXPECT_EQ(top, expectedTop);
            expectedTop += bottomUp ? -7 : 7;
            for (int y = 0; y < band.height(); ++y)
                std::copy_n(band.constScanLine(y), band.width() * 4, joined.scanLine(top + y));
            return true;
        }));
        EXPECT_EQ(joined, whole) << (bottomUp ? "bottom up" : "top down");
    }
    // The consumer can stop the painting.
    int bands = 0;
    EXPECT_FALSE(cad.RenderControlBands(7, false, [&](const QImage&, int) { return ++bands < 3; }));
    EXPECT_EQ(bands, 3);
}

TEST(PictureExport, BitmapAndPng_AreTheRenderedPictureExactly)
{
    TMyCAD cad;
    BandDrawing(cad);
    const QImage whole = cad.RenderControl();
    TempDir dir;
    ASSERT_TRUE(cad.ExportBitmap(dir.Path("p.bmp")));
    ASSERT_TRUE(cad.ExportPng(dir.Path("p.png")));
    for (const char* name : { "p.bmp", "p.png" })
        EXPECT_EQ(QImage(dir.Path(name)).convertToFormat(QImage::Format_RGB32), whole) << name;
    // Rows padded to 4 bytes: 157 pixels take 471 bytes and one of padding.
    EXPECT_EQ(ReadAll(dir.Path("p.bmp")).size(), 54 + 472 * 131);
}

TEST(PictureExport, Png_ReportsItsRowsAndStopsWhenTold)
{
    TMyCAD cad;
    BandDrawing(cad);
    TempDir dir;
    std::vector<std::pair<int, int>> reports;
    ASSERT_TRUE(cad.ExportPng(dir.Path("p.png"), [&](int done, int total) {
        reports.emplace_back(done, total);
        return true;
    }));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(cad.Height(), cad.Height()));
    // Stopped: the earlier file stays as it was, and the reason is said.
    const QByteArray earlier = ReadAll(dir.Path("p.png"));
    EXPECT_FALSE(cad.ExportPng(dir.Path("p.png"), [](int, int) { return false; }));
    EXPECT_EQ(cad.LastError(), QStringLiteral("cancelled"));
    EXPECT_EQ(ReadAll(dir.Path("p.png")), earlier);
    EXPECT_FALSE(cad.ExportPng(dir.Path("q.png"), [](int, int) { return false; }));
    EXPECT_FALSE(QFile::exists(dir.Path("q.png")));
}

TEST(PictureExport, Jpeg_QualityAndDecodedColours)
{
    TMyCAD cad;
    Drawing(cad);
    TempDir dir;
    ASSERT_TRUE(cad.ExportJpeg(dir.Path("p.jpg"), 80));
    const QByteArray bytes = ReadAll(dir.Path("p.jpg"));
    EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF"));
    const QImage image = QImage::fromData(bytes, "JPEG");
    ASSERT_EQ(image.size(), QSize(120, 80));
    EXPECT_LT(qRed(image.pixel(5, 5)), 30);
    EXPECT_GT(qBlue(image.pixel(5, 5)), 220);
    EXPECT_GT(qRed(image.pixel(90, 25)), 220);

    ASSERT_TRUE(cad.ExportJpeg(dir.Path("low.jpg"), 0));
    ASSERT_TRUE(cad.ExportJpeg(dir.Path("high.jpg"), 250)); // clamped to 100
    EXPECT_LT(ReadAll(dir.Path("low.jpg")).size(), ReadAll(dir.Path("high.jpg")).size());
    EXPECT_TRUE(JpegEncoder::Encode(QImage(), 80).isEmpty());
}

TEST(PictureExport, Metafile_PlaceableHeaderRecordsAndShapesOnly)
{
    TMyCAD cad;
    Drawing(cad);
    TempDir dir;
    ASSERT_TRUE(cad.ExportMetafile(dir.Path("p.wmf")));
    const QByteArray bytes = ReadAll(dir.Path("p.wmf"));
    const Wmf wmf = ReadWmf(bytes);
    EXPECT_TRUE(wmf.placeableOk);
    EXPECT_EQ(wmf.width, 120);
    EXPECT_EQ(wmf.height, 80);
    EXPECT_EQ(wmf.inch, 96);
    EXPECT_EQ(wmf.declaredWords, uint32_t(bytes.size() / 2 - 11));
    EXPECT_TRUE(wmf.endsWithEof);
    EXPECT_GE(wmf.objects, 2);
    EXPECT_EQ(CountRecords(wmf, 0x0F43), 0); // the background picture is not part of a metafile
    EXPECT_GE(CountRecords(wmf, 0x0538), 2); // the rectangle's fill and the glyphs of the text
    EXPECT_GE(CountRecords(wmf, 0x0325), 1);
    // The red brush of the rectangle.
    bool redBrush = false;
    for (const WmfRecord& record : wmf.records)
        redBrush |= record.function == 0x02FC && record.parameters[0] == 0 && record.parameters[1] == 0x00FF
            && record.parameters[2] == 0;
    EXPECT_TRUE(redBrush);

    EXPECT_FALSE(cad.ExportMetafile(dir.Path("p.emf")));
}

TEST(WmfWriter, PicturesBecomeStretchDibAndCoordinatesAreClamped)
{
    WmfWriter device(QSize(50, 40));
    {
        QPainter painter(&device);
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::green);
        painter.drawImage(QRectF(10, 10, 30, 20), picture);
        painter.setPen(QPen(Qt::black, 3));
        painter.drawLine(QPointF(-100000, 0), QPointF(100000, 0));
    }
    const Wmf wmf = ReadWmf(device.Bytes());
    ASSERT_TRUE(wmf.endsWithEof);
    ASSERT_EQ(CountRecords(wmf, 0x0F43), 1);
    for (const WmfRecord& record : wmf.records) {
        if (record.function == 0x0F43) {
            EXPECT_EQ(record.parameters[3], 2); // source height
            EXPECT_EQ(record.parameters[4], 3); // source width
            EXPECT_EQ(record.parameters[7], 20); // destination height
            EXPECT_EQ(record.parameters[8], 30);
            EXPECT_EQ(record.parameters[9], 10);
            EXPECT_EQ(record.parameters[10], 10);
            EXPECT_EQ(record.parameters[11], 40); // BITMAPINFOHEADER size
        }
        if (record.function == 0x0325) {
            EXPECT_EQ(int16_t(record.parameters[1]), -32768);
            EXPECT_EQ(int16_t(record.parameters[3]), 32767);
        }
        if (record.function == 0x02FA) {
            EXPECT_EQ(record.parameters[1], 3); // pen width
        }
    }
}

TEST(PictureExport, Svg_WellFormedWithPictureAndVectors)
{
    TMyCAD cad;
    Drawing(cad);
    TempDir dir;
    ASSERT_TRUE(cad.ExportSvg(dir.Path("p.svg")));
    QFile file(dir.Path("p.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<QString, int> elements;
    QString width;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            ++elements[xml.name().toString()];
            if (xml.name() == QLatin1String("svg"))
                width = xml.attributes().value("width").toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(width.startsWith("120") || width.startsWith("31.7")) << width.toStdString();
    EXPECT_EQ(elements["image"], 1);
    // The background photograph is embedded as JPEG, not as a lossless picture.
    EXPECT_TRUE(ReadAll(dir.Path("p.svg")).contains("xlink:href=\"data:image/jpeg;base64,/9j/"));
    EXPECT_GE(elements["path"] + elements["polygon"] + elements["polyline"], 1);
    EXPECT_GE(elements["text"], 1);
    if (QFile::exists("/usr/bin/xmllint")) {
        EXPECT_EQ(QProcess::execute("/usr/bin/xmllint", { "--noout", dir.Path("p.svg") }), 0);
    }
}

// A real SVG reader draws the embedded photograph under the vector marks.
TEST(PictureExport, Svg_RsvgDrawsPictureUnderTheMarks)
{
    if (!QFile::exists("/usr/bin/rsvg-convert"))
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    TMyCAD cad;
    Drawing(cad);
    cad.SetBkBitmapMode(Stretch);
    TempDir dir;
    ASSERT_TRUE(cad.ExportSvg(dir.Path("p.svg")));
    ASSERT_EQ(QProcess::execute(
                  "/usr/bin/rsvg-convert", { "-w", "120", "-h", "80", "-o", dir.Path("p.png"), dir.Path("p.svg") }),
        0);
    const QImage drawn(dir.Path("p.png"));
    ASSERT_EQ(drawn.size(), QSize(120, 80));
    const QColor picture(drawn.pixel(5, 45)); // the stretched blue background
    EXPECT_GT(picture.blue(), 200);
    EXPECT_LT(picture.red(), 40);
    const QColor mark(drawn.pixel(90, 25)); // the red rectangle over it
    EXPECT_GT(mark.red(), 200);
    EXPECT_LT(mark.blue(), 40);
}

TEST(PictureExport, FailedWrite_KeepsTheOldFileAndSaysWhy)
{
    TMyCAD cad;
    Drawing(cad);
    TempDir dir;
    EXPECT_FALSE(cad.ExportBitmap(dir.Path("missing/p.bmp")));
    EXPECT_FALSE(cad.LastError().isEmpty());
    EXPECT_FALSE(cad.ExportJpeg(dir.Path("missing/p.jpg"), 80));
    EXPECT_FALSE(cad.ExportSvg(dir.Path("missing/p.svg")));
    EXPECT_FALSE(cad.ExportMetafile(dir.Path("missing/p.wmf")));

    const QString kept = dir.Write("kept.png", "old");
    TMyCAD empty;
    empty.ClientResized(0, 0);
    EXPECT_FALSE(empty.ExportPng(kept));
    EXPECT_EQ(ReadAll(kept), QByteArray("old"));
}
