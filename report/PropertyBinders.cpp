#include "report/PropertyBinders.h"

#include "canvas/CanvasTypeNames.h"
#include "common/NumberText.h"

#include <charconv>
#include <cmath>

namespace PropertyBinders {

namespace {

QString InvalidValue()
{
    return QStringLiteral("Invalid property value");
}

QString FloatText(double value, bool float32)
{
    if (!float32)
        return NumberText::Shortest(value);
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, float(value));
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// A number with "." or, as people type it here, "," as decimal separator.
std::optional<double> ParseFloat(const QString& text)
{
    if (auto value = NumberText::ParseDouble(text, QLatin1Char('.')))
        return value;
    return NumberText::ParseDouble(text, QLatin1Char(','));
}

// The index of a name in the list, matched without regard to case.
int IndexOfName(const QStringList& names, const QString& text)
{
    const QString wanted = text.trimmed();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString SetText(const QStringList& names, int bits)
{
    QStringList on;
    for (int i = 0; i < names.size(); ++i)
        if (bits & (1 << i))
            on.append(names[i]);
    return QLatin1Char('[') + on.join(QLatin1Char(',')) + QLatin1Char(']');
}

// "[fsBold, fsItalic]" (brackets optional) as bits; nothing for an unknown element.
std::optional<int> ParseSet(const QStringList& names, const QString& text)
{
    QString inner = text.trimmed();
    if (inner.startsWith(QLatin1Char('[')) && inner.endsWith(QLatin1Char(']')))
        inner = inner.mid(1, inner.size() - 2);
    int bits = 0;
    for (const QString& part : inner.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int index = IndexOfName(names, part);
        if (index < 0)
            return std::nullopt;
        bits |= 1 << index;
    }
    return bits;
}

Binding ObjectProp(const QString& name, const QString& typeName, std::vector<Binding> children)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Object;
    b.text = [typeName] { return QLatin1Char('(') + typeName + QLatin1Char(')'); };
    b.children = std::move(children);
    return b;
}

// A child row that edits one field of an object: reads a copy, changes the field, sets the copy.
template <typename T, typename Field>
std::function<void(Field)> FieldSetter(
    std::function<T()> get, std::function<void(const T&)> set, std::function<void(T&, Field)> change)
{
    return [get, set, change](Field value) {
        T object = get();
        change(object, value);
        set(object);
    };
}

} // namespace

bool Fail(QString* error, const QString& text)
{
    if (error != nullptr)
        *error = text;
    return false;
}

FloatCheck Positive()
{
    return [](double v) -> std::optional<QString> {
        if (v > 0)
            return std::nullopt;
        return QStringLiteral("Value must be greater than 0");
    };
}

FloatCheck Between(double low, double high)
{
    return [low, high](double v) -> std::optional<QString> {
        if (v >= low && v <= high)
            return std::nullopt;
        return QStringLiteral("Value must be between %1 and %2")
            .arg(NumberText::Shortest(low), NumberText::Shortest(high));
    };
}

Binding IntProp(
    const QString& name, std::function<qint64()> get, std::function<void(qint64)> set, qint64 low, qint64 high)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Integer;
    b.text = [get] { return QString::number(get()); };
    b.parse = [set, low, high](const QString& text, QString* error) {
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        if (!ok)
            return Fail(error, QStringLiteral("'%1' is not a valid integer value").arg(text));
        if (value < low || value > high)
            return Fail(error, QStringLiteral("Value must be between %1 and %2").arg(low).arg(high));
        set(value);
        return true;
    };
    return b;
}

Binding FloatProp(
    const QString& name, std::function<double()> get, std::function<void(double)> set, bool float32, FloatCheck check)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Float;
    b.text = [get, float32] { return FloatText(get(), float32); };
    b.parse = [set, float32, check](const QString& text, QString* error) {
        const std::optional<double> value = ParseFloat(text);
        const double limit = float32 ? double(std::numeric_limits<float>::max()) : std::numeric_limits<double>::max();
        if (!value || !std::isfinite(*value) || std::fabs(*value) > limit)
            return Fail(error, QStringLiteral("'%1' is not a valid floating point value").arg(text));
        if (check) {
            if (const auto reason = check(*value))
                return Fail(error, *reason);
        }
        set(*value);
        return true;
    };
    return b;
}

