#pragma once

#include <QApplication>

// The application object of Pelorix: an exception that escapes an event handler
// is shown in a message box and the program keeps running.
class PelorixApplication : public QApplication
{
public:
    PelorixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
