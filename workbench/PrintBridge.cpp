#include "workbench/PrintBridge.h"

#include "canvas/BmpWriter.h"
#include "canvas/PictureBlock.h"
#include "canvas/TMyCAD.h"
#include "common/NumberText.h"
#include "common/PrintVariables.h"
#include "common/TDataFrame.h"
#include "common/TempFileName.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ThicknessChart.h"
#include "workbench/VisitComparison.h"
#include "workbench/Workbench.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <functional>
#include <memory>

namespace PrintBridge {

namespace {

// The report library's C functions (each returns a one-byte boolean).
using InitReportFunction = bool (*)(const char*, const char*);
using VoidReportFunction = bool (*)();
using ExportReportFunction = bool (*)(const char*);

const QString kLibraryMissing = QStringLiteral("Internal error: Prelvo.dll not found");
const QString kInitRefused = QStringLiteral("Invalid Print Report DLL");

QString Text(std::string_view name)
{
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// A new owner-only temporary file; its name goes to path (empty when it fails).
bool CreateNamed(const QString& prefix, const QString& extension, QString& path, QString* error)
{
    const auto made = TempFileName::Create(prefix, extension, error);
    path = made.value_or(QString());
    return made.has_value();
}

// A new owner-only temporary .bmp, open for writing through its handle; its name goes to path.
std::unique_ptr<QFile> CreateBitmapFile(const QString& prefix, QString& path, QString* error)
{
    std::unique_ptr<QFile> file = TempFileName::CreateOpen(prefix, QStringLiteral("bmp"), error);
    if (file)
        path = file->fileName();
    return file;
}

// Writes through the handle of a file that was created exclusively for us (it keeps
// its owner-only mode); the name is never opened a second time.
bool WriteThrough(QFile& file, const std::function<bool(QIODevice&)>& write, QString* error)
{
    if (write(file) && file.flush()) {
        file.close();
        return true;
    }
    if (error)
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    file.close();
    return false;
}

// The shapes of the canvas on a copy of the drawing without its picture, so that the
// print colour and the page settings never touch the operator's canvas. With a print
// colour other than -1 every shape is drawn in it. Nothing when the copy fails.
std::unique_ptr<TMyCAD> MarksCopy(TMyCAD& canvas, TColor swColor)
{
    const QImage picture = canvas.BkBitmap();
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    canvas.SetBkBitmap(QImage());
    const bool saved = canvas.SaveToStream(stream);
    canvas.SetBkBitmap(picture);
    auto marks = std::make_unique<TMyCAD>();
    if (!saved || !marks->LoadFromStream(stream))
        return nullptr;
    marks->SetPrintABorder(false);
    marks->SetPageHead(QString());
    marks->SetPageFoot(QString());
    // The report shows the picture a few times smaller than it is: marks get a
    // width that stays visible there (one 400th of the picture's width).
    const int minimumWidth = std::max(2, picture.width() / 400);
    for (int i = 0; i < marks->ShapeCount(); ++i) {
        TMyShape* shape = marks->ShapeByIndex(i);
        TMyPen pen = shape->Pen();
        if (swColor != -1)
            pen.color = swColor;
        if (pen.style != psClear)
            pen.width = std::max(pen.width, minimumWidth);
        shape->SetPen(pen);
    }
    return marks;
}

// The canvas's picture as a 24-bit BMP, straight from its rows (they are BMP rows).
bool WriteOriginal(QIODevice& out, const QImage& picture)
{
    if (picture.isNull()) {
        QImage blank(1, 1, QImage::Format_BGR888);
        blank.fill(Qt::black);
        return BmpWriter::WriteHeader(out, 1, 1) && BmpWriter::WriteRowsBottomUp(out, blank);
    }
    const QImage rows = PictureBlock::To24Bits(picture);
    return BmpWriter::WriteHeader(out, rows.width(), rows.height()) && BmpWriter::WriteRowsBottomUp(out, rows);
}

// Paints the picture with the marks band by band (see TMyCAD::PaintInBands) into take;
// false without a picture, when the copy of the drawing fails or take stops.
bool PaintMarked(TMyCAD& canvas, TColor swColor, bool bottomUp, const std::function<bool(const QImage&, int)>& take)
{
    const QImage picture = canvas.BkBitmap();
    auto marks = picture.isNull() ? nullptr : MarksCopy(canvas, swColor);
    if (!marks)
        return false;
    std::vector<int> layers;
    for (const LayerRec& layer : marks->Layers())
        layers.push_back(layer.layerId);
    const QSize size = picture.size();
    return marks->PaintInBands(
        size, TMyCAD::BandRows(size.width()), bottomUp,
        [&](QPainter& painter, const QRect&) {
            // The painter's clip keeps this to the band's rows.
            painter.drawImage(QPointF(0, 0), picture);
            marks->PaintPage(painter, size, 1.0, layers, true);
        },
        take);
}

// The picture with the marks as a 24-bit BMP, painted and written band by band from
// the bottom up: neither the marked picture nor the file is ever whole in memory.
bool WriteMarked(QIODevice& out, TMyCAD& canvas, TColor swColor)
{
    const QImage& picture = canvas.BkBitmap();
    if (picture.isNull())
        return WriteOriginal(out, QImage());
    return BmpWriter::WriteHeader(out, picture.width(), picture.height())
        && PaintMarked(
            canvas, swColor, true, [&](const QImage& band, int) { return BmpWriter::WriteRowsBottomUp(out, band); });
}

// A picture that is whole in memory anyway (the follow-up pictures, the chart) as a BMP.
bool WriteBmp(QFile& file, const QImage& picture, QString* error)
{
    const QImage rows = PictureBlock::To24Bits(picture.isNull() ? QImage(1, 1, QImage::Format_BGR888) : picture);
    return WriteThrough(
        file,
        [&](QIODevice& out) {
            return BmpWriter::WriteHeader(out, rows.width(), rows.height()) && BmpWriter::WriteRowsBottomUp(out, rows);
        },
        error);
}

} // namespace

ProgramTexts ProgramTexts::Current()
{
    const QLocale locale = QLocale::system();
    // The long time format without the time zone, as the clock shows it.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QDateTime now = QDateTime::currentDateTime();
    return { QCoreApplication::applicationVersion(), QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
        locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
            + locale.toString(now.time(), timeFormat.trimmed()) };
}

void FillVariableTable(
    TDataFrame& table, const std::vector<TGridResult>& rows, const ProgramTexts& program, const PrintFiles& files)
{
    table.Clear();
    table.AddColumn(QStringLiteral("Name"));
    table.AddColumn(QStringLiteral("Value"));
    table.AddColumn(QStringLiteral("Type"));
    const auto row
        = [&](int index) -> TGridResult { return index < int(rows.size()) ? rows[size_t(index)] : TGridResult(); };
    const auto add = [&](const QString& name, const QString& value) {
        const int r = table.AddRow();
        table.Cell(0, r)->SetText(name);
        table.Cell(1, r)->SetText(value);
        table.Cell(2, r)->SetText(QStringLiteral("String"));
    };
    add(Text(PrintVariables::kNames[0]), program.version);
    add(Text(PrintVariables::kNames[1]), program.name);
    add(Text(PrintVariables::kNames[2]), program.dateTime);
    add(Text(PrintVariables::kNames[3]), row(RowName).text);
    add(Text(PrintVariables::kNames[4]), row(RowBirthdate).text);
    add(Text(PrintVariables::kNames[5]), row(RowDate).text);
    // The result rows in the order of the quantities, from the count on.
    int gridRow = RowCount;
    for (const PrintVariables::Quantity& quantity : PrintVariables::kQuantities) {
        const TGridResult result = row(gridRow++);
        const QString stem = Text(quantity.stem);
        add(stem + QStringLiteral("Caption"), result.caption);
        // A count without a value (no hairs of the kind measured) prints "-", as
        // the grid shows it, never its internal -1.
        const QString count = result.value < 0 ? QStringLiteral("-") : NumberText::General(result.value);
        add(stem + QStringLiteral("Value"), quantity.hasUnit ? result.text : count);
        if (quantity.hasUnit)
            add(stem + QStringLiteral("Unit"), result.unit);
    }
    add(Text(PrintVariables::kNames[38]), files.original);
    add(Text(PrintVariables::kNames[39]), files.marked);
}

QImage MarkedPicture(TMyCAD& canvas, TColor swColor)
{
    const QImage& picture = canvas.BkBitmap();
    if (picture.isNull())
        return QImage();
    QImage marked(picture.size(), QImage::Format_RGB32);
    if (marked.isNull())
        return marked;
    const bool painted = PaintMarked(canvas, swColor, false, [&](const QImage& band, int top) {
        for (int y = 0; y < band.height(); ++y)
            std::copy_n(band.constScanLine(y), band.bytesPerLine(), marked.scanLine(top + y));
        return true;
    });
    return painted ? marked : QImage();
}

std::optional<PrintFiles> WritePrintFiles(Workbench& workbench, const ProgramTexts& program, QString* error)
{
    PrintFiles files;
    const auto fail = [&]() -> std::optional<PrintFiles> {
        for (const QString& path : { files.original, files.marked, files.table })
            if (!path.isEmpty())
                QFile::remove(path);
        return std::nullopt;
    };
    const auto create = [&](const QString& prefix, const QString& extension, QString& path) {
        return CreateNamed(prefix, extension, path, error);
    };
    const auto createOpen = [&](const QString& prefix, QString& path) { return CreateBitmapFile(prefix, path, error); };
    const std::unique_ptr<QFile> original = createOpen(QStringLiteral("imgo"), files.original);
    const std::unique_ptr<QFile> marked = original ? createOpen(QStringLiteral("imga"), files.marked) : nullptr;
    if (!original || !marked)
        return fail();
    TMyCAD& canvas = workbench.Canvas();
    if (!WriteThrough(
            *original, [&](QIODevice& out) { return WriteOriginal(out, canvas.BkBitmap()); }, error)
        || !WriteThrough(
            *marked, [&](QIODevice& out) { return WriteMarked(out, canvas, workbench.State().SWColor); }, error))
        return fail();

    TDataFrame table;
    if (!create(QStringLiteral("ResultDataFrameForPrint"), QStringLiteral("dff"), files.table))
        return fail();
    FillVariableTable(table, workbench.ResultRows(), program, files);
    if (!table.WriteIni(files.table)) {
        if (error)
            *error = table.LastError();
        return fail();
    }
    return files;
}

QString LibraryPath()
{
#if defined(_WIN32)
    const QString name = QStringLiteral("Prelvo.dll");
#else
    const QString name = QStringLiteral("libPrelvo.so");
#endif
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QString TemplatePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Pelorix.zrp"));
}

LibraryRun RunLibrary(
    const QString& libraryPath, const QString& templatePath, const QString& tablePath, const QString& exportPath)
{
    // An absolute path: the library is never looked for along a search path.
    // The library stays loaded once loaded: texts and type data built into it
    // (window titles, string literals, meta-objects) are shared by reference with
    // the program's widgets, caches and event queue and outlive CloseReport, so
    // unmapping it would leave them pointing at freed memory. CloseReport alone
    // ends the report; the next print opens a new one with InitReport.
    QLibrary library(QFileInfo(libraryPath).absoluteFilePath());
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!QFileInfo(libraryPath).isFile() || !library.load())
        return LibraryRun::NotFound;
    const auto init = reinterpret_cast<InitReportFunction>(library.resolve("InitReport"));
    const auto show = reinterpret_cast<VoidReportFunction>(library.resolve("ShowReport"));
    const auto close = reinterpret_cast<VoidReportFunction>(library.resolve("CloseReport"));
    const auto exportReport = reinterpret_cast<ExportReportFunction>(library.resolve("ExportReport"));
    LibraryRun result = LibraryRun::Done;
    if (!init) {
        result = LibraryRun::NoInitReport;
    } else if (!init(QFile::encodeName(templatePath).constData(), QFile::encodeName(tablePath).constData())) {
        result = LibraryRun::InitRefused;
    } else {
        if (!exportPath.isEmpty()) {
            if (!exportReport || !exportReport(QFile::encodeName(exportPath).constData()))
                result = LibraryRun::ExportFailed;
        } else if (show) {
            show();
        }
        if (close)
            close();
    }
    return result;
}

QString FollowUpTemplatePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Verlauf.zrp"));
}