Binding BoolProp(const QString& name, std::function<bool()> get, std::function<void(bool)> set)
{
    Binding b = EnumProp(
        name, { QStringLiteral("False"), QStringLiteral("True") }, [get] { return get() ? 1 : 0; },
        [set](int v) { set(v != 0); });
    b.kind = PropertyKind::Bool;
    return b;
}

Binding EnumProp(const QString& name, const QStringList& names, std::function<int()> get, std::function<void(int)> set)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Enumeration;
    b.valueNames = names;
    b.text = [get, names] { return CanvasTypeNames::NameOf(names, get()); };
    b.parse = [set, names](const QString& text, QString* error) {
        const int index = IndexOfName(names, text);
        if (index < 0)
            return Fail(error, InvalidValue());
        set(index);
        return true;
    };
    return b;
}

Binding TextProp(
    const QString& name, std::function<QString()> get, std::function<void(const QString&)> set, TextCheck check)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Text;
    b.text = get;
    b.parse = [set, check](const QString& text, QString* error) {
        if (check) {
            if (const auto reason = check(text))
                return Fail(error, *reason);
        }
        set(text);
        return true;
    };
    return b;
}

Binding ColorProp(const QString& name, std::function<TColor()> get, std::function<void(TColor)> set)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Color;
    b.valueNames = ComponentProperties::ColorNames();
    b.text = [get] { return ComponentProperties::ColorText(get()); };
    b.parse = [set](const QString& text, QString* error) {
        const std::optional<TColor> color = ComponentProperties::ParseColor(text);
        if (!color)
            return Fail(error, QStringLiteral("'%1' is not a valid colour").arg(text));
        set(*color);
        return true;
    };
    b.get = [get] { return std::any(get()); };
    b.set = [set](const std::any& value, QString*) {
        set(std::any_cast<TColor>(value));
        return true;
    };
    return b;
}

QStringList SplitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

Binding LinesProp(const QString& name, std::function<QStringList()> get, std::function<void(const QStringList&)> set)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::StringList;
    b.text = [] { return QStringLiteral("(TStrings)"); };
    b.parse = [set](const QString& text, QString*) {
        set(SplitLines(text));
        return true;
    };
    b.get = [get] { return std::any(get()); };
    b.set = [set](const std::any& value, QString*) {
        set(std::any_cast<QStringList>(value));
        return true;
    };
    return b;
}

Binding PictureProp(const QString& name, std::function<QImage()> get, std::function<void(const QImage&)> set)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::Picture;
    b.text = [get] { return get().isNull() ? QStringLiteral("(None)") : QStringLiteral("(TBitmap)"); };
    b.parse = [set](const QString& text, QString* error) {
        const QString path = text.trimmed();
        if (path.isEmpty()) {
            set(QImage());
            return true;
        }
        const QImage picture = ComponentProperties::LoadPicture(path, error);
        if (picture.isNull())
            return false;
        set(picture);
        return true;
    };
    b.get = [get] { return std::any(get()); };
    b.set = [set](const std::any& value, QString*) {
        set(std::any_cast<QImage>(value));
        return true;
    };
    return b;
}

std::optional<TUserData> ParseUserData(const QString& text, QString* error)
{
    TUserData data;
    for (const QString& line : SplitLines(text)) {
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            Fail(error, QStringLiteral("'%1' is not a key=value pair").arg(line));
            return std::nullopt;
        }
        const QString key = line.left(equals).trimmed();
        if (key.isEmpty()) {
            Fail(error, QStringLiteral("A key must not be empty"));
            return std::nullopt;
        }
        if (!data.Add(key, line.mid(equals + 1).trimmed())) {
            Fail(error, QStringLiteral("The key %1 is given twice").arg(key));
            return std::nullopt;
        }
    }
    return data;
}

