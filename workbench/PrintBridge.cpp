#include "workbench/PrintBridge.h"

#include "canvas/TMyCAD.h"
#include "common/NumberText.h"
#include "common/PrintVariables.h"
#include "common/TDataFrame.h"
#include "common/TempFileName.h"
#include "workbench/OperatorPrompt.h"
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

// Writes into a file that was created exclusively for us, keeping its owner-only mode.
bool WriteInPlace(const QString& path, const QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (error)
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

bool WriteBmp(const QString& path, const QImage& picture, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage rgb
        = picture.isNull() ? QImage(1, 1, QImage::Format_RGB888) : picture.convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(&buffer, "BMP")) {
        if (error)
            *error = QStringLiteral("cannot encode the picture for %1").arg(path);
        return false;
    }
    return WriteInPlace(path, bytes, error);
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
    const QImage picture = canvas.BkBitmap();
    if (picture.isNull())
        return QImage();
    // The shapes are drawn from a copy of the drawing without its picture, so the
    // print colour and the page settings never touch the operator's canvas.
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    canvas.SetBkBitmap(QImage());
    const bool saved = canvas.SaveToStream(stream);
    canvas.SetBkBitmap(picture);
    TMyCAD marks;
    if (!saved || !marks.LoadFromStream(stream))
        return QImage();
    marks.SetPrintABorder(false);
    marks.SetPageHead(QString());
    marks.SetPageFoot(QString());
    std::vector<int> layers;
    for (const LayerRec& layer : marks.Layers())
        layers.push_back(layer.layerId);
    // The report shows the picture a few times smaller than it is: marks get a
    // width that stays visible there (one 400th of the picture's width).
    const int minimumWidth = std::max(2, picture.width() / 400);
    for (int i = 0; i < marks.ShapeCount(); ++i) {
        TMyShape* shape = marks.ShapeByIndex(i);
        TMyPen pen = shape->Pen();
        if (swColor != -1)
            pen.color = swColor;
        if (pen.style != psClear)
            pen.width = std::max(pen.width, minimumWidth);
        shape->SetPen(pen);
    }

    QImage marked = picture.convertToFormat(QImage::Format_RGB32);
    if (marked.isNull())
        return marked;
    QPainter painter(&marked);
    marks.PaintPage(painter, marked.size(), 1.0, layers, true);
    painter.end();
    return marked;
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
        const auto made = TempFileName::Create(prefix, extension, error);
        path = made.value_or(QString());
        return made.has_value();
    };
    if (!create(QStringLiteral("imgo"), QStringLiteral("bmp"), files.original)
        || !create(QStringLiteral("imga"), QStringLiteral("bmp"), files.marked))
        return fail();
    TMyCAD& canvas = workbench.Canvas();
    if (!WriteBmp(files.original, canvas.BkBitmap(), error)
        || !WriteBmp(files.marked, MarkedPicture(canvas, workbench.State().SWColor), error))
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