void FillFollowUpTable(TDataFrame& table, const std::vector<TGridResult>& rows, const ProgramTexts& program,
    const FollowUpFiles& files, const QString& secondDate, const VisitComparison::Comparison& comparison,
    const LanguageTable& texts, QChar separator)
{
    FillVariableTable(table, rows, program, files.first);
    const auto add = [&](const QString& name, const QString& value) {
        const int r = table.AddRow();
        table.Cell(0, r)->SetText(name);
        // The report prints an empty value as "(null)": a blank shows nothing.
        table.Cell(1, r)->SetText(value.isEmpty() ? QStringLiteral(" ") : value);
        table.Cell(2, r)->SetText(QStringLiteral("String"));
    };
    const auto& names = PrintVariables::kFollowUpNames;
    add(Text(names[0]), secondDate);
    add(Text(names[1]), files.marked2);
    add(Text(names[2]), files.chart);
    add(Text(names[3]), VisitComparison::AreaText(comparison.first.area, separator));
    add(Text(names[4]), VisitComparison::AreaText(comparison.second.area, separator));
    add(Text(names[5]), comparison.first.areaUnit);
    add(Text(names[6]), comparison.areaWarning ? texts.Text(QStringLiteral("MessageCompareArea")) : QString());
    const std::vector<VisitComparison::TextRow> figures = VisitComparison::TextRows(comparison, texts, separator);
    for (size_t i = 0; i < PrintVariables::kComparisonStems.size(); ++i) {
        const VisitComparison::TextRow row = i < figures.size() ? figures[i] : VisitComparison::TextRow();
        const QString values[]
            = { row.caption, row.first, row.second, row.change, row.changePercent, row.interval, row.unit };
        for (size_t c = 0; c < PrintVariables::kComparisonColumns.size(); ++c)
            add(QStringLiteral("Cmp") + Text(PrintVariables::kComparisonStems[i])
                    + Text(PrintVariables::kComparisonColumns[c]),
                values[c]);
    }
}

