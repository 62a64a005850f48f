// pelorix-cli over canvas files: dump, resave, DXF and picture exports.
#include "tests/e2e/CliRun.h"
#include "tests/support/TestSupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using TestSupport::FixturePath;
using TestSupport::ReadAll;
using TestSupport::TempDir;

namespace {

// The font files libwmf looks for at start (its map of the standard fonts).
QByteArrayList WmfFontNames()
{
    QByteArrayList names { "StandardSymbolsPS.t1" };
    for (const char* family : { "NimbusMonoPS", "NimbusSans", "NimbusRoman" })
        for (const char* style : { "Regular", "Italic", "Bold", "BoldItalic" })
            names.append(QByteArray(family) + "-" + style + ".t1");
    return names;
}

// The last line on stderr (the platform may print notes before it).
QString LastLine(const QString& text)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
    return lines.isEmpty() ? QString() : lines.last();
}

} // namespace

TEST(CanvasCli, Dump_AllClassesVector)
{
    const CliRun run = RunCli({ "canvas-dump", FixturePath("canvas/all-classes-xph.nvm") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["version"].toString(), "XP.h");
    EXPECT_EQ(json["width"].toInt(), 200);
    EXPECT_EQ(json["unit"].toString(), "mm");
    EXPECT_EQ(json["ratio"].toDouble(), 0.5);
    EXPECT_TRUE(json["background"].isNull());
    EXPECT_EQ(json["userData"].toArray()[0].toObject()["value"].toString(), "Praxis");
    EXPECT_FALSE(json["layers"].toArray()[1].toObject()["visible"].toBool());
    const QJsonArray shapes = json["shapes"].toArray();
    ASSERT_EQ(shapes.size(), 13);
    const QJsonObject text = shapes[2].toObject();
    EXPECT_EQ(text["class"].toString(), "TMyText");
    EXPECT_EQ(text["lines"].toArray()[1].toString(), QStringLiteral("Größe µm²"));
    const QJsonObject image = shapes[3].toObject();
    EXPECT_EQ(image["bitmap"].toObject()["width"].toInt(), 3);
    EXPECT_EQ(image["bitmap"].toObject()["height"].toInt(), 2);
    const QJsonObject rule = shapes[5].toObject();
    EXPECT_EQ(rule["userData"].toArray()[0].toObject()["value"].toString(), "500");
    EXPECT_TRUE(rule.contains("tickStyle"));
    EXPECT_EQ(shapes[4].toObject()["arrowStyle"].toInt(), 3);
    const QJsonArray node = shapes[4].toObject()["nodes"].toArray()[1].toArray();
    EXPECT_EQ(node[0].toDouble(), 96.0);
    EXPECT_EQ(shapes[12].toObject()["endShapeIndex"].toInt(), -1);
}

TEST(CanvasCli, Dump_DamagedAndForeignFiles)
{
    TempDir dir;
    const QByteArray vector = ReadAll(FixturePath("canvas/all-classes-xph.nvm"));
    const QString damaged = dir.Write("damaged.nvm", vector.left(vector.indexOf("TMyText") + 40));
    const CliRun run = RunCli({ "canvas-dump", damaged });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.Json()["shapes"].toArray().size(), 2); // what was read so far
    EXPECT_TRUE(LastLine(run.err).startsWith(damaged)) << run.err.toStdString();
    EXPECT_TRUE(LastLine(run.err).contains("damaged"));

    const QString foreign = dir.Write("foreign.nvm", "Something else entirely");
    const CliRun other = RunCli({ "canvas-dump", foreign });
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.out.isEmpty());
    EXPECT_EQ(LastLine(other.err), foreign + ": not a canvas file");

    EXPECT_EQ(RunCli({ "canvas-dump", dir.Path("missing.nvm") }).exitCode, 1);
    EXPECT_EQ(RunCli({ "canvas-dump" }).exitCode, 2);
}

TEST(CanvasCli, Resave_CurrentVersionIsByteIdenticalOldVersionsUpgraded)
{
    TempDir dir;
    const QString out = dir.Path("out.nvm");
    ASSERT_EQ(RunCli({ "canvas-resave", FixturePath("canvas/all-classes-xph.nvm"), out }).exitCode, 0);
    EXPECT_EQ(ReadAll(out), ReadAll(FixturePath("canvas/all-classes-xph.nvm")));

    ASSERT_EQ(RunCli({ "canvas-resave", FixturePath("canvas/polygon-xp5.nvm"), out }).exitCode, 0);
    const CliRun dump = RunCli({ "canvas-dump", out });
    ASSERT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.Json()["version"].toString(), "XP.h");
    EXPECT_EQ(dump.Json()["shapes"].toArray()[0].toObject()["id"].toInt(), 4);

    EXPECT_EQ(RunCli({ "canvas-resave", FixturePath("canvas/line-xp6.json"), out }).exitCode, 1);
    EXPECT_EQ(RunCli({ "canvas-resave", FixturePath("canvas/line-xp6.nvm"), dir.Path("no/dir/x.nvm") }).exitCode, 1);
    EXPECT_EQ(RunCli({ "canvas-resave", out }).exitCode, 2);
}

