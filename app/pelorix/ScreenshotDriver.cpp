#include "ScreenshotDriver.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

ScreenshotDriver::ScreenshotDriver(TFormMain& window, QString outPath, bool reportScreenshots, QString hairsFile)
    : QObject(&window)
    , m_window(window)
    , m_outPath(std::move(outPath))
    , m_hairsFile(std::move(hairsFile))
    , m_reportScreenshots(reportScreenshots)
{
    QTimer::singleShot(200, this, &ScreenshotDriver::Step);
}

void ScreenshotDriver::Step()
{
    // Wait for the start-up step and the host import (at most 20 s).
    if (!m_window.StartupDone() && ++m_waited < 100) {
        QTimer::singleShot(200, this, &ScreenshotDriver::Step);
        return;
    }
    if (!m_hairsFile.isEmpty()) {
        // The README's pictures: a window of 1600 x 1000 with the picture fitted in.
        m_window.move(0, 0);
        m_window.resize(1600, 1000);
        QApplication::processEvents();
        m_window.FitZoomToWindow();
        QApplication::processEvents();
        DrawHairsOf(m_hairsFile);
        QTimer::singleShot(300, this, &ScreenshotDriver::Finish);
        return;
    }
    const double cx = m_window.Bench().State().ImageWidth * 0.5;
    const double cy = m_window.Bench().State().ImageHeight * 0.5;
    // Thick enough to be seen at the fitted zoom: 12 pixels, 60 µm at the sample's calibration.
    m_window.TrackBarThickness()->setValue(1200);
    m_window.ToolButtonOf(ToolButton::MultLine)->click();
    const QPointF hairs[][2] = {
        { { cx - 300, cy - 200 }, { cx - 120, cy - 420 } },
        { { cx + 80, cy - 150 }, { cx + 330, cy - 260 } },
        { { cx - 260, cy + 160 }, { cx - 40, cy + 300 } },
        { { cx + 140, cy + 120 }, { cx + 200, cy + 390 } },
    };
    for (const auto& hair : hairs)
        Drag(hair[0], hair[1]);
    m_window.ToolButtonOf(ToolButton::MultFollicularUnit)->click();
    Drag({ cx - 60, cy - 60 }, { cx + 60, cy + 20 });
    m_window.ToolButtonOf(ToolButton::Select)->click();
    QTimer::singleShot(300, this, &ScreenshotDriver::Finish);
}

void ScreenshotDriver::DrawHairsOf(const QString& path)
{
    // The hairs of the sample's record whose roots lie in the evaluated field, each
    // at its own thickness as an operator traces them: straight hairs with the
    // measuring line, curved ones with the curve tool through their Bezier nodes.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonArray hairs = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("hairs")).toArray();
    for (const QJsonValue& value : hairs) {
        const QJsonObject hair = value.toObject();
        const QJsonArray points = hair.value(QStringLiteral("points")).toArray();
        if (!hair.value(QStringLiteral("rootInsideCircle")).toBool() || points.size() < 2)
            continue;
        m_window.Bench().SetThicknessMicrometres(hair.value(QStringLiteral("thicknessUm")).toDouble());
        std::vector<QPointF> nodes;
        for (const QJsonValue& p : points)
            nodes.emplace_back(p[0].toDouble(), p[1].toDouble());
        if (hair.value(QStringLiteral("shape")).toString() == QLatin1String("curve") && nodes.size() == 4) {
            m_window.ToolButtonOf(ToolButton::MultSpline)->click();
            ClickCurve(nodes);
        } else {
            m_window.ToolButtonOf(ToolButton::MultLine)->click();
            Drag(nodes.front(), nodes.back());
        }
    }
    m_window.ToolButtonOf(ToolButton::Select)->click();
    m_window.SyncUi();
}

void ScreenshotDriver::SendMouse(QEvent::Type type, QPointF inImage, Qt::MouseButtons buttons)
{
    QWidget* surface = m_window.Canvas()->View();
    const QPointF at = inImage * m_window.Bench().State().Zoom;
    QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(surface, &event);
}

