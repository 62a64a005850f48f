// The main window driven like an operator: start-up, tool buttons, drawing with
// the mouse, the results, menus and shortcuts, help, undo and the recovery file.
#include "tests/ui/UiTestSupport.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/MeasurementFile.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"
#include "workbench/ui/ResultsGrid.h"
#include "workbench/ui/TFormAbout.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <atomic>

using namespace UiTest;

namespace {

class MainWindow : public MainWindowFixture
{
protected:
    // Starts on the sample case: calibrated picture with its evaluation circle.
    void StartOnSample()
    {
        Create({ QStringLiteral("PelorixLang.ini"), QStringLiteral("help/Pelorix.html"), QStringLiteral("Camera.ini") },
            CopySample());
        m_window->RunStartup();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        ASSERT_TRUE(m_window->Bench().State().ImageLoaded);
    }

    CanvasView* View() { return m_window->Canvas()->View(); }

    // Two clicks on the canvas at image points: the measuring tools' gesture.
    void Draw(QPointF fromImage, QPointF toImage, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const double zoom = m_window->Bench().State().Zoom;
        const QPoint from = (fromImage * zoom).toPoint();
        const QPoint to = (toImage * zoom).toPoint();
        QTest::mouseMove(View(), from);
        QTest::mouseClick(View(), Qt::LeftButton, modifiers, from);
        QTest::mouseMove(View(), to);
        QTest::mouseClick(View(), Qt::LeftButton, modifiers, to);
        Wait(10);
    }

    QString Row(int row) { return m_window->Grid()->Rows()[size_t(row)].text; }
};

} // namespace

TEST_F(MainWindow, StartUp_SampleCase_ShowsCalibratedPictureWithPatient)
{
    StartOnSample();
    const WorkbenchState& state = m_window->Bench().State();
    EXPECT_EQ(state.UnitText, QStringLiteral("mm"));
    EXPECT_GE(state.ScaleBarId, 0);
    EXPECT_GE(state.BorderId, 0);
    EXPECT_EQ(Row(RowName), QStringLiteral("Müller, Jürgen"));
    EXPECT_EQ(m_window->StatusText(1), QStringLiteral("sample-scalp.jpg"));
    EXPECT_EQ(m_window->StatusText(2), QStringLiteral("W: 2592  H: 1944"));
    EXPECT_TRUE(View()->isVisible());
    // The picture was fitted into the window, and the handed-over copy consumed.
    EXPECT_LT(state.Zoom, 1.0);
    EXPECT_TRUE(m_window->StatusText(0).startsWith(QStringLiteral("Zoom: ")));
    EXPECT_FALSE(QFile::exists(m_dir.Path(QStringLiteral("sample-scalp.jpg"))));
    EXPECT_EQ(m_window->Grid()->height(), 16 * 19 + 2);
}

TEST_F(MainWindow, StartUp_NoLanguageNoHelp_InformsAndKeepsGermanTexts)
{
    Create({});
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        PressButton(d, QStringLiteral("OK"));
    });
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        PressButton(d, QStringLiteral("OK"));
    });
    m_window->RunStartup();
    ASSERT_EQ(m_shown.size(), 2);
    EXPECT_TRUE(m_shown[0].endsWith(QStringLiteral("Sprachdatei fehlt.\nNo language file.\n\n[PelorixLang.ini]")));
    EXPECT_TRUE(m_shown[1].contains(QStringLiteral("Help file not found\n")));
    EXPECT_EQ(m_window->MenuOf(QStringLiteral("Datei1"))->title(), QStringLiteral("Datei"));
    EXPECT_FALSE(m_window->Action(QStringLiteral("Handbuch1"))->isVisible());
}

