// The main window's faults a clinic met: keys acting twice, a dropped case taken
// for a host hand-over, the start-up fit staying armed, "Kopieren" only inside.
#include "tests/ui/UiTestSupport.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QToolButton>

using namespace UiTest;

namespace {

class WindowFaults : public MainWindowFixture
{
protected:
    void StartOnSample()
    {
        Create({ QStringLiteral("PelorixLang.ini"), QStringLiteral("help/Pelorix.html"), QStringLiteral("Camera.ini") },
            CopySample());
        m_window->RunStartup();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    CanvasView* View() { return m_window->Canvas()->View(); }

    // Drops files on the canvas area as the desktop does.
    void Drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(path) });
        QWidget* target = m_window->Canvas()->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        Wait(20);
    }

    void Line(QPointF from, QPointF to)
    {
        m_window->SpeedButton(QStringLiteral("SpeedButtonLine"))->click();
        const double zoom = m_window->Bench().State().Zoom;
        for (QPointF p : { from, to }) {
            QTest::mouseMove(View(), (p * zoom).toPoint());
            QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, (p * zoom).toPoint());
        }
        Wait(10);
    }
};

} // namespace

TEST_F(WindowFaults, DeleteAndEscapeOnTheFocusedCanvas_ActOnce)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    bench.Canvas().SelectShapeById(bench.State().ScaleBarId, true);
    View()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), View());
    for (int i = 0; i < 2; ++i)
        OnNextDialog([&](QWidget* d) {
            m_shown << DialogText(d);
            PressButton(d, QStringLiteral("OK"));
        });
    QTest::keyClick(View(), Qt::Key_Delete);
    Wait(50);
    EXPECT_EQ(m_shown.size(), 1);
    EXPECT_EQ(PendingDialogs(), 1);
    EXPECT_GE(bench.State().ScaleBarId, 0);
}

TEST_F(WindowFaults, DroppedExchangeFile_AsksAboutUnsavedMarks_KeepsTheArchivedPicture)
{
    StartOnSample();
    Line({ 1000, 900 }, { 1200, 900 });
    ASSERT_EQ(m_window->Bench().Tree().Count(), 1);
    const QString exchange = CopySample(); // the same case, archived again
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        PressButton(d, QStringLiteral("OK"));
    });
    Drop(exchange);
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_TRUE(m_shown[0].startsWith(QStringLiteral("Messung laden|"))) << m_shown[0].toStdString();
    EXPECT_EQ(m_window->Bench().Tree().Count(), 0);
    EXPECT_TRUE(QFile::exists(m_dir.Path(QStringLiteral("sample-scalp.jpg"))));
    EXPECT_TRUE(m_window->Bench().State().ImageLoaded);
    EXPECT_FALSE(m_window->Action(QStringLiteral("Rueckgaengig1"))->isEnabled());
}

TEST_F(WindowFaults, StartWithoutPicture_LaterResizeKeepsTheOperatorsZoom)
{
    Create();
    m_window->RunStartup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    CopySample();
    Drop(m_dir.Path(QStringLiteral("sample-scalp.jpg")));
    ASSERT_TRUE(m_window->Bench().State().ImageLoaded);
    m_window->Bench().SetZoomSlider(-20, {});
    m_window->SyncUi();
    const double zoom = m_window->Bench().State().Zoom;
    m_window->resize(m_window->width() + 40, m_window->height() + 30);
    Wait(50);
    EXPECT_DOUBLE_EQ(m_window->Bench().State().Zoom, zoom);
}

TEST_F(WindowFaults, Kopieren_PutsThePictureOfTheSelectionOnTheSystemClipboard)
{
    StartOnSample();
    Line({ 1000, 900 }, { 1200, 900 });
    QApplication::clipboard()->clear();
    m_window->Bench().Canvas().SelectShapeById(
        m_window->Bench().Canvas().ShapeByIndex(m_window->Bench().Canvas().ShapeCount() - 1)->ShapeId(), true);
    m_window->Action(QStringLiteral("Kopieren1"))->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_FALSE(copied.isNull());
}

TEST_F(WindowFaults, DirectHelp_QuickCountHasItsOwnTopic_HelpModeAlwaysEnds)
{
    Create();
    m_window->RunStartup();
    QAction* direct = m_window->Action(QStringLiteral("Direkthilfe1"));
    direct->trigger();
    direct->trigger(); // Shift+F1 twice
    QTest::mouseClick(m_window->SpeedButton(QStringLiteral("SpeedButtonQuickHairCount")), Qt::LeftButton);
    EXPECT_EQ(m_window->Help()->CurrentContext(), 2002);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    direct->trigger();
    m_window->Action(QStringLiteral("Hilfe2"))->trigger(); // "Hilfe" by keyboard
    EXPECT_FALSE(m_window->Bench().State().DirectHelpPending);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
