#pragma once

#include <QJsonDocument>
#include <QString>
#include <QStringList>

#include <optional>

// Exit statuses of pelorix-cli.
enum CliExit : int { kExitOk = 0, kExitInput = 1, kExitUsage = 2 };

// The arguments of one command: positional ones in order and "--name value" options.
struct CliArgs
{
    QStringList positional;
    QStringList flags; // options without a value, e.g. "--with-picture"
    QList<QPair<QString, QString>> options;

    std::optional<QString> Option(const QString& name) const;
    bool Flag(const QString& name) const { return flags.contains(name); }
};

// Splits arguments; `valueOptions` take a value, `flagOptions` do not. Nothing,
// with a message on stderr, when an option is unknown or lacks its value.
std::optional<CliArgs> ParseArgs(
    const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions = {});

// Prints one English line on stderr and returns kExitInput.
int InputError(const QString& message);
// Prints the usage of a command on stderr and returns kExitUsage; with a
// `reason`, first a line saying which argument was wrong.
int UsageError(const QString& usage, const QString& reason = QString());
// Writes a JSON document to stdout as UTF-8.
void PrintJson(const QJsonDocument& document);

// The commands: each takes the arguments after the command name.
int HostInfoCommand(const QStringList& args);
int PictureInfoCommand(const QStringList& args);
int TableConvertCommand(const QStringList& args);
int CanvasDumpCommand(const QStringList& args);
int CanvasResaveCommand(const QStringList& args);
// Needs the font engine for drawing and text outlines: main runs it under a QGuiApplication.
int RenderCommand(const QStringList& args);
// The measuring workbench's commands (WorkbenchCommands.cpp).
int ImportHostCommand(const QStringList& args);
int ResultsCommand(const QStringList& args);
int ExportCommand(const QStringList& args);
// The automatic hair detection (DetectCommand.cpp).
int DetectCommand(const QStringList& args);
// Printing (PrintCommands.cpp); both draw and run under a QGuiApplication.
int PrintTableCommand(const QStringList& args);
int ReportCommand(const QStringList& args);
// Follow-up (FollowUpCommands.cpp): two visits compared, a folder in one sheet.
int CompareCommand(const QStringList& args);
int BatchCommand(const QStringList& args);
class TMyCAD;
// Whether a loaded canvas is a measurement (hair or border layer, or hair data on a shape).
bool IsMeasurement(const TMyCAD& cad);
// Picture export of a measurement file through the workbench, as "Bild speichern ..." writes it.
int RenderMeasurement(const QString& path, const QString& out, const std::optional<QString>& picture);
