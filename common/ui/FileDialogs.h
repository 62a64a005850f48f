#pragma once

#include <QString>
#include <QStringList>

struct FileDialogRequest;
class QWidget;

// The file dialogs of the windows of both programs, built from the logic's requests.
namespace FileDialogs {

// A filter in the "Description|pattern|Description|pattern" form as Qt name
// filters: an entry that does not end in its own pattern gets the pattern
// appended in brackets, with blanks between several patterns.
QStringList NameFilters(const QString& pipeFilter);

// Shows an open or save dialog (a save dialog asks before overwriting and adds
// the default extension to a name typed without one); empty when cancelled.
QString Ask(QWidget* parent, const FileDialogRequest& request);

} // namespace FileDialogs
