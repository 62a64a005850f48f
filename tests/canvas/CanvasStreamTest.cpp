// The canvas stream: the vectors of an independent writer, exact round trips,
// old versions, long texts and damaged streams.
#include "canvas/ShapeFactory.h"
#include "canvas/StreamWriter.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>
#include <set>

#include <gtest/gtest.h>

using namespace CanvasBuilders;
using TestSupport::FixturePath;
using TestSupport::ReadAll;

namespace {

QByteArray Save(TMyCAD& cad)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(cad.SaveToStream(buffer)) << cad.LastError().toStdString();
    return buffer.data();
}

bool Load(TMyCAD& cad, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return cad.LoadFromStream(buffer);
}

// Checks a loaded canvas against the .json description of a vector.
void ExpectMatches(const TMyCAD& cad, const QJsonObject& expected)
{
    EXPECT_EQ(cad.StreamVersionText(), expected["version"].toString());
    EXPECT_EQ(cad.Width(), expected["width"].toInt());
    EXPECT_EQ(cad.Height(), expected["height"].toInt());
    EXPECT_EQ(cad.CurrentLayer(), expected["currentLayer"].toInt());
    const QJsonArray layers = expected["layers"].toArray();
    ASSERT_EQ(cad.LayerCount(), layers.size());
    for (int i = 0; i < layers.size(); ++i) {
        const QJsonObject layer = layers[i].toObject();
        EXPECT_EQ(cad.Layers()[size_t(i)].name, layer["name"].toString());
        EXPECT_EQ(cad.Layers()[size_t(i)].layerId, layer["id"].toInt());
        EXPECT_EQ(cad.Layers()[size_t(i)].visible, layer["visible"].toBool());
    }
    const QJsonArray shapes = expected["shapes"].toArray();
    ASSERT_EQ(cad.ShapeCount(), shapes.size());
    for (int i = 0; i < shapes.size(); ++i) {
        const QJsonObject want = shapes[i].toObject();
        const TMyShape* shape = cad.ShapeByIndex(i);
        SCOPED_TRACE(want["name"].toString().toStdString());
        EXPECT_EQ(QString::fromLatin1(shape->ClassName()), want["class"].toString());
        EXPECT_EQ(shape->Name(), want["name"].toString());
        EXPECT_EQ(shape->ShapeId(), want["id"].toInt());
        EXPECT_EQ(shape->ShapeIndex(), want["index"].toInt());
        EXPECT_EQ(shape->LayerId(), want["layerId"].toInt());
        EXPECT_EQ(shape->Caption(), want["caption"].toString());
        EXPECT_EQ(shape->Info(), want["info"].toString());
        const QJsonArray nodes = want["nodes"].toArray();
        ASSERT_EQ(shape->Nodes().size(), size_t(nodes.size()));
        for (int n = 0; n < nodes.size(); ++n) {
            EXPECT_DOUBLE_EQ(shape->Nodes()[size_t(n)].x, nodes[n].toArray()[0].toDouble());
            EXPECT_DOUBLE_EQ(shape->Nodes()[size_t(n)].y, nodes[n].toArray()[1].toDouble());
        }
        const QJsonArray userData = want["userData"].toArray();
        ASSERT_EQ(shape->UserData().Count(), userData.size());
        for (int u = 0; u < userData.size(); ++u) {
            EXPECT_EQ(shape->UserData().Key(u), userData[u].toObject()["key"].toString());
            EXPECT_EQ(shape->UserData().Value(u), userData[u].toObject()["value"].toString());
        }
    }
}

