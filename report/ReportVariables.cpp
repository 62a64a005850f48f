#include "report/ReportVariables.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyRectangle.h"
#include "common/MessageSink.h"
#include "common/TDataFrame.h"
#include "report/NVBitmap.h"
#include "report/ReportMessages.h"
#include "report/ReportTextFormat.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace ReportVariables {

namespace {

const QString kVariableCount = QStringLiteral("VariableCount");
const QString kVariablePrefix = QStringLiteral("var_");
const QString kImageFileName = QStringLiteral("ImageFileName");
constexpr int kMaxVariables = 4096;

// A text split at line breaks as a text box takes it: CR LF, CR or LF; a break at
// the very end adds no empty line.
QStringList SplitLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The box size of a shape in whole canvas units.
int Truncated(float value)
{
    const double v = std::fabs(double(value));
    return v < 1e9 ? int(v) : 0;
}

// Puts the fitted picture into the image shape keeping its box: the shape stretches
// the picture into the box it was designed with.
void PutPicture(TMyImage& image, const QImage& picture)
{
    const std::vector<TMyPoint> nodes = image.Nodes();
    const TMyPoint center = image.Center();
    const TMyPoint captionPos = image.CaptionPos();
    image.SetBitmap(picture);
    image.Nodes() = nodes;
    image.SetCenter(center);
    image.SetCaptionPos(captionPos);
}

// Fills one image shape; false when its picture file exists but cannot be used.
bool FillImage(TMyImage& image, const std::vector<Row>& rows, double outputZoom)
{
    QString path = ValueOf(rows, ImageBinding(image));
    if (path.isEmpty())
        return true;
    if (!QFileInfo::exists(path))
        path.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    if (!QFileInfo::exists(path))
        return true; // no picture: the designed one stays
    const QImage picture = NVBitmapForOutput(path, Truncated(image.Width()), Truncated(image.Height()), outputZoom);
    if (picture.isNull()) {
        MessageSink::Show(ReportMessages::kImageError + path);
        return false;
    }
    PutPicture(image, picture);
    return true;
}

// A cell's text; a missing cell gives a null text, an empty one an empty (not
// null) text, so that a report prints "(null)" for the one and nothing for the other.
QString ValueText(const TCell& cell)
{
    if (cell.IsMissing())
        return QString();
    const QString text = cell.TextForm(QString());
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

std::vector<Row> ReadResultRows(const QString& path)
{
    std::vector<Row> rows;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return rows;
    TDataFrame table;
    table.ReadDataFram(path);
    const TCol* name = table.ColumnByName(QStringLiteral("Name"));
    const TCol* value = table.ColumnByName(QStringLiteral("Value"));
    if (!name || !value)
        return rows;
    const int count = std::min(name->CellCount(), value->CellCount());
    rows.reserve(size_t(count));
    for (int r = 0; r < count; ++r)
        rows.emplace_back(name->Cell(r)->TextForm(QString()), ValueText(*value->Cell(r)));
    return rows;
}

QString ValueOf(const std::vector<Row>& rows, const QString& name)
{
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (it->first == name)
            return it->second;
    return QString();
}

QStringList TextBinding(const TMyShape& shape)
{
    bool ok = false;
    const int count = shape.UserData().GetValue(kVariableCount).trimmed().toInt(&ok);
    QStringList names;
    if (!ok)
        return names;
    // The count comes from a file: a damaged one must not ask for millions of values.
    for (int k = 0; k < std::min(count, kMaxVariables); ++k)
        names << shape.UserData().GetValue(kVariablePrefix + QString::number(k));
    return names;
}

void SetTextBinding(TMyText& shape, const QStringList& lines, const QStringList& names)
{
    shape.SetLines(lines);
    TUserData& data = shape.UserData();
    data.Clear();
    data.Add(kVariableCount, QString::number(names.size()));
    for (qsizetype k = 0; k < names.size(); ++k)
        data.Add(kVariablePrefix + QString::number(k), names[k]);
}

QString ImageBinding(const TMyShape& shape)
{
    return shape.UserData().GetValue(kImageFileName);
}

void SetImageBinding(TMyImage& shape, const QString& name)
{
    shape.UserData().Clear();
    if (!name.isEmpty())
        shape.UserData().Add(kImageFileName, name);
}

QString FormatText(const QString& text, const QStringList& names, const std::vector<Row>& rows)
{
    if (!text.contains(QLatin1Char('%')))
        return text;
    QStringList values;
    values.reserve(names.size());
    for (const QString& name : names)
        values << ValueOf(rows, name);
    return ReportTextFormat::Format(text, values).value_or(text);
}

bool FillReportVariables(TMyCAD& canvas, const QString& resultFile, double outputZoom)
{
    if (resultFile.isEmpty() || !QFileInfo(resultFile).isFile())
        return true;
    const std::vector<Row> rows = ReadResultRows(resultFile);
    bool ok = true;
    for (int i = 0; i < canvas.ShapeCount(); ++i) {
        TMyShape* shape = canvas.ShapeByIndex(i);
        if (auto* text = dynamic_cast<TMyText*>(shape)) {
            QString whole;
            for (const QString& line : text->Lines())
                whole += line + QLatin1String("\r\n");
            if (whole.contains(QLatin1Char('%')))
                text->SetLines(SplitLines(FormatText(whole, TextBinding(*text), rows)));
        } else if (auto* image = dynamic_cast<TMyImage*>(shape)) {
            if (!FillImage(*image, rows, outputZoom))
                ok = false;
        }
    }
    return ok;
}

} // namespace ReportVariables
