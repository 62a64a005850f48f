// The results grid's drawing and the file dialogs' filters.
#include "tests/ui/UiTestSupport.h"

#include "workbench/ui/FileDialogs.h"
#include "workbench/ui/ResultsGrid.h"

#include <QImage>

TEST(ResultsGrid, HeaderBandAndNormalRows_UseTheirColours)
{
    ResultsGrid grid;
    grid.resize(300, 100);
    std::vector<TGridResult> rows = CreateResultRows(LanguageTable::Pelorix());
    grid.SetRows(rows);
    EXPECT_EQ(grid.height(), 16 * 19 + 2);
    const QImage image = grid.grab().toImage();
    // Right edge of each row: no text there, only the row colour.
    auto at = [&](int row) { return image.pixelColor(295, row * 16 + 8); };
    EXPECT_EQ(at(RowPatient), QColor(0x87, 0x87, 0x9B)); // header 0x9B8787
    EXPECT_EQ(at(RowName), QColor(Qt::white)); // band
    EXPECT_EQ(at(RowBirthdate), QColor(0xEB, 0xEB, 0xD7)); // normal 0xD7EBEB
}

TEST(ResultsGrid, Columns_FitTheirTexts_CaptionsCutOnlyWhenTheGridIsTooNarrow)
{
    ResultsGrid grid;
    TGridResult longRow;
    longRow.caption = QStringLiteral("Thickness Mean of every terminal hair");
    longRow.text = QStringLiteral("123456.789");
    longRow.unit = QStringLiteral("µm");
    TGridResult shortRow;
    shortRow.caption = QStringLiteral("Count");
    TGridResult header;
    header.header = true;
    header.caption = longRow.caption;
    grid.SetRows({ header, longRow, shortRow });
    const auto content = grid.ContentWidths();
    EXPECT_GT(content[0], grid.fontMetrics().horizontalAdvance(longRow.caption));
    EXPECT_GE(content[1], ResultsGrid::kColumnWidths[1]);
    EXPECT_EQ(grid.sizeHint().width(), content[0] + content[1] + content[2]);

    // At its wanted width nothing is cut.
    grid.resize(grid.sizeHint());
    EXPECT_EQ(grid.ShownCaption(longRow), longRow.caption);

    // Narrower: the caption column gives way and the long caption ends in "…".
    grid.resize(content[1] + content[2] + 90, grid.height());
    const QString shown = grid.ShownCaption(longRow);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << qPrintable(shown);
    EXPECT_LT(grid.fontMetrics().horizontalAdvance(shown), grid.ColumnWidths()[0]);
    EXPECT_EQ(grid.ShownCaption(shortRow), "Count");
    // Headings span the whole row and are never cut.
    EXPECT_EQ(grid.ShownCaption(header), header.caption);
}

TEST(FileDialogs, NameFilters_KeepDescriptionsAndMakePatternsUsable)
{
    EXPECT_EQ(FileDialogs::NameFilters(QStringLiteral("Norvane Measure (*.nvm)|*.nvm")),
        QStringList { QStringLiteral("Norvane Measure (*.nvm)") });
    EXPECT_EQ(FileDialogs::NameFilters(QStringLiteral("DXF1(*.dxf1)|*.dxf1|Textdatei  (*.txt)|*.txt")),
        (QStringList { QStringLiteral("DXF1(*.dxf1)"), QStringLiteral("Textdatei  (*.txt)") }));
    EXPECT_EQ(FileDialogs::NameFilters(QStringLiteral("All(*.jpg;*.png)|*.jpg;*.png")),
        QStringList { QStringLiteral("All(*.jpg;*.png) (*.jpg *.png)") });
}
