#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class TMyCAD;
class TMyImage;
class TMyShape;
class TMyText;

// Report variables: text and image shapes of a design bound, through their user
// data, to rows of the result data file (a data table with the columns Name and
// Value), and filled from it on a working copy at every output.
namespace ReportVariables {

// One row of the result data file: name and value as texts.
using Row = std::pair<QString, QString>;

// The Name and Value texts of every row of the file, in file order; values of
// cells marked missing read as null texts (printed "(null)"), empty texts as
// empty, not null, texts. Empty when the file does not exist or is damaged.
std::vector<Row> ReadResultRows(const QString& path);

// The value of the last row named exactly `name` (letter case counts); a null text when none.
QString ValueOf(const std::vector<Row>& rows, const QString& name);

// The variable names a text shape's placeholders take, in order ("VariableCount",
// "var_0", "var_1", ...); none when the count is missing or not a number.
QStringList TextBinding(const TMyShape& shape);
// Replaces the text and the binding; every other user-data entry of the shape is dropped.
void SetTextBinding(TMyText& shape, const QStringList& lines, const QStringList& names);
// The variable naming an image shape's picture file ("ImageFileName").
QString ImageBinding(const TMyShape& shape);
// Binds the image shape to the variable; an empty name removes the binding.
void SetImageBinding(TMyImage& shape, const QString& name);

// A text filled with the values of the named variables. A text without "%" is
// returned unchanged; a text that cannot be formatted (another conversion, more
// placeholders than values) is returned unchanged too.
QString FormatText(const QString& text, const QStringList& names, const std::vector<Row>& rows);

// Fills every bound shape of the canvas (a working copy, never the design) from
// the result data file. Without the file, shapes keep their designed texts and
// pictures. A bound picture file that exists but cannot be loaded is reported and
// makes the result false, after all other shapes were filled. With an `outputZoom`
// (output pixels per canvas unit) pictures keep no more pixels than their boxes
// show there; 0 keeps them at their own resolution.
bool FillReportVariables(TMyCAD& canvas, const QString& resultFile, double outputZoom = 0.0);

} // namespace ReportVariables
