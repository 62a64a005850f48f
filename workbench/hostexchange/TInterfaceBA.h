#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class IniFile;

// One picture record of an exchange file.
struct structImage
{
    QString Image;
    QString Date;
    QString Time;
    int Pp100MM = -1;
    int ExclusionCircleRadiusInPixel = -1;
    int ExclusionCircleX0InPixel = -1;
    int ExclusionCircleY0InPixel = -1;
    QString ResultFileDB;
};

// The patient of one picture record.
struct structSubject
{
    QString Name;
    QString Firstname;
    QString Birthdate;
};

// The exchange file with which a host program (imaging or patient-record
// software) hands a picture, its patient and the camera calibration to Pelorix.
// Two dialects: the sectioned one (General, Image<i>, Subject<i>, Analysis,
// Additional) and the record one (one section RecordData, calibration looked up
// by camera type in "Camera.ini" in the program folder). The file is only read.
class TInterfaceBA
{
public:
    enum Mode : unsigned char { miSend = 0, miReceive = 1 };

    // More picture records than this are refused as a damaged file.
    static constexpr int kMaxRecords = 10000;

    // `programDirectory` is where Camera.ini lives and what relative result
    // paths are resolved against; empty means the executable's folder.
    explicit TInterfaceBA(Mode mode = miReceive, const QString& programDirectory = QString());

    // Reads the exchange file; true when it holds at least one picture record.
    // On false, ErrorString() says precisely what was wrong.
    bool Read(const QString& path);
    bool Read(const IniFile& ini);
    const QString& ErrorString() const { return m_error; }

    Mode GetMode() const { return m_mode; }
    int Count() const { return m_count; }
    // Copies of a record; a default record when the index is out of range.
    structImage ImageRecord(int index) const;
    structSubject SubjectRecord(int index) const;
    // Value of the first "Additional" pair named exactly so (case-sensitive),
    // or the empty text.
    QString AdditionalValue(const QString& name) const;
    const QStringList& AdditionalNames() const { return m_additionalNames; }
    const QStringList& AdditionalValues() const { return m_additionalValues; }

    // Which dialect the last read found.
    bool IsRecordDialect() const { return m_recordDialect; }
    // The camera type of a record-dialect file.
    const QString& CameraType() const { return m_cameraType; }
    const QString& ProgramDirectory() const { return m_programDirectory; }

    QString Sender;
    QString Receiver;
    bool Automatic = false;
    bool Result = false;
    bool ResultDetail = false;
    bool ResultImage = false;
    bool StoppAtEnd = true;
    bool ResultRequest = true;
    bool ResultFileAppend = false;
    QString ResultImageDirectory;
    QString ResultFile;
    QString ResultFileDetail;
    QString ResultFileDB;

private:
    bool ReadRecordDialect(const IniFile& ini);
    bool ReadSectionedDialect(const IniFile& ini);
    bool Fail(const QString& message);
    QString WithProgramDirectory(const QString& path) const;
    static QString NormaliseDirectory(const QString& path);

    Mode m_mode;
    QString m_programDirectory;
    QString m_path;
    QString m_error;
    bool m_recordDialect = false;
    QString m_cameraType;
    int m_count = 0;
    std::vector<structImage> m_images;
    std::vector<structSubject> m_subjects;
    QStringList m_additionalNames;
    QStringList m_additionalValues;
};
