// The template shipped beside the programs, as the build generated it.
#include "canvas/TMyImage.h"
#include "common/PrintVariables.h"
#include "report/ReportTemplate.h"
#include "report/ReportVariables.h"
#include "tests/report/ReportFixtures.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(ShippedTemplate, BindsExactlyThePrintVariables)
{
    TMyCAD cad;
    ASSERT_TRUE(ReportTemplate::LoadReportTemplate(cad, PELORIX_TEMPLATE));
    EXPECT_EQ(cad.PageWidth(), 210);
    EXPECT_EQ(cad.PageHeight(), 297);
    EXPECT_EQ(cad.PageOrientation(), poPortrait);

    QSet<QString> bound;
    int images = 0;
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TMyShape* shape = cad.ShapeByIndex(i);
        for (const QString& name : ReportVariables::TextBinding(*shape))
            bound.insert(name);
        if (dynamic_cast<const TMyImage*>(shape)) {
            bound.insert(ReportVariables::ImageBinding(*shape));
            ++images;
        }
        // Every shape lies on the page.
        EXPECT_GE(shape->Left(), 0);
        EXPECT_LE(shape->Right(), 794);
        EXPECT_LE(shape->Bottom(), 1123);
    }
    QSet<QString> expected;
    for (const auto name : PrintVariables::kNames)
        expected.insert(QString::fromLatin1(name.data(), qsizetype(name.size())));
    EXPECT_EQ(bound, expected);
    EXPECT_EQ(images, 2);
}

TEST(ShippedTemplate, RegeneratedTemplateIsByteForByteTheSame)
{
    TestSupport::TempDir dir;
    const QString tool = QFileInfo(QStringLiteral(PELORIX_TEMPLATE)).absolutePath() + "/make_report_template";
    const QString again = dir.Path("Pelorix.zrp");
    ASSERT_EQ(std::system((QFile::encodeName(tool) + " '" + QFile::encodeName(again) + "'").constData()), 0);
    EXPECT_EQ(TestSupport::ReadAll(again), TestSupport::ReadAll(PELORIX_TEMPLATE));
}
