#pragma once

#include "canvas/CanvasTypes.h"
#include "workbench/TGridResult.h"

#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class LanguageTable;
class TDataFrame;
class TMyCAD;
class Workbench;
namespace VisitComparison {
struct Comparison;
}

// "Drucken...": Pelorix's side of printing. The results, the patient data and two
// pictures (the loaded one and the one with the marks) go to temporary files, the
// report library Prelvo is loaded from the program's own folder, opens a report
// with the shipped template and the variable table, shows it and closes it again.
namespace PrintBridge {

// The files handed to the report library; all created exclusively, owner-only.
struct PrintFiles
{
    QString original; // "imgo": the loaded picture, 24-bit BMP
    QString marked; // "imga": the picture with the marks, 24-bit BMP
    QString table; // "ResultDataFrameForPrint": the variable table, data-table INI form
};

// The texts of the first three variables.
struct ProgramTexts
{
    QString version; // the program's version
    QString name; // the executable's file name
    QString dateTime; // the locale's short date, a blank, the long time
    // The running program's texts at this moment.
    static ProgramTexts Current();
};

// Fills the variable table: columns Name, Value, Type and the 40 variables in
// their order, every Type "String". Count variables hold the row's value in
// general notation ("-1" for a row without value), the others the texts as the
// grid shows them.
void FillVariableTable(
    TDataFrame& table, const std::vector<TGridResult>& rows, const ProgramTexts& program, const PrintFiles& files);

// The canvas's picture with the shapes of every layer drawn over it at 100 %, at
// the picture's size. With a print colour other than -1 every shape is drawn in
// that colour. The canvas itself is not changed. Null without a picture. The print
// files are painted the same way, band by band, and never held whole.
QImage MarkedPicture(TMyCAD& canvas, TColor swColor);

// Writes the two pictures and the variable table to new temporary files (in this
// order, so their counters follow each other). Nothing, with the reason, when a
// file cannot be written; the files made so far are removed then.
std::optional<PrintFiles> WritePrintFiles(Workbench& workbench, const ProgramTexts& program, QString* error);

// The report library's file in the program's folder, and the shipped template.
QString LibraryPath();
QString TemplatePath();
// The shipped template of the follow-up report ("Verlauf.zrp").
QString FollowUpTemplatePath();

// --- the follow-up report of two visits ---
struct FollowUpFiles
{
    PrintFiles first; // the first visit's pictures and the table
    QString marked2; // "imgb": the second visit's picture with its marks
    QString chart; // "imgc": both thickness distributions
};

// The one-visit table of the first visit (unchanged), then the follow-up variables
// of common/PrintVariables.h.
void FillFollowUpTable(TDataFrame& table, const std::vector<TGridResult>& rows, const ProgramTexts& program,
    const FollowUpFiles& files, const QString& secondDate, const VisitComparison::Comparison& comparison,
    const LanguageTable& texts, QChar separator);

// The marked picture of a workbench; a measurement without picture has its marks
// drawn on white at the size of its field.
QImage MarkedPictureOrDrawing(Workbench& workbench);

// Writes the four pictures and the table to new temporary files; nothing, with
// the reason, when one cannot be written (the files made so far are removed).
std::optional<FollowUpFiles> WriteFollowUpFiles(Workbench& first, Workbench& second,
    const VisitComparison::Comparison& comparison, const ProgramTexts& program, QString* error);

// "Drucken..." of the comparison window: the follow-up report through the report
// library, messages through the first workbench's prompt, every file removed after.
void PrintFollowUp(Workbench& first, Workbench& second, const VisitComparison::Comparison& comparison);

// How a run of the report library ended.
enum class LibraryRun { Done, NotFound, NoInitReport, InitRefused, ExportFailed };

// Loads the library from `libraryPath` (an absolute path, never a search), opens
// the report, shows it (or, with an `exportPath`, writes it there instead), closes
// it. The library is never unloaded: what it made may outlive the report.
LibraryRun RunLibrary(const QString& libraryPath, const QString& templatePath, const QString& tablePath,
    const QString& exportPath = QString());

// The whole print command on the workbench: results updated, files written,
// library run, messages shown through the workbench's prompt, the pictures and
// the table removed afterwards. `filesWritten` is called once the print files
// are written, before the library shows its preview (the window ends its busy state).
void Print(Workbench& workbench, const std::function<void()>& filesWritten = {});

} // namespace PrintBridge
