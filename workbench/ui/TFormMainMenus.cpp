// The main window's menus, the context menus of canvas area and result tree,
// and the help: help contexts, "Direkthilfe", "Handbuch" and the help viewer.
#include "workbench/ui/TFormMain.h"

#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"
#include "workbench/ui/TFormAbout.h"
#include "workbench/ui/WindowPrompt.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include <tuple>

QAction* TFormMain::AddAction(
    QMenu* menu, const char* name, const QString& caption, int helpContext, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setProperty("helpContext", helpContext);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

void TFormMain::Connect(const char* name, void (TFormMain::*handler)())
{
    connect(Action(QLatin1String(name)), &QAction::triggered, this, handler);
}

void TFormMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](const char* name, const QString& caption, int help) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->setProperty("helpContext", help);
        m->installEventFilter(this);
        return m;
    };
    QMenu* file = menu("Datei1", QStringLiteral("Datei"), 1101);
    AddAction(file, "Bildladen1", QStringLiteral("Bild laden ..."), 1102);
    AddAction(file, "Bildspeichern1", QStringLiteral("Bild speichern ..."), 1102);
    file->addSeparator();
    AddAction(file, "NeueMessung1", QStringLiteral("Neue Messung"), 1104);
    AddAction(file, "Speichern1", QStringLiteral("Speichern"), 1104, QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(file, "Messungspeichern1", QStringLiteral("Messung speichern ..."), 1104,
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    AddAction(file, "MessungspeichernmitBild1", QStringLiteral("Messung speichern mit Bild ..."), 1104);
    AddAction(file, "Messungladen1", QStringLiteral("Messung laden ..."), 1104, QKeySequence(Qt::CTRL | Qt::Key_O));
    m_recentMenu = file->addMenu(QStringLiteral("Zuletzt geöffnet"));
    m_recentMenu->setObjectName(QStringLiteral("ZuletztGeoeffnet1"));
    file->addSeparator();
    AddAction(file, "Drucken1", QStringLiteral("Drucken..."), 1101, QKeySequence(Qt::CTRL | Qt::Key_P));
    AddAction(file, "Ergebnisseexportieren1", QStringLiteral("Ergebnisse exportieren ..."), 1108,
        QKeySequence(Qt::CTRL | Qt::Key_E));
    AddAction(file, "Verlaufvergleichen1", QStringLiteral("Verlauf vergleichen ..."), 1104);
    file->addSeparator();
    AddAction(file, "Beenden1", QStringLiteral("Beenden"), 1109, QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = menu("Bearbeiten1", QStringLiteral("Bearbeiten"), 1201);
    AddAction(edit, "Rueckgaengig1", QStringLiteral("Rückgängig"), 1202, QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddAction(edit, "Wiederholen1", QStringLiteral("Wiederholen"), 1202, QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addSeparator();
    AddAction(edit, "Kopieren1", QStringLiteral("Kopieren"), 1202, QKeySequence(Qt::CTRL | Qt::Key_C));
    AddAction(edit, "Einfuegen1", QStringLiteral("Einfügen"), 1202, QKeySequence(Qt::CTRL | Qt::Key_V));
    AddAction(edit, "Loeschen1", QStringLiteral("Löschen"), 1202);
    edit->addSeparator();
    AddAction(edit, "Alleauswaehlen1", QStringLiteral("Alle auswählen"), 1202, QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator();
    AddAction(edit, "Haareerkennen1", QStringLiteral("Haare erkennen"), 1202);
    AddAction(edit, "Vorschlaegeuebernehmen1", QStringLiteral("Vorschläge übernehmen"), 1202);
    AddAction(edit, "NaechsterunsichererVorschlag1", QStringLiteral("Nächster unsicherer Vorschlag"), 1202,
        QKeySequence(Qt::Key_F3));

    QMenu* scale = menu("Massstab1", QStringLiteral("Maßstab"), 1301);
    AddAction(scale, "Grafisch1", QStringLiteral("Grafisch"), 1302);
    AddAction(scale, "Numerisch1", QStringLiteral("Numerisch"), 1303);
    scale->addSeparator();
    QAction* show = AddAction(scale, "Anzeigen1", QStringLiteral("Anzeigen"), 1304);
    show->setCheckable(true);
    show->setChecked(true);
    scale->addSeparator();

    QMenu* options = menu("Optionen1", QStringLiteral("Optionen"), 1401);
    AddAction(options, "Linenfarbe1", QStringLiteral("Linenfarbe"), 1402, QKeySequence(Qt::CTRL | Qt::Key_L));
    AddAction(options, "Schriftart1", QStringLiteral("Schriftart"), 1403, QKeySequence(Qt::CTRL | Qt::Key_F));
    AddAction(options, "Beschriftung1", QStringLiteral("Beschriftung"), 1404, QKeySequence(Qt::CTRL | Qt::Key_D));
    options->addSeparator();
    AddAction(options, "Einstellungenspeichern1", QStringLiteral("Einstellungen speichern"), 1408);
    // Each language names itself, so it can be found in a language one cannot read.
    QMenu* language = options->addMenu(QStringLiteral("Sprache / Language"));
    language->setObjectName(QStringLiteral("Sprache1"));
    auto* languages = new QActionGroup(this);
    for (const auto& [name, code, caption] :
        { std::tuple { "SpracheDeutsch1", "de", "Deutsch" }, std::tuple { "SpracheEnglish1", "en", "English" } }) {
        QAction* action = AddAction(language, name, QString::fromUtf8(caption), 1401);
        action->setCheckable(true);
        action->setData(QLatin1String(code));
        languages->addAction(action);
        const QString chosen = QLatin1String(code);
        connect(action, &QAction::triggered, this, [this, chosen] { SetLanguage(chosen); });
    }

    QMenu* help = menu("Hilfe1", QStringLiteral("Hilfe"), 1501);
    AddAction(help, "Hilfe2", QStringLiteral("Hilfe"), 1501);
    AddAction(help, "Direkthilfe1", QStringLiteral("Direkthilfe"), 1501, QKeySequence(Qt::SHIFT | Qt::Key_F1));
    AddAction(help, "Info1", QStringLiteral("Info"), 1502);
    AddAction(help, "Handbuch1", QStringLiteral("Handbuch"), 1503);

    Connect("Bildladen1", &TFormMain::LoadPictureCommand);
    Connect("Bildspeichern1", &TFormMain::SavePictureCommand);
    Connect("NeueMessung1", &TFormMain::NewMeasurementCommand);
    Connect("Messungspeichern1", &TFormMain::SaveMeasurementCommand);
    Connect("MessungspeichernmitBild1", &TFormMain::SaveMeasurementWithPictureCommand);
    Connect("Messungladen1", &TFormMain::LoadMeasurementCommand);
    Connect("Drucken1", &TFormMain::PrintCommand);
    Connect("Ergebnisseexportieren1", &TFormMain::ExportResultsCommand);
    Connect("Speichern1", &TFormMain::SaveCommand);
    Connect("Verlaufvergleichen1", &TFormMain::CompareVisitsCommand);
    Connect("Beenden1", &TFormMain::QuitCommand);
    Connect("Rueckgaengig1", &TFormMain::UndoCommand);
    Connect("Wiederholen1", &TFormMain::RedoCommand);
    Connect("Kopieren1", &TFormMain::CopyCommand);
    Connect("Einfuegen1", &TFormMain::PasteCommand);
    Connect("Loeschen1", &TFormMain::DeleteCommand);
    Connect("Alleauswaehlen1", &TFormMain::SelectAllCommand);
    Connect("Haareerkennen1", &TFormMain::DetectHairsCommand);
    Connect("Vorschlaegeuebernehmen1", &TFormMain::AcceptProposalsCommand);
    Connect("NaechsterunsichererVorschlag1", &TFormMain::NextDoubtfulProposalCommand);
    // Detection and acceptance also have their buttons at the end of the tool bar.
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("CoolBar1"))) {
        bar->addSeparator();
        bar->addAction(Action(QStringLiteral("Haareerkennen1")));
        bar->addAction(Action(QStringLiteral("Vorschlaegeuebernehmen1")));
    }
    Connect("Grafisch1", &TFormMain::GraphicScaleCommand);
    Connect("Numerisch1", &TFormMain::NumericScaleCommand);
    Connect("Anzeigen1", &TFormMain::ShowScaleBarCommand);
    Connect("Linenfarbe1", &TFormMain::LineColorCommand);
    Connect("Schriftart1", &TFormMain::FontCommand);
    Connect("Beschriftung1", &TFormMain::LabelCommand);
    Connect("Einstellungenspeichern1", &TFormMain::SaveSettingsCommand);
    Connect("Hilfe2", &TFormMain::HelpCommand);
    Connect("Direkthilfe1", &TFormMain::DirectHelpCommand);
    Connect("Info1", &TFormMain::InfoCommand);
    Connect("Handbuch1", &TFormMain::ManualCommand);
}

void TFormMain::BuildContextMenus()
{
    m_canvasMenu = new QMenu(this);
    m_canvasMenu->setObjectName(QStringLiteral("PopupMenuCanvas"));
    m_canvasMenu->setProperty("helpContext", 4001);
    m_canvasMenu->installEventFilter(this);
    AddAction(m_canvasMenu, "Linenfarbe2", QStringLiteral("Linenfarbe"), 4002);
    AddAction(m_canvasMenu, "Schriftart2", QStringLiteral("Schriftart"), 4003);
    AddAction(m_canvasMenu, "Beschriftung2", QStringLiteral("Beschriftung"), 4004);
    Connect("Linenfarbe2", &TFormMain::LineColorCommand);
    Connect("Schriftart2", &TFormMain::FontCommand);
    Connect("Beschriftung2", &TFormMain::LabelCommand);
    m_canvasArea->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_canvasArea, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { m_canvasMenu->popup(m_canvasArea->mapToGlobal(at)); });

    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("PopupMenuTree"));
    m_treeMenu->setProperty("helpContext", 3001);
    m_treeMenu->installEventFilter(this);
    AddAction(m_treeMenu, "AlleKnotenaufklappen1", QStringLiteral("Alle Knoten aufklappen"), 3002);
    AddAction(m_treeMenu, "AlleKnoteneinklappen1", QStringLiteral("Alle Knoten einklappen"), 3003);
    AddAction(m_treeMenu, "Kopieren2", QStringLiteral("Kopieren"), 3004);
    Connect("AlleKnotenaufklappen1", &TFormMain::ExpandAllCommand);
    Connect("AlleKnoteneinklappen1", &TFormMain::CollapseAllCommand);
    Connect("Kopieren2", &TFormMain::CopyTreeCommand);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { m_treeMenu->popup(m_tree->viewport()->mapToGlobal(at)); });
}

