// The main window's languages, its files (title, Ctrl+S, recent files) and the
// result panel's width.
#include "tests/ui/UiTestSupport.h"

#include "common/LanguageFile.h"
#include "common/ui/LanguageTemplate.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"
#include "workbench/ui/ResultsGrid.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>

using namespace UiTest;

namespace {

// The keys and values of a language file in its byte form.
QMap<QString, QString> Entries(const QByteArray& bytes)
{
    QMap<QString, QString> entries;
    const QString text = QString::fromLatin1(bytes); // keys are ASCII
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && !line.startsWith(QLatin1Char('[')))
            entries.insert(line.left(equals), line.mid(equals + 1));
    }
    return entries;
}

class LanguageAndFiles : public MainWindowFixture
{
protected:
    void CreateWithBothLanguages()
    {
        QDir().mkpath(m_dir.Path(QStringLiteral("lang/English")));
        for (const char* name : { "PelorixLang.ini", "PrelvoLang.ini" })
            QFile::copy(TestSupport::DataPath(QStringLiteral("lang/English/") + QLatin1String(name)),
                m_dir.Path(QStringLiteral("lang/English/") + QLatin1String(name)));
        Create({ QStringLiteral("PelorixLang.ini"), QStringLiteral("PrelvoLang.ini"),
            QStringLiteral("help/Pelorix.html"), QStringLiteral("Camera.ini") });
    }
};

} // namespace

TEST(ShippedLanguageFiles, GermanAndEnglish_TranslateEveryTextOfEveryWindow)
{
    TFormMain::Options options;
    options.startupTimer = false;
    options.programDir = TestSupport::DataPath(QStringLiteral("help"));
    TFormMain window(options);
    const auto every = Entries(LanguageTemplate::Build(window.Windows()));
    ASSERT_GT(every.size(), 150);
    for (const char* file : { "PelorixLang.ini", "lang/English/PelorixLang.ini" }) {
        const auto shipped = Entries(TestSupport::ReadAll(TestSupport::DataPath(QLatin1String(file))));
        for (auto it = every.begin(); it != every.end(); ++it)
            EXPECT_FALSE(shipped.value(it.key()).isEmpty()) << file << ": " << qPrintable(it.key());
    }
    // The German file is German where the built-in texts are English.
    const auto german = Entries(TestSupport::ReadAll(TestSupport::DataPath(QStringLiteral("PelorixLang.ini"))));
    for (const char* key : { "FormMain.SpeedButtonSetBorder.Hint", "FormMain.TrackBarThickness.Hint",
             "FormLang.LabelThicknessMean.Caption", "FormLang.FilterMeasurement.Caption" })
        EXPECT_NE(german.value(QLatin1String(key)), every.value(QLatin1String(key))) << key;
    EXPECT_EQ(german.value(QStringLiteral("FormMain.LabelTrackBarThickness.Caption")), QStringLiteral("Dicke"));
    EXPECT_EQ(german.value(QStringLiteral("FormLang.LabelCount.Caption")), QStringLiteral("Anzahl"));
}

TEST_F(LanguageAndFiles, Language_SwitchesWindowsResultsAndQtDialogs_ChoiceSaved)
{
    CreateWithBothLanguages();
    m_window->RunStartup();
    EXPECT_EQ(m_window->Language(), "de"); // the offscreen tests run in the C locale
    EXPECT_EQ(m_window->MenuOf(QStringLiteral("Datei1"))->title(), QStringLiteral("Datei"));
    EXPECT_EQ(m_window->Grid()->Rows()[RowCount].caption, QStringLiteral("Anzahl"));
    EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
        QStringLiteral("Abbrechen"));

    m_window->Action(QStringLiteral("SpracheEnglish1"))->trigger();
    EXPECT_EQ(m_window->Language(), "en");
    EXPECT_TRUE(m_window->Action(QStringLiteral("SpracheEnglish1"))->isChecked());
    EXPECT_EQ(m_window->MenuOf(QStringLiteral("Datei1"))->title(), QStringLiteral("File"));
    EXPECT_EQ(m_window->Grid()->Rows()[RowCount].caption, QStringLiteral("Count"));
    EXPECT_EQ(m_window->Tree()->headerItem()->text(1), QStringLiteral("Value"));
    EXPECT_EQ(
        QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(PelorixSettings::Read(m_dir.Path(QStringLiteral("Pelorix.ini"))).language, "en");
    EXPECT_EQ(qEnvironmentVariable("PRELVO_LANGUAGE_FILE"), m_dir.Path(QStringLiteral("lang/English/PrelvoLang.ini")));

    // Back to German: every text that English replaced is German again.
    m_window->Action(QStringLiteral("SpracheDeutsch1"))->trigger();
    EXPECT_EQ(m_window->MenuOf(QStringLiteral("Datei1"))->title(), QStringLiteral("Datei"));
    EXPECT_EQ(m_window->Grid()->Rows()[RowCount].caption, QStringLiteral("Anzahl"));
    EXPECT_EQ(PelorixSettings::Read(m_dir.Path(QStringLiteral("Pelorix.ini"))).language, "de");
}

