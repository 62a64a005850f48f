#pragma once

#include <QString>

class QWidget;

// The file dialogs of the main window with their filters and default extensions.
// Each returns the chosen path, empty when cancelled.
namespace FileDialogs {

// A filter in the "Description|pattern|Description|pattern" form as Qt name filters.
QStringList NameFilters(const QString& pipeFilter);
// Appends the default extension (".nvm") to a name typed without one.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

QString OpenPicture(QWidget* parent);
QString SavePicture(QWidget* parent);
QString OpenMeasurement(QWidget* parent);
QString SaveMeasurement(QWidget* parent);
QString ExportResults(QWidget* parent);

extern const char* const kPictureOpenFilter;
extern const char* const kPictureSaveFilter;
extern const char* const kMeasurementFilter;
extern const char* const kResultsFilter;

} // namespace FileDialogs
