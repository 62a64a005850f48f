#pragma once

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <QString>

#include <functional>
#include <vector>

class QWidget;
class TFormMain;

// Drives a started main window like an operator: draws a few hairs and a
// follicular unit with simulated mouse input, then saves a picture of the
// window and ends the program. With the report pictures it first prints: the
// preview is saved, the designer is opened from it by its access code and saved.
class ScreenshotDriver : public QObject
{
    Q_OBJECT
public:
    // With a hairs file (the sample's record of its hairs) those hairs are drawn
    // instead of the few fixed ones.
    ScreenshotDriver(TFormMain& window, QString outPath, bool reportScreenshots = false, QString hairsFile = QString());

private:
    void Step();
    void Drag(QPointF fromImage, QPointF toImage);
    // Clicks on each point (image pixels) and double-clicks on the last: a curve.
    void ClickCurve(const std::vector<QPointF>& nodesInImage);
    void SendMouse(QEvent::Type type, QPointF inImage, Qt::MouseButtons buttons);
    void DrawHairsOf(const QString& path);
    void Finish();
    // "Drucken...": waits for the preview and the designer and saves them.
    void PrintScreenshots();
    void CapturePreview(QWidget* preview);
    void CaptureDesigner(QWidget* designer);
    // Calls `found` with the shown modal window of that object name once it is there.
    void WhenShown(const QString& title, std::function<void(QWidget*)> found, int attempts = 100);
    QString SiblingPath(const QString& suffix) const;

    TFormMain& m_window;
    QString m_outPath;
    QString m_hairsFile;
    bool m_reportScreenshots = false;
    bool m_saved = false;
    int m_waited = 0;
};
