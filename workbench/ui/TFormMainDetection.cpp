// "Haare erkennen" and "Vorschläge übernehmen": detection runs on a worker
// thread with a progress window and Cancel while the window stays usable; its
// hairs appear as proposals the operator reviews with the ordinary tools.
#include "workbench/ui/TFormMain.h"

#include "common/NumberText.h"
#include "workbench/detection/HairDetector.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/WindowPrompt.h"

#include <QAction>
#include <QPointer>
#include <QProgressDialog>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

void TFormMain::DetectHairsCommand()
{
    if (m_detectThread != nullptr)
        return; // one detection at a time; its progress window is open
    if (!Bench().State().ImageLoaded) {
        m_prompt->ShowMessage(Bench().Texts().Text(QStringLiteral("MessageImageRequired")));
        return;
    }
    const double pixelsPerMm = Bench().PixelsPerMm();
    if (!detection::CalibrationSupported(pixelsPerMm)) {
        m_prompt->ShowMessage(m_formLang->Text(QStringLiteral("MessageDetectionCalibration"))
                                  .arg(NumberText::Fixed(pixelsPerMm, 1, Bench().DecimalSeparator()))
                                  .arg(detection::kMinPixelsPerMm)
                                  .arg(detection::kMaxPixelsPerMm));
        return;
    }
    // The thread reads its own (shared, never written) copy of the picture.
    const QImage picture = Bench().Canvas().BkBitmap();
    const qint64 pictureKey = picture.cacheKey();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto progressValue = std::make_shared<std::atomic<int>>(0);
    auto result = std::make_shared<detection::Result>();

    detection::Options options;
    options.pixelsPerMm = pixelsPerMm;
    options.field = Bench().DetectionField();
    options.progress = [cancel, progressValue](int percent) {
        progressValue->store(percent);
        return !cancel->load();
    };

    auto* dialog = new QProgressDialog(m_formLang->Text(QStringLiteral("StatusDetecting")),
        m_formLang->Text(QStringLiteral("ButtonCancel")), 0, 100, this);
    dialog->setObjectName(QStringLiteral("FormDetecting"));
    dialog->setWindowModality(Qt::NonModal);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    connect(dialog, &QProgressDialog::canceled, this, [cancel] { cancel->store(true); });
    // The bar follows the thread's progress from the window's own thread.
    auto* poll = new QTimer(dialog);
    connect(poll, &QTimer::timeout, dialog, [dialog, progressValue] { dialog->setValue(progressValue->load()); });
    poll->start(50);

    m_detectCancel = cancel;
    m_detectThread
        = QThread::create([picture, options, result] { *result = detection::DetectHairs(picture, options); });
    Action(QStringLiteral("Haareerkennen1"))->setEnabled(false);
    const QPointer<QProgressDialog> guard(dialog);
    connect(m_detectThread, &QThread::finished, this, [this, result, cancel, guard, pictureKey] {
        m_detectThread->deleteLater();
        m_detectThread = nullptr;
        m_detectCancel.reset();
        Action(QStringLiteral("Haareerkennen1"))->setEnabled(true);
        if (guard)
            guard->deleteLater();
        if (cancel->load() || result->cancelled)
            return;
        // Another picture was loaded meanwhile: the hairs are not its hairs.
        if (Bench().Canvas().BkBitmap().cacheKey() != pictureKey) {
            statusBar()->showMessage(m_formLang->Text(QStringLiteral("StatusDetectionDiscarded")), 10000);
            return;
        }
        int proposed = 0;
        Run([&] { proposed = Bench().ShowProposals(result->hairs); });
        if (const int doubtful = Bench().DoubtfulProposalCount(); doubtful > 0)
            statusBar()->showMessage(
                m_formLang->Text(QStringLiteral("StatusDetectedDoubtful")).arg(proposed).arg(doubtful), 10000);
        else
            statusBar()->showMessage(m_formLang->Text(QStringLiteral("StatusDetected")).arg(proposed), 10000);
    });
    m_detectThread->start(QThread::LowPriority);
}

void TFormMain::AcceptProposalsCommand()
{
    int accepted = 0;
    Run([&] { accepted = Bench().AcceptProposals(); });
    if (accepted == 0)
        m_prompt->Beep();
    else
        statusBar()->showMessage(m_formLang->Text(QStringLiteral("StatusAccepted")).arg(accepted), 10000);
}

void TFormMain::NextDoubtfulProposalCommand()
{
    std::optional<Workbench::DoubtfulVisit> visit;
    Run([&] { visit = Bench().NextDoubtfulProposal(); });
    if (!visit) {
        m_prompt->Beep();
        statusBar()->showMessage(m_formLang->Text(QStringLiteral("StatusNoDoubtful")), 10000);
        return;
    }
    ApplyScroll(Bench().CentreOn(visit->centre, CurrentViewport()));
    statusBar()->showMessage(m_formLang->Text(QStringLiteral("StatusDoubtful"))
                                 .arg(visit->number)
                                 .arg(visit->count)
                                 .arg(NumberText::Fixed(visit->confidence, 2, Bench().DecimalSeparator())),
        10000);
}

void TFormMain::StopDetection()
{
    if (m_detectThread == nullptr)
        return;
    if (m_detectCancel)
        m_detectCancel->store(true);
    m_detectThread->wait();
}
