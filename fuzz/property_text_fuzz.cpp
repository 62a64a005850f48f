// The designer inspector's value texts: any text typed into any property of the canvas
// or of a shape of each kind. Input: one byte choosing the component, then the
// property path, a line break and the value text. A refused text must leave every
// shown value as it was.
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "report/ComponentProperties.h"

#include <QPointF>

#include <cstdint>
#include <cstdlib>

namespace {

// Every shown value of the component, nested rows included.
QStringList Values(const std::vector<ComponentProperty>& list)
{
    QStringList values;
    for (const ComponentProperty& p : list) {
        values.append(p.path + QLatin1Char('=') + p.value);
        values.append(Values(p.children));
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype lineBreak = input.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return 0;
    const QString path = input.left(lineBreak);
    const QString text = input.mid(lineBreak + 1);

    TMyCAD cad;
    const std::vector<QPointF> box = { QPointF(10, 10), QPointF(90, 10), QPointF(90, 50), QPointF(10, 50) };
    cad.AddShape(SpText, QStringLiteral("Text"), 0.0f, box, QStringLiteral("Text1"));
    cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(0, 0), QPointF(50, 20) }, QStringLiteral("Rule1"));
    cad.AddShape(SpElliArc, QString(), 0.0f, { QPointF(0, 0), QPointF(10, 5), QPointF(30, 20) }, QString());
    cad.AppendShape(std::make_unique<TMyImage>(&cad));
    const int choice = data[0] % (cad.ShapeCount() + 1);
    TMyShape* shape = choice == 0 ? nullptr : cad.ShapeByIndex(choice - 1);

    ComponentProperties props(cad, shape);
    const auto property = props.Find(path);
    // Picture texts name files to read; the fuzzer must not open arbitrary paths.
    if (property && property->kind == PropertyKind::Picture)
        return 0;
    const QStringList before = Values(props.List());
    QString error;
    if (!props.SetValue(path, text, &error)) {
        if (error.isEmpty() || Values(props.List()) != before)
            std::abort();
    }
    return 0;
}
