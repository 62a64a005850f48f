// The printing commands of pelorix-cli: the variable table as "Drucken..." writes
// it, and the whole print path through the report library into a PDF or PNG file.
#include "app/cli/CliSession.h"
#include "app/cli/CliSupport.h"

#include "workbench/PrintBridge.h"
#include "workbench/Workbench.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace {

// Copies the written table to its target atomically (the temporary copy goes).
bool MoveTable(const QString& from, const QString& to, QString* error)
{
    QFile in(from);
    QSaveFile out(to);
    bool moved = false;
    if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = in.readAll();
        moved = out.write(bytes) == bytes.size() && out.commit();
    }
    if (!moved)
        *error = QStringLiteral("cannot write %1: %2").arg(to, out.errorString());
    in.close();
    QFile::remove(from);
    return moved;
}

// Loads the measurement (over --picture when given) and writes the print files of
// its results; nothing, with the reason, when either fails.
std::optional<PrintBridge::PrintFiles> LoadAndWritePrintFiles(
    CliSession& session, const CliArgs& parsed, QString& error)
{
    if (const auto loadError
        = LoadMeasurement(session, parsed.positional[0], parsed.Option(QStringLiteral("--picture")))) {
        error = *loadError;
        return std::nullopt;
    }
    session.workbench.UpdateResultsGrid();
    return PrintBridge::WritePrintFiles(session.workbench, PrintBridge::ProgramTexts::Current(), &error);
}

} // namespace

int PrintTableCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("print-table MEASUREMENT.nvm OUT.dff [--picture P]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--picture") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    CliSession session;
    QString error;
    const auto files = LoadAndWritePrintFiles(session, *parsed, error);
    if (!files)
        return InputError(error);
    // The pictures stay in the temporary folder: the table names them.
    if (!MoveTable(files->table, parsed->positional[1], &error))
        return InputError(error);
    return session.Succeed();
}

int ReportCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("report MEASUREMENT.nvm OUT.pdf|OUT.png [--template T.zrp] [--picture P]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--template"), QStringLiteral("--picture") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    const QString out = parsed->positional[1];
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png"))
        return UsageError(usage);
    const QString templatePath = parsed->Option(QStringLiteral("--template")).value_or(PrintBridge::TemplatePath());
    if (!QFileInfo(templatePath).isFile())
        return InputError(templatePath + QStringLiteral(": the report template does not exist"));
    CliSession session;
    QString error;
    const auto files = LoadAndWritePrintFiles(session, *parsed, error);
    if (!files)
        return InputError(error);
    const QString library = PrintBridge::LibraryPath();
    const PrintBridge::LibraryRun run
        = PrintBridge::RunLibrary(library, QFileInfo(templatePath).absoluteFilePath(), files->table, out);
    // The table names the patient: every temporary file goes.
    for (const QString& path : { files->original, files->marked, files->table })
        QFile::remove(path);
    switch (run) {
    case PrintBridge::LibraryRun::Done:
        return session.Succeed();
    case PrintBridge::LibraryRun::NotFound:
        return InputError(library + QStringLiteral(": the report library cannot be loaded"));
    case PrintBridge::LibraryRun::NoInitReport:
        return InputError(library + QStringLiteral(": the report library has no InitReport"));
    case PrintBridge::LibraryRun::InitRefused:
        return InputError(QStringLiteral("the report library refused to open the report"));
    case PrintBridge::LibraryRun::ExportFailed:
        break;
    }
    return InputError(QStringLiteral("the report could not be written to ") + out);
}
