#pragma once

#include "report/ComponentProperties.h"

#include <functional>
#include <optional>

// Builders of property bindings for ComponentProperties: each takes the property's
// name, a getter and a setter, and adds the parsing, range checks and display text
// of its kind. Object-valued properties (pen, brush, font, grid) get one child row
// per field, which changes a copy of the object and hands it to the object's setter.
namespace PropertyBinders {

using Binding = ComponentProperties::Binding;
// Says why a value is refused, or nothing when it is accepted.
using FloatCheck = std::function<std::optional<QString>(double value)>;
using TextCheck = std::function<std::optional<QString>(const QString& text)>;

// Puts the reason into error (when given) and returns false.
bool Fail(QString* error, const QString& text);

FloatCheck Positive();
FloatCheck Between(double low, double high);

Binding IntProp(
    const QString& name, std::function<qint64()> get, std::function<void(qint64)> set, qint64 low, qint64 high);
// float32 values are shown with the fewest digits that read back as the same float.
Binding FloatProp(const QString& name, std::function<double()> get, std::function<void(double)> set, bool float32,
    FloatCheck check = {});
Binding BoolProp(const QString& name, std::function<bool()> get, std::function<void(bool)> set);
Binding EnumProp(const QString& name, const QStringList& names, std::function<int()> get, std::function<void(int)> set);
Binding TextProp(
    const QString& name, std::function<QString()> get, std::function<void(const QString&)> set, TextCheck check = {});
Binding ColorProp(const QString& name, std::function<TColor()> get, std::function<void(TColor)> set);
Binding LinesProp(const QString& name, std::function<QStringList()> get, std::function<void(const QStringList&)> set);
// Set by text with a picture file path, decoded by the picture loader; empty text clears.
Binding PictureProp(const QString& name, std::function<QImage()> get, std::function<void(const QImage&)> set);
Binding UserDataProp(const QString& name, std::function<TUserData()> get, std::function<void(const TUserData&)> set);
Binding ReadOnlyProp(const QString& name, std::function<QString()> get);
Binding FontProp(const QString& name, std::function<TMyFont()> get, std::function<void(const TMyFont&)> set);
Binding PenProp(const QString& name, std::function<TMyPen()> get, std::function<void(const TMyPen&)> set);
Binding BrushProp(const QString& name, std::function<TMyBrush()> get, std::function<void(const TMyBrush&)> set);
Binding GridProp(const QString& name, std::function<TGridObject()> get, std::function<void(const TGridObject&)> set);

// Reads "key=value" lines (blank lines skipped, key and value trimmed); nothing, with
// the reason, when a line has no "=", a key is empty or a key repeats.
std::optional<TUserData> ParseUserData(const QString& text, QString* error);
// The lines of a text, split at line breaks (CR LF or LF); empty text has no lines.
QStringList SplitLines(const QString& text);

} // namespace PropertyBinders