TEST_F(MainWindow, EnglishLanguageFile_TranslatesMenusGridAndTree)
{
    QFile::copy(TestSupport::DataPath(QStringLiteral("lang/English/PelorixLang.ini")),
        m_dir.Path(QStringLiteral("PelorixLang.ini")));
    Create({ QStringLiteral("help/Pelorix.html") });
    m_window->RunStartup();
    EXPECT_EQ(m_window->MenuOf(QStringLiteral("Datei1"))->title(), QStringLiteral("File"));
    EXPECT_EQ(m_window->Action(QStringLiteral("Drucken1"))->text(), QStringLiteral("Print..."));
    EXPECT_EQ(m_window->SpeedButton(QStringLiteral("SpeedButtonSelect"))->toolTip(), QStringLiteral("Select mode"));
    EXPECT_EQ(m_window->Grid()->Rows()[RowBirthdate].caption, QStringLiteral("Birth date"));
    EXPECT_EQ(m_window->Tree()->headerItem()->text(1), QStringLiteral("Value"));
    EXPECT_EQ(m_window->Bench().Texts().Text(QStringLiteral("LabelLine")), QStringLiteral("Hair"));
    EXPECT_EQ(m_window->Action(QStringLiteral("Haareerkennen1"))->text(), QStringLiteral("Detect hairs"));
    EXPECT_EQ(m_window->Bench().Texts().Text(QStringLiteral("LabelOriginDetected")), QStringLiteral("detected"));
}

// "Haare erkennen" runs on its own thread while the window goes on; the proposals
// count only once "Vorschläge übernehmen" made them hairs, which the tree marks.
TEST_F(MainWindow, DetectHairs_ProposesThenAcceptsWithOrigin)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    m_window->Action(QStringLiteral("Haareerkennen1"))->trigger();
    EXPECT_FALSE(m_window->Action(QStringLiteral("Haareerkennen1"))->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(bench.ProposalCount() > 0, 60000);
    EXPECT_TRUE(m_window->Action(QStringLiteral("Haareerkennen1"))->isEnabled());
    const int proposed = bench.ProposalCount();
    EXPECT_EQ(bench.State().HairCount, 0);
    // The doubtful ones are dashed, and the status line says how many.
    const int doubtful = bench.DoubtfulProposalCount();
    EXPECT_GT(doubtful, 0);
    EXPECT_LT(doubtful, proposed / 3);
    const QString told
        = QStringLiteral("%1 Haare vorgeschlagen, %2 davon unsicher (gestrichelt)").arg(proposed).arg(doubtful);
    EXPECT_EQ(m_window->statusBar()->currentMessage(), told);
    m_window->SaveRecovery(); // the recovery copy written meanwhile leaves the message
    EXPECT_EQ(m_window->statusBar()->currentMessage(), told);

    m_window->Action(QStringLiteral("Vorschlaegeuebernehmen1"))->trigger();
    EXPECT_EQ(bench.ProposalCount(), 0);
    EXPECT_EQ(bench.State().HairCount, proposed);
    ASSERT_GT(m_window->Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(m_window->Tree()->topLevelItem(0)->text(1), QStringLiteral("erkannt"));
}

// F3 ("Nächster unsicherer Vorschlag") selects the next doubtful proposal and
// scrolls it into the middle of the view; with none left it says so.
TEST_F(MainWindow, NextDoubtfulProposal_F3SelectsAndScrollsToIt)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    m_window->TrackBarZoom()->setValue(40); // zoomed in: the hair lies outside the view
    auto proposed = [](QPointF from, QPointF to, double confidence) {
        detection::Hair hair;
        hair.nodes = { from, to };
        hair.path = hair.nodes;
        hair.thicknessPx = 12;
        hair.lengthPx = QLineF(from, to).length();
        hair.confidence = confidence;
        return hair;
    };
    bench.ShowProposals({ proposed({ 100, 100 }, { 250, 120 }, 0.95), proposed({ 2300, 1700 }, { 2450, 1750 }, 0.3) });
    m_window->SyncUi();

    QTest::keyClick(m_window.get(), Qt::Key_F3);
    ASSERT_EQ(bench.Canvas().SelectedCount(), 1);
    EXPECT_EQ(bench.Canvas().SelectedShape()->Nodes().front().x, 2300.0f);
    const CanvasArea* area = m_window->Canvas();
    const QRect shown(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value(),
        area->viewport()->width(), area->viewport()->height());
    EXPECT_TRUE(shown.contains((QPointF(2375, 1725) * bench.State().Zoom).toPoint())) << shown.x() << "," << shown.y();
    EXPECT_EQ(m_window->statusBar()->currentMessage().toStdString(),
        (QStringLiteral("Unsicherer Vorschlag 1 von 1 (Sicherheit 0") + bench.DecimalSeparator()
            + QStringLiteral("30): Entf verwirft ihn"))
            .toStdString());

    bench.AcceptProposals();
    QTest::keyClick(m_window.get(), Qt::Key_F3);
    EXPECT_EQ(m_window->statusBar()->currentMessage(), QString::fromUtf8("Keine unsicheren Vorschläge"));
}

