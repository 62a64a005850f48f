// Canvas streams: any bytes must load without a crash, a hang or an allocation
// beyond what they can hold; whatever loads must keep its list indexes consistent,
// save again, and read back to the same bytes.
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray Save(TMyCAD& cad)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!cad.SaveToStream(buffer))
        std::abort();
    return buffer.data();
}

void CheckIndexes(const TMyCAD& cad)
{
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TMyShape* shape = cad.ShapeByIndex(i);
        if (shape->ShapeIndex() != i)
            std::abort();
        if (shape->ShapeId() >= 0 && shape->ShapeId() < cad.NextShapeId() && cad.ShapeById(shape->ShapeId()) == nullptr)
            std::abort();
        if (shape->ParentGroup() >= cad.ShapeCount())
            std::abort();
        for (int child : shape->Children())
            if (child < 0 || child >= cad.ShapeCount())
                std::abort();
        // Groups form a tree of bounded depth: no shape is its own group at any level.
        int depth = 0;
        for (const TMyShape* s = shape; s->ParentGroup() >= 0; s = cad.ShapeByIndex(s->ParentGroup()))
            if (++depth > TMyCAD::kMaxGroupDepth + 1)
                std::abort();
    }
}

// Style changes walk every member of a group (from the outermost groups, so that
// each shape is reached once).
void SetStyles(TMyCAD& cad)
{
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        TMyShape* shape = cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0)
            continue;
        shape->SetPen(shape->Pen());
        shape->SetFont(shape->Font());
        shape->SetLocked(shape->Locked());
        cad.HitShape(shape, QPointF(1, 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer input;
    input.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    input.open(QIODevice::ReadOnly);
    TMyCAD cad;
    const bool loaded = cad.LoadFromStream(input);
    CheckIndexes(cad);
    SetStyles(cad);

    const QByteArray once = Save(cad);
    if (loaded) {
        TMyCAD again;
        QBuffer saved;
        saved.setData(once);
        saved.open(QIODevice::ReadOnly);
        if (!again.LoadFromStream(saved) || Save(again) != once)
            std::abort();
    }
    // The drawing stays usable: deleting and adding work on whatever was read.
    if (cad.ShapeCount() > 0)
        cad.DeleteShapeById(cad.ShapeByIndex(0)->ShapeId(), true);
    CheckIndexes(cad);
    if (cad.LayerIndexById(cad.CurrentLayer()) >= 0)
        cad.AddShape(SpLine, QString(), 0.0f, { QPointF(0, 0), QPointF(1, 1) }, QStringLiteral("x"));
    CheckIndexes(cad);
    return 0;
}
