#include "workbench/BatchResults.h"

#include "canvas/TMyCAD.h"
#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace BatchResults {

namespace {

// Answers with the defaults and keeps every message to itself: a batch reports
// through its errors sheet, never through one message per file.
class QuietPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString&) override { }
    void ShowInformation(const QString&, const QString&) override { }
};

// The grid rows the sheet shows, in grid order.
constexpr int kSheetRows[]
    = { RowArea, RowCount, RowDensity, RowThicknessMean, RowThicknessCum, RowLengthMean, RowLengthCum, RowVellusCount,
          RowVellusDensity, RowTerminalCount, RowTerminalDensity, RowFollicularUnits, RowFollicularUnitDensity };

SheetCell Number(const std::optional<double>& value)
{
    return value ? SheetCell(*value) : SheetCell();
}

QString Text(const QString& text)
{
    return text == QLatin1String("-") ? QString() : text;
}

QString Relative(const QString& path, const QString& folder)
{
    return QDir(folder).relativeFilePath(path);
}

QString WithUnit(const QString& caption, const QString& unit)
{
    return unit.isEmpty() ? caption : caption + QStringLiteral(" [") + unit + QLatin1Char(']');
}

} // namespace

QStringList FindMeasurements(const QString& folder, bool recursive)
{
    QStringList files;
    QDirIterator it(folder, { QStringLiteral("*.nvm") }, QDir::Files | QDir::Readable | QDir::Hidden,
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext())
        files << it.next();
    std::sort(files.begin(), files.end());
    return files;
}

FileResult Evaluate(const QString& path)
{
    FileResult result;
    result.path = path;
    QuietPrompt prompt;
    Workbench workbench(prompt);
    MeasurementFile files(workbench);
    if (!QFileInfo(path).isFile()) {
        result.error = QStringLiteral("the file does not exist");
        return result;
    }
    if (!TMyCAD::IsCanvasFile(path)) {
        result.error = QStringLiteral("not a measurement file (no canvas file signature)");
        return result;
    }
    if (!files.LoadMeasurementResults(path, &result.hasPicture)) {
        // The reason names the file first; the sheet has its own column for that.
        QString reason = files.LastError();
        if (reason.startsWith(path + QStringLiteral(": ")))
            reason = reason.mid(path.size() + 2);
        result.error = reason.isEmpty() ? QStringLiteral("the file cannot be read") : reason;
        return result;
    }
    const ResultsSnapshot snapshot = workbench.Results();
    result.scale = snapshot.scale;
    result.unit = snapshot.unit;
    result.rows = snapshot.rows;
    result.medianThickness = snapshot.thickness.median;
    result.vellusPercentage = snapshot.thickness.vellusPercentage;
    result.classes = snapshot.thickness.classes;
    return result;
}

std::vector<FileResult> Run(
    const QStringList& files, int jobs, const std::function<void(int done, int total)>& progress)
{
    std::vector<FileResult> results(size_t(files.size()));
    std::atomic<int> next { 0 };
    std::mutex progressMutex;
    int done = 0;
    const auto work = [&] {
        for (int i = next++; i < files.size(); i = next++) {
            results[size_t(i)] = Evaluate(files[i]);
            const std::lock_guard lock(progressMutex);
            ++done;
            if (progress)
                progress(done, int(files.size()));
        }
    };
    const int threads = std::clamp(jobs, 1, std::max(1, int(files.size())));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    return results;
}

SheetTable ResultsSheet(const std::vector<FileResult>& results, const QString& folder)
{
    SheetTable sheet;
    sheet.name = QStringLiteral("Results");
    // Captions from the first file read; units from the first one calibrated in
    // millimetres (other calibrations name their unit in the unit column).
    const FileResult* captions = nullptr;
    const FileResult* units = nullptr;
    size_t classCount = 0;
    for (const FileResult& result : results) {
        if (!result.Ok())
            continue;
        if (captions == nullptr)
            captions = &result;
        if (units == nullptr && result.unit == QLatin1String("mm"))
            units = &result;
        classCount = std::max(classCount, result.classes.size());
    }
    const std::vector<TGridResult> defaults = CreateResultRows(LanguageTable::Pelorix());
    const std::vector<TGridResult>& captionRows
        = captions != nullptr && captions->rows.size() == defaults.size() ? captions->rows : defaults;
    sheet.header = QStringList { QStringLiteral("File"), QStringLiteral("Patient"), QStringLiteral("Birthdate"),
        QStringLiteral("Date"), QStringLiteral("Picture"), QStringLiteral("Scale"), QStringLiteral("Unit") };
    for (int row : kSheetRows)
        sheet.header << WithUnit(captionRows[size_t(row)].caption,
            units != nullptr && size_t(row) < units->rows.size() ? units->rows[size_t(row)].unit : QString());
    sheet.header << WithUnit(QStringLiteral("Thickness Median"), units != nullptr ? QStringLiteral("µm") : QString())
                 << WithUnit(QStringLiteral("Vellus Percentage"), QStringLiteral("%"));
    const std::vector<ThicknessClass> allClasses = ThicknessDistribution::Padded({}, int(classCount));
    for (size_t i = 0; i < classCount; ++i) {
        // The last class may be the wide one above 1000 µm.
        int upper = allClasses[i].upper;
        for (const FileResult& result : results)
            if (i < result.classes.size())
                upper = std::max(upper, result.classes[i].upper);
        sheet.header << QStringLiteral("Thickness %1-%2 µm").arg(allClasses[i].lower).arg(upper);
    }

    for (const FileResult& result : results) {
        if (!result.Ok())
            continue;
        const auto row = [&](int index) -> const TGridResult* {
            return size_t(index) < result.rows.size() ? &result.rows[size_t(index)] : nullptr;
        };
        std::vector<SheetCell> cells;
        cells.emplace_back(Relative(result.path, folder));
        cells.emplace_back(row(RowName) ? Text(row(RowName)->text) : QString());
        cells.emplace_back(row(RowBirthdate) ? Text(row(RowBirthdate)->text) : QString());
        cells.emplace_back(row(RowDate) ? Text(row(RowDate)->text) : QString());
        cells.emplace_back(result.hasPicture ? QStringLiteral("yes") : QStringLiteral("no"));
        cells.emplace_back(result.scale);
        cells.emplace_back(result.unit);
        for (int index : kSheetRows) {
            const TGridResult* r = row(index);
            // A row without a value shows "-".
            cells.push_back(r != nullptr && r->text != QLatin1String("-") ? SheetCell(r->value) : SheetCell());
        }
        cells.push_back(Number(result.medianThickness));
        cells.push_back(Number(result.vellusPercentage));
        for (size_t i = 0; i < classCount; ++i)
            cells.push_back(i < result.classes.size() ? SheetCell(double(result.classes[i].count))
                                                      : (result.classes.empty() ? SheetCell() : SheetCell(0.0)));
        sheet.rows.push_back(std::move(cells));
    }
    return sheet;
}

SheetTable ErrorsSheet(const std::vector<FileResult>& results, const QString& folder)
{
    SheetTable sheet;
    sheet.name = QStringLiteral("Unreadable files");
    sheet.header = QStringList { QStringLiteral("File"), QStringLiteral("Reason") };
    for (const FileResult& result : results)
        if (!result.Ok())
            sheet.rows.push_back({ Relative(result.path, folder), result.error });
    return sheet;
}

} // namespace BatchResults
