// The canvas stream: saving, loading every version from "XP.3" to "XP.h", and
// canvas files.
#include "canvas/TMyCAD.h"

#include "canvas/DxfExport.h"
#include "canvas/PictureBlock.h"
#include "canvas/ShapeFactory.h"
#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"
#include "canvas/TMyLine.h"
#include "common/AtomicFile.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <limits>

namespace {

const QString kSignature = QStringLiteral("Vellmar Component");
const QString kDescription = QStringLiteral("Vellmar vector canvas drawing stream.");
const QString kDate = QStringLiteral("20060508");
constexpr int kSignatureWidth = 64;
constexpr int kDescriptionWidth = 64;
constexpr int kVersionWidth = 16;
constexpr int kDateWidth = 10;
constexpr int kReservedWidth = 64;
constexpr int kClassNameWidth = 16;
// The smallest possible shape record after its class name (all counts 0, "XP.3").
constexpr qint64 kMinShapeBytes = 80;

// The stream version named by a header text; false for versions this reader does not know.
bool ParseVersion(const QString& text, StreamVersion& version)
{
    static const char* const kNames[]
        = { "XP.2", "XP.3", "XP.4", "XP.5", "XP.6", "XP.7", "XP.8", "XP.9", "XP.a", "XP.e", "XP.h" };
    for (int i = 1; i <= XPh; ++i) // "XP.2" lacks a defined layout and is refused
        if (text == QLatin1String(kNames[i])) {
            version = static_cast<StreamVersion>(i);
            return true;
        }
    return false;
}

} // namespace

bool TMyCAD::SaveToStream(QIODevice& stream)
{
    m_lastError.clear();
    try {
        StreamWriter writer(stream);
        writer.WriteFixedText(kSignature, kSignatureWidth);
        writer.WriteFixedText(kDescription, kDescriptionWidth);
        writer.WriteFixedText(QStringLiteral("XP.h"), kVersionWidth);
        writer.WriteFixedText(kDate, kDateWidth);
        char reserved[kReservedWidth];
        std::fill(reserved, reserved + kReservedWidth - 1, ' ');
        reserved[kReservedWidth - 1] = '\0';
        writer.Write(reserved, kReservedWidth);

        writer.WriteInt32(m_colorOfBackGround);
        writer.WriteInt32(CanvasMath::RoundToInt(m_width / m_zoom));
        writer.WriteInt32(CanvasMath::RoundToInt(m_height / m_zoom));
        writer.WriteByte(m_unit);
        PictureBlock::Write(writer, m_bkBitmap);
        writer.WriteInt32(m_bkBitmapMode);
        writer.WriteFloat64(m_ratio);
        writer.WriteInt32(m_tag);
        writer.WriteInt32(m_userData.Count());
        for (const auto& [key, value] : m_userData.Pairs()) {
            writer.WriteText(key);
            writer.WriteText(value);
        }
        writer.WriteInt32(LayerCount());
        for (const LayerRec& layer : m_layers) {
            writer.WriteText(layer.name);
            writer.WriteInt32(layer.layerId);
            writer.WriteInt32(layer.visible ? 1 : 0);
        }
        writer.WriteInt32(m_currentLayer);
        writer.WriteInt32(ShapeCount());
        for (const auto& shape : m_shapes) {
            writer.WriteFixedText(QString::fromLatin1(shape->ClassName()), kClassNameWidth);
            shape->SaveToStream(writer);
        }
        writer.Flush();
        return true;
    } catch (const std::exception& error) {
        m_lastError = QString::fromUtf8(error.what());
        return false;
    }
}

bool TMyCAD::SaveToFile(const QString& fileName)
{
    // Written into a file without a name that replaces the old one when complete:
    // even a killed process leaves the previous file and nothing beside it.
    AtomicFile file(fileName);
    if (!file.Open()) {
        m_lastError = file.ErrorString();
        return false;
    }
    if (!SaveToStream(file.Device())) {
        file.Cancel();
        return false;
    }
    if (!file.Commit()) {
        m_lastError = file.ErrorString();
        return false;
    }
    m_modified = false;
    return true;
}

bool TMyCAD::IsCanvasFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kSignatureWidth);
    if (head.size() != kSignatureWidth)
        return false;
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    StreamReader reader(buffer);
    return reader.ReadFixedText(kSignatureWidth) == kSignature;
}

bool TMyCAD::LoadFromFile(const QString& fileName)
{
    if (!IsCanvasFile(fileName)) {
        m_lastError = QStringLiteral("not a canvas file");
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = file.errorString();
        return false;
    }
    return LoadFromStream(file);
}

