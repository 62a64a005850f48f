// The report library as its callers see it: loaded by its path, five C functions.
#include "report/prelvo/Prelvo.h"

#include "tests/canvas/GuiEnvironment.h"
#include "tests/report/ReportFixtures.h"

#include <QLibrary>

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

class PrelvoLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_library.setFileName(QStringLiteral(PRELVO_LIBRARY));
        ASSERT_TRUE(m_library.load()) << qPrintable(m_library.errorString());
        Init = reinterpret_cast<InitReportFunction>(m_library.resolve("InitReport"));
        Show = reinterpret_cast<ShowReportFunction>(m_library.resolve("ShowReport"));
        Design = reinterpret_cast<DesignReportFunction>(m_library.resolve("DesignReport"));
        Close = reinterpret_cast<CloseReportFunction>(m_library.resolve("CloseReport"));
        Export = reinterpret_cast<ExportReportFunction>(m_library.resolve("ExportReport"));
        ASSERT_TRUE(Init && Show && Design && Close && Export);
    }
    void TearDown() override
    {
        if (Close)
            Close();
        m_library.unload();
    }

    QLibrary m_library;
    InitReportFunction Init = nullptr;
    ShowReportFunction Show = nullptr;
    DesignReportFunction Design = nullptr;
    CloseReportFunction Close = nullptr;
    ExportReportFunction Export = nullptr;
};

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

TEST_F(PrelvoLibrary, OnlyTheFiveFunctionsAreExported)
{
    EXPECT_EQ(m_library.resolve("_ZN13ReportContext9RunReportE12ReportOutput"), nullptr);
    EXPECT_EQ(m_library.resolve("_ZN6TMyCADC1EP10TMyCADHost"), nullptr);
}

TEST_F(PrelvoLibrary, Lifecycle_SecondInitRefusedAndTheFirstReportKept)
{
    TempDir dir;
    const QString table = ReportFixtures::WritePrintTable(dir, QString(), QString());
    EXPECT_TRUE(Close()); // nothing open: nothing to do
    EXPECT_FALSE(Export(Native(dir.Path("none.pdf")).constData()));

    ASSERT_TRUE(Init(PELORIX_TEMPLATE, Native(table).constData()));
    EXPECT_FALSE(Init(Native(dir.Path("other.zrp")).constData(), Native(dir.Path("other.dff")).constData()));
    // No windows in this program: a clear refusal instead of a silent success.
    EXPECT_FALSE(Show());
    EXPECT_FALSE(Design());

    ASSERT_TRUE(Export(Native(dir.Path("report.pdf")).constData()));
    const QString text = ReportFixtures::PdfText(dir.Path("report.pdf"));
    if (!text.isEmpty()) {
        EXPECT_TRUE(text.contains("Musterfrau, Erika")) << qPrintable(text);
        EXPECT_TRUE(text.contains("156.03")) << qPrintable(text);
    }
    EXPECT_TRUE(Close());
    EXPECT_FALSE(Export(Native(dir.Path("after.pdf")).constData()));
    EXPECT_FALSE(QFile::exists(dir.Path("after.pdf")));
}

TEST_F(PrelvoLibrary, MissingTemplateAndData_OpenAnEmptyPage)
{
    TempDir dir;
    ASSERT_TRUE(Init(Native(dir.Path("missing.zrp")).constData(), Native(dir.Path("missing.dff")).constData()));
    ASSERT_TRUE(Export(Native(dir.Path("blank.png")).constData()));
    const QImage page(dir.Path("blank.png"));
    ASSERT_EQ(page.size(), QSize(2480, 3508));
    EXPECT_EQ(QColor(page.pixel(1240, 1754)), QColor(Qt::white));
    EXPECT_TRUE(Close());

    // A fresh report after closing starts from the template again.
    const QString table = ReportFixtures::WritePrintTable(dir, QString(), QString());
    ASSERT_TRUE(Init(PELORIX_TEMPLATE, Native(table).constData()));
    ASSERT_TRUE(Export(Native(dir.Path("filled.png")).constData()));
    EXPECT_NE(TestSupport::ReadAll(dir.Path("filled.png")), TestSupport::ReadAll(dir.Path("blank.png")));
    EXPECT_FALSE(Init(nullptr, nullptr));
}