// --- help ---

void TFormMain::OpenHelp(int context)
{
    // Help shown by any way ends help mode.
    EndDirectHelp();
    const QString& path = Bench().State().HelpFilePath;
    // Until the start-up step has run there is no help file.
    if (path.isEmpty())
        return;
    m_help->ShowTopic(path, context > 0 ? context : 1000);
}

void TFormMain::HelpCommand()
{
    EndDirectHelp();
    OpenHelp(1000);
}

void TFormMain::DirectHelpCommand()
{
    // The "?" cursor is pushed once, however often help mode is asked for.
    if (Bench().State().DirectHelpPending)
        return;
    Bench().State().DirectHelpPending = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

void TFormMain::EndDirectHelp()
{
    if (!Bench().State().DirectHelpPending)
        return;
    Bench().State().DirectHelpPending = false;
    QApplication::restoreOverrideCursor();
}

void TFormMain::ManualCommand()
{
    const QString manual = ProgramFile(Bench().Texts().Text(QStringLiteral("FileNameManual")));
    if (QFileInfo::exists(manual))
        QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
}

void TFormMain::InfoCommand()
{
    m_formAbout->exec();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Expose && m_fitPending && watched == windowHandle())
        QTimer::singleShot(0, this, &TFormMain::FitZoomToWindow);
    if (type == QEvent::MouseButtonPress && Bench().State().DirectHelpPending && watched->isWidgetType()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        // The click that follows "Direkthilfe" asks for the help of the control under it.
        EndDirectHelp();
        auto* target = static_cast<QWidget*>(watched);
        if (target->window() == this) {
            int context = 0;
            for (QObject* object = target; object != nullptr && context == 0; object = object->parent())
                context = HelpContextOf(object);
            OpenHelp(context);
        }
        return true;
    }
    // The key's press has ended its way through this window.
    if (type == QEvent::KeyRelease && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
        m_handledKey = nullptr;
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            // F1 over an open menu shows the hovered item's topic, elsewhere the focused control's.
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                QAction* active = menu->activeAction();
                OpenHelp(active != nullptr ? HelpContextOf(active) : HelpContextOf(menu));
                return true;
            }
            QWidget* focus = QApplication::focusWidget();
            if (watched == focus && (focus == nullptr || focus->window() == this)) {
                int context = 0;
                for (QObject* object = focus; object != nullptr && context == 0; object = object->parent())
                    context = HelpContextOf(object);
                OpenHelp(context);
                return true;
            }
        }
        // Once per key: an event that is not consumed travels on from the focused
        // control to the window, and a dialog the key opened may have taken the focus
        // meanwhile, so the event itself is remembered.
        if (watched == QApplication::focusWidget() || watched == this) {
            if (key == m_handledKey)
                return false;
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
                m_handledKey = key;
            return HandleKey(key);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::UpdateRecentMenu()
{
    m_recentMenu->clear();
    int number = 1;
    for (const QString& path : m_settings.recentFiles) {
        // "&1 name.nvm": a number to type, the name to read, the folder as the tip.
        QAction* action
            = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    m_recentMenu->setEnabled(!m_settings.recentFiles.isEmpty());
}