// A canvas with one shape of every class and every field away from its default.
void BuildEveryClass(TMyCAD& cad)
{
    cad.SetColorOfBackGround(0x102030);
    cad.SetTheUNIT(cm);
    cad.SetRatio(0.125);
    cad.SetTag(77);
    cad.SetBkBitmapMode(Stretch);
    QImage background(5, 3, QImage::Format_RGB32);
    background.fill(qRgb(10, 200, 30));
    cad.SetBkBitmap(background);
    cad.UserData().Add("Owner", "Größe µm²");
    cad.AddLayer("Hidden", false);
    cad.SetCurrentLayer(0);
    const char* classes[] = { "TMyRectangle", "TMyEllipse", "TMyText", "TMyImage", "TMyLine", "TMyRuleLine",
        "TMyPolyLine", "TMyPolygon", "TMyPolyBezier", "TMyElliArc", "TMyLinkPoint", "TMyLineLinkLine", "TMyLinkLine",
        "TMyGroup", "TMyCombine" };
    int n = 0;
    for (const char* name : classes) {
        TMyShape* s = cad.AppendShape(ShapeFactory::CreateByClassName(name, &cad));
        s->SetName(QStringLiteral("S%1").arg(n));
        s->Nodes() = { TMyPoint { 1.5f + n, 2.25f }, TMyPoint { 30.0f + n, 2.25f }, TMyPoint { 30.0f + n, 40.0f },
            TMyPoint { 1.5f + n, 40.0f } };
        s->LinkPoints() = { TMyPoint { 3, 4 } };
        s->ResetCenter();
        s->SetTag(n);
        s->StoreAngle(0.25f * n);
        s->SetInfo(QStringLiteral("info %1").arg(n));
        s->SetPen(TMyPen { 0x0000FF, pmXor, psDot, 3 });
        TMyBrush brush { 0x00FF00, bsCross, {} };
        if (n == 0) {
            brush.pattern = QImage(8, 8, QImage::Format_BGR888);
            brush.pattern.fill(Qt::blue);
        }
        s->SetBrush(brush);
        TMyFont font;
        font.name = "Liberation Sans";
        font.SetSize(12);
        font.style = fsBold | fsUnderline;
        s->SetFont(font);
        s->SetColorBegin(0x111111);
        s->SetColorEnd(0x222222);
        s->SetGradientStyle(gsDiamond);
        s->UserData().Add("Type", QString::number(n));
        s->UserData().Add("Thickness", "250");
        s->SetVisible(n % 2 == 0);
        s->SetMultiInfo({ "a", "b" });
        s->SetMultiInfoAlignment(taRightJustify);
        s->SetLogHeight(20);
        s->SetLogUse(true);
        s->SetLogWidth(7);
        s->StoreLocked(n == 3);
        ++n;
    }
    auto* text = static_cast<TMyText*>(cad.ShapeByIndex(2));
    text->SetLines({ "Zeile 1", "€ 5" });
    text->SetVAlignment(vaBottom);
    text->SetHAlignment(taLeftJustify);
    text->SetWordWrap(true);
    text->SetIsBorder(true);
    text->SetIsSolid(false);
    auto* image = static_cast<TMyImage*>(cad.ShapeByIndex(3));
    QImage picture(3, 2, QImage::Format_RGB888);
    picture.fill(Qt::red);
    picture.setPixel(1, 1, qRgb(1, 2, 3));
    image->SetBitmap(picture);
    image->SetBrightness(50);
    image->SetContrast(-20);
    image->SetGrayScale(true);
    image->SetBorder(true);
    image->SetTransparent(true);
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(5));
    rule->SetShowUserInfo(true);
    rule->SetTickStyle(tsNone);
    rule->SetUserInfo("12 µm");
    static_cast<TMyLine*>(cad.ShapeByIndex(4))->SetArrowOffset(3);
    static_cast<TMyElliArc*>(cad.ShapeByIndex(9))->SetArcStyle(asSector);
    static_cast<TMyElliArc*>(cad.ShapeByIndex(9))->SetArcMode(amEllipse);
    static_cast<TMyLinkPoint*>(cad.ShapeByIndex(10))->SetSize(12);
    auto* link = static_cast<TMyLinkLine*>(cad.ShapeByIndex(12));
    link->SetStart(10, 0);
    link->SetEnd(11, 0);
    link->SetLinkLineDrawStyle(lldsFree);
    cad.ShapeByIndex(10)->Links() = { 12 };
    cad.ShapeByIndex(13)->Children() = { 0, 1 };
    cad.ShapeByIndex(0)->SetParentGroup(13);
    cad.ShapeByIndex(1)->SetParentGroup(13);
}

} // namespace

TEST(CanvasStream, Vectors_LoadAsDescribed)
{
    for (const char* name : { "all-classes-xph", "empty-no-layers", "line-xp6", "polygon-xp5", "text-xp9" }) {
        SCOPED_TRACE(name);
        const QByteArray bytes = ReadAll(FixturePath(QStringLiteral("canvas/%1.nvm").arg(name)));
        const QJsonObject expected
            = QJsonDocument::fromJson(ReadAll(FixturePath(QStringLiteral("canvas/%1.json").arg(name)))).object();
        ASSERT_FALSE(bytes.isEmpty());
        if (expected.contains("bytes")) {
            EXPECT_EQ(bytes.size(), expected["bytes"].toInt());
        }
        TMyCAD cad;
        ASSERT_TRUE(cad.LoadFromFile(FixturePath(QStringLiteral("canvas/%1.nvm").arg(name))))
            << cad.LastError().toStdString();
        ExpectMatches(cad, expected);
        EXPECT_EQ(IndexFault(cad), QString());
    }
}

