// Generates the report template "Pelorix.zrp" that ships beside the programs: one
// A4 portrait page with the patient block, the original and the marked picture,
// the results table (caption, value, unit) and the program's name, version and the
// print date. The texts are bound to the variables Pelorix writes when it prints;
// the archive's member carries a fixed time, so every build makes the same bytes.
//   make_report_template OUT.zrp
#include "canvas/TMyCAD.h"
#include "common/PrintVariables.h"
#include "report/ReportDesign.h"
#include "report/ReportTemplate.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_report_template OUT.zrp\n");
        return 2;
    }
    TMyCAD cad;
    cad.SetTheUNIT(mm);
    cad.SetPageStyle(A4);
    cad.SetPageOrientation(poPortrait);
    cad.SetPrintABorder(false);
    cad.GridOperation().GridShow = false;
    AddHeader(cad);
    AddPatient(cad);
    AddPictures(cad);
    AddResults(cad);
    AddRemarksAndFooter(cad);
    cad.ClearSelection();

    QString error;
    const QDateTime fixed(QDate(2026, 1, 1), QTime(12, 0), Qt::LocalTime);
    if (!ReportTemplate::SaveReportTemplate(cad, QString::fromLocal8Bit(argv[1]), &error, fixed)) {
        std::fprintf(stderr, "make_report_template: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
