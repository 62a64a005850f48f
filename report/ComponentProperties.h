#pragma once

#include "canvas/CanvasTypes.h"
#include "canvas/TUserData.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <any>
#include <functional>
#include <optional>
#include <vector>

class TMyCAD;
class TMyShape;

// How a property is shown and edited.
enum class PropertyKind {
    Integer,
    Float,
    Text,
    Bool,
    Enumeration, // one of valueNames
    Set, // a subset of valueNames, shown "[fsBold,fsItalic]", with one Bool row per element
    Color, // shown "clWhite" or "$00BBGGRR"
    Font, // nested rows, or the font dialog
    Object, // pen, brush, grid: nested rows only
    StringList, // lines; set by text with one line per text line
    Picture, // set by text with a picture file path ("" clears)
    UserData, // key/value pairs; set by text with one "key=value" per line
    ReadOnly
};

// One published property with its current value, as an object inspector lists it.
struct ComponentProperty
{
    QString name; // "Width"
    QString path; // "Pen.Width"
    PropertyKind kind = PropertyKind::Text;
    QString value; // the text the inspector shows
    QStringList valueNames; // enumeration and set elements in ordinal order; "False", "True" for Bool
    std::vector<ComponentProperty> children; // sorted by name
};

// The published properties of one shape (by its real class) or of the canvas itself,
// sorted by name like a classic object inspector, without event properties. Values
// are applied through the shape's and the canvas's own setters, so group propagation,
// flips, rotation and locking happen as the canvas defines them, and the canvas is
// asked to repaint. Text that does not fit a property is refused with a reason and
// changes nothing.
//
// The object holds a raw pointer to the shape: make a new one after the canvas may
// have deleted shapes (look the shape up by ShapeId first).
class ComponentProperties
{
public:
    // shape null: the canvas's own properties.
    ComponentProperties(TMyCAD& canvas, TMyShape* shape);
    ~ComponentProperties();
    ComponentProperties(ComponentProperties&&) noexcept;
    ComponentProperties& operator=(ComponentProperties&&) noexcept;

    // "TMyText", ..., or "TMyCAD" for the canvas.
    QString ClassName() const;
    std::vector<ComponentProperty> List() const;
    // The property at a dotted path ("Pen.Width", "Font.Style.fsBold"); names match without regard to case.
    std::optional<ComponentProperty> Find(const QString& path) const;
    // The shown value; empty text for an unknown path.
    QString Value(const QString& path) const;
    // Parses the text as the property's kind and applies it; false with the reason
    // when the path is unknown, read-only, or the text does not fit.
    bool SetValue(const QString& path, const QString& text, QString* error = nullptr);

    // Typed access for the editor dialogs; nothing / false when the path is not of that kind.
    std::optional<TColor> Color(const QString& path) const;
    bool SetColor(const QString& path, TColor color, QString* error = nullptr);
    std::optional<TMyFont> Font(const QString& path) const;
    bool SetFont(const QString& path, const TMyFont& font, QString* error = nullptr);
    std::optional<QStringList> Lines(const QString& path) const;
    bool SetLines(const QString& path, const QStringList& lines, QString* error = nullptr);
    std::optional<QImage> Picture(const QString& path) const;
    bool SetPicture(const QString& path, const QImage& picture, QString* error = nullptr);
    std::optional<TUserData> UserData(const QString& path) const;
    bool SetUserData(const QString& path, const TUserData& data, QString* error = nullptr);

    // Colours as classic inspectors show them: the standard and system colour names
    // ("clWhite", "clBtnFace"), otherwise "$" and eight hex digits ("$00C0DCC1").
    static QString ColorText(TColor color);
    // Reads a colour name, "$" hex or a decimal number; nothing for other text.
    static std::optional<TColor> ParseColor(const QString& text);
    // The names ColorText uses, standard colours first.
    static QStringList ColorNames();
    // Decodes a picture file through the picture loader; a null image, with the reason, when it cannot.
    static QImage LoadPicture(const QString& path, QString* error = nullptr);

    // How a property reads and writes its value; built per class (ComponentPropertiesBindings.cpp).
    struct Binding
    {
        QString name;
        PropertyKind kind = PropertyKind::Text;
        QStringList valueNames;
        std::function<QString()> text;
        // Parses and applies text; empty for read-only properties.
        std::function<bool(const QString& text, QString* error)> parse;
        // The typed value (TColor, TMyFont, QStringList, QImage, TUserData) and its setter.
        std::function<std::any()> get;
        std::function<bool(const std::any& value, QString* error)> set;
        std::vector<Binding> children;
    };

private:
    void Bind();
    void BindShape(TMyShape& shape);
    void BindShapeClass(TMyShape& shape);
    void BindCanvas();
    // The binding at a path; `canonical` receives the path spelt as the properties are named.
    const Binding* Lookup(const QString& path, QString* canonical = nullptr) const;
    bool SetTyped(const QString& path, PropertyKind kind, const std::any& value, QString* error);
    std::any GetTyped(const QString& path, PropertyKind kind) const;

    TMyCAD* m_canvas;
    TMyShape* m_shape;
    std::vector<Binding> m_bindings;
};