TEST(CanvasStream, AllClassesVector_ClassFieldsAndCounters)
{
    TMyCAD cad;
    ASSERT_TRUE(cad.LoadFromFile(FixturePath("canvas/all-classes-xph.nvm")));
    EXPECT_EQ(cad.UserData().GetValue("Owner"), "Praxis");
    EXPECT_DOUBLE_EQ(cad.Ratio(), 0.5);
    EXPECT_EQ(cad.NextShapeId(), 13);
    EXPECT_EQ(cad.NextLayerId(), 4);
    const auto* text = dynamic_cast<const TMyText*>(cad.ShapeByIndex(2));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Lines(), (QStringList { "Zeile 1", "Größe µm²" }));
    const auto* image = dynamic_cast<const TMyImage*>(cad.ShapeByIndex(3));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Bitmap().size(), QSize(3, 2));
    EXPECT_EQ(dynamic_cast<const TMyLinkPoint*>(cad.ShapeByIndex(10))->Size(), 8);
    EXPECT_EQ(AddLine(cad, 0, 0, 5, 5), 13);
}

TEST(CanvasStream, CurrentVersionVectors_ResaveByteForByte)
{
    for (const char* name : { "all-classes-xph", "empty-no-layers" }) {
        SCOPED_TRACE(name);
        const QByteArray original = ReadAll(FixturePath(QStringLiteral("canvas/%1.nvm").arg(name)));
        TMyCAD cad;
        ASSERT_TRUE(Load(cad, original));
        EXPECT_EQ(Save(cad), original);
    }
}

TEST(CanvasStream, EmptyCanvas_HeaderByteCount)
{
    TMyCAD cad;
    cad.DeleteAllLayers();
    const QByteArray bytes = Save(cad);
    EXPECT_EQ(bytes.size(), 64 + 64 + 16 + 10 + 64 + 4 + 4 + 4 + 1 + 8 + 4 + 8 + 4 + 4 + 4 + 4 + 4);
    EXPECT_EQ(bytes.mid(128, 16), QByteArray("XP.h            "));
    EXPECT_EQ(bytes[64 + 64 + 16 + 10 + 63], '\0');
}

TEST(CanvasStream, FreshCanvas_ReloadKeepsLayer0AndCounters)
{
    TMyCAD cad;
    TMyCAD loaded;
    loaded.SetZoom(3.0);
    ASSERT_TRUE(Load(loaded, Save(cad)));
    EXPECT_EQ(loaded.Zoom(), 1.0);
    ASSERT_EQ(loaded.LayerCount(), 1);
    EXPECT_EQ(loaded.Layers()[0], (LayerRec { "Layer0", 0, true }));
    EXPECT_EQ(loaded.NextLayerId(), 1);
    EXPECT_EQ(loaded.NextShapeId(), 1);
    EXPECT_EQ(loaded.Width(), cad.Width());
}

TEST(CanvasStream, EveryClass_SaveAndReloadKeepsEveryField)
{
    TMyCAD cad;
    BuildEveryClass(cad);
    const QByteArray first = Save(cad);
    TMyCAD loaded;
    ASSERT_TRUE(Load(loaded, first)) << loaded.LastError().toStdString();
    // Every stored field takes part in the bytes, so equal bytes mean equal fields.
    EXPECT_EQ(Save(loaded), first);
    ASSERT_EQ(loaded.ShapeCount(), 15);
    EXPECT_EQ(loaded.UserData().GetValue("Owner"), "Größe µm²");
    EXPECT_EQ(loaded.BkBitmap().size(), QSize(5, 3));
    EXPECT_EQ(loaded.BkBitmap().pixel(4, 2), qRgb(10, 200, 30));
    const TMyShape* s = loaded.ShapeByIndex(3);
    EXPECT_EQ(s->Pen(), (TMyPen { 0x0000FF, pmXor, psDot, 3 }));
    EXPECT_EQ(s->Font().name, "Liberation Sans");
    EXPECT_EQ(s->Font().height, -16);
    EXPECT_TRUE(s->Locked());
    EXPECT_FALSE(s->Visible());
    EXPECT_FLOAT_EQ(s->Angle(), 0.75f);
    EXPECT_EQ(s->MultiInfo(), (QStringList { "a", "b" }));
    EXPECT_EQ(loaded.ShapeByIndex(0)->Brush().pattern.size(), QSize(8, 8));
    const auto* image = static_cast<const TMyImage*>(s);
    EXPECT_EQ(image->Bitmap().pixel(1, 1), qRgb(1, 2, 3));
    EXPECT_EQ(image->Brightness(), 50);
    EXPECT_EQ(image->Contrast(), -20);
    const auto* rule = static_cast<const TMyRuleLine*>(loaded.ShapeByIndex(5));
    EXPECT_EQ(rule->UserInfo(), "12 µm");
    EXPECT_EQ(rule->TickStyle(), tsNone);
    const auto* link = static_cast<const TMyLinkLine*>(loaded.ShapeByIndex(12));
    EXPECT_EQ(link->EndShapeIndex(), 11);
    EXPECT_EQ(link->LinkLineDrawStyle(), lldsFree);
    EXPECT_EQ(loaded.ShapeByIndex(13)->Children(), (std::vector<int> { 0, 1 }));
    EXPECT_EQ(IndexFault(loaded), QString());
}

