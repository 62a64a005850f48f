// "Drucken..." in the main window: the whole print path through the report
// library beside the program, with its preview closed by the test.
#include "tests/ui/UiTestSupport.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTest>

namespace {

class PrintCommand : public UiTest::MainWindowFixture
{
protected:
    TestSupport::TempDir m_temp;
    TestSupport::ScopedEnv m_env { "TEMP", QFile::encodeName(m_temp.Root()) };

    void StartOnSample()
    {
        Create({ QStringLiteral("PelorixLang.ini"), QStringLiteral("help/Pelorix.html"), QStringLiteral("Camera.ini") },
            CopySample());
        m_window->RunStartup();
        ASSERT_TRUE(m_window->Bench().State().ImageLoaded);
    }
};

} // namespace

TEST_F(PrintCommand, Drucken_ShowsThePreviewOfPrelvo_AndLeavesNoFileBehind)
{
    StartOnSample();
    QString shown;
    QString printerField;
    bool hasPage = false;
    UiTest::OnNextDialog([&](QWidget* dialog) {
        shown = UiTest::DialogText(dialog);
        if (auto* printer = dialog->findChild<QLineEdit*>(QStringLiteral("EditPrinter")))
            printerField = printer->text();
        const QWidget* page = dialog->findChild<QWidget*>(QStringLiteral("MyCADPreview"));
        hasPage = page != nullptr && page->height() > 100;
        dialog->close();
    });
    m_window->Action(QStringLiteral("Drucken1"))->trigger();
    EXPECT_EQ(UiTest::PendingDialogs(), 0);
    EXPECT_EQ(shown, QStringLiteral("Print Preview"));
    EXPECT_TRUE(hasPage);
    // The pictures and the table with the patient's name are gone.
    EXPECT_TRUE(QDir(m_temp.Root()).entryList(QDir::Files).isEmpty())
        << qPrintable(QDir(m_temp.Root()).entryList(QDir::Files).join(' '));

    // A second print opens a new report: the first was closed, and the title
    // taken from the library's window is still readable afterwards.
    UiTest::OnNextDialog([&](QWidget* dialog) {
        shown = UiTest::DialogText(dialog);
        dialog->close();
    });
    m_window->Action(QStringLiteral("Drucken1"))->trigger();
    EXPECT_EQ(shown, QStringLiteral("Print Preview"));
}
