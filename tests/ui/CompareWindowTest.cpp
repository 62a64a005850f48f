// "Verlauf vergleichen ...": the comparison window on two visits made for the purpose.
#include "tests/support/MeasurementMaker.h"
#include "tests/support/TestSupport.h"
#include "workbench/ui/TFormCompare.h"
#include "workbench/ui/ThicknessChartWidget.h"

#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

TEST(CompareWindow, SameScaleSizes_OneFactorForBothPictures)
{
    // 1200 pixels at 0.01 mm and at 0.005 mm: 12 mm against 6 mm.
    const auto [a, b] = TFormCompare::SameScaleSizes(QSize(1200, 900), 0.01, QSize(1200, 900), 0.005, QSize(440, 330));
    EXPECT_EQ(a, QSize(440, 330));
    EXPECT_EQ(b, QSize(220, 165));
    // Without a calibration each picture fills the box on its own.
    const auto [c, d] = TFormCompare::SameScaleSizes(QSize(1200, 900), 0.0, QSize(600, 900), 0.01, QSize(440, 330));
    EXPECT_EQ(c, QSize(440, 330));
    EXPECT_EQ(d, QSize(220, 330));
}

TEST(CompareWindow, TwoVisits_TableChartPicturesAndAreaWarning)
{
    TestSupport::TempDir dir;
    MeasurementMaker::Spec a;
    a.thicknesses.assign(20, 300);
    a.thicknesses.insert(a.thicknesses.end(), 20, 700);
    a.withPicture = true;
    // The second camera has twice the resolution: 2400 pixels for the same 12 mm,
    // slider 1400 for 70 µm, the circle of 5 mm 1000 pixels wide.
    MeasurementMaker::Spec b = a;
    b.thicknesses.assign(50, 1400);
    b.pixelsPerMm = 200;
    b.pictureWidth = b.pictureHeight = 2400;
    b.x0 = b.y0 = 1200;
    b.r = 1000;
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("a.nvm"), a));
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("b.nvm"), b));
    LoadedVisit first;
    ASSERT_TRUE(first.Load(dir.Path("a.nvm"))) << first.LastError().toStdString();
    auto second = std::make_unique<LoadedVisit>();
    ASSERT_TRUE(second->Load(dir.Path("b.nvm")));
    EXPECT_FALSE(LoadedVisit().Load(dir.Path("missing.nvm")));

    TFormCompare window(first.Bench(), std::move(second), "a.nvm", "b.nvm");
    QTableWidget* table = window.Table();
    ASSERT_EQ(table->rowCount(), 9);
    EXPECT_EQ(table->item(0, 1)->text(), "40");
    EXPECT_EQ(table->item(0, 2)->text(), "50");
    EXPECT_EQ(table->item(0, 3)->text(), "+10");
    EXPECT_EQ(table->item(5, 3)->text(), "-50.00"); // vellus share 50 % -> 0 %
    ASSERT_EQ(window.Chart()->Series().size(), 2u);
    EXPECT_EQ(window.Chart()->Series()[1].classes.back().count, 50);
    // The fields: (1000 / 200)^2 against (500 / 100)^2 mm², the same.
    EXPECT_FALSE(window.Comparison().areaWarning);
    EXPECT_FALSE(window.AreaWarning()->text().contains("5 %"));
    // At one scale both pictures (12 mm each) are equally wide, whatever their pixels.
    EXPECT_EQ(window.Picture(0)->pixmap().width(), 330);
    EXPECT_EQ(window.Picture(1)->pixmap().width(), 330);
}