TEST(CanvasStream, OldVersions_MissingFieldsKeepDefaults)
{
    TMyCAD cad;
    ASSERT_TRUE(cad.LoadFromFile(FixturePath("canvas/line-xp6.nvm")));
    const TMyShape* line = cad.ShapeByIndex(0);
    EXPECT_EQ(line->UserData().Count(), 0);
    EXPECT_TRUE(line->Visible());
    EXPECT_FALSE(line->Locked());
    EXPECT_TRUE(line->MultiInfo().isEmpty());
    EXPECT_EQ(line->LogHeight(), 10);

    ASSERT_TRUE(cad.LoadFromFile(FixturePath("canvas/polygon-xp5.nvm")));
    EXPECT_EQ(cad.StreamVersionText(), "XP.5");
    EXPECT_EQ(cad.NextShapeId(), 5);
    EXPECT_FLOAT_EQ(cad.ShapeByIndex(0)->CaptionPos().y, 30.25f);

    ASSERT_TRUE(cad.LoadFromFile(FixturePath("canvas/text-xp9.nvm")));
    const auto* text = dynamic_cast<const TMyText*>(cad.ShapeByIndex(0));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->Lines().isEmpty());
    EXPECT_EQ(text->HAlignment(), taCenter);

    // Resaving writes the current version.
    TMyCAD again;
    ASSERT_TRUE(Load(again, Save(cad)));
    EXPECT_EQ(again.StreamVersionText(), "XP.h");
    EXPECT_EQ(again.ShapeByIndex(0)->Info(), "alt");
}

TEST(CanvasStream, Texts_ShortLayoutExactLongTextsSurvive)
{
    for (int length : { 0, 1, 255, 256, 300, 70000 }) {
        SCOPED_TRACE(length);
        TMyCAD cad;
        AddLine(cad, 0, 0, 1, 1);
        const QString caption(length, QLatin1Char('x'));
        cad.ShapeByIndex(0)->SetCaption(caption);
        TMyCAD loaded;
        ASSERT_TRUE(Load(loaded, Save(cad)));
        EXPECT_EQ(loaded.ShapeByIndex(0)->Caption(), caption);
    }
    // Up to 255 bytes the count is the plain length.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    StreamWriter writer(buffer);
    writer.WriteText(QString(255, 'y'));
    writer.Flush();
    EXPECT_EQ(buffer.data().left(4), QByteArray("\xFF\x00\x00\x00", 4));
    EXPECT_EQ(buffer.data().size(), 4 + 255);
}

TEST(CanvasStream, OriginalLayout_LengthAbove255ReadsLowByteCount)
{
    // The original writer stored a 256-character caption as count 256 with no bytes.
    TMyCAD cad;
    AddLine(cad, 0, 0, 1, 1);
    cad.ShapeByIndex(0)->SetCaption("QQQQ");
    QByteArray bytes = Save(cad);
    const QByteArray marker = QByteArray("\x04\x00\x00\x00QQQQ", 8);
    const qsizetype at = bytes.indexOf(marker);
    ASSERT_GT(at, 0);
    bytes.replace(at, 8, QByteArray("\x00\x01\x00\x00", 4));
    TMyCAD loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(loaded.ShapeByIndex(0)->Caption(), QString());
    EXPECT_EQ(loaded.ShapeByIndex(0)->ColorBegin(), 0xFFFFFF);
}

