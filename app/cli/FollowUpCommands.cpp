// pelorix-cli's follow-up commands: two visits compared, and a folder of
// measurement files evaluated into one spreadsheet.
#include "app/cli/CliSession.h"
#include "app/cli/CliSupport.h"

#include "workbench/BatchResults.h"
#include "workbench/VisitComparison.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>
#include <thread>

namespace {

// Loads a measurement for its results (a file without picture needs none).
std::optional<QString> LoadResults(CliSession& session, const QString& path)
{
    if (!QFileInfo(path).isFile())
        return path + QStringLiteral(": the file does not exist");
    if (!session.files.LoadMeasurementResults(path))
        return session.files.LastError();
    return std::nullopt;
}

} // namespace

int CompareCommand(const QStringList& args)
{
    const auto parsed = ParseArgs(args, {});
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(QStringLiteral("compare A.nvm B.nvm"));
    CliSession first;
    CliSession second;
    if (const auto error = LoadResults(first, parsed->positional[0]))
        return InputError(*error);
    if (const auto error = LoadResults(second, parsed->positional[1]))
        return InputError(*error);
    const VisitComparison::Comparison comparison
        = VisitComparison::Compare(VisitComparison::FromResults(first.workbench.Results(), parsed->positional[0]),
            VisitComparison::FromResults(second.workbench.Results(), parsed->positional[1]));
    PrintJson(QJsonDocument(VisitComparison::ToJson(comparison)));
    if (comparison.areaWarning)
        std::fprintf(stderr,
            "warning: the evaluated areas differ by more than 5 %%: the site or the field may not be "
            "the same\n");
    return kExitOk;
}

int BatchCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("batch FOLDER OUT.xlsx|OUT.csv [--recursive] [--jobs N]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--jobs") }, { QStringLiteral("--recursive") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    const QString folder = parsed->positional[0];
    const QString out = parsed->positional[1];
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        return UsageError(usage);
    int jobs = int(std::max(1u, std::thread::hardware_concurrency()));
    if (const auto text = parsed->Option(QStringLiteral("--jobs"))) {
        bool ok = false;
        jobs = text->toInt(&ok);
        if (!ok || jobs < 1 || jobs > 256)
            return UsageError(usage);
    }
    if (!QFileInfo(folder).isDir())
        return InputError(folder + QStringLiteral(": not a folder"));

    const QStringList files = BatchResults::FindMeasurements(folder, parsed->Flag(QStringLiteral("--recursive")));
    const auto results = BatchResults::Run(files, jobs, [](int done, int total) {
        std::fprintf(stderr, "\rbatch: %d of %d files", done, total);
        std::fflush(stderr);
    });
    if (!files.isEmpty())
        std::fprintf(stderr, "\n");
    const SheetTable sheet = BatchResults::ResultsSheet(results, folder);
    const SheetTable errors = BatchResults::ErrorsSheet(results, folder);
    QString error;
    const bool written = suffix == QLatin1String("xlsx")
        ? SheetWriter::WriteXlsx(out, { sheet, errors }, &error)
        : SheetWriter::WriteCsv(out, sheet, QLatin1Char(','), QLatin1Char('.'), &error);
    // The unreadable files are always named on stderr; a workbook lists them in its second sheet too.
    for (const std::vector<SheetCell>& row : errors.rows)
        std::fprintf(stderr, "%s: %s\n", qPrintable(std::get<QString>(row[0])), qPrintable(std::get<QString>(row[1])));
    if (!written)
        return InputError(error);
    std::fprintf(stderr, "batch: %d files read, %d unreadable\n", int(sheet.rows.size()), int(errors.rows.size()));
    return kExitOk;
}