void TMyCAD::ResetForLoad()
{
    m_copyBuffer.clear();
    m_mouse->ToolChanged(m_shapeTool);
    m_previousZoom = m_zoom;
    m_zoom = 1.0;
    m_selection.clear();
    m_hotShape = nullptr;
    m_undo.Clear();
    m_byId.clear();
    m_shapes.clear();
    m_layers.clear();
    m_userData.Clear();
    m_tag = 0;
    m_bkBitmap = QImage();
}

void TMyCAD::RepairAfterLoad()
{
    // A damaged or hand-made stream may hold list indexes that name nothing; they are
    // dropped so that every stored index names a shape of the list.
    const int count = ShapeCount();
    auto valid = [count](int index) { return index >= 0 && index < count; };
    for (int i = 0; i < count; ++i) {
        TMyShape* shape = m_shapes[static_cast<size_t>(i)].get();
        shape->SetShapeIndex(i);
        if (!valid(shape->ParentGroup()) || shape->ParentGroup() == i)
            shape->SetParentGroup(-1);
        for (std::vector<int>* list : { &shape->Children(), &shape->Links() })
            list->erase(
                std::remove_if(list->begin(), list->end(), [&](int index) { return !valid(index) || index == i; }),
                list->end());
        if (auto* link = dynamic_cast<TMyLinkLine*>(shape)) {
            if (!valid(link->StartShapeIndex()))
                link->SetStart(-1, -1);
            if (!valid(link->EndShapeIndex()))
                link->SetEnd(-1, -1);
        }
    }
    if (RepairGroupTree() && m_lastError.isEmpty())
        m_lastError = QStringLiteral("group memberships that formed a cycle or nested too deeply were dissolved");
    RebuildIdMap();
}

bool TMyCAD::RepairGroupTree()
{
    // Groups must form a tree: the member lists are what drawing and style changes
    // follow, so each shape keeps the first group that lists it, a group never holds
    // itself at any depth, and nesting ends at kMaxGroupDepth. Everything here is
    // iterative: a damaged file may nest a hundred thousand levels.
    const int count = ShapeCount();
    bool repaired = false;
    std::vector<int> parent(static_cast<size_t>(count), -1);
    for (int i = 0; i < count; ++i) {
        std::vector<int>& children = m_shapes[static_cast<size_t>(i)]->Children();
        std::vector<int> kept;
        kept.reserve(children.size());
        for (int child : children) {
            if (parent[static_cast<size_t>(child)] >= 0 || child == i) {
                repaired = true;
                continue;
            }
            parent[static_cast<size_t>(child)] = i;
            kept.push_back(child);
        }
        children.swap(kept);
    }
    auto detach = [&](int child) {
        std::vector<int>& siblings = m_shapes[static_cast<size_t>(parent[static_cast<size_t>(child)])]->Children();
        siblings.erase(std::remove(siblings.begin(), siblings.end(), child), siblings.end());
        parent[static_cast<size_t>(child)] = -1;
        repaired = true;
    };
    // Depths from the roots downwards; a shape never reached belongs to a cycle
    // (each shape has one group at most), which is opened at the first such shape.
    std::vector<int> depth(static_cast<size_t>(count), -1);
    std::vector<int> pending;
    auto walk = [&](int root) {
        depth[static_cast<size_t>(root)] = 0;
        pending.assign(1, root);
        while (!pending.empty()) {
            const int current = pending.back();
            pending.pop_back();
            const std::vector<int> children = m_shapes[static_cast<size_t>(current)]->Children();
            for (int child : children) {
                if (depth[static_cast<size_t>(current)] + 1 > kMaxGroupDepth) {
                    detach(child);
                    depth[static_cast<size_t>(child)] = 0;
                } else {
                    depth[static_cast<size_t>(child)] = depth[static_cast<size_t>(current)] + 1;
                }
                pending.push_back(child);
            }
        }
    };
    for (int i = 0; i < count; ++i)
        if (parent[static_cast<size_t>(i)] < 0)
            walk(i);
    std::vector<int> stamp(static_cast<size_t>(count), -1);
    for (int i = 0; i < count; ++i) {
        if (depth[static_cast<size_t>(i)] >= 0)
            continue;
        // Up from i to the first shape met twice: it lies on the cycle.
        int onCycle = i;
        while (stamp[static_cast<size_t>(onCycle)] != i) {
            stamp[static_cast<size_t>(onCycle)] = i;
            onCycle = parent[static_cast<size_t>(onCycle)];
        }
        detach(onCycle);
        walk(onCycle);
    }
    for (int i = 0; i < count; ++i) {
        TMyShape* shape = m_shapes[static_cast<size_t>(i)].get();
        if (shape->ParentGroup() != parent[static_cast<size_t>(i)]) {
            shape->SetParentGroup(parent[static_cast<size_t>(i)]);
            repaired = true;
        }
    }
    return repaired;
}

