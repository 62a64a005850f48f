#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class TMyCAD;

// Report templates: a zip archive whose one member "temp_dirpt.rpt" holds a canvas
// stream (".zrp"), and the raw design, the canvas stream alone (".nrd"). The
// member passes through a private folder of the temporary folder that only this
// user can enter and that is removed afterwards, never through a fixed name.
namespace ReportTemplate {

inline const QString kTemplateMemberName = QStringLiteral("temp_dirpt.rpt");
constexpr int kCompressionLevel = 7;

// Receives the archive component's messages (the designer shows them in its status bar).
using StatusHandler = std::function<void(const QString& text)>;

// Extracts the template member and loads it into the canvas. A missing, unreadable
// or non-zip archive, one without the member, or a member that is not a whole canvas
// stream leaves the canvas exactly as it was; false then, with the reason sent to
// `status`. The member name is matched without regard to letter case.
bool LoadReportTemplate(TMyCAD& canvas, const QString& archivePath, const StatusHandler& status = {});

// Writes the canvas as a template archive with the one member, deflated at level 7,
// replacing `archivePath` atomically: a failed save keeps the previous file. The
// member carries `memberTime` when valid (reproducible archives), otherwise the time
// it was written. False with the reason in `error`.
bool SaveReportTemplate(
    TMyCAD& canvas, const QString& archivePath, QString* error = nullptr, const QDateTime& memberTime = QDateTime());

// Loads a raw design (a canvas file) into the canvas; unchanged and false when the
// file is not a whole canvas stream.
bool LoadRawDesign(TMyCAD& canvas, const QString& path, QString* error = nullptr);

// "Open Report": a ".zrp" archive through LoadReportTemplate, anything else as a raw design.
bool OpenReportDesign(TMyCAD& canvas, const QString& path, const StatusHandler& status = {});

// Loads a canvas stream held in memory into the canvas only when it reads whole,
// so that a damaged stream never leaves half a design behind.
bool LoadCanvasBytes(TMyCAD& canvas, const QByteArray& bytes, QString* error = nullptr);

// The canvas stream of a canvas, as its file would hold it.
QByteArray CanvasBytes(TMyCAD& canvas);

} // namespace ReportTemplate