TEST(CanvasCli, Render_DxfAndOutlinedDxf)
{
    TempDir dir;
    const QString dxf = dir.Path("drawing.dxf");
    ASSERT_EQ(RunCli({ "render", FixturePath("canvas/all-classes-xph.nvm"), dxf }).exitCode, 0);
    const QByteArray text = ReadAll(dxf);
    EXPECT_TRUE(text.startsWith("0\r\nSECTION\r\n2\r\nENTITIES\r\n"));
    EXPECT_TRUE(text.endsWith("0\r\nENDSEC\r\n0\r\nEOF\r\n"));
    // The line from (0,100) to (96,100) on a page 220 pixels high.
    EXPECT_TRUE(text.contains("0\r\nLINE\r\n5\r\n"));
    EXPECT_TRUE(text.contains("11\r\n25.4\r\n21\r\n31.75\r\n"));

    const QString outlined = dir.Path("drawing.dxf1");
    ASSERT_EQ(RunCli({ "render", FixturePath("canvas/text-xp9.nvm"), outlined }).exitCode, 0);
    const QByteArray outlines = ReadAll(outlined);
    EXPECT_FALSE(outlines.contains("TEXT"));
    EXPECT_GE(outlines.count("POLYLINE"), 3); // "alt": at least one outline per letter

    EXPECT_EQ(RunCli({ "render", FixturePath("canvas/text-xp9.nvm"), dir.Path("x.bmpx") }).exitCode, 2);
    EXPECT_EQ(RunCli({ "render", dir.Path("missing.nvm"), dxf }).exitCode, 1);

    // Readable by a DXF library when one is installed.
    if (QFile::exists("/usr/bin/python3")) {
        QProcess python;
        python.start("/usr/bin/python3",
            { "-c",
                "import sys\ntry:\n import ezdxf\nexcept ImportError:\n sys.exit(3)\n"
                "for f in sys.argv[1:]:\n d = ezdxf.readfile(f)\n assert len(d.modelspace()) > 0\n",
                dxf, outlined });
        ASSERT_TRUE(python.waitForFinished(60000));
        if (python.exitCode() != 3) {
            EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        }
    }
}

TEST(CanvasCli, Render_PicturesMetafileAndSvgOpenedByRealReaders)
{
    TempDir dir;
    const QString input = FixturePath("canvas/all-classes-xph.nvm");
    for (const char* suffix : { "bmp", "jpg", "png", "svg", "wmf" }) {
        const QString out = dir.Path(QStringLiteral("drawing.") + suffix);
        const CliRun run = RunCli({ "render", input, out });
        ASSERT_EQ(run.exitCode, 0) << suffix << run.err.toStdString();
        EXPECT_GT(ReadAll(out).size(), 100) << suffix;
    }
    // The raster pictures have the control's size as stored in the file (200 x 220).
    if (QFile::exists("/usr/bin/identify")) {
        for (const char* suffix : { "bmp", "jpg", "png" }) {
            QProcess identify;
            identify.start("/usr/bin/identify", { "-format", "%w %h", dir.Path(QStringLiteral("drawing.") + suffix) });
            ASSERT_TRUE(identify.waitForFinished(60000));
            EXPECT_EQ(identify.readAllStandardOutput().trimmed(), QByteArray("200 220")) << suffix;
        }
    }
    if (QFile::exists("/usr/bin/xmllint")) {
        EXPECT_EQ(QProcess::execute("/usr/bin/xmllint", { "--noout", dir.Path("drawing.svg") }), 0);
    }
    EXPECT_TRUE(ReadAll(dir.Path("drawing.wmf")).startsWith("\xD7\xCD\xC6\x9A"));

    // libwmf, when installed, plays the metafile back. It insists on finding its standard
    // Type 1 fonts at start even for a metafile without text records; Liberation Sans
    // stands in for them under their file names.
    if (QFile::exists("/usr/bin/wmf2svg")) {
        QDir().mkpath(dir.Path("fonts"));
        for (const QByteArray& name : WmfFontNames())
            QFile::link("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                dir.Path("fonts/") + QString::fromLatin1(name));
        QProcess wmf;
        wmf.start("/usr/bin/wmf2svg",
            { "--wmf-fontdir=" + dir.Path("fonts"), "-o", dir.Path("played.svg"), dir.Path("drawing.wmf") });
        ASSERT_TRUE(wmf.waitForFinished(60000));
        EXPECT_EQ(wmf.exitCode(), 0) << wmf.readAllStandardError().toStdString();
        const QByteArray played = ReadAll(dir.Path("played.svg"));
        EXPECT_GE(played.count("<polyline") + played.count("<polygon") + played.count("<path"), 10);
    }
}

TEST(CanvasCli, Render_PictureLaidUnderAMeasurementWithoutOne)
{
    TempDir dir;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString picturePath = dir.Path("scalp.png");
    ASSERT_TRUE(picture.save(picturePath));
    const QString out = dir.Path("marked.png");
    ASSERT_EQ(RunCli({ "render", FixturePath("canvas/line-xp6.nvm"), out, "--picture", picturePath }).exitCode, 0);
    const QImage marked(out);
    ASSERT_EQ(marked.size(), QSize(64, 48));
    EXPECT_EQ(QColor(marked.pixel(63, 47)), QColor(Qt::green));

    const QString missing = dir.Path("missing.png");
    EXPECT_EQ(RunCli({ "render", FixturePath("canvas/line-xp6.nvm"), out, "--picture", missing }).exitCode, 1);
}
