#pragma once

#include <QString>
#include <QStringList>

class TMyShape;

// The variable editor's model of one shape's binding: what the editor shows when
// the designer's "V" opens it for a shape, and how the edited text and variable
// list go back into the shape on "OK". Text shapes bind their lines' placeholders
// to a list of variables, image shapes take their picture file from the first
// variable of the list; other shapes have no binding.
class VariableBindingEdit
{
public:
    enum class Kind { None, Text, Image };

    // The fixed text the editor shows, read-only, for an image shape.
    static const QString kImageText;

    // The binding of a shape as the editor shows it: a text shape's lines and
    // variables, an image shape's fixed text and variable (none when unbound).
    static VariableBindingEdit FromShape(const TMyShape& shape);

    Kind ShapeKind() const { return m_kind; }
    const QStringList& Lines() const { return m_lines; }
    const QStringList& Names() const { return m_names; }
    // The text box's lines (only a text shape takes them) and the variable list.
    void SetLines(const QStringList& lines) { m_lines = lines; }
    void SetNames(const QStringList& names) { m_names = names; }

    // Writes the binding into the shape: a text shape gets the lines, its user
    // data replaced by the variable count and names; an image shape's user data
    // is replaced by the first name (none with an empty list). True when the
    // shape changed; a shape of another kind is left alone.
    bool ApplyTo(TMyShape& shape) const;

    // Editing the variable list. Out-of-range rows change nothing; each returns
    // whether the list changed.
    bool Include(const QString& name);
    bool Exclude(int row);
    // Moves the entry at `from` to the position `to`; a `to` past the end (a drop
    // below the last entry) moves it to the end.
    bool MoveEntry(int from, int to);

    // The editor's text box as lines and back: lines joined by line breaks; a
    // text split at CR LF, CR or LF, an empty text having no line.
    static QString TextOfLines(const QStringList& lines);
    static QStringList LinesOfText(const QString& text);

private:
    Kind m_kind = Kind::None;
    QStringList m_lines;
    QStringList m_names;
};
