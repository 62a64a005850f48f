// Generates the report template "Pelorix.zrp" that ships beside the programs: one
// A4 portrait page with the patient block, the original and the marked picture,
// the results table (caption, value, unit) and the program's name, version and the
// print date. The texts are bound to the variables Pelorix writes when it prints;
// the archive's member carries a fixed time, so every build makes the same bytes.
// With --follow-up it makes "Verlauf.zrp", the report of two visits in the same
// style: both marked pictures, the table of figures with their changes and 95 %
// intervals, the evaluated areas, and the chart of both thickness distributions.
//   make_report_template [--follow-up] OUT.zrp
#include "canvas/TMyCAD.h"
#include "common/PrintVariables.h"
#include "report/ReportDesign.h"
#include "report/ReportTemplate.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <string_view>

namespace {

using ReportDesign::TextStyle;

// Colours are 0x00BBGGRR.
constexpr TColor kInk = 0x000000;
constexpr TColor kAccent = 0x633B1F; // dark blue #1F3B63
constexpr TColor kMuted = 0x555555;
constexpr TColor kRule = 0xBFBFBF;
constexpr TColor kPanel = 0xF4F2F2; // light grey
constexpr TColor kHeadBand = 0xECE3DC; // pale blue-grey
constexpr TColor kBand = 0xFBF9F7;

// The page's content column in canvas units (A4 is 794 x 1123; 15 mm margins).
constexpr double kLeft = 57;
constexpr double kRight = 737;
constexpr double kWidth = kRight - kLeft;

QString Name(std::string_view name)
{
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

TextStyle Style(int points, bool bold = false, TColor color = kInk, TAlignment alignment = taLeftJustify)
{
    TextStyle style;
    style.points = points;
    style.bold = bold;
    style.color = color;
    style.alignment = alignment;
    return style;
}

void AddHeader(TMyCAD& cad)
{
    ReportDesign::AddText(
        cad, QRectF(kLeft, 38, 460, 36), { QStringLiteral("Hair Analysis Report") }, Style(18, true, kAccent));
    ReportDesign::AddText(cad, QRectF(kRight - 220, 38, 220, 36), { QStringLiteral("Trichoscopy") },
        Style(10, false, kMuted, taRightJustify));
    ReportDesign::AddLine(cad, QPointF(kLeft, 80), QPointF(kRight, 80), kAccent, 2);
}

void AddPatient(TMyCAD& cad)
{
    ReportDesign::AddRectangle(cad, QRectF(kLeft, 94, kWidth, 78), kPanel, kRule);
    ReportDesign::AddText(
        cad, QRectF(kLeft + 12, 100, 300, 20), { QStringLiteral("Patient") }, Style(11, true, kAccent));
    const struct
    {
        double x, y;
        const char* label;
        const char* variable;
    } fields[] = {
        { kLeft + 12, 124, "Name:", "Name" },
        { kLeft + 12, 146, "Date of birth:", "DateOfBirth" },
        { kLeft + 360, 124, "Picture taken:", "ImageDate" },
    };
    for (const auto& field : fields) {
        ReportDesign::AddText(
            cad, QRectF(field.x, field.y, 105, 20), { QString::fromLatin1(field.label) }, Style(10, false, kMuted));
        ReportDesign::AddText(cad, QRectF(field.x + 105, field.y, 215, 20), { QStringLiteral("%s") }, Style(10, true),
            { QString::fromLatin1(field.variable) });
    }
}

void AddPictures(TMyCAD& cad)
{
    constexpr double gap = 14;
    constexpr double w = (kWidth - gap) / 2;
    constexpr double h = w * 3 / 4;
    const struct
    {
        double x;
        const char* caption;
        const char* variable;
    } pictures[] = {
        { kLeft, "Original picture", "ImageOriginal" },
        { kLeft + w + gap, "Marked picture", "ImageAnalysis" },
    };
    for (const auto& picture : pictures) {
        ReportDesign::AddText(
            cad, QRectF(picture.x, 186, w, 20), { QString::fromLatin1(picture.caption) }, Style(10, true, kAccent));
        ReportDesign::AddImage(cad, QRectF(picture.x, 208, w, h), QString::fromLatin1(picture.variable));
    }
}

void AddResults(TMyCAD& cad)
{
    constexpr double top = 480;
    constexpr double rowHeight = 23;
    constexpr double valueRight = 560;
    constexpr double unitLeft = 575;
    ReportDesign::AddText(cad, QRectF(kLeft, top, 300, 24), { QStringLiteral("Results") }, Style(12, true, kAccent));
    ReportDesign::AddRectangle(cad, QRectF(kLeft, top + 28, kWidth, rowHeight), kHeadBand, kHeadBand);
    ReportDesign::AddText(
        cad, QRectF(kLeft + 10, top + 28, 300, rowHeight), { QStringLiteral("Parameter") }, Style(10, true));
    ReportDesign::AddText(cad, QRectF(valueRight - 150, top + 28, 150, rowHeight), { QStringLiteral("Value") },
        Style(10, true, kInk, taRightJustify));
    ReportDesign::AddText(cad, QRectF(unitLeft, top + 28, kRight - unitLeft - 10, rowHeight),
        { QStringLiteral("Unit") }, Style(10, true));

    double y = top + 28 + rowHeight;
    int row = 0;
    for (const PrintVariables::Quantity& quantity : PrintVariables::kQuantities) {
        const QString stem = Name(quantity.stem);
        if (row++ % 2 == 1)
            ReportDesign::AddRectangle(cad, QRectF(kLeft, y, kWidth, rowHeight), kBand, kBand);
        ReportDesign::AddText(cad, QRectF(kLeft + 10, y, 330, rowHeight), { QStringLiteral("%s") }, Style(10),
            { stem + QStringLiteral("Caption") });
        ReportDesign::AddText(cad, QRectF(valueRight - 150, y, 150, rowHeight), { QStringLiteral("%s") },
            Style(10, true, kInk, taRightJustify), { stem + QStringLiteral("Value") });
        if (quantity.hasUnit)
            ReportDesign::AddText(cad, QRectF(unitLeft, y, kRight - unitLeft - 10, rowHeight), { QStringLiteral("%s") },
                Style(10, false, kMuted), { stem + QStringLiteral("Unit") });
        y += rowHeight;
    }
    ReportDesign::AddLine(cad, QPointF(kLeft, y), QPointF(kRight, y), kRule);
}

void AddRemarksAndFooter(TMyCAD& cad)
{
    ReportDesign::AddText(cad, QRectF(kLeft, 850, 300, 22), { QStringLiteral("Remarks") }, Style(11, true, kAccent));
    ReportDesign::AddRectangle(cad, QRectF(kLeft, 874, kWidth, 92), -1, kRule);
    ReportDesign::AddLine(cad, QPointF(kRight - 250, 1018), QPointF(kRight, 1018), kInk);
    ReportDesign::AddText(cad, QRectF(kRight - 250, 1020, 250, 18), { QStringLiteral("Date, signature") },
        Style(8, false, kMuted, taCenter));

    ReportDesign::AddLine(cad, QPointF(kLeft, 1060), QPointF(kRight, 1060), kRule);
    ReportDesign::AddText(cad, QRectF(kLeft, 1064, 480, 18), { QStringLiteral("%s %s") }, Style(8, false, kMuted),
        { QStringLiteral("ProgramName"), QStringLiteral("ProgVersion") });
    ReportDesign::AddText(cad, QRectF(kRight - 240, 1064, 240, 18), { QStringLiteral("Printed %s") },
        Style(8, false, kMuted, taRightJustify), { QStringLiteral("DateTime") });
}

// --- the follow-up report ---

void AddFollowUpHeaderAndPatient(TMyCAD& cad)
{
    ReportDesign::AddText(
        cad, QRectF(kLeft, 38, 460, 36), { QStringLiteral("Follow-up Report") }, Style(18, true, kAccent));
    ReportDesign::AddText(cad, QRectF(kRight - 220, 38, 220, 36), { QStringLiteral("Trichoscopy") },
        Style(10, false, kMuted, taRightJustify));
    ReportDesign::AddLine(cad, QPointF(kLeft, 80), QPointF(kRight, 80), kAccent, 2);
    ReportDesign::AddRectangle(cad, QRectF(kLeft, 94, kWidth, 78), kPanel, kRule);
    ReportDesign::AddText(
        cad, QRectF(kLeft + 12, 100, 300, 20), { QStringLiteral("Patient") }, Style(11, true, kAccent));
    const struct
    {
        double x, y;
        const char* label;
        const char* variable;
    } fields[] = {
        { kLeft + 12, 124, "Name:", "Name" },
        { kLeft + 12, 146, "Date of birth:", "DateOfBirth" },
        { kLeft + 360, 124, "Visit 1:", "ImageDate" },
        { kLeft + 360, 146, "Visit 2:", "ImageDate2" },
    };
    for (const auto& field : fields) {
        ReportDesign::AddText(
            cad, QRectF(field.x, field.y, 105, 20), { QString::fromLatin1(field.label) }, Style(10, false, kMuted));
        ReportDesign::AddText(cad, QRectF(field.x + 105, field.y, 215, 20), { QStringLiteral("%s") }, Style(10, true),
            { QString::fromLatin1(field.variable) });
    }
}

void AddFollowUpPictures(TMyCAD& cad)
{
    constexpr double gap = 14;
    constexpr double w = (kWidth - gap) / 2;
    constexpr double h = w * 3 / 4;
    const struct
    {
        double x;
        const char* caption;
        const char* variable;
    } pictures[] = {
        { kLeft, "Visit 1", "ImageAnalysis" },
        { kLeft + w + gap, "Visit 2", "ImageAnalysis2" },
    };
    for (const auto& picture : pictures) {
        ReportDesign::AddText(
            cad, QRectF(picture.x, 186, w, 20), { QString::fromLatin1(picture.caption) }, Style(10, true, kAccent));
        ReportDesign::AddImage(cad, QRectF(picture.x, 208, w, h), QString::fromLatin1(picture.variable));
    }
}

void AddFollowUpTable(TMyCAD& cad)
{
    constexpr double top = 474;
    constexpr double rowHeight = 21;
    // Parameter, visit 1, visit 2, change, change %, interval, unit: left edges and widths.
    const struct
    {
        double x, w;
        const char* heading;
        TAlignment alignment;
    } columns[] = {
        { kLeft + 8, 150, "Parameter", taLeftJustify },
        { kLeft + 160, 70, "Visit 1", taRightJustify },
        { kLeft + 236, 70, "Visit 2", taRightJustify },
        { kLeft + 312, 70, "Change", taRightJustify },
        { kLeft + 388, 62, "%", taRightJustify },
        { kLeft + 462, 130, "95 % interval", taCenter },
        { kLeft + 598, 76, "Unit", taLeftJustify },
    };
    ReportDesign::AddText(
        cad, QRectF(kLeft, top, 300, 24), { QStringLiteral("Results and changes") }, Style(12, true, kAccent));
    ReportDesign::AddRectangle(cad, QRectF(kLeft, top + 28, kWidth, rowHeight), kHeadBand, kHeadBand);
    for (const auto& column : columns)
        ReportDesign::AddText(cad, QRectF(column.x, top + 28, column.w, rowHeight),
            { QString::fromLatin1(column.heading) }, Style(9, true, kInk, column.alignment));
    double y = top + 28 + rowHeight;
    int row = 0;
    for (std::string_view stem : PrintVariables::kComparisonStems) {
        if (row++ % 2 == 1)
            ReportDesign::AddRectangle(cad, QRectF(kLeft, y, kWidth, rowHeight), kBand, kBand);
        for (size_t c = 0; c < PrintVariables::kComparisonColumns.size(); ++c) {
            const auto& column = columns[c];
            const QString variable = QStringLiteral("Cmp") + Name(stem) + Name(PrintVariables::kComparisonColumns[c]);
            const bool strong = c == 3;
            ReportDesign::AddText(cad, QRectF(column.x, y, column.w, rowHeight), { QStringLiteral("%s") },
                Style(9, strong, c == 6 ? kMuted : kInk, column.alignment), { variable });
        }
        y += rowHeight;
    }
    ReportDesign::AddLine(cad, QPointF(kLeft, y), QPointF(kRight, y), kRule);
    ReportDesign::AddText(cad, QRectF(kLeft + 8, y + 6, 420, 18), { QStringLiteral("Evaluated area: %s and %s %s") },
        Style(9, false, kMuted),
        { QStringLiteral("AreaFirst"), QStringLiteral("AreaSecond"), QStringLiteral("AreaUnit") });
    ReportDesign::AddText(cad, QRectF(kLeft + 8, y + 24, kWidth - 16, 18), { QStringLiteral("%s") },
        Style(9, true, 0x2020C0), { QStringLiteral("AreaWarning") });
    ReportDesign::AddText(cad, QRectF(kLeft + 8, y + 42, kWidth - 16, 18),
        { QStringLiteral("Intervals: change +- 1.96 standard errors of Poisson counts in the evaluated areas.") },
        Style(8, false, kMuted));
}

void AddFollowUpChartAndFooter(TMyCAD& cad)
{
    ReportDesign::AddText(
        cad, QRectF(kLeft, 812, 400, 22), { QStringLiteral("Thickness distribution") }, Style(11, true, kAccent));
    ReportDesign::AddImage(cad, QRectF(kLeft, 836, kWidth, kWidth * 560 / 1600), QStringLiteral("ThicknessChart"));
    ReportDesign::AddLine(cad, QPointF(kLeft, 1060), QPointF(kRight, 1060), kRule);
    ReportDesign::AddText(cad, QRectF(kLeft, 1064, 480, 18), { QStringLiteral("%s %s") }, Style(8, false, kMuted),
        { QStringLiteral("ProgramName"), QStringLiteral("ProgVersion") });
    ReportDesign::AddText(cad, QRectF(kRight - 240, 1064, 240, 18), { QStringLiteral("Printed %s") },
        Style(8, false, kMuted, taRightJustify), { QStringLiteral("DateTime") });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool followUp = argc == 3 && std::string_view(argv[1]) == "--follow-up";
    if (argc != 2 && !followUp) {
        std::fprintf(stderr, "usage: make_report_template [--follow-up] OUT.zrp\n");
        return 2;
    }
    TMyCAD cad;
    cad.SetTheUNIT(mm);
    cad.SetPageStyle(A4);
    cad.SetPageOrientation(poPortrait);
    cad.SetPrintABorder(false);
    cad.GridOperation().GridShow = false;
    if (followUp) {
        AddFollowUpHeaderAndPatient(cad);
        AddFollowUpPictures(cad);
        AddFollowUpTable(cad);
        AddFollowUpChartAndFooter(cad);
    } else {
        AddHeader(cad);
        AddPatient(cad);
        AddPictures(cad);
        AddResults(cad);
        AddRemarksAndFooter(cad);
    }
    cad.ClearSelection();

    QString error;
    const QDateTime fixed(QDate(2026, 1, 1), QTime(12, 0), Qt::LocalTime);
    if (!ReportTemplate::SaveReportTemplate(cad, QString::fromLocal8Bit(argv[argc - 1]), &error, fixed)) {
        std::fprintf(stderr, "make_report_template: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
