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

TEST(ResultsGrid, LongCaption_IsCutToItsColumn_ShortOnesStayWhole)
{
    ResultsGrid grid;
    TGridResult longRow;
    longRow.caption = QStringLiteral("Thickness Mean of every terminal hair");
    TGridResult shortRow;
    shortRow.caption = QStringLiteral("Count");
    TGridResult header;
    header.header = true;
    header.caption = longRow.caption;
    const QString shown = grid.ShownCaption(longRow);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << qPrintable(shown);
    EXPECT_LT(grid.fontMetrics().horizontalAdvance(shown), ResultsGrid::kColumnWidths[0]);
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
