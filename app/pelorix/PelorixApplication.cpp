#include "PelorixApplication.h"

#include "workbench/ProgramVersion.h"

#include <QMessageBox>

#include <exception>

PelorixApplication::PelorixApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Pelorix"));
    setApplicationDisplayName(QStringLiteral("Pelorix"));
    setOrganizationName(QStringLiteral("Pelorix"));
    // The version a printed report shows as "ProgVersion".
    setApplicationVersion(ProgramVersion::File());
}

bool PelorixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox::critical(activeWindow(), applicationName(), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), applicationName(), QStringLiteral("Unbekannter Fehler."));
    }
    return false;
}