QImage MarkedPictureOrDrawing(Workbench& workbench)
{
    TMyCAD& canvas = workbench.Canvas();
    if (!canvas.BkBitmap().isNull())
        return MarkedPicture(canvas, workbench.State().SWColor);
    // Marks on white at the size of the field; a field too large to draw gets none.
    const int width = workbench.State().ImageWidth;
    const int height = workbench.State().ImageHeight;
    if (width < 1 || height < 1 || width > 12000 || height > 12000)
        return QImage();
    QImage white(width, height, QImage::Format_RGB888);
    white.fill(Qt::white);
    canvas.SetBkBitmap(white);
    const QImage marked = MarkedPicture(canvas, workbench.State().SWColor);
    canvas.SetBkBitmap(QImage());
    return marked;
}

std::optional<FollowUpFiles> WriteFollowUpFiles(Workbench& first, Workbench& second,
    const VisitComparison::Comparison& comparison, const ProgramTexts& program, QString* error)
{
    FollowUpFiles files;
    const auto fail = [&]() -> std::optional<FollowUpFiles> {
        for (const QString& path :
            { files.first.original, files.first.marked, files.first.table, files.marked2, files.chart })
            if (!path.isEmpty())
                QFile::remove(path);
        return std::nullopt;
    };
    const auto create = [&](const QString& prefix, const QString& extension, QString& path) {
        return CreateNamed(prefix, extension, path, error);
    };
    const auto createOpen = [&](const QString& prefix, QString& path) { return CreateBitmapFile(prefix, path, error); };
    const std::unique_ptr<QFile> original = createOpen(QStringLiteral("imgo"), files.first.original);
    const std::unique_ptr<QFile> marked = original ? createOpen(QStringLiteral("imga"), files.first.marked) : nullptr;
    const std::unique_ptr<QFile> marked2 = marked ? createOpen(QStringLiteral("imgb"), files.marked2) : nullptr;
    const std::unique_ptr<QFile> chart = marked2 ? createOpen(QStringLiteral("imgc"), files.chart) : nullptr;
    if (!chart)
        return fail();
    const std::vector<ThicknessChart::Series> series {
        { first.Texts().Text(QStringLiteral("LabelVisit1")), comparison.first.classes, ThicknessChart::FirstColor() },
        { first.Texts().Text(QStringLiteral("LabelVisit2")), comparison.second.classes, ThicknessChart::SecondColor() },
    };
    if (!WriteBmp(*original, first.Canvas().BkBitmap(), error)
        || !WriteBmp(*marked, MarkedPictureOrDrawing(first), error)
        || !WriteBmp(*marked2, MarkedPictureOrDrawing(second), error)
        || !WriteBmp(*chart, ThicknessChart::Render(1600, 560, series), error))
        return fail();
    TDataFrame table;
    if (!create(QStringLiteral("ResultDataFrameForPrint"), QStringLiteral("dff"), files.first.table))
        return fail();
    FillFollowUpTable(table, first.ResultRows(), program, files, second.ResultRows()[RowDate].text, comparison,
        first.Texts(), first.DecimalSeparator());
    if (!table.WriteIni(files.first.table)) {
        if (error)
            *error = table.LastError();
        return fail();
    }
    return files;
}

