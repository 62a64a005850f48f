#pragma once

#include "workbench/TGridResult.h"

#include <QWidget>

#include <vector>

// The read-only results grid: three columns (100, 50, 150 pixels) of 16-pixel
// rows, heading rows filled in the header colour with a bold caption, the other
// rows in the band or normal colours. A long value runs on into the unit column;
// a caption longer than its column ends in "…" and shows whole as the row's tip.
class ResultsGrid : public QWidget
{
    Q_OBJECT
public:
    explicit ResultsGrid(QWidget* parent = nullptr);

    static constexpr int kRowHeight = 16;
    static constexpr int kColumnWidths[3] = { 100, 50, 150 };

    void SetRows(const std::vector<TGridResult>& rows);
    const std::vector<TGridResult>& Rows() const { return m_rows; }
    // The height that shows every row: row height x row count + 2.
    int FullHeight() const;
    QSize sizeHint() const override;

    // The caption as drawn: cut to its column with "…" when it is longer.
    QString ShownCaption(const TGridResult& row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::vector<TGridResult> m_rows;
};

// A 0x00BBGGRR colour as a QColor.
QColor ColorOf(TColor color);