// A picture loaded while detection runs gets no proposals found on the picture
// before it.
TEST_F(MainWindow, DetectHairs_PictureLoadedMeanwhile_GetsNoProposals)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    const QString other = m_dir.Path(QStringLiteral("other.png"));
    ASSERT_TRUE(
        QImage(TestSupport::DataPath(QStringLiteral("sample/sample-scalp.jpg"))).copy(0, 0, 900, 700).save(other));
    m_window->Action(QStringLiteral("Haareerkennen1"))->trigger();
    ASSERT_FALSE(m_window->Action(QStringLiteral("Haareerkennen1"))->isEnabled());
    ASSERT_TRUE(MeasurementFile(bench).LoadPicture(other, false));
    m_window->SyncUi();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->Action(QStringLiteral("Haareerkennen1"))->isEnabled(), 60000);
    EXPECT_EQ(bench.ProposalCount(), 0);
    EXPECT_EQ(bench.Canvas().BkBitmap().width(), 900);
    EXPECT_EQ(m_window->statusBar()->currentMessage(),
        QStringLiteral("Ein anderes Bild wurde geladen: die erkannten Haare wurden verworfen"));
}

// At a calibration no hair shows its width, "Haare erkennen" says so at once
// instead of searching for minutes.
TEST_F(MainWindow, DetectHairs_UnusableCalibration_SaysSoAndStartsNothing)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    bench.State().UnitText = QStringLiteral("mm");
    bench.State().Scale = 1.0 / 20000.0;
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        PressButton(d, QStringLiteral("OK"));
    });
    m_window->Action(QStringLiteral("Haareerkennen1"))->trigger();
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_TRUE(m_shown[0].contains(QStringLiteral("20000")));
    EXPECT_TRUE(m_shown[0].contains(QStringLiteral("30 bis 2500 Pixel je mm")));
    EXPECT_TRUE(m_window->Action(QStringLiteral("Haareerkennen1"))->isEnabled());
    EXPECT_EQ(m_window->findChild<QProgressDialog*>(QStringLiteral("FormDetecting")), nullptr);
    EXPECT_EQ(bench.ProposalCount(), 0);
}

// A picture calibrated in centimetres: the thickness box reads micrometres and the
// status bar the mouse position in cm, as for mm.
TEST_F(MainWindow, CalibratedInCentimetres_ThicknessInMicrometresPositionInCm)
{
    StartOnSample();
    Workbench& bench = m_window->Bench();
    bench.State().UnitText = QStringLiteral("cm");
    bench.State().Scale = 1.0 / 2000.0; // 200 pixels per mm
    bench.SetThicknessSlider(1000);
    m_window->SyncUi();
    EXPECT_EQ(m_window->ThicknessEdit()->suffix(), QString::fromUtf8(" µm"));
    EXPECT_DOUBLE_EQ(m_window->ThicknessEdit()->value(), 50.0); // 10 pixels
    const double zoom = bench.State().Zoom;
    QTest::mouseMove(View(), (QPointF(400, 200) * zoom).toPoint());
    Wait(10);
    const QLabel* mouse = m_window->findChild<QLabel*>(QStringLiteral("StatusPanel3"));
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(mouse->text().endsWith(QStringLiteral(" cm)"))) << mouse->text().toStdString();
}

