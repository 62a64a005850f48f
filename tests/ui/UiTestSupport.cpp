#include "tests/ui/UiTestSupport.h"
#include "tests/support/AppEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <vector>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

std::deque<std::function<void(QWidget*)>>& Queue()
{
    static std::deque<std::function<void(QWidget*)>> queue;
    return queue;
}

// Polls for the active modal dialog and hands it to the next queued handler. A
// handler runs from its own zero timer, so a dialog it opens in turn (a notice
// over the scale dialog) is handled while it still runs; a dialog that stays
// open after its handler is handed to the next one.
QTimer* Poller()
{
    static QTimer* timer = [] {
        auto* t = new QTimer;
        t->setInterval(5);
        QObject::connect(t, &QTimer::timeout, [] {
            static std::vector<QWidget*> running;
            // A question no handler answers would block the suite until CI's time
            // runs out: after a few seconds it fails the test and is closed.
            static QPointer<QWidget> unanswered;
            static QElapsedTimer since;
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->isVisible() && Queue().empty() && qobject_cast<QDialog*>(modal)
                && qobject_cast<QProgressDialog*>(modal) == nullptr) {
                if (unanswered != modal) {
                    unanswered = modal;
                    since.start();
                } else if (since.elapsed() > 5000) {
                    ADD_FAILURE() << "a dialog no test answered: " << UiTest::DialogText(modal).toStdString();
                    unanswered = nullptr;
                    static_cast<QDialog*>(modal)->reject();
                }
                return;
            }
            if (modal == nullptr || !modal->isVisible() || Queue().empty()
                || std::find(running.begin(), running.end(), modal) != running.end())
                return;
            running.push_back(modal);
            auto handler = std::move(Queue().front());
            Queue().pop_front();
            QTimer::singleShot(0, [modal, handler = std::move(handler)] {
                handler(modal);
                running.erase(std::find(running.begin(), running.end(), modal));
            });
        });
        return t;
    }();
    return timer;
}

} // namespace

namespace UiTest {

void OnNextDialog(std::function<void(QWidget*)> handler)
{
    (void)kRegistered;
    Queue().push_back(std::move(handler));
    Poller()->start();
}

int PendingDialogs()
{
    return int(Queue().size());
}

void PressButton(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->text().remove(QLatin1Char('&')) == text) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
}

QString DialogText(QWidget* dialog)
{
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        return box->windowTitle() + QLatin1Char('|') + box->text();
    return dialog->windowTitle();
}

void Wait(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void MainWindowFixture::Create(const QStringList& shippedFiles, const QString& hostFile)
{
    for (const QString& name : shippedFiles)
        QFile::copy(TestSupport::DataPath(name), m_dir.Path(QFileInfo(name).fileName()));
    QDir().mkpath(m_dir.Path(QStringLiteral("recovery")));
    Poller()->start();
    TFormMain::Options options;
    options.programDir = m_dir.Root();
    options.recoveryDir = m_dir.Path(QStringLiteral("recovery"));
    options.hostFile = hostFile;
    options.startupTimer = false;
    m_window = std::make_unique<TFormMain>(options);
    m_window->show();
}

void MainWindowFixture::TearDown()
{
    m_window.reset();
    Queue().clear();
}

QString MainWindowFixture::CopySample()
{
    for (const char* name : { "exchange.ini", "sample-scalp.jpg" })
        QFile::copy(
            TestSupport::DataPath(QStringLiteral("sample/") + QLatin1String(name)), m_dir.Path(QLatin1String(name)));
    return m_dir.Path(QStringLiteral("exchange.ini"));
}

} // namespace UiTest
