#include "ScreenshotDriver.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormMain.h"

#include <QApplication>
#include <QSlider>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

ScreenshotDriver::ScreenshotDriver(TFormMain& window, QString outPath)
    : QObject(&window)
    , m_window(window)
    , m_outPath(std::move(outPath))
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

void ScreenshotDriver::Drag(QPointF fromImage, QPointF toImage)
{
    QWidget* surface = m_window.Canvas()->View();
    const double zoom = m_window.Bench().State().Zoom;
    const QPointF from = fromImage * zoom;
    const QPointF to = toImage * zoom;
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
    };
    // The measuring tools take two clicks: the first end, then the second.
    send(QEvent::MouseMove, from, Qt::NoButton);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from, Qt::NoButton);
    for (int i = 1; i <= 8; ++i)
        send(QEvent::MouseMove, from + (to - from) * (i / 8.0), Qt::NoButton);
    send(QEvent::MouseButtonPress, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    QApplication::processEvents();
}

void ScreenshotDriver::Finish()
{
    const bool saved = m_window.grab().save(m_outPath, "PNG");
    std::fprintf(stderr, saved ? "screenshot: %s\n" : "screenshot: could not write %s\n", qPrintable(m_outPath));
    QApplication::exit(saved ? 0 : 1);
}