TEST_F(MainWindow, ToolButtons_LineKeepsTheSliderResultButtonHidesPanel)
{
    Create();
    m_window->RunStartup();
    QToolButton* line = m_window->SpeedButton(QStringLiteral("SpeedButtonLine"));
    line->click();
    EXPECT_TRUE(line->isChecked());
    EXPECT_EQ(m_window->Bench().Canvas().ShapeTool(), SpRuleLine);
    // The slider sets the next hair's thickness while the tool is active.
    EXPECT_TRUE(m_window->TrackBarThickness()->isEnabled());
    m_window->SpeedButton(QStringLiteral("SpeedButtonSelect"))->click();
    EXPECT_FALSE(line->isChecked());
    EXPECT_TRUE(m_window->SpeedButton(QStringLiteral("SpeedButtonSelect"))->isChecked());
    EXPECT_EQ(m_window->Bench().Canvas().ShapeTool(), SpSelecting);
    m_window->SpeedButton(QStringLiteral("SpeedButtonMeasureResult"))->click();
    EXPECT_FALSE(m_window->Grid()->isVisible());
}

TEST_F(MainWindow, Drawing_LineWithMouse_AddsHairAndReturnsToSelect)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    ASSERT_EQ(m_window->Tree()->topLevelItemCount(), 2); // and the summary
    EXPECT_EQ(m_window->Tree()->topLevelItem(0)->text(0), QStringLiteral("Haar"));
    EXPECT_EQ(Row(RowCount), QStringLiteral("1"));
    EXPECT_TRUE(m_window->SpeedButton(QStringLiteral("SpeedButtonSelect"))->isChecked());
    EXPECT_TRUE(m_window->TrackBarThickness()->isEnabled()); // the line tool gave the slider back
    // 200 pixels at 200 pixels per millimetre: about 1 mm.
    EXPECT_NEAR(Row(RowLengthMean).toDouble(), 1.0, 0.05);
}

TEST_F(MainWindow, Drawing_MultiLineKeepsTheTool_UndoAndRedoFollowTheResults)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonMultLine"))->click();
    Draw({ 1000, 900 }, { 1100, 950 });
    Draw({ 1000, 1000 }, { 1150, 1050 });
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 3); // and the summary
    EXPECT_TRUE(m_window->SpeedButton(QStringLiteral("SpeedButtonMultLine"))->isChecked());
    m_window->SpeedButton(QStringLiteral("SpeedButtonSelect"))->click();

    m_window->Action(QStringLiteral("Rueckgaengig1"))->trigger();
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 2); // and the summary
    EXPECT_EQ(Row(RowCount), QStringLiteral("1"));
    m_window->Action(QStringLiteral("Wiederholen1"))->trigger();
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 3); // and the summary
    EXPECT_EQ(Row(RowCount), QStringLiteral("2"));
}

TEST_F(MainWindow, Keyboard_SelectAllAndDeleteNeverTakeScaleBarOrBorder)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_window->Bench().Canvas().SelectedCount(), 1);
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 1); // and the summary
    EXPECT_NE(m_window->Bench().Canvas().ShapeById(m_window->Bench().State().ScaleBarId), nullptr);
    EXPECT_NE(m_window->Bench().Canvas().ShapeById(m_window->Bench().State().BorderId), nullptr);
}

