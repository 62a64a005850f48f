#include "common/ui/FileDialogs.h"

#include "common/Prompt.h"

#include <QFileDialog>

namespace FileDialogs {

QStringList NameFilters(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        if (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')) && !pattern.contains(QLatin1Char(';')))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '))
                    + QLatin1Char(')');
    }
    return filters;
}

QString Ask(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(request.save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(request.filter));
    if (!request.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

} // namespace FileDialogs
