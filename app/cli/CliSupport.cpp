#include "app/cli/CliSupport.h"

#include <cstdio>

std::optional<QString> CliArgs::Option(const QString& name) const
{
    for (const auto& [key, value] : options)
        if (key == name)
            return value;
    return std::nullopt;
}

std::optional<CliArgs> ParseArgs(
    const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions)
{
    CliArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.startsWith(QLatin1String("--"))) {
            if (flagOptions.contains(arg)) {
                parsed.flags << arg;
            } else if (valueOptions.contains(arg)) {
                if (i + 1 >= args.size()) {
                    std::fprintf(stderr, "option %s needs a value\n", qPrintable(arg));
                    return std::nullopt;
                }
                parsed.options.append({ arg, args[++i] });
            } else {
                std::fprintf(stderr, "unknown option %s\n", qPrintable(arg));
                return std::nullopt;
            }
        } else {
            parsed.positional << arg;
        }
    }
    return parsed;
}

int InputError(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return kExitInput;
}

int UsageError(const QString& usage, const QString& reason)
{
    if (!reason.isEmpty())
        std::fprintf(stderr, "pelorix-cli %s\n", reason.toUtf8().constData());
    std::fprintf(stderr, "usage: pelorix-cli %s\n", usage.toUtf8().constData());
    return kExitUsage;
}

void PrintJson(const QJsonDocument& document)
{
    const QByteArray bytes = document.toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}
