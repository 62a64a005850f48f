// pelorix-cli: the measuring program's logic without windows, for batch work,
// host-program integration checks and end-to-end tests.
#include "app/cli/CliSupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <map>

namespace {

struct Command
{
    std::function<int(const QStringList&)> run;
    const char* usage;
};

const std::map<QString, Command>& Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("host-info"), {HostInfoCommand, "host-info EXCHANGE.ini"}},
        {QStringLiteral("picture-info"), {PictureInfoCommand, "picture-info PICTURE"}},
        {QStringLiteral("table-convert"), {TableConvertCommand, "table-convert IN.dff OUT.txt [--decimal C]"}},
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
    QCoreApplication app(argc, argv);
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