TEST(CanvasStream, DamagedStreams_FailAndLeaveUsableCanvas)
{
    const QByteArray original = ReadAll(FixturePath("canvas/all-classes-xph.nvm"));
    for (qsizetype cut = 0; cut < original.size(); cut += 7) {
        TMyCAD cad;
        SCOPED_TRACE(cut);
        ASSERT_FALSE(Load(cad, original.left(cut)));
        EXPECT_FALSE(cad.LastError().isEmpty());
        EXPECT_EQ(IndexFault(cad), QString());
        EXPECT_LE(cad.ShapeCount(), 13);
        // Still usable: it saves, and shapes can be added once a layer exists.
        Save(cad);
        if (cad.LayerIndexById(cad.CurrentLayer()) < 0)
            cad.AddLayer("Repair", true);
        EXPECT_GE(AddLine(cad, 0, 0, 3, 3), 0);
    }
    // Shapes read before the damage stay.
    TMyCAD cad;
    EXPECT_FALSE(Load(cad, original.left(original.size() - 1)));
    EXPECT_EQ(cad.ShapeCount(), 12);
    EXPECT_EQ(cad.NextShapeId(), 12);
}

TEST(CanvasStream, DamagedFields_Refused)
{
    const QByteArray original = ReadAll(FixturePath("canvas/all-classes-xph.nvm"));
    struct Case
    {
        const char* what;
        qsizetype offset;
        QByteArray bytes;
    };
    const qsizetype shapesAt = original.indexOf("TMyRectangle");
    const Case cases[] = {
        { "signature", 0, "Wellmar" },
        { "version", 128, "XP.2" },
        { "unknown version", 128, "XP.z" },
        { "unknown class", shapesAt, "TMyTriangle " },
        { "huge picture count", 0xE7, QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 8) },
        { "negative picture count", 0xE7, QByteArray("\x00\x00\x00\x00\x00\x00\x00\x80", 8) },
        { "huge layer count", 0x116, QByteArray("\xFF\xFF\xFF\x7F", 4) },
        { "negative layer count", 0x116, QByteArray("\xFF\xFF\xFF\xFF", 4) },
        { "huge shape count", shapesAt - 4, QByteArray("\x00\x00\x00\x40", 4) },
        { "huge node count", shapesAt + 16 + 4 + 6 + 24, QByteArray("\xFF\xFF\xFF\x0F", 4) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = original;
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        TMyCAD cad;
        EXPECT_FALSE(Load(cad, bytes));
        EXPECT_EQ(IndexFault(cad), QString());
    }
}

TEST(CanvasStream, Files_SignatureCheckAndAtomicSave)
{
    TestSupport::TempDir dir;
    const QString other
        = dir.Write("other.nvm", "not a canvas at all, just some bytes of text here......................");
    TMyCAD cad;
    AddLine(cad, 0, 0, 5, 5);
    EXPECT_FALSE(TMyCAD::IsCanvasFile(other));
    EXPECT_FALSE(cad.LoadFromFile(other));
    EXPECT_EQ(cad.ShapeCount(), 1); // unchanged
    EXPECT_FALSE(TMyCAD::IsCanvasFile(dir.Path("missing.nvm")));

    const QString path = dir.Path("drawing.nvm");
    ASSERT_TRUE(cad.SaveToFile(path));
    EXPECT_FALSE(cad.Modified());
    EXPECT_TRUE(TMyCAD::IsCanvasFile(path));
    EXPECT_FALSE(cad.SaveToFile(dir.Path("no/such/folder/x.nvm")));
    EXPECT_EQ(ReadAll(path), Save(cad));
}

TEST(CanvasStream, DuplicateIds_DeletingOneKeepsTheOtherFindable)
{
    // Found by fuzzing: after deleting the first of two shapes with the same id,
    // the second could no longer be looked up.
    TMyCAD cad;
    cad.AddShape(SpLine, {}, 0, { QPointF(0, 0), QPointF(1, 1) }, "A");
    cad.AddShape(SpLine, {}, 0, { QPointF(0, 0), QPointF(2, 2) }, "B");
    QByteArray bytes = Save(cad);
    const qsizetype at = bytes.indexOf(QByteArray("\x01\x00\x00\x00"
                                                  "B\x01\x00\x00\x00",
        9));
    ASSERT_GT(at, 0);
    bytes[at + 5] = 0; // the second shape takes id 0 as well
    TMyCAD loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    EXPECT_EQ(loaded.ShapeById(0), loaded.ShapeByIndex(0));
    ASSERT_TRUE(loaded.DeleteShapeById(0, true));
    EXPECT_EQ(loaded.ShapeById(0), loaded.ShapeByIndex(0));
    EXPECT_EQ(loaded.ShapeByIndex(0)->Name(), "B");
}

