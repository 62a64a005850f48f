// Report templates: any bytes as a template archive (zip around a canvas stream).
// Loading must not crash; a template that does not load leaves the design as it
// was; nothing is left in the temporary folder; whatever loads can be filled from
// a result data file and saved again as a template that loads to the same design.
#include "canvas/TMyCAD.h"
#include "common/TDataFrame.h"
#include "report/ReportTemplate.h"
#include "report/ReportVariables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Work
{
    QTemporaryDir root;
    QString temp;
    QString data;

    Work()
    {
        temp = root.filePath(QStringLiteral("temp"));
        QDir().mkpath(temp);
        qputenv("TEMP", QFile::encodeName(temp));
        TDataFrame table;
        table.AddColumn(QStringLiteral("Name"));
        table.AddColumn(QStringLiteral("Value"));
        const char* const rows[][2]
            = { { "Name", "Ada" }, { "TotalCountValue", "42" }, { "ImageOriginal", "/nonexistent.bmp" } };
        for (const auto& row : rows) {
            const int r = table.AddRow();
            table.Cell(0, r)->SetText(QString::fromLatin1(row[0]));
            table.Cell(1, r)->SetText(QString::fromLatin1(row[1]));
        }
        data = root.filePath(QStringLiteral("result.dff"));
        if (!table.WriteIni(data))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Work work;
    const QString archive = work.root.filePath(QStringLiteral("input.zrp"));
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    TMyCAD design;
    const QByteArray before = ReportTemplate::CanvasBytes(design);
    const bool loaded = ReportTemplate::LoadReportTemplate(design, archive);
    if (!QDir(work.temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
        std::abort();
    if (!loaded) {
        if (ReportTemplate::CanvasBytes(design) != before)
            std::abort();
        return 0;
    }
    const QByteArray loadedBytes = ReportTemplate::CanvasBytes(design);
    const QString resaved = work.root.filePath(QStringLiteral("resaved.zrp"));
    if (!ReportTemplate::SaveReportTemplate(design, resaved))
        std::abort();
    TMyCAD again;
    if (!ReportTemplate::LoadReportTemplate(again, resaved) || ReportTemplate::CanvasBytes(again) != loadedBytes)
        std::abort();
    ReportVariables::FillReportVariables(design, work.data, 1.0);
    return 0;
}
