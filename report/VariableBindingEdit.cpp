#include "report/VariableBindingEdit.h"

#include "canvas/TMyImage.h"
#include "canvas/TMyRectangle.h"
#include "report/ReportVariables.h"

#include <QRegularExpression>

#include <algorithm>

const QString VariableBindingEdit::kImageText = QStringLiteral("Image File Name: %s");

VariableBindingEdit VariableBindingEdit::FromShape(const TMyShape& shape)
{
    VariableBindingEdit edit;
    if (const auto* text = dynamic_cast<const TMyText*>(&shape)) {
        edit.m_kind = Kind::Text;
        edit.m_lines = text->Lines();
        edit.m_names = ReportVariables::TextBinding(*text);
    } else if (dynamic_cast<const TMyImage*>(&shape)) {
        edit.m_kind = Kind::Image;
        edit.m_lines = QStringList { kImageText };
        const QString name = ReportVariables::ImageBinding(shape);
        if (!name.isEmpty())
            edit.m_names << name;
    }
    return edit;
}

bool VariableBindingEdit::ApplyTo(TMyShape& shape) const
{
    const TUserData before = shape.UserData();
    if (auto* text = dynamic_cast<TMyText*>(&shape)) {
        const QStringList linesBefore = text->Lines();
        ReportVariables::SetTextBinding(*text, m_lines, m_names);
        return linesBefore != text->Lines() || !(before == text->UserData());
    }
    if (auto* image = dynamic_cast<TMyImage*>(&shape)) {
        // An empty list leaves the image without a binding: it keeps its designed picture.
        ReportVariables::SetImageBinding(*image, m_names.isEmpty() ? QString() : m_names.front());
        return !(before == image->UserData());
    }
    return false;
}

bool VariableBindingEdit::Include(const QString& name)
{
    m_names << name;
    return true;
}

bool VariableBindingEdit::Exclude(int row)
{
    if (row < 0 || row >= m_names.size())
        return false;
    m_names.removeAt(row);
    return true;
}

bool VariableBindingEdit::MoveEntry(int from, int to)
{
    const int count = int(m_names.size());
    if (from < 0 || from >= count || to < 0)
        return false;
    to = std::min(to, count - 1);
    if (from == to)
        return false;
    m_names.move(from, to);
    return true;
}

QString VariableBindingEdit::TextOfLines(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

QStringList VariableBindingEdit::LinesOfText(const QString& text)
{
    if (text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}
