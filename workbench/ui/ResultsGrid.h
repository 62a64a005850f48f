#pragma once

#include "workbench/TGridResult.h"

#include <QWidget>

#include <array>
#include <vector>

// The read-only results grid: three columns of 16-pixel rows, heading rows filled
// in the header colour with a bold caption, the other rows in the band or normal
// colours. Columns are as wide as their widest text (at least 100, 50 and 150
// pixels); only when the grid is narrower than that the caption column gives way,
// and a caption longer than it ends in "…" and shows whole as the row's tip.
class ResultsGrid : public QWidget
{
    Q_OBJECT
public:
    explicit ResultsGrid(QWidget* parent = nullptr);

    static constexpr int kRowHeight = 16;
    static constexpr int kColumnWidths[3] = { 100, 50, 150 }; // the smallest widths

    void SetRows(const std::vector<TGridResult>& rows);
    const std::vector<TGridResult>& Rows() const { return m_rows; }
    // The height that shows every row: row height x row count + 2.
    int FullHeight() const;
    QSize sizeHint() const override;

    // The caption as drawn: cut to its column with "…" when it is longer.
    QString ShownCaption(const TGridResult& row) const;
    // The widths the texts need (at least kColumnWidths), and as drawn at the
    // current width (the caption column shrinks when the grid is narrower).
    std::array<int, 3> ContentWidths() const;
    std::array<int, 3> ColumnWidths() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

    void changeEvent(QEvent* event) override;

private:
    void UpdateWidths();

    std::vector<TGridResult> m_rows;
    std::array<int, 3> m_content { kColumnWidths[0], kColumnWidths[1], kColumnWidths[2] };
};

// A 0x00BBGGRR colour as a QColor.
QColor ColorOf(TColor color);
