// pelorix-cli: the measuring program's logic without windows, for batch work,
// host-program integration checks and end-to-end tests.
#include "app/cli/CliSupport.h"
#include "common/TNVFreeImage.h"
#include "workbench/ProgramVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

namespace {

struct Command
{
    std::function<int(const QStringList&)> run;
    const char* usage;
};

const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        { QStringLiteral("host-info"), { HostInfoCommand, "host-info EXCHANGE.ini" } },
        { QStringLiteral("picture-info"), { PictureInfoCommand, "picture-info PICTURE" } },
        { QStringLiteral("table-convert"), { TableConvertCommand, "table-convert IN.dff OUT.txt [--decimal C]" } },
        { QStringLiteral("canvas-dump"), { CanvasDumpCommand, "canvas-dump FILE" } },
        { QStringLiteral("canvas-resave"), { CanvasResaveCommand, "canvas-resave IN OUT" } },
        { QStringLiteral("import-host"),
            { ImportHostCommand, "import-host EXCHANGE.ini [--save OUT.nvm] [--with-picture]" } },
        { QStringLiteral("results"), { ResultsCommand, "results MEASUREMENT.nvm [--picture PICTURE]" } },
        { QStringLiteral("export"),
            { ExportCommand, "export MEASUREMENT.nvm OUT.xls|OUT.xlsx|OUT.txt|OUT.csv [--picture P] [--decimal C]" } },
        { QStringLiteral("render"),
            { RenderCommand, "render FILE OUT.bmp|.jpg|.wmf|.dxf|.dxf1|.svg|.png [--picture P]" } },
        { QStringLiteral("compare"), { CompareCommand, "compare A.nvm B.nvm" } },
        { QStringLiteral("batch"), { BatchCommand, "batch FOLDER OUT.xlsx|OUT.csv [--recursive] [--jobs N]" } },
        { QStringLiteral("print-table"), { PrintTableCommand, "print-table MEASUREMENT.nvm OUT.dff [--picture P]" } },
        { QStringLiteral("detect"),
            { DetectCommand,
                "detect PICTURE [--pixels-per-mm P] [--field X0,Y0,R] [--save OUT.nvm] [--with-picture]" } },
        { QStringLiteral("report"),
            { ReportCommand, "report MEASUREMENT.nvm OUT.pdf|OUT.png [--template T.zrp] [--picture P]" } },
    };
    return commands;
}

int Usage()
{
    std::fprintf(stderr, "usage: pelorix-cli COMMAND ARGUMENTS\ncommands:\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(stderr, "  %s\n", command.usage);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    // Commands that draw or measure text need the font engine, which lives in a
    // QGuiApplication; without a display it runs on the offscreen platform.
    const std::string_view name = argc > 1 ? std::string_view(argv[1]) : std::string_view();
    const bool needsGui = name == "render" || name == "print-table" || name == "report";
    if (needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app
        = needsGui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    // The version a printed report shows as "ProgVersion".
    QCoreApplication::setApplicationVersion(ProgramVersion::File());
    // The picture size limit set in Pelorix.ini beside the programs applies here as in the window.
    TNVFreeImage::SetDefaultLimits(TNVFreeImage::LimitsFromIni(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Pelorix.ini"))));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))
        return Usage();
    const auto command = Commands().find(args[0]);
    if (command == Commands().end()) {
        std::fprintf(stderr, "unknown command %s\n", qPrintable(args[0]));
        return Usage();
    }
    args.removeFirst();
    return command->second.run(args);
}
