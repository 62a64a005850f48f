#include "workbench/ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace FileDialogs {

const char* const kPictureOpenFilter
    = "All(*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd)|*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd|"
      "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|TIFF (*.tif)|*.tif|"
      "GIF (*.gif)|*.gif|Icons (*.ico)|*.ico|Photoshop (*.psd)|*.psd|PNG (*.png)|*.png";
const char* const kPictureSaveFilter = "Bitmaps (*.bmp)|*.bmp|Windows Meta file (*.wmf)|*.wmf|"
                                       "JPEG Image File (*.jpg)|*.jpg|DXF (*.dxf)|*.dxf|DXF1(*.dxf1)|*.dxf1";
const char* const kMeasurementFilter = "Norvane Measure (*.nvm)|*.nvm";
const char* const kResultsFilter = "Exceldatei (*.xls)|*.xls|Textdatei  (*.txt)|*.txt";

QStringList NameFilters(const QString& pipeFilter)
{
    // Qt takes the patterns from the brackets at the end of an entry, separated
    // by blanks: an entry that does not end in its own pattern gets it appended.
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

QString WithDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

namespace {

QString Run(QWidget* parent, QFileDialog::AcceptMode mode, const char* filter, const QString& suffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(QString::fromUtf8(filter)));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

} // namespace

QString OpenPicture(QWidget* parent)
{
    return Run(parent, QFileDialog::AcceptOpen, kPictureOpenFilter, QString());
}

QString SavePicture(QWidget* parent)
{
    return Run(parent, QFileDialog::AcceptSave, kPictureSaveFilter, QStringLiteral("bmp"));
}

QString OpenMeasurement(QWidget* parent)
{
    return Run(parent, QFileDialog::AcceptOpen, kMeasurementFilter, QStringLiteral("nvm"));
}

QString SaveMeasurement(QWidget* parent)
{
    return Run(parent, QFileDialog::AcceptSave, kMeasurementFilter, QStringLiteral("nvm"));
}

QString ExportResults(QWidget* parent)
{
    return Run(parent, QFileDialog::AcceptSave, kResultsFilter, QString());
}

} // namespace FileDialogs
