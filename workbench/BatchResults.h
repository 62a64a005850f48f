#pragma once

#include "workbench/SheetTable.h"
#include "workbench/TGridResult.h"
#include "workbench/ThicknessDistribution.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// A whole folder of measurement files evaluated at once (pelorix-cli batch): one
// results row per file, the files that cannot be read with their reasons. Each
// file is loaded on its own workbench, so files are evaluated in parallel.
namespace BatchResults {

// What one file gave.
struct FileResult
{
    QString path; // as found
    QString error; // empty when the file was read
    bool hasPicture = false;
    double scale = 0.0;
    QString unit;
    std::vector<TGridResult> rows;
    std::optional<double> medianThickness;
    std::optional<double> vellusPercentage;
    std::vector<ThicknessClass> classes;
    bool Ok() const { return error.isEmpty(); }
};

// The measurement files (".nvm", any case) in a folder, with `recursive` in its
// subfolders too, sorted by path.
QStringList FindMeasurements(const QString& folder, bool recursive);

// Loads one file for its results; a damaged or unreadable file gives its reason.
FileResult Evaluate(const QString& path);

// Evaluates the files on `jobs` threads (at least 1); results in the order of
// `files`. `progress` is called after each file with the number done so far
// (from the thread that finished it, one call at a time).
std::vector<FileResult> Run(
    const QStringList& files, int jobs, const std::function<void(int done, int total)>& progress = {});

// The results sheet: file (relative to `folder`), patient, birth date, picture
// date, picture (yes/no), scale and unit of the calibration, the area and result
// rows of the grid, median thickness, vellus percentage and one column per
// thickness class up to the thickest class of any file. Unreadable files are left out.
SheetTable ResultsSheet(const std::vector<FileResult>& results, const QString& folder);
// The files that could not be read: file and reason.
SheetTable ErrorsSheet(const std::vector<FileResult>& results, const QString& folder);

} // namespace BatchResults