Binding UserDataProp(const QString& name, std::function<TUserData()> get, std::function<void(const TUserData&)> set)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::UserData;
    b.text = [] { return QStringLiteral("(TUserData)"); };
    b.parse = [set](const QString& text, QString* error) {
        const std::optional<TUserData> data = ParseUserData(text, error);
        if (!data)
            return false;
        set(*data);
        return true;
    };
    b.get = [get] { return std::any(get()); };
    b.set = [set](const std::any& value, QString*) {
        set(std::any_cast<TUserData>(value));
        return true;
    };
    return b;
}

Binding ReadOnlyProp(const QString& name, std::function<QString()> get)
{
    Binding b;
    b.name = name;
    b.kind = PropertyKind::ReadOnly;
    b.text = std::move(get);
    return b;
}

Binding FontProp(const QString& name, std::function<TMyFont()> get, std::function<void(const TMyFont&)> set)
{
    using F = TMyFont;
    const auto field = [&](auto change) { return FieldSetter<F, qint64>(get, set, change); };
    const QStringList& styles = CanvasTypeNames::FontStyle();

    std::vector<Binding> styleBits;
    for (int i = 0; i < styles.size(); ++i) {
        const int bit = 1 << i;
        styleBits.push_back(BoolProp(
            styles[i], [get, bit] { return (get().style & bit) != 0; },
            FieldSetter<F, bool>(
                get, set, [bit](F& f, bool on) { f.style = uint8_t(on ? f.style | bit : f.style & ~bit); })));
    }
    Binding style;
    style.name = QStringLiteral("Style");
    style.kind = PropertyKind::Set;
    style.valueNames = styles;
    style.text = [get, styles] { return SetText(styles, get().style); };
    const auto setStyle = FieldSetter<F, int>(get, set, [](F& f, int bits) { f.style = uint8_t(bits); });
    style.parse = [setStyle, styles](const QString& text, QString* error) {
        const std::optional<int> bits = ParseSet(styles, text);
        if (!bits)
            return Fail(error, InvalidValue());
        setStyle(*bits);
        return true;
    };
    style.children = std::move(styleBits);

    std::vector<Binding> children;
    children.push_back(IntProp(
        QStringLiteral("Charset"), [get] { return get().charset; },
        field([](F& f, qint64 v) { f.charset = uint8_t(v); }), 0, 255));
    children.push_back(ColorProp(
        QStringLiteral("Color"), [get] { return get().color; },
        FieldSetter<F, TColor>(get, set, [](F& f, TColor v) { f.color = v; })));
    // Height is the cell height in pixels (negative: character height); the point size follows it.
    children.push_back(IntProp(
        QStringLiteral("Height"), [get] { return get().height; }, field([](F& f, qint64 v) {
            f.height = int32_t(v);
            const int ppi = f.pixelsPerInch > 0 ? f.pixelsPerInch : 96;
            f.size = -int32_t(std::lround(double(v) * 72.0 / ppi));
        }),
        -1000, 1000));
    children.push_back(TextProp(
        QStringLiteral("Name"), [get] { return get().name; },
        FieldSetter<F, const QString&>(get, set, [](F& f, const QString& v) { f.name = v.trimmed(); }),
        [](const QString& v) -> std::optional<QString> {
            if (v.trimmed().isEmpty())
                return QStringLiteral("A font name must not be empty");
            return std::nullopt;
        }));
    children.push_back(EnumProp(
        QStringLiteral("Pitch"), CanvasTypeNames::FontPitch(), [get] { return int(get().pitch); },
        FieldSetter<F, int>(get, set, [](F& f, int v) { f.pitch = uint8_t(v); })));
    children.push_back(IntProp(
        QStringLiteral("Size"), [get] { return get().size; }, field([](F& f, qint64 v) { f.SetSize(int32_t(v)); }), 1,
        1000));
    children.push_back(std::move(style));

    Binding b = ObjectProp(name, QStringLiteral("TFont"), std::move(children));
    b.kind = PropertyKind::Font;
    b.get = [get] { return std::any(get()); };
    b.set = [set](const std::any& value, QString* error) {
        const TMyFont font = std::any_cast<TMyFont>(value);
        if (font.name.trimmed().isEmpty() || font.size < 1 || font.size > 1000)
            return Fail(error, InvalidValue());
        set(font);
        return true;
    };
    return b;
}