bool TMyCAD::LoadFromStream(QIODevice& stream)
{
    m_lastError.clear();
    if (!stream.isOpen() || !stream.seek(0)) {
        m_lastError = QStringLiteral("the stream cannot be read from its beginning");
        return false;
    }
    StreamReader reader(stream);
    StreamVersion version = XPh;
    QString versionText;
    try {
        // The header is checked before anything of the canvas changes.
        if (reader.ReadFixedText(kSignatureWidth) != kSignature)
            throw CanvasStreamError("not a canvas stream");
        reader.Skip(kDescriptionWidth);
        versionText = reader.ReadFixedText(kVersionWidth);
        if (!ParseVersion(versionText, version))
            throw CanvasStreamError("an unknown stream version");
        reader.Skip(kDateWidth + kReservedWidth);
    } catch (const std::exception& error) {
        m_lastError = QString::fromUtf8(error.what());
        return false;
    }

    ResetForLoad();
    m_loading = true;
    m_streamVersion = versionText;
    int maxShapeId = -1;
    int maxLayerId = -1;
    bool ok = true;
    try {
        m_colorOfBackGround = reader.ReadInt32();
        const int32_t width = reader.ReadInt32();
        const int32_t height = reader.ReadInt32();
        SetClientSize(width, height);
        m_unit = static_cast<TUnits>(reader.ReadByte());
        m_bkBitmap = PictureBlock::Read(reader);
        m_bkBitmapMode = static_cast<TBkBitmapMode>(reader.ReadInt32() & 0xFF);
        m_ratio = reader.ReadFloat64();
        if (version == XPh) {
            m_tag = reader.ReadInt32();
            const int32_t pairs = reader.ReadInt32();
            reader.CheckCount(pairs, 8);
            for (int32_t i = 0; i < pairs; ++i) {
                const QString key = reader.ReadText();
                m_userData.Add(key, reader.ReadText());
            }
        }
        // Counts of layers and shapes only bound what is reserved: a stream cut short
        // keeps the entries read before its end.
        const int32_t layers = reader.ReadInt32();
        reader.CheckCount(layers, 0);
        m_layers.reserve(static_cast<size_t>(std::min<qint64>(layers, reader.Remaining() / 12)));
        for (int32_t i = 0; i < layers; ++i) {
            LayerRec layer;
            layer.name = reader.ReadText();
            layer.layerId = reader.ReadInt32();
            layer.visible = reader.ReadInt32() == 1;
            maxLayerId = std::max(maxLayerId, layer.layerId);
            m_layers.push_back(layer);
        }
        m_currentLayer = reader.ReadInt32();
        const int32_t shapes = reader.ReadInt32();
        reader.CheckCount(shapes, 0);
        m_shapes.reserve(
            static_cast<size_t>(std::min<qint64>(shapes, reader.Remaining() / (kClassNameWidth + kMinShapeBytes))));
        for (int32_t i = 0; i < shapes; ++i) {
            const QString className = reader.ReadFixedText(kClassNameWidth);
            std::unique_ptr<TMyShape> shape = ShapeFactory::CreateByClassName(className, this);
            if (!shape)
                throw CanvasStreamError("a shape of an unknown class");
            shape->LoadFromStream(reader, version);
            shape->SetCenter(shape->BoxCenter());
            maxShapeId = std::max(maxShapeId, shape->ShapeId());
            m_shapes.push_back(std::move(shape));
        }
    } catch (const std::exception& error) {
        m_lastError = QString::fromUtf8(error.what());
        ok = false;
    }
    // Ids are never reused: the counters continue after the largest ids read.
    m_nextShapeId = maxShapeId < std::numeric_limits<int>::max() ? std::max(maxShapeId + 1, 1) : maxShapeId;
    m_nextLayerId = maxLayerId < std::numeric_limits<int>::max() ? std::max(maxLayerId + 1, 1) : maxLayerId;
    RepairAfterLoad();
    m_undo.Clear();
    m_loading = false;
    m_modified = false;
    Invalidate();
    return ok;
}

bool TMyCAD::ExportDxf(const QString& fileName) const
{
    return DxfExport::Write(*this, fileName, false, &m_lastError);
}

bool TMyCAD::ExportDxfOutlined(const QString& fileName) const
{
    return DxfExport::Write(*this, fileName, true, &m_lastError);
}