TEST_F(LanguageAndFiles, Files_TitleMarksUnsavedChanges_CtrlSKeepsTheName_RecentFilesRemembered)
{
    CreateWithBothLanguages();
    m_window->RunStartup();
    Workbench& bench = m_window->Bench();
    ASSERT_TRUE(
        MeasurementFile(bench).LoadPicture(TestSupport::DataPath(QStringLiteral("sample/sample-scalp.jpg")), false));
    bench.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(90, 40) }, "Line");
    m_window->SyncUi();
    EXPECT_TRUE(m_window->isWindowModified());
    EXPECT_TRUE(m_window->windowTitle().startsWith(QStringLiteral("Unbenannt[*]")))
        << qPrintable(m_window->windowTitle());

    // Opening a file (dropped here, as from the recent list) names the window and the list.
    const QString path = m_dir.Path(QStringLiteral("visit.nvm"));
    ASSERT_TRUE(MeasurementFile(bench).SaveMeasurement(path, false));
    // The unsaved line is not lost silently: loading asks first.
    int asked = 0;
    OnNextDialog([&](QWidget* d) {
        ++asked;
        PressButton(d, QStringLiteral("OK"));
    });
    m_window->OpenDroppedFiles({ path });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_window->CurrentFile(), path);
    EXPECT_TRUE(m_window->windowTitle().startsWith(QStringLiteral("visit.nvm[*]")));
    EXPECT_FALSE(m_window->isWindowModified());
    ASSERT_FALSE(m_window->RecentFiles().isEmpty());
    EXPECT_EQ(m_window->RecentFiles().front(), path);
    EXPECT_EQ(PelorixSettings::Read(m_dir.Path(QStringLiteral("Pelorix.ini"))).recentFiles.value(0), path);

    // Ctrl+S writes the same file without asking (a dialog would block here).
    bench.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(20, 50), QPointF(120, 60) }, "Line");
    m_window->SyncUi();
    EXPECT_TRUE(m_window->isWindowModified());
    const int hairs = bench.Tree().Count();
    m_window->Action(QStringLiteral("Speichern1"))->trigger();
    EXPECT_FALSE(m_window->isWindowModified());
    EXPECT_EQ(PendingDialogs(), 0);
    // Opening it again still asks, as loading over marks always does.
    OnNextDialog([](QWidget* d) { PressButton(d, QStringLiteral("OK")); });
    m_window->OpenDroppedFiles({ path });
    EXPECT_EQ(bench.Tree().Count(), hairs);
}

TEST_F(LanguageAndFiles, ResultPanel_WideEnoughForItsTexts_WidthRememberedOnClosing)
{
    CreateWithBothLanguages();
    m_window->resize(1600, 1000);
    m_window->RunStartup();
    QSplitter* splitter = m_window->findChild<QSplitter*>(QStringLiteral("Splitter1"));
    ASSERT_NE(splitter, nullptr);
    const int panel = splitter->sizes().value(1);
    EXPECT_GE(panel, m_window->Grid()->sizeHint().width());
    for (const TGridResult& row : m_window->Grid()->Rows())
        EXPECT_EQ(m_window->Grid()->ShownCaption(row), row.caption);

    splitter->setSizes({ 1600 - 500, 500 });
    m_window->close();
    EXPECT_EQ(PelorixSettings::Read(m_dir.Path(QStringLiteral("Pelorix.ini"))).resultPanelWidth,
        m_window->findChild<QWidget*>(QStringLiteral("PanelResult"))->width());
}

TEST_F(LanguageAndFiles, CtrlQ_AsksAboutUnsavedMarks_CancelStays_DiscardQuits)
{
    CreateWithBothLanguages();
    m_window->show();
    m_window->RunStartup();
    Workbench& bench = m_window->Bench();
    ASSERT_TRUE(
        MeasurementFile(bench).LoadPicture(TestSupport::DataPath(QStringLiteral("sample/sample-scalp.jpg")), false));
    bench.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(90, 40) }, "Line");
    m_window->SyncUi();

    const auto answer = [](QMessageBox::StandardButton button) {
        return [button](QWidget* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            ASSERT_NE(box, nullptr);
            EXPECT_NE(box->button(QMessageBox::Save), nullptr);
            box->button(button)->click();
        };
    };
    OnNextDialog(answer(QMessageBox::Cancel));
    m_window->Action(QStringLiteral("Beenden1"))->trigger();
    EXPECT_EQ(PendingDialogs(), 0);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(bench.Tree().Count(), 1);

    OnNextDialog(answer(QMessageBox::Discard));
    m_window->Action(QStringLiteral("Beenden1"))->trigger();
    EXPECT_EQ(PendingDialogs(), 0);
    EXPECT_FALSE(m_window->isVisible());
}