void PrintFollowUp(Workbench& first, Workbench& second, const VisitComparison::Comparison& comparison)
{
    QString error;
    const auto files = WriteFollowUpFiles(first, second, comparison, ProgramTexts::Current(), &error);
    if (!files) {
        first.Prompt().ShowMessage(error);
        return;
    }
    const LibraryRun run = RunLibrary(LibraryPath(), FollowUpTemplatePath(), files->first.table);
    if (run == LibraryRun::NotFound)
        first.Prompt().ShowMessage(kLibraryMissing);
    else if (run == LibraryRun::InitRefused)
        first.Prompt().ShowMessage(kInitRefused);
    for (const QString& path :
        { files->first.original, files->first.marked, files->first.table, files->marked2, files->chart })
        QFile::remove(path);
}

void Print(Workbench& workbench, const std::function<void()>& filesWritten)
{
    workbench.UpdateResultsGrid();
    QString error;
    const auto files = WritePrintFiles(workbench, ProgramTexts::Current(), &error);
    if (filesWritten)
        filesWritten();
    if (!files) {
        workbench.Prompt().ShowMessage(error);
        return;
    }
    const LibraryRun run = RunLibrary(LibraryPath(), TemplatePath(), files->table);
    if (run == LibraryRun::NotFound)
        workbench.Prompt().ShowMessage(kLibraryMissing);
    else if (run == LibraryRun::InitRefused)
        workbench.Prompt().ShowMessage(kInitRefused);
    // The table names the patient: it goes with the pictures.
    QFile::remove(files->original);
    QFile::remove(files->marked);
    QFile::remove(files->table);
    workbench.UpdateResultsGrid();
}

} // namespace PrintBridge
