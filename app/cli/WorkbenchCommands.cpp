// The measuring workbench's commands of pelorix-cli: host import, results,
// results export, and the picture export of measurement files. They run the
// same logic as the main window; questions get their default answer.
#include "app/cli/CliSession.h"
#include "app/cli/CliSupport.h"

#include "canvas/TMyCAD.h"
#include "workbench/HostImport.h"
#include "workbench/ProgramSetup.h"
#include "workbench/ResultsExport.h"
#include "workbench/ResultsExportCommand.h"
#include "workbench/ResultsJson.h"
#include "workbench/ShapeTags.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

namespace {

void PrintResults(const Workbench& workbench)
{
    PrintJson(QJsonDocument(ResultsJson::ToJson(workbench.Results())));
}

} // namespace

void CliPrompt::ShowInformation(const QString& title, const QString& text)
{
    m_messages << (title.isEmpty() ? text : title + QStringLiteral(": ") + text);
}

void CliPrompt::PrintMessages() const
{
    for (QString message : m_messages) {
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
}

CliSession::CliSession()
{
    ProgramSetup::Apply(workbench);
}

int CliSession::Succeed()
{
    prompt.PrintMessages();
    return kExitOk;
}

std::optional<QString> LoadMeasurement(CliSession& session, const QString& path, const std::optional<QString>& picture)
{
    if (!QFileInfo(path).isFile())
        return path + QStringLiteral(": the file does not exist");
    if (!TMyCAD::IsCanvasFile(path))
        return path + QStringLiteral(": not a measurement file (no canvas file signature)");
    if (picture && !session.files.LoadPicture(*picture, false))
        return session.files.LastError();
    if (!session.files.LoadMeasurement(path)) {
        if (!session.workbench.State().ImageLoaded)
            return path + QStringLiteral(": the measurement holds no picture; give one with --picture");
        return session.files.LastError();
    }
    return std::nullopt;
}

int ImportHostCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("import-host EXCHANGE.ini [--save OUT.nvm] [--with-picture]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--save") }, { QStringLiteral("--with-picture") });
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(usage);
    const auto savePath = parsed->Option(QStringLiteral("--save"));
    if (parsed->Flag(QStringLiteral("--with-picture")) && !savePath)
        return UsageError(usage);
    CliSession session;
    const HostImportResult result = HostImport(session.workbench).ImportHostFile(parsed->positional[0]);
    switch (result.status) {
    case HostImportResult::Imported:
        break;
    case HostImportResult::ReadFailed:
        return InputError(result.error);
    case HostImportResult::PictureFailed:
        return InputError(QStringLiteral("the picture of the exchange file cannot be loaded: ") + result.error);
    case HostImportResult::MeasurementFailed:
        return InputError(
            QStringLiteral("the measurement file named by MeasureResultsFile cannot be loaded: ") + result.error);
    case HostImportResult::Declined: // only a dropped case asks; the host start never does
        return InputError(QStringLiteral("the exchange file was not opened"));
    }
    if (savePath && !session.files.SaveMeasurement(*savePath, parsed->Flag(QStringLiteral("--with-picture"))))
        return InputError(session.files.LastError());
    PrintResults(session.workbench);
    return session.Succeed();
}

int ResultsCommand(const QStringList& args)
{
    const auto parsed = ParseArgs(args, { QStringLiteral("--picture") });
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(QStringLiteral("results MEASUREMENT.nvm [--picture PICTURE]"));
    CliSession session;
    if (const auto error = LoadMeasurement(session, parsed->positional[0], parsed->Option(QStringLiteral("--picture"))))
        return InputError(*error);
    PrintResults(session.workbench);
    return session.Succeed();
}

int ExportCommand(const QStringList& args)
{
    const QString usage
        = QStringLiteral("export MEASUREMENT.nvm OUT.xls|OUT.xlsx|OUT.txt|OUT.csv [--picture P] [--decimal C]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--picture"), QStringLiteral("--decimal") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    const QString out = parsed->positional[1];
    if (!ResultsExport::IsExportFile(out))
        return UsageError(usage);
    const QString decimal = parsed->Option(QStringLiteral("--decimal")).value_or(QStringLiteral("."));
    if (decimal.size() != 1)
        return UsageError(usage);
    CliSession session;
    if (const auto error = LoadMeasurement(session, parsed->positional[0], parsed->Option(QStringLiteral("--picture"))))
        return InputError(*error);
    QString error;
    if (!ResultsExportCommand::ExportTo(session.workbench, out, decimal[0], &error))
        return InputError(error);
    return session.Succeed();
}

bool IsMeasurement(const TMyCAD& cad)
{
    if (cad.LayerIdByName(QStringLiteral("HairLayer")) >= 0 || cad.LayerIdByName(QStringLiteral("BorderLayer")) >= 0)
        return true;
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TUserData& data = cad.ShapeByIndex(i)->UserData();
        if (data.Contains(ShapeTags::kThickness) || data.Contains(ShapeTags::kType))
            return true;
    }
    return false;
}

int RenderMeasurement(const QString& path, const QString& out, const std::optional<QString>& picture)
{
    CliSession session;
    if (const auto error = LoadMeasurement(session, path, picture))
        return InputError(*error);
    const QString format = MeasurementFile::PictureFormatOf(out);
    bool written = false;
    if (!session.files.SavePicture(out, format, &written) || !written)
        return InputError(session.files.LastError());
    return session.Succeed();
}