TEST_F(MainWindow, Menus_ShortcutsSeparatorsAndHelpContexts)
{
    Create();
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        { "Kopieren1", QKeySequence(Qt::CTRL | Qt::Key_C) },
        { "Einfuegen1", QKeySequence(Qt::CTRL | Qt::Key_V) },
        { "Alleauswaehlen1", QKeySequence(Qt::CTRL | Qt::Key_A) },
        { "Linenfarbe1", QKeySequence(Qt::CTRL | Qt::Key_L) },
        { "Schriftart1", QKeySequence(Qt::CTRL | Qt::Key_F) },
        { "Beschriftung1", QKeySequence(Qt::CTRL | Qt::Key_D) },
        { "Direkthilfe1", QKeySequence(Qt::SHIFT | Qt::Key_F1) },
        { "Rueckgaengig1", QKeySequence(Qt::CTRL | Qt::Key_Z) },
        { "Wiederholen1", QKeySequence(Qt::CTRL | Qt::Key_Y) },
        { "Loeschen1", QKeySequence() },
        { "Messungladen1", QKeySequence(Qt::CTRL | Qt::Key_O) },
        { "Speichern1", QKeySequence(Qt::CTRL | Qt::Key_S) },
        { "Messungspeichern1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) },
        { "Drucken1", QKeySequence(Qt::CTRL | Qt::Key_P) },
        { "Ergebnisseexportieren1", QKeySequence(Qt::CTRL | Qt::Key_E) },
        { "Beenden1", QKeySequence(Qt::CTRL | Qt::Key_Q) },
    };
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(m_window->Action(QLatin1String(name))->shortcut(), keys) << name;

    // Separators follow "Bild speichern ...", "Messung laden ..." and "Ergebnisse exportieren ...".
    QStringList file;
    for (QAction* action : m_window->MenuOf(QStringLiteral("Datei1"))->actions())
        file << (action->isSeparator() ? QStringLiteral("-")
                : action->menu()       ? action->menu()->objectName()
                                       : action->objectName());
    EXPECT_EQ(file.join(QLatin1Char(' ')),
        QStringLiteral(
            "Bildladen1 Bildspeichern1 - NeueMessung1 Speichern1 Messungspeichern1 MessungspeichernmitBild1 "
            "Messungladen1 ZuletztGeoeffnet1 - Drucken1 Ergebnisseexportieren1 Verlaufvergleichen1 - Beenden1"));
    EXPECT_TRUE(m_window->Action(QStringLiteral("Anzeigen1"))->isChecked());

    const std::pair<const char*, int> contexts[] = { { "SpeedButtonSelect", 2002 }, { "SpeedButtonSpline", 2004 },
        { "TrackBarZoom", 2015 }, { "TreeViewResult", 2017 }, { "Ergebnisseexportieren1", 1108 },
        { "Numerisch1", 1303 }, { "Einstellungenspeichern1", 1408 }, { "Kopieren2", 3004 }, { "Beschriftung2", 4004 },
        { "PopupMenuCanvas", 4001 } };
    for (const auto& [name, context] : contexts)
        EXPECT_EQ(TFormMain::HelpContextOf(m_window->findChild<QObject*>(QLatin1String(name))), context) << name;
}

TEST_F(MainWindow, DirectHelp_ClickOpensTheControlsTopicOrTheMainTopic)
{
    Create();
    m_window->RunStartup();
    m_window->Action(QStringLiteral("Direkthilfe1"))->trigger();
    QTest::mouseClick(m_window->TrackBarZoom(), Qt::LeftButton);
    EXPECT_EQ(m_window->Help()->CurrentContext(), 2015);
    EXPECT_FALSE(m_window->Bench().State().DirectHelpPending);
    // A control without a context of its own: the main window's topic.
    m_window->Action(QStringLiteral("Direkthilfe1"))->trigger();
    QTest::mouseClick(m_window->findChild<QWidget*>(QStringLiteral("StatusPanel1")), Qt::LeftButton);
    EXPECT_EQ(m_window->Help()->CurrentContext(), 1000);
    EXPECT_FALSE(m_window->Help()->Browser()->toPlainText().isEmpty());
}

