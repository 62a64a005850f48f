#pragma once

#include <QString>

#include <functional>
#include <optional>

class QIODevice;
class TMyShape;
class Workbench;

// The centre and radius of an exclusion circle, in image pixels.
struct BorderCircle
{
    int x0 = 0;
    int y0 = 0;
    int r = 0;
    bool Valid() const { return x0 > 0 && y0 > 0 && r > 0; }
};

// Long work that reports its progress (done of total) and stops when the report
// returns false.
using ProgressReport = std::function<bool(int done, int total)>;
using LongWork = std::function<bool(const ProgressReport& report)>;
// Runs long work and gives its result: the window runs it on a worker thread with a
// progress indicator, leaving the canvas alone meanwhile; without a runner it runs
// right away.
using LongWorkRunner = std::function<bool(const LongWork& work)>;

// The "Datei" commands of pictures and measurements on a workbench: loading a
// picture, saving it with its marks, a new measurement, saving and loading
// measurement files (.nvm canvas files). Questions, file names and messages go
// through the workbench's prompt; the window mirrors the workbench state after
// each call.
class MeasurementFile
{
public:
    explicit MeasurementFile(Workbench& workbench)
        : m_wb(workbench)
    {
    }

    // The file dialogs' filters.
    static const QString kMeasurementFilter;
    static const QString kPictureSaveFilter;
    static const QString kPictureOpenFilter;

    // Decodes a picture and makes it the canvas background (24 bits), with the
    // status texts and the zoom applied. With `consume` the file is deleted once
    // the picture is on the canvas (a host hands over a copy). On failure the
    // "Error #2088: " message is shown, false is returned and the previous
    // picture stays. The decoding goes through `runner`; cancelled there, false is
    // returned without a message and the previous picture stays.
    bool LoadPicture(const QString& path, bool consume = true, const LongWorkRunner& runner = {});
    // "Bild laden ...": asks for a picture, loads it without deleting the file and
    // clears the measured shapes; calibration, scale bar and exclusion circle stay
    // (the evaluated field is counted again on the new picture).
    bool LoadPictureCommand(const LongWorkRunner& runner = {});
    // "Bild speichern ...": asks for a file and exports the canvas by its
    // extension in any case (.bmp, .jpg/.jpeg, .wmf, .dxf, .dxf1, .svg, .png);
    // another extension is refused with a message naming these. True when a file
    // was written. The PNG export, the slow one, goes through `runner`.
    bool SavePictureCommand(const LongWorkRunner& runner = {});
    // The export format of a file name ("bmp", "jpg", "wmf", "dxf", "dxf1",
    // "svg", "png"), empty when its extension is none of them.
    static QString PictureFormatOf(const QString& path);
    // Writes the picture export in a format named like an extension: "bmp",
    // "jpg" (quality 80), "wmf", "dxf", "dxf1", "svg" and "png". Another format
    // writes nothing and gives true with `written` false; a failed write shows a
    // message and gives false (a cancelled PNG export too).
    bool SavePicture(
        const QString& path, const QString& format, bool* written = nullptr, const LongWorkRunner& runner = {});

    // Deletes every shape with a result entry except the scale bar (labels, the
    // scale bar and the exclusion border stay), with undo records.
    void ClearMeasurement();
    // "Neue Messung": asks, then clears.
    void NewMeasurement();
    // "Messung speichern ..." / "Messung speichern mit Bild ...".
    bool SaveMeasurementCommand(bool withPicture);
    // Saves the canvas to `path` atomically, with or without its background picture.
    bool SaveMeasurement(const QString& path, bool withPicture);
    // Writes the measurement as SaveMeasurement does into a device (the recovery file).
    bool WriteMeasurement(QIODevice& device, bool withPicture);
    // True when nothing is measured or the operator agrees to discard (then cleared).
    bool ConfirmDiscard();
    // "Messung laden ...".
    bool LoadMeasurementCommand();
    // Loads a measurement file and rebuilds the workbench from it: picture (or the
    // current one under a file saved without), scale bar and calibration, result
    // entries, exclusion circle and layers. False when the file could not be read
    // completely or no picture is loaded (the message has been shown). A file
    // that is no canvas file changes nothing ("Invalid file type").
    bool LoadMeasurement(const QString& path);
    // Loads a measurement for its results alone (batch work, no window): as
    // LoadMeasurement, but a file saved without its picture is evaluated without
    // one, over a stand-in field as large as its drawing, so its exclusion circle
    // counts whole. `hadPicture` tells whether the file brought its own picture.
    bool LoadMeasurementResults(const QString& path, bool* hadPicture = nullptr);

    // Why the last LoadPicture, SavePicture, SaveMeasurement or LoadMeasurement
    // failed, in English (for logs and the command-line tool).
    const QString& LastError() const { return m_lastError; }
    // Whether the last measurement loaded held its own picture.
    bool LoadedWithPicture() const { return m_loadedWithPicture; }

    // The circle of an exclusion border shape: the centre and radius of the
    // bounding square of its four nodes, truncated to whole pixels.
    static std::optional<BorderCircle> CircleOfBorder(const TMyShape* border);
    // The status-bar name of a picture: its file name, or "DB: " and the rest for
    // a temporary picture of the host's database ("NVTempImageDB_...").
    static QString StatusImageName(const QString& path);

private:
    void SetPictureStatus(const QString& name, int width, int height);
    void TakeOverScaleBar(TMyShape* bar);
    // Counts the evaluated field again around the border on the canvas, if any.
    void RebuildBorder();

    // Shows the message and keeps the reason for LastError.
    bool Fail(const QString& message, const QString& reason);

    Workbench& m_wb;
    QString m_lastError;
    bool m_loadedWithPicture = false;
    bool m_resultsOnly = false; // LoadMeasurementResults is loading
};