void ScreenshotDriver::ClickCurve(const std::vector<QPointF>& nodes)
{
    for (const QPointF& node : nodes) {
        SendMouse(QEvent::MouseMove, node, Qt::NoButton);
        SendMouse(QEvent::MouseButtonPress, node, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, node, Qt::NoButton);
    }
    SendMouse(QEvent::MouseButtonDblClick, nodes.back(), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, nodes.back(), Qt::NoButton);
    QApplication::processEvents();
}

void ScreenshotDriver::Drag(QPointF fromImage, QPointF toImage)
{
    // The measuring tools take two clicks: the first end, then the second.
    SendMouse(QEvent::MouseMove, fromImage, Qt::NoButton);
    SendMouse(QEvent::MouseButtonPress, fromImage, Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, fromImage, Qt::NoButton);
    for (int i = 1; i <= 8; ++i)
        SendMouse(QEvent::MouseMove, fromImage + (toImage - fromImage) * (i / 8.0), Qt::NoButton);
    SendMouse(QEvent::MouseButtonPress, toImage, Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, toImage, Qt::NoButton);
    QApplication::processEvents();
}

void ScreenshotDriver::Finish()
{
    m_saved = m_window.grab().save(m_outPath, "PNG");
    std::fprintf(stderr, m_saved ? "screenshot: %s\n" : "screenshot: could not write %s\n", qPrintable(m_outPath));
    if (m_saved && m_reportScreenshots)
        PrintScreenshots();
    QApplication::exit(m_saved ? 0 : 1);
}

QString ScreenshotDriver::SiblingPath(const QString& suffix) const
{
    const QFileInfo out(m_outPath);
    return out.dir().filePath(out.completeBaseName() + suffix);
}

void ScreenshotDriver::WhenShown(const QString& title, std::function<void(QWidget*)> found, int attempts)
{
    QWidget* window = QApplication::activeModalWidget();
    // Found by name: the title is in the operator's language.
    if (window && window->objectName() == title && window->isVisible()) {
        // One more turn of the event loop lets the window paint its page.
        QTimer::singleShot(300, this, [window, found] { found(window); });
        return;
    }
    if (attempts <= 0) {
        std::fprintf(stderr, "screenshot: the window \"%s\" did not open\n", qPrintable(title));
        m_saved = false;
        if (window)
            window->close();
        return;
    }
    QTimer::singleShot(200, this, [=, this] { WhenShown(title, found, attempts - 1); });
}

void ScreenshotDriver::PrintScreenshots()
{
    WhenShown(QStringLiteral("FormPrintPreview"), [this](QWidget* preview) { CapturePreview(preview); });
    // Runs the whole print path: the preview is modal, so this returns when it closes.
    m_window.Action(QStringLiteral("Drucken1"))->trigger();
}

void ScreenshotDriver::CapturePreview(QWidget* preview)
{
    const QString path = SiblingPath(QStringLiteral("-preview.png"));
    m_saved = preview->grab().save(path, "PNG") && m_saved;
    std::fprintf(stderr, "screenshot: %s\n", qPrintable(path));
    WhenShown(QStringLiteral("FormPrintCAD"), [this](QWidget* designer) { CaptureDesigner(designer); });
    // The hidden access code: the prefix letter and today's date as the system writes it.
    const QString code = QStringLiteral("P") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (const QChar c : code) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(preview, &press);
    }
    preview->close();
}

void ScreenshotDriver::CaptureDesigner(QWidget* designer)
{
    // A text box chosen, so that the inspector shows what can be set on it.
    if (auto* page = designer->findChild<QWidget*>(QStringLiteral("MyCADPrint"))) {
        const QPoint at(page->width() / 4, page->height() / 10);
        QMouseEvent press(
            QEvent::MouseButtonPress, at, page->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(
            QEvent::MouseButtonRelease, at, page->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(page, &press);
        QApplication::sendEvent(page, &release);
    }
    QTimer::singleShot(300, this, [this, designer] {
        const QString path = SiblingPath(QStringLiteral("-designer.png"));
        m_saved = designer->grab().save(path, "PNG") && m_saved;
        std::fprintf(stderr, "screenshot: %s\n", qPrintable(path));
        designer->close();
    });
}