TEST_F(MainWindow, Settings_ReadAtShowAndWrittenBack)
{
    m_dir.Write(QStringLiteral("Pelorix.ini"),
        TestSupport::CrLf({ "[Settings]", "FontSize=12", "AlwaysKeepSelecton=1", "PenFUColor=255", "[Form]",
            "Width=1000", "Height=700" }));
    Create();
    const TMyCAD& cad = m_window->Bench().Canvas();
    EXPECT_EQ(cad.Font().size, 12);
    EXPECT_EQ(cad.Font().name, QStringLiteral("Arial"));
    EXPECT_TRUE(m_window->Bench().State().AlwaysKeepSelecton);
    EXPECT_EQ(m_window->Bench().State().PenFUColor, 255);
    EXPECT_FALSE(cad.PrintABorder());

    m_window->Action(QStringLiteral("Einstellungenspeichern1"))->trigger();
    const PelorixSettings saved = PelorixSettings::Read(m_dir.Path(QStringLiteral("Pelorix.ini")));
    EXPECT_EQ(saved.fontSize, 12);
    EXPECT_TRUE(saved.alwaysKeepSelecton);
    EXPECT_EQ(saved.width, m_window->width());
    const QByteArray bytes = TestSupport::ReadAll(m_dir.Path(QStringLiteral("Pelorix.ini")));
    EXPECT_TRUE(bytes.contains("PenFUColor=255\r\n")); // keys only read stay as they were
    EXPECT_EQ(bytes.count("FontSize="), 1); // written in place, never twice
    EXPECT_TRUE(bytes.contains("[Form]\r\nWidth="));
}

TEST_F(MainWindow, Settings_NotWritable_ShowsTheMessage)
{
    Create();
    QDir(m_dir.Root()).mkdir(QStringLiteral("Pelorix.ini")); // a folder cannot be written as a file
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        PressButton(d, QStringLiteral("OK"));
    });
    m_window->Action(QStringLiteral("Einstellungenspeichern1"))->trigger();
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_TRUE(m_shown[0].endsWith(LanguageTable::Pelorix().Text(QStringLiteral("MessageErrorSaveIni"))));
}

TEST_F(MainWindow, AboutBox_ShowsVersionBuildAndFreeImageCopyright)
{
    Create();
    EXPECT_EQ(m_window->FormAbout()->VersionText(), TFormAbout::ProductVersion());
    EXPECT_TRUE(m_window->FormAbout()->BuildText().startsWith(TFormAbout::ProductVersion() + QLatin1Char('.')));
    EXPECT_TRUE(m_window->FormAbout()->CopyrightText().contains(QStringLiteral("FreeImage")));
}

TEST_F(MainWindow, TreeCopy_PutsHtmlAndRichTextOnTheClipboard)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    m_window->Action(QStringLiteral("Kopieren2"))->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->html().contains(QStringLiteral("Haar")));
    EXPECT_TRUE(data->data(QStringLiteral("text/rtf")).startsWith("{\\rtf"));
    EXPECT_TRUE(m_window->Tree()->selectedItems().isEmpty());
    EXPECT_TRUE(m_window->Tree()->topLevelItem(0)->isExpanded());
}

TEST_F(MainWindow, Recovery_UnsavedMarksAreOfferedAtTheNextStart_HostStartIncluded)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    m_window->close();
    const QString recovery = m_window->RecoveryFile();
    ASSERT_TRUE(QFile::exists(recovery));
    EXPECT_EQ(QFile::permissions(recovery) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    m_window.reset();

    // A host start offers it too: "Yes" restores it instead of the host's case, and
    // it stays unsaved; at the next start "No" discards it.
    Create({ QStringLiteral("PelorixLang.ini"), QStringLiteral("help/Pelorix.html"), QStringLiteral("Camera.ini") },
        CopySample());
    OnNextDialog([&](QWidget* d) {
        m_shown << DialogText(d);
        // Qt's own buttons speak the window's language: "Ja", not "Yes".
        PressButton(d, QStringLiteral("&Ja").remove('&'));
    });
    m_window->RunStartup();
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_TRUE(m_shown[0].startsWith(QStringLiteral("Wiederherstellung|")));
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 2); // and the summary
    EXPECT_TRUE(m_window->Bench().State().ImageLoaded);
    EXPECT_TRUE(QFile::exists(m_dir.Path(QStringLiteral("sample-scalp.jpg")))); // the host's case waits
    EXPECT_TRUE(QFile::exists(m_window->RecoveryFile())); // unsaved until saved
    m_window->close();
    m_window.reset();

    Create();
    OnNextDialog([&](QWidget* d) { PressButton(d, QStringLiteral("Nein")); });
    m_window->RunStartup();
    EXPECT_EQ(m_window->Tree()->topLevelItemCount(), 1); // the summary only: no hair came back
    m_window.reset();
    EXPECT_TRUE(QDir(m_dir.Path(QStringLiteral("recovery"))).entryList({ "*.nvm" }, QDir::Files).isEmpty());
}