Binding PenProp(const QString& name, std::function<TMyPen()> get, std::function<void(const TMyPen&)> set)
{
    using P = TMyPen;
    std::vector<Binding> children;
    children.push_back(ColorProp(
        QStringLiteral("Color"), [get] { return get().color; },
        FieldSetter<P, TColor>(get, set, [](P& p, TColor v) { p.color = v; })));
    children.push_back(EnumProp(
        QStringLiteral("Mode"), CanvasTypeNames::PenMode(), [get] { return int(get().mode); },
        FieldSetter<P, int>(get, set, [](P& p, int v) { p.mode = uint8_t(v); })));
    children.push_back(EnumProp(
        QStringLiteral("Style"), CanvasTypeNames::PenStyle(), [get] { return int(get().style); },
        FieldSetter<P, int>(get, set, [](P& p, int v) { p.style = uint8_t(v); })));
    children.push_back(IntProp(
        QStringLiteral("Width"), [get] { return get().width; },
        FieldSetter<P, qint64>(get, set, [](P& p, qint64 v) { p.width = int32_t(v); }), 0, 1000));
    return ObjectProp(name, QStringLiteral("TPen"), std::move(children));
}

Binding BrushProp(const QString& name, std::function<TMyBrush()> get, std::function<void(const TMyBrush&)> set)
{
    using B = TMyBrush;
    std::vector<Binding> children;
    children.push_back(ColorProp(
        QStringLiteral("Color"), [get] { return get().color; },
        FieldSetter<B, TColor>(get, set, [](B& b, TColor v) { b.color = v; })));
    children.push_back(EnumProp(
        QStringLiteral("Style"), CanvasTypeNames::BrushStyle(), [get] { return int(get().style); },
        FieldSetter<B, int>(get, set, [](B& b, int v) { b.style = uint8_t(v); })));
    return ObjectProp(name, QStringLiteral("TBrush"), std::move(children));
}

Binding GridProp(const QString& name, std::function<TGridObject()> get, std::function<void(const TGridObject&)> set)
{
    using G = TGridObject;
    // A grid finer than a unit would draw an unbounded number of lines.
    const FloatCheck spacing = Between(1, 10000);
    std::vector<Binding> children;
    children.push_back(ColorProp(
        QStringLiteral("GridColor"), [get] { return get().GridColor; },
        FieldSetter<G, TColor>(get, set, [](G& g, TColor v) { g.GridColor = v; })));
    children.push_back(FloatProp(
        QStringLiteral("GridHeight"), [get] { return get().GridHeight; },
        FieldSetter<G, double>(get, set, [](G& g, double v) { g.GridHeight = v; }), false, spacing));
    children.push_back(IntProp(
        QStringLiteral("GridPenSize"), [get] { return get().GridPenSize; },
        FieldSetter<G, qint64>(get, set, [](G& g, qint64 v) { g.GridPenSize = uint8_t(v); }), 0, 255));
    children.push_back(BoolProp(
        QStringLiteral("GridShow"), [get] { return get().GridShow; },
        FieldSetter<G, bool>(get, set, [](G& g, bool v) { g.GridShow = v; })));
    children.push_back(EnumProp(
        QStringLiteral("GridType"), CanvasTypeNames::GridType(), [get] { return int(get().GridType); },
        FieldSetter<G, int>(get, set, [](G& g, int v) { g.GridType = TGridType(v); })));
    children.push_back(FloatProp(
        QStringLiteral("GridWidth"), [get] { return get().GridWidth; },
        FieldSetter<G, double>(get, set, [](G& g, double v) { g.GridWidth = v; }), false, spacing));
    return ObjectProp(name, QStringLiteral("TGridObject"), std::move(children));
}

} // namespace PropertyBinders
