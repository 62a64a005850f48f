#include "workbench/ui/ResultsGrid.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

QColor ColorOf(TColor color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

ResultsGrid::ResultsGrid(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ResultsGrid::SetRows(const std::vector<TGridResult>& rows)
{
    m_rows = rows;
    UpdateWidths();
    setFixedHeight(FullHeight());
    update();
}

void ResultsGrid::UpdateWidths()
{
    const int indent = std::max(1, font().pointSize());
    const QFontMetrics metrics = fontMetrics();
    std::array<int, 3> widths { kColumnWidths[0], kColumnWidths[1], kColumnWidths[2] };
    for (const TGridResult& row : m_rows) {
        if (row.header)
            continue;
        widths[0] = std::max(widths[0], metrics.horizontalAdvance(row.caption) + 2 * indent + 2);
        widths[1] = std::max(widths[1], metrics.horizontalAdvance(row.text) + indent + 4);
        widths[2] = std::max(widths[2], metrics.horizontalAdvance(row.unit) + indent + 4);
    }
    if (widths != m_content) {
        m_content = widths;
        updateGeometry();
    }
}

void ResultsGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        UpdateWidths();
    QWidget::changeEvent(event);
}

std::array<int, 3> ResultsGrid::ContentWidths() const
{
    return m_content;
}

std::array<int, 3> ResultsGrid::ColumnWidths() const
{
    std::array<int, 3> widths = m_content;
    const int spare = width() - (widths[0] + widths[1] + widths[2]);
    if (spare < 0)
        widths[0] = std::max(kColumnWidths[0] / 2, widths[0] + spare);
    return widths;
}

int ResultsGrid::FullHeight() const
{
    return kRowHeight * int(std::max<size_t>(m_rows.size(), ResultRowCount)) + 2;
}

QSize ResultsGrid::sizeHint() const
{
    return QSize(m_content[0] + m_content[1] + m_content[2], FullHeight());
}

QString ResultsGrid::ShownCaption(const TGridResult& row) const
{
    if (row.header)
        return row.caption;
    const int indent = std::max(1, font().pointSize());
    return fontMetrics().elidedText(row.caption, Qt::ElideRight, ColumnWidths()[0] - 2 * indent - 1);
}

bool ResultsGrid::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = help->pos().y() / kRowHeight;
        if (index >= 0 && index < int(m_rows.size())
            && ShownCaption(m_rows[size_t(index)]) != m_rows[size_t(index)].caption)
            QToolTip::showText(help->globalPos(), m_rows[size_t(index)].caption, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ResultsGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // Texts sit one font size right of the cell edge, captions two.
    const int indent = std::max(1, font().pointSize());
    QFont bold = font();
    bold.setBold(true);
    const std::array<int, 3> columns = ColumnWidths();
    const int left1 = columns[0];
    const int left2 = left1 + columns[1];
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const TGridResult& row = m_rows[i];
        const int top = int(i) * kRowHeight;
        const QRect rowRect(0, top, width(), kRowHeight);
        auto text = [&](int x, const QString& s) {
            painter.drawText(QRect(x, top + 1, width() - x, kRowHeight - 1), Qt::AlignLeft | Qt::AlignVCenter, s);
        };
        if (row.header) {
            painter.fillRect(rowRect, ColorOf(row.headerColor));
            painter.setFont(bold);
            painter.setPen(ColorOf(row.headerTextColor));
            text(indent, row.caption);
            continue;
        }
        painter.fillRect(rowRect, ColorOf(row.band ? row.bandColor : row.normalColor));
        painter.setFont(font());
        painter.setPen(ColorOf(row.band ? row.bandTextColor : row.normalTextColor));
        text(2 * indent, ShownCaption(row));
        if (!row.unit.isEmpty())
            text(left2 + indent, row.unit);
        // Written last so that a long value runs on over the unit column.
        painter.save();
        painter.setClipRect(QRect(left1, top, width() - left1, kRowHeight));
        if (!row.unit.isEmpty())
            painter.fillRect(
                QRect(left1 + indent, top + 1, painter.fontMetrics().horizontalAdvance(row.text), kRowHeight - 1),
                ColorOf(row.band ? row.bandColor : row.normalColor));
        text(left1 + indent, row.text);
        painter.restore();
    }
}