TEST_F(MainWindow, LongWork_RunsBesideAPaintingWindowUntilCancelled)
{
    StartOnSample();
    const QImage before = View()->grab(View()->visibleRegion().boundingRect()).toImage();
    bool sawProgress = false;
    OnNextDialog([&](QWidget* dialog) {
        auto* progress = qobject_cast<QProgressDialog*>(dialog);
        ASSERT_TRUE(progress) << qPrintable(DialogText(dialog));
        sawProgress = true;
        // The worker holds the canvas: the view paints its still picture meanwhile.
        EXPECT_TRUE(View()->Frozen());
        EXPECT_EQ(View()->grab(View()->visibleRegion().boundingRect()).toImage(), before);
        Wait(120); // the bar follows the worker
        EXPECT_GT(progress->value(), 0);
        QPushButton* cancel = progress->findChild<QPushButton*>();
        ASSERT_TRUE(cancel);
        cancel->click();
    });
    std::atomic<bool> onWorker { false };
    const QThread* windowThread = QThread::currentThread();
    // Work that goes on until it is told to stop (ten seconds at most).
    int steps = 0;
    const bool result = m_window->RunLongWork(QStringLiteral("working"), [&](const ProgressReport& report) {
        onWorker = QThread::currentThread() != windowThread;
        for (; steps < 10000 && report(steps % 100 + 1, 100); ++steps)
            QThread::msleep(1);
        return true;
    });
    EXPECT_TRUE(result); // the work's own answer
    EXPECT_LT(steps, 10000);
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(onWorker);
    EXPECT_EQ(PendingDialogs(), 0);
    EXPECT_FALSE(View()->Frozen());
}

// While long work reads the canvas on the worker, the window takes no command:
// not before the progress window shows (its first half second), not beside it.
TEST_F(MainWindow, LongWork_SwallowsShortcutsClicksAndClosingUntilDone)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonMultLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    ASSERT_EQ(m_window->Bench().State().HairCount, 1);
    std::atomic<bool> release { false };
    bool closed = true;
    QTimer::singleShot(100, m_window.get(), [&] {
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier); // undo the hair
        Draw({ 1000, 1000 }, { 1150, 1050 }); // draw another
        closed = m_window->close();
        release = true;
    });
    const bool result = m_window->RunLongWork(QStringLiteral("working"), [&](const ProgressReport&) {
        for (int i = 0; i < 5000 && !release; ++i)
            QThread::msleep(1);
        return true;
    });
    EXPECT_TRUE(result);
    EXPECT_TRUE(release);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->Bench().State().HairCount, 1);
    // Afterwards the window is the operator's again.
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    Wait(10);
    EXPECT_EQ(m_window->Bench().State().HairCount, 0);
}

TEST_F(MainWindow, SavePicture_PngIsWrittenOnTheWorkerAsTheCanvasDrawsIt)
{
    StartOnSample();
    m_window->SpeedButton(QStringLiteral("SpeedButtonMultLine"))->click();
    Draw({ 1000, 900 }, { 1200, 900 });
    ASSERT_EQ(m_window->Bench().State().HairCount, 1);
    const QImage expected = m_window->Bench().Canvas().RenderControl();
    const QString path = m_dir.Path(QStringLiteral("marked.png"));
    OnNextDialog([path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_TRUE(files) << qPrintable(DialogText(dialog));
        files->setDirectory(QFileInfo(path).absolutePath());
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(files)->accept();
    });
    m_window->Action(QStringLiteral("Bildspeichern1"))->trigger();
    EXPECT_EQ(PendingDialogs(), 0);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_FALSE(View()->Frozen());
    // The canvas is the window's again.
    Draw({ 1000, 1000 }, { 1150, 1050 });
    EXPECT_EQ(m_window->Bench().State().HairCount, 2);
}
