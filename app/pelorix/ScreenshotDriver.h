#pragma once

#include <QObject>
#include <QPointF>
#include <QString>

class TFormMain;

// Drives a started main window like an operator: draws a few hairs and a
// follicular unit with simulated mouse input, then saves a picture of the
// window and ends the program.
class ScreenshotDriver : public QObject
{
    Q_OBJECT
public:
    ScreenshotDriver(TFormMain& window, QString outPath);

private:
    void Step();
    void Drag(QPointF fromImage, QPointF toImage);
    void Finish();

    TFormMain& m_window;
    QString m_outPath;
    int m_waited = 0;
};