namespace {

// The empty vector with the given picture block in place of its empty background.
QByteArray WithBackgroundBlock(const QByteArray& bmp)
{
    QByteArray bytes = ReadAll(FixturePath("canvas/empty-no-layers.nvm"));
    QByteArray block(8, '\0');
    qint64 size = bmp.size();
    for (int i = 0; i < 8; ++i, size >>= 8)
        block[i] = char(size & 0xFF);
    bytes.replace(0xE7, 8, block + bmp);
    return bytes;
}

} // namespace

TEST(CanvasStream, PictureBlocks_OtherBitmapKindsAndRefusedContents)
{
    // An 8-bit palette bitmap is decoded and kept as 24 bits.
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({ qRgb(255, 0, 0), qRgb(0, 0, 255) });
    indexed.fill(1);
    indexed.setPixel(0, 0, 0);
    QByteArray bmp;
    QBuffer out(&bmp);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(indexed.save(&out, "BMP"));
    TMyCAD cad;
    ASSERT_TRUE(Load(cad, WithBackgroundBlock(bmp))) << cad.LastError().toStdString();
    EXPECT_EQ(cad.BkBitmap().format(), QImage::Format_BGR888);
    EXPECT_EQ(cad.BkBitmap().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(cad.BkBitmap().pixel(2, 1), qRgb(0, 0, 255));

    // Another picture format inside the block is refused.
    QByteArray png;
    QBuffer pngOut(&png);
    pngOut.open(QIODevice::WriteOnly);
    ASSERT_TRUE(indexed.save(&pngOut, "PNG"));
    EXPECT_FALSE(Load(cad, WithBackgroundBlock(png)));

    // A run-length bitmap may not unpack to far more than its own size (found by fuzzing).
    QByteArray bomb = bmp.left(54 + 1024);
    bomb[18] = char(0x20); // 20000 x 20000 pixels, 8 bits, RLE8
    bomb[19] = char(0x4E);
    bomb[22] = char(0x20);
    bomb[23] = char(0x4E);
    bomb[30] = 1;
    bomb.append(QByteArray("\x00\x01", 2)); // end of bitmap
    EXPECT_FALSE(Load(cad, WithBackgroundBlock(bomb)));
}

TEST(CanvasStream, DamagedIds_RenumberedOnRequest_SoThatEveryShapeIsFoundByItsId)
{
    TMyCAD written;
    for (int i = 0; i < 4; ++i)
        AddLine(written, 0, 10 * i, 50, 10 * i);
    written.ShapeByIndex(0)->SetShapeId(-4);
    written.ShapeByIndex(2)->SetShapeId(3); // the same id as the last shape
    TMyCAD cad;
    ASSERT_TRUE(Load(cad, Save(written)));
    // As read, two shapes cannot be found by their ids.
    EXPECT_EQ(cad.ShapeById(-4), nullptr);
    EXPECT_EQ(cad.ShapeById(3), cad.ShapeByIndex(2));
    EXPECT_EQ(cad.RenumberUnreachableShapes(), 2);
    std::set<int> ids;
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TMyShape* shape = cad.ShapeByIndex(i);
        EXPECT_EQ(cad.ShapeById(shape->ShapeId()), shape) << i;
        ids.insert(shape->ShapeId());
    }
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(cad.ShapeByIndex(1)->ShapeId(), 1); // sound ids stay
    EXPECT_EQ(cad.RenumberUnreachableShapes(), 0);

    // The largest possible id leaves no room after it: every shape is numbered afresh.
    written.ShapeByIndex(0)->SetShapeId(std::numeric_limits<int>::max());
    TMyCAD full;
    ASSERT_TRUE(Load(full, Save(written)));
    EXPECT_EQ(full.RenumberUnreachableShapes(), 4);
    for (int i = 0; i < full.ShapeCount(); ++i)
        EXPECT_EQ(full.ShapeById(i), full.ShapeByIndex(i));
    EXPECT_EQ(AddLine(full, 0, 0, 9, 9), 4);
}
