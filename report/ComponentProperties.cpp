#include "report/ComponentProperties.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyShape.h"
#include "common/TNVFreeImage.h"
#include "report/PropertyBinders.h"

#include <algorithm>
#include <array>

namespace {

struct NamedColor
{
    TColor color;
    const char* name;
};

// The colour names of classic inspectors: the standard colours, then the system
// colours (negative values: 0xFF000000 plus the system colour index).
constexpr std::array kColorNames = {
    NamedColor { 0x000000, "clBlack" },
    NamedColor { 0x000080, "clMaroon" },
    NamedColor { 0x008000, "clGreen" },
    NamedColor { 0x008080, "clOlive" },
    NamedColor { 0x800000, "clNavy" },
    NamedColor { 0x800080, "clPurple" },
    NamedColor { 0x808000, "clTeal" },
    NamedColor { 0x808080, "clGray" },
    NamedColor { 0xC0C0C0, "clSilver" },
    NamedColor { 0x0000FF, "clRed" },
    NamedColor { 0x00FF00, "clLime" },
    NamedColor { 0x00FFFF, "clYellow" },
    NamedColor { 0xFF0000, "clBlue" },
    NamedColor { 0xFF00FF, "clFuchsia" },
    NamedColor { 0xFFFF00, "clAqua" },
    NamedColor { 0xFFFFFF, "clWhite" },
    NamedColor { 0xC0DCC0, "clMoneyGreen" },
    NamedColor { 0xF0CAA6, "clSkyBlue" },
    NamedColor { 0xF0FBFF, "clCream" },
    NamedColor { 0xA4A0A0, "clMedGray" },
    NamedColor { int32_t(0xFF000000), "clScrollBar" },
    NamedColor { int32_t(0xFF000001), "clBackground" },
    NamedColor { int32_t(0xFF000002), "clActiveCaption" },
    NamedColor { int32_t(0xFF000003), "clInactiveCaption" },
    NamedColor { int32_t(0xFF000004), "clMenu" },
    NamedColor { int32_t(0xFF000005), "clWindow" },
    NamedColor { int32_t(0xFF000006), "clWindowFrame" },
    NamedColor { int32_t(0xFF000007), "clMenuText" },
    NamedColor { int32_t(0xFF000008), "clWindowText" },
    NamedColor { int32_t(0xFF000009), "clCaptionText" },
    NamedColor { int32_t(0xFF00000A), "clActiveBorder" },
    NamedColor { int32_t(0xFF00000B), "clInactiveBorder" },
    NamedColor { int32_t(0xFF00000C), "clAppWorkSpace" },
    NamedColor { int32_t(0xFF00000D), "clHighlight" },
    NamedColor { int32_t(0xFF00000E), "clHighlightText" },
    NamedColor { int32_t(0xFF00000F), "clBtnFace" },
    NamedColor { int32_t(0xFF000010), "clBtnShadow" },
    NamedColor { int32_t(0xFF000011), "clGrayText" },
    NamedColor { int32_t(0xFF000012), "clBtnText" },
    NamedColor { int32_t(0xFF000013), "clInactiveCaptionText" },
    NamedColor { int32_t(0xFF000014), "clBtnHighlight" },
    NamedColor { int32_t(0xFF000015), "cl3DDkShadow" },
    NamedColor { int32_t(0xFF000016), "cl3DLight" },
    NamedColor { int32_t(0xFF000017), "clInfoText" },
    NamedColor { int32_t(0xFF000018), "clInfoBk" },
    NamedColor { 0x1FFFFFFF, "clNone" },
    NamedColor { 0x20000000, "clDefault" },
};

void SortByName(std::vector<ComponentProperties::Binding>& bindings)
{
    std::stable_sort(bindings.begin(), bindings.end(),
        [](const auto& a, const auto& b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    for (auto& binding : bindings)
        SortByName(binding.children);
}

ComponentProperty Snapshot(const ComponentProperties::Binding& binding, const QString& parentPath)
{
    ComponentProperty property;
    property.name = binding.name;
    property.path = parentPath.isEmpty() ? binding.name : parentPath + QLatin1Char('.') + binding.name;
    property.kind = binding.kind;
    property.value = binding.text ? binding.text() : QString();
    property.valueNames = binding.valueNames;
    for (const auto& child : binding.children)
        property.children.push_back(Snapshot(child, property.path));
    return property;
}

} // namespace

using PropertyBinders::Fail;

ComponentProperties::ComponentProperties(TMyCAD& canvas, TMyShape* shape)
    : m_canvas(&canvas)
    , m_shape(shape)
{
    Bind();
    SortByName(m_bindings);
}

ComponentProperties::~ComponentProperties() = default;
ComponentProperties::ComponentProperties(ComponentProperties&&) noexcept = default;
ComponentProperties& ComponentProperties::operator=(ComponentProperties&&) noexcept = default;

QString ComponentProperties::ClassName() const
{
    return m_shape != nullptr ? QString::fromLatin1(m_shape->ClassName()) : QStringLiteral("TMyCAD");
}

std::vector<ComponentProperty> ComponentProperties::List() const
{
    std::vector<ComponentProperty> list;
    list.reserve(m_bindings.size());
    for (const auto& binding : m_bindings)
        list.push_back(Snapshot(binding, QString()));
    return list;
}

const ComponentProperties::Binding* ComponentProperties::Lookup(const QString& path, QString* canonical) const
{
    const std::vector<Binding>* level = &m_bindings;
    const Binding* found = nullptr;
    QStringList names;
    for (const QString& part : path.split(QLatin1Char('.'))) {
        found = nullptr;
        for (const auto& binding : *level) {
            if (binding.name.compare(part.trimmed(), Qt::CaseInsensitive) == 0) {
                found = &binding;
                break;
            }
        }
        if (found == nullptr)
            return nullptr;
        names.append(found->name);
        level = &found->children;
    }
    if (canonical != nullptr)
        *canonical = names.join(QLatin1Char('.'));
    return found;
}

std::optional<ComponentProperty> ComponentProperties::Find(const QString& path) const
{
    QString canonical;
    const Binding* binding = Lookup(path, &canonical);
    if (binding == nullptr)
        return std::nullopt;
    const qsizetype dot = canonical.lastIndexOf(QLatin1Char('.'));
    return Snapshot(*binding, dot < 0 ? QString() : canonical.left(dot));
}

QString ComponentProperties::Value(const QString& path) const
{
    const Binding* binding = Lookup(path);
    return binding != nullptr && binding->text ? binding->text() : QString();
}

bool ComponentProperties::SetValue(const QString& path, const QString& text, QString* error)
{
    const Binding* binding = Lookup(path);
    if (binding == nullptr)
        return Fail(error, QStringLiteral("Unknown property %1").arg(path));
    if (!binding->parse) {
        if (binding->kind == PropertyKind::ReadOnly)
            return Fail(error, QStringLiteral("Property %1 is read-only").arg(binding->name));
        return Fail(error, QStringLiteral("Property %1 is edited through its rows or its editor").arg(binding->name));
    }
    if (!binding->parse(text, error))
        return false;
    m_canvas->SetModified(true);
    m_canvas->Invalidate();
    return true;
}

std::any ComponentProperties::GetTyped(const QString& path, PropertyKind kind) const
{
    const Binding* binding = Lookup(path);
    if (binding == nullptr || binding->kind != kind || !binding->get)
        return {};
    return binding->get();
}

bool ComponentProperties::SetTyped(const QString& path, PropertyKind kind, const std::any& value, QString* error)
{
    const Binding* binding = Lookup(path);
    if (binding == nullptr || binding->kind != kind || !binding->set)
        return Fail(error, QStringLiteral("Unknown property %1").arg(path));
    if (!binding->set(value, error))
        return false;
    m_canvas->SetModified(true);
    m_canvas->Invalidate();
    return true;
}

std::optional<TColor> ComponentProperties::Color(const QString& path) const
{
    const std::any value = GetTyped(path, PropertyKind::Color);
    return value.has_value() ? std::optional(std::any_cast<TColor>(value)) : std::nullopt;
}

bool ComponentProperties::SetColor(const QString& path, TColor color, QString* error)
{
    return SetTyped(path, PropertyKind::Color, color, error);
}

std::optional<TMyFont> ComponentProperties::Font(const QString& path) const
{
    const std::any value = GetTyped(path, PropertyKind::Font);
    return value.has_value() ? std::optional(std::any_cast<TMyFont>(value)) : std::nullopt;
}

bool ComponentProperties::SetFont(const QString& path, const TMyFont& font, QString* error)
{
    return SetTyped(path, PropertyKind::Font, font, error);
}

std::optional<QStringList> ComponentProperties::Lines(const QString& path) const
{
    const std::any value = GetTyped(path, PropertyKind::StringList);
    return value.has_value() ? std::optional(std::any_cast<QStringList>(value)) : std::nullopt;
}

bool ComponentProperties::SetLines(const QString& path, const QStringList& lines, QString* error)
{
    return SetTyped(path, PropertyKind::StringList, lines, error);
}

std::optional<QImage> ComponentProperties::Picture(const QString& path) const
{
    const std::any value = GetTyped(path, PropertyKind::Picture);
    return value.has_value() ? std::optional(std::any_cast<QImage>(value)) : std::nullopt;
}

bool ComponentProperties::SetPicture(const QString& path, const QImage& picture, QString* error)
{
    return SetTyped(path, PropertyKind::Picture, picture, error);
}

std::optional<TUserData> ComponentProperties::UserData(const QString& path) const
{
    const std::any value = GetTyped(path, PropertyKind::UserData);
    return value.has_value() ? std::optional(std::any_cast<TUserData>(value)) : std::nullopt;
}

bool ComponentProperties::SetUserData(const QString& path, const TUserData& data, QString* error)
{
    return SetTyped(path, PropertyKind::UserData, data, error);
}

QString ComponentProperties::ColorText(TColor color)
{
    for (const NamedColor& named : kColorNames)
        if (named.color == color)
            return QString::fromLatin1(named.name);
    return QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<TColor> ComponentProperties::ParseColor(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const NamedColor& named : kColorNames)
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.color;
    bool ok = false;
    qint64 value = 0;
    if (trimmed.startsWith(QLatin1Char('$')) && trimmed.size() > 1 && trimmed.size() <= 9)
        value = trimmed.mid(1).toLongLong(&ok, 16);
    else if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && trimmed.size() > 2 && trimmed.size() <= 10)
        value = trimmed.mid(2).toLongLong(&ok, 16);
    else
        value = trimmed.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min() || value > qint64(std::numeric_limits<uint32_t>::max()))
        return std::nullopt;
    return static_cast<TColor>(static_cast<uint32_t>(value));
}

QStringList ComponentProperties::ColorNames()
{
    QStringList names;
    for (const NamedColor& named : kColorNames)
        names.append(QString::fromLatin1(named.name));
    return names;
}

QImage ComponentProperties::LoadPicture(const QString& path, QString* error)
{
    QString reason;
    const auto bitmap = TNVFreeImage().Load(path, &reason);
    const QImage picture = bitmap ? bitmap->ToQImage() : QImage();
    if (picture.isNull())
        Fail(error, QStringLiteral("Cannot load the picture %1: %2").arg(path, reason));
    return picture;
}
