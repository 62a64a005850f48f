#include "workbench/ResultTree.h"

#include "common/NumberText.h"

#include <algorithm>

int ResultTree::Append(const TResultNode& top)
{
    Entry entry;
    entry.node = top;
    m_entries.push_back(std::move(entry));
    return Count() - 1;
}

int ResultTree::FindTop(int shapeId) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_entries[size_t(i)].node.shapeId == shapeId)
            return i;
    return -1;
}

std::vector<int> ResultTree::TopsOfShape(int shapeId) const
{
    std::vector<int> found;
    for (int i = 0; i < Count(); ++i)
        if (m_entries[size_t(i)].node.shapeId == shapeId)
            found.push_back(i);
    return found;
}

void ResultTree::RemoveAt(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (m_entries[size_t(index)].selected)
        --m_selectedCount;
    if (m_lastSelected == index)
        m_lastSelected = -1;
    else if (m_lastSelected > index)
        --m_lastSelected;
    m_entries.erase(m_entries.begin() + index);
    if (m_scrollTarget == index)
        m_scrollTarget = -1;
    else if (m_scrollTarget > index)
        --m_scrollTarget;
}

void ResultTree::RemoveShapes(const std::unordered_set<int>& shapeIds)
{
    if (shapeIds.empty())
        return;
    std::erase_if(m_entries, [&](const Entry& e) { return shapeIds.count(e.node.shapeId) > 0; });
    m_scrollTarget = -1;
    Recount();
}

void ResultTree::Recount()
{
    m_selectedCount = 0;
    m_lastSelected = -1;
    for (int i = 0; i < Count(); ++i)
        if (m_entries[size_t(i)].selected) {
            ++m_selectedCount;
            m_lastSelected = i;
        }
}

void ResultTree::Clear()
{
    m_entries.clear();
    m_scrollTarget = -1;
    m_selectedCount = 0;
    m_lastSelected = -1;
}

void ResultTree::ExpandAll(bool expanded)
{
    for (Entry& e : m_entries)
        e.expanded = expanded;
}

void ResultTree::SetSelected(int index, bool selected)
{
    if (index < 0 || index >= Count() || m_entries[size_t(index)].selected == selected)
        return;
    m_entries[size_t(index)].selected = selected;
    m_selectedCount += selected ? 1 : -1;
    m_lastSelected = selected ? index : (m_lastSelected == index ? -1 : m_lastSelected);
}

void ResultTree::ClearSelection()
{
    if (m_selectedCount == 0)
        return;
    if (m_selectedCount == 1 && m_lastSelected >= 0 && m_entries[size_t(m_lastSelected)].selected) {
        SetSelected(m_lastSelected, false);
        return;
    }
    for (Entry& e : m_entries)
        e.selected = false;
    m_selectedCount = 0;
    m_lastSelected = -1;
}

void ResultTree::SelectShapes(const std::unordered_set<int>& shapeIds)
{
    for (Entry& e : m_entries)
        e.selected = shapeIds.count(e.node.shapeId) > 0;
    Recount();
}

int ResultTree::FirstSelected() const
{
    if (m_selectedCount == 0)
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (m_entries[size_t(i)].selected)
            return i;
    return -1;
}

QString ResultTree::CellText(const TResultNode& node, int column, QChar separator)
{
    if (node.parameter == QLatin1String("Root"))
        return column == 0 ? node.caption : QString();
    switch (column) {
    case 0:
        return node.parameter;
    case 1:
        return NumberText::Fixed(node.value, node.decimals, separator);
    case 2:
        return node.unit;
    default:
        return QString();
    }
}

std::vector<ResultObject> ResultTree::Objects() const
{
    std::vector<ResultObject> objects;
    objects.reserve(m_entries.size());
    for (const Entry& e : m_entries) {
        ResultObject object { e.node.shapeId, e.node.caption, {}, e.origin };
        object.params.reserve(e.children.size());
        for (const TResultNode& child : e.children)
            object.params.push_back(ResultParam { child.parameter, child.value, child.unit, child.decimals });
        objects.push_back(std::move(object));
    }
    return objects;
}

std::vector<ExportObject> ResultTree::ExportObjects() const
{
    std::vector<ExportObject> objects;
    objects.reserve(m_entries.size());
    for (const Entry& e : m_entries) {
        ExportObject object { e.node.caption, e.node.shapeId, {} };
        for (const TResultNode& child : e.children)
            object.parameters.emplace_back(child.parameter, child.value);
        objects.push_back(std::move(object));
    }
    return objects;
}

QString ResultTree::ToHtml(const QStringList& columnCaptions, QChar separator) const
{
    QString html = QStringLiteral("<table border=\"1\">\n<tr>");
    for (const QString& caption : columnCaptions)
        html += QStringLiteral("<th>") + caption.toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr>\n");
    auto row = [&](const TResultNode& node, bool child) {
        html += QStringLiteral("<tr>");
        for (int column = 0; column < 3; ++column) {
            QString text = CellText(node, column, separator).toHtmlEscaped();
            if (column == 0 && child)
                text = QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") + text;
            html += column == 1 ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>");
            html += text + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    };
    for (const Entry& e : m_entries) {
        row(e.node, false);
        for (const TResultNode& child : e.children)
            row(child, true);
    }
    html += QStringLiteral("</table>\n");
    return html;
}

namespace {

// RTF text: backslash and braces escaped, characters beyond ASCII as \uN?.
QString RtfEscaped(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'))
            out += QLatin1Char('\\') + QString(c);
        else if (c.unicode() < 0x80)
            out += c;
        else
            out += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
    }
    return out;
}

} // namespace

QString ResultTree::ToRtf(const QStringList& columnCaptions, QChar separator) const
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs18\n");
    const QString rowStart = QStringLiteral("\\trowd\\cellx2600\\cellx4200\\cellx5400\n");
    auto row = [&](const QStringList& cells, bool bold) {
        rtf += rowStart;
        for (const QString& cell : cells)
            rtf += (bold ? QStringLiteral("\\intbl{\\b ") : QStringLiteral("\\intbl{")) + RtfEscaped(cell)
                + QStringLiteral("}\\cell\n");
        rtf += QStringLiteral("\\row\n");
    };
    row(columnCaptions, true);
    for (const Entry& e : m_entries) {
        row({ CellText(e.node, 0, separator), QString(), QString() }, false);
        for (const TResultNode& child : e.children)
            row({ QStringLiteral("    ") + CellText(child, 0, separator), CellText(child, 1, separator),
                    CellText(child, 2, separator) },
                false);
    }
    rtf += QStringLiteral("}");
    return rtf;
}
