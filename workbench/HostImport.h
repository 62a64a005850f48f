#pragma once

#include <QString>

class Workbench;

// How a host import ended.
struct HostImportResult
{
    enum Status {
        Imported, // picture, patient and calibration are on the workbench
        ReadFailed, // the exchange file could not be read: the program closes
        PictureFailed, // the picture could not be loaded; patient and calibration were still taken
        MeasurementFailed, // the measurement file the host named could not be loaded completely
        Declined // a dropped case was not opened: the operator kept the unsaved marks
    };
    Status status = Imported;
    // Why it failed, in English, for logs and the command-line tool.
    QString error;
    // The measurement file named by "MeasureResultsFile" was loaded.
    bool measurementLoaded = false;
};

// The import of a host program's exchange file: reads it through TInterfaceBA,
// fills the patient rows, loads (and consumes) the picture, calibrates from the
// camera's pixels per 100 mm, creates the scale bar and the exclusion circle, and
// loads the measurement file the host names, after the discard question.
class HostImport
{
public:
    // `programDirectory` is where Camera.ini lives; empty means the executable's folder.
    explicit HostImport(Workbench& workbench, QString programDirectory = QString())
        : m_wb(workbench)
        , m_programDirectory(std::move(programDirectory))
    {
    }

    // Picture and measurement paths without a folder are taken relative to the
    // exchange file's folder. Messages go through the workbench's prompt. Only a
    // host hand-over consumes the picture; afterwards nothing of the import can be
    // undone.
    HostImportResult ImportHostFile(const QString& exchangePath, bool consumePicture = true);
    // An exchange file the operator opens (dropped on the window): after the
    // question about unsaved marks the measurement is cleared and the case imported,
    // and the picture it names is left where it is (an archived case).
    HostImportResult OpenExchangeFile(const QString& exchangePath);

    // Whole pixels per millimetre from pixels per 100 mm (the remainder is dropped).
    static int PixelsPerMillimetre(int pp100mm) { return pp100mm / 100; }

private:
    Workbench& m_wb;
    QString m_programDirectory;
};
