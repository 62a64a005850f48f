// The main window's file commands: pictures, measurement files, results export,
// printing through the report library, dropped files, the recovery file and the host import at start-up.
#include "workbench/ui/TFormMain.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/HostImport.h"
#include "workbench/MeasurementFile.h"
#include "workbench/PrintBridge.h"
#include "workbench/RecoveryStore.h"
#include "workbench/ResultsExportCommand.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormCompare.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/WindowPrompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>

void TFormMain::LoadPictureCommand()
{
    const QString what = m_formLang->Text(QStringLiteral("StatusLoadingPicture"));
    BeginBusy(what);
    Run([&] {
        MeasurementFile(Bench()).LoadPictureCommand([&](const LongWork& work) { return RunLongWork(what, work); });
    });
    EndBusy();
}

void TFormMain::SavePictureCommand()
{
    const QString what = m_formLang->Text(QStringLiteral("StatusSavingPicture"));
    BeginBusy(what);
    Run([&] {
        MeasurementFile(Bench()).SavePictureCommand([&](const LongWork& work) { return RunLongWork(what, work); });
    });
    EndBusy();
}

namespace {

// Keeps the operator's hands off the window while long work runs on the worker:
// until the progress window shows (after half a second), and beside it, input
// to any other window, shortcuts and closing a window are swallowed, so no
// command can touch the canvas the worker is reading.
class InputBlocker : public QObject
{
public:
    explicit InputBlocker(const QWidget* allowed)
        : m_allowed(allowed)
    {
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override { qApp->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TabletPress:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (widget != nullptr && (widget == m_allowed || m_allowed->isAncestorOf(widget)))
            return false;
        // Input reaches a widget through its window first: let that pass, the
        // widget's own event is caught here next.
        if (widget == nullptr && event->type() != QEvent::Shortcut && object->isWindowType())
            return false;
        event->ignore();
        return true;
    }

private:
    const QWidget* m_allowed;
};

} // namespace

bool TFormMain::RunLongWork(const QString& what, const LongWork& work)
{
    CanvasView* view = m_canvasArea->View();
    view->SetFrozen(true);
    const bool refreshing = m_refreshTimer->isActive();
    const bool recovering = m_recoveryTimer->isActive();
    m_refreshTimer->stop();
    m_recoveryTimer->stop();

    QProgressDialog dialog(what, m_formLang->Text(QStringLiteral("ButtonCancel")), 0, 0, this);
    dialog.setObjectName(QStringLiteral("FormWorking"));
    dialog.setWindowModality(Qt::WindowModal);
    // Quick work finishes without a window flashing up; longer work shows it after half a second.
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    const InputBlocker blocker(&dialog);
    // Below zero until the work reports its first step: the bar runs as busy meanwhile.
    std::atomic<int> permille { -1 };
    std::atomic<bool> cancel { false };
    connect(&dialog, &QProgressDialog::canceled, &dialog, [&cancel] { cancel.store(true); });
    bool result = false;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        result = work([&](int done, int total) {
            permille.store(total > 0 ? int(std::clamp<qint64>(qint64(done) * 1000 / total, 0, 1000)) : 0);
            return !cancel.load();
        });
    }));
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // The bar follows the worker from the window's own thread.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        const int value = permille.load();
        if (value < 0)
            return;
        if (dialog.maximum() == 0)
            dialog.setRange(0, 1000);
        dialog.setValue(value);
    });
    poll.start(50);
    dialog.setValue(0);
    thread->start();
    loop.exec();
    thread->wait();
    poll.stop();
    dialog.hide();

    view->SetFrozen(false);
    if (refreshing)
        m_refreshTimer->start();
    if (recovering)
        m_recoveryTimer->start();
    return result;
}

void TFormMain::NewMeasurementCommand()
{
    Run([&] { MeasurementFile(Bench()).NewMeasurement(); });
    SaveRecovery();
}

void TFormMain::SaveMeasurementCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingMeasurement")));
    bool saved = false;
    m_prompt->TakeLastFileName();
    Run([&] { saved = MeasurementFile(Bench()).SaveMeasurementCommand(false); });
    EndBusy();
    if (saved) {
        m_recovery->Remove();
        RememberFile(m_prompt->TakeLastFileName(), false);
    }
}

void TFormMain::SaveMeasurementWithPictureCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingMeasurement")));
    bool saved = false;
    m_prompt->TakeLastFileName();
    Run([&] { saved = MeasurementFile(Bench()).SaveMeasurementCommand(true); });
    EndBusy();
    if (saved) {
        m_recovery->Remove();
        RememberFile(m_prompt->TakeLastFileName(), true);
    }
}

void TFormMain::SaveCommand()
{
    if (m_currentFile.isEmpty()) {
        SaveMeasurementCommand();
        return;
    }
    // The file as it was saved or loaded: with its picture when it had one.
    m_prompt->PresetFileName(m_currentFile);
    if (m_currentWithPicture)
        SaveMeasurementWithPictureCommand();
    else
        SaveMeasurementCommand();
    m_prompt->PresetFileName(QString());
}

void TFormMain::LoadMeasurementCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingMeasurement")));
    bool loaded = false;
    m_prompt->TakeLastFileName();
    MeasurementFile files(Bench());
    Run([&] { loaded = files.LoadMeasurementCommand(); });
    EndBusy();
    const QString path = m_prompt->TakeLastFileName();
    // A measurement that holds its picture is saved with it again by Ctrl+S.
    if (loaded)
        RememberFile(path, files.LoadedWithPicture());
}

void TFormMain::OpenRecentFile(const QString& path)
{
    m_prompt->PresetFileName(path);
    LoadMeasurementCommand();
    m_prompt->PresetFileName(QString());
}

void TFormMain::RememberFile(const QString& path, bool withPicture)
{
    if (path.isEmpty())
        return;
    m_currentFile = QFileInfo(path).absoluteFilePath();
    m_currentWithPicture = withPicture;
    m_settings.AddRecentFile(m_currentFile);
    m_settings.WriteWindowState(SettingsFile());
    UpdateRecentMenu();
    UpdateTitle();
}

void TFormMain::ExportResultsCommand()
{
    Run([&] { ResultsExportCommand::Run(Bench(), QLocale().decimalPoint().front()); });
}

void TFormMain::CompareVisitsCommand()
{
    std::optional<QString> path;
    Run([&] {
        path = Bench().Prompt().AskFileName({ MeasurementFile::kMeasurementFilter, QStringLiteral("nvm"), false });
    });
    if (path)
        OpenComparison(*path);
}

TFormCompare* TFormMain::OpenComparison(const QString& path)
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingMeasurement")));
    auto second = std::make_unique<LoadedVisit>();
    const bool loaded = second->Load(path);
    EndBusy();
    if (!loaded) {
        m_prompt->ShowMessage(second->LastError());
        return nullptr;
    }
    Bench().UpdateResultsGrid();
    const QString firstName = Bench().State().ui.statusImageName;
    auto* window = new TFormCompare(Bench(), std::move(second), firstName, path, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to this window: the first visit cannot change under the comparison.
    window->setWindowModality(Qt::WindowModal);
    window->show();
    return window;
}

void TFormMain::PrintCommand()
{
    // The preview of the report library runs inside; the command returns when it
    // is closed and the report library has closed its report. Writing the two
    // pictures takes a while on a large picture: the busy cursor shows until the
    // preview is up.
    BeginBusy(m_formLang->Text(QStringLiteral("StatusPrinting")));
    Run([&] { PrintBridge::Print(Bench(), [this] { EndBusy(); }); });
    EndBusy();
}

void TFormMain::OpenDroppedFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString path = paths.front();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ini")) {
        // The operator opens an archived case: no host hand-over, so its picture stays.
        BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingPicture")));
        Run([&] { HostImport(Bench(), m_options.programDir).OpenExchangeFile(path); });
        EndBusy();
        return;
    }
    m_prompt->PresetFileName(path);
    if (suffix == QLatin1String("nvm"))
        LoadMeasurementCommand();
    else
        LoadPictureCommand();
    m_prompt->PresetFileName(QString());
}
