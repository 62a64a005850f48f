#include "workbench/hostexchange/TInterfaceBA.h"

#include "common/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace {

bool IsDelimiter(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// True when a path names a folder too: it holds a path delimiter or a drive.
bool HasDirectoryPart(const QString& path)
{
    for (QChar c : path)
        if (IsDelimiter(c) || c == QLatin1Char(':'))
            return true;
    return false;
}

QString WithTrailingDelimiter(QString dir)
{
    if (dir.isEmpty() || !IsDelimiter(dir.back()))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

TInterfaceBA::TInterfaceBA(Mode mode, const QString& programDirectory)
    : m_mode(mode)
{
    QString dir = programDirectory;
    if (dir.isEmpty())
        dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QStringLiteral(".");
    m_programDirectory = WithTrailingDelimiter(dir);
    ResultImageDirectory = m_programDirectory;
    ResultFile = m_programDirectory + QStringLiteral("result.txt");
    ResultFileDetail = m_programDirectory + QStringLiteral("detail.txt");
}

bool TInterfaceBA::Fail(const QString& message)
{
    m_error = message;
    return false;
}

bool TInterfaceBA::Read(const QString& path)
{
    // Records of an earlier read never survive a new one, and neither does
    // their count: a count without records would describe entries that are gone.
    m_images.clear();
    m_subjects.clear();
    m_count = 0;
    m_error.clear();
    m_path = path;

    const QFileInfo info(path);
    if (!info.exists())
        return Fail(QStringLiteral("%1: the exchange file does not exist").arg(path));
    if (!info.isFile())
        return Fail(QStringLiteral("%1: the exchange file is not a file").arg(path));
    IniFile ini(path);
    if (!ini.Load())
        return Fail(ini.ErrorString());
    return Read(ini);
}

bool TInterfaceBA::Read(const IniFile& ini)
{
    m_images.clear();
    m_subjects.clear();
    m_count = 0;
    m_error.clear();
    m_recordDialect = ini.SectionExists(QStringLiteral("RecordData"));
    return m_recordDialect ? ReadRecordDialect(ini) : ReadSectionedDialect(ini);
}

bool TInterfaceBA::ReadRecordDialect(const IniFile& ini)
{
    // The record is read from the exchange file itself. (Reading it from the
    // program's first argument instead gives the same file when a host starts
    // Pelorix with it, and a wrong one in every other case.)
    const QString section = QStringLiteral("RecordData");
    m_count = 1;
    m_images.assign(1, structImage());
    m_subjects.assign(1, structSubject());
    structImage& image = m_images[0];
    structSubject& subject = m_subjects[0];

    image.Pp100MM = 0;
    image.ExclusionCircleRadiusInPixel = 0;
    image.ExclusionCircleX0InPixel = 0;
    image.ExclusionCircleY0InPixel = 0;
    m_cameraType = ini.ReadString(section, QStringLiteral("Cameratype"), QString());
    const QString cameraTable = m_programDirectory + QStringLiteral("Camera.ini");
    if (!m_cameraType.isEmpty() && QFileInfo::exists(cameraTable)) {
        IniFile cameras(cameraTable);
        if (cameras.Load() && cameras.SectionExists(m_cameraType)) {
            image.Pp100MM = cameras.ReadInteger(m_cameraType, QStringLiteral("Pp100MM"), 0);
            image.ExclusionCircleRadiusInPixel
                = cameras.ReadInteger(m_cameraType, QStringLiteral("ExclusionCircleRadiusInPixel"), 0);
            image.ExclusionCircleX0InPixel
                = cameras.ReadInteger(m_cameraType, QStringLiteral("ExclusionCircleX0InPixel"), 0);
            image.ExclusionCircleY0InPixel
                = cameras.ReadInteger(m_cameraType, QStringLiteral("ExclusionCircleY0InPixel"), 0);
        }
    }
    image.Image = ini.ReadString(section, QStringLiteral("filename"), QString());
    image.Date = ini.ReadString(section, QStringLiteral("Aufnahmedatum"), QString());
    subject.Name = ini.ReadString(section, QStringLiteral("Name"), QString());
    subject.Firstname = ini.ReadString(section, QStringLiteral("Vorname"), QString());
    subject.Birthdate = ini.ReadString(section, QStringLiteral("Geburtsdatum"), QString());
    return true;
}

bool TInterfaceBA::ReadSectionedDialect(const IniFile& ini)
{
    const QString general = QStringLiteral("General");
    Sender = ini.ReadString(general, QStringLiteral("Sender"), QString());
    Receiver = ini.ReadString(general, QStringLiteral("Receiver"), QString());
    const int count = ini.ReadInteger(general, QStringLiteral("Count"), 0);
    if (count > kMaxRecords)
        return Fail(QStringLiteral("[General] Count=%1 is more picture records than the %2 an exchange file may hold")
                        .arg(count)
                        .arg(kMaxRecords));
    // A negative count describes no record at all.
    m_count = std::max(count, 0);
    if (count > 0) {
        m_images.assign(size_t(count), structImage());
        m_subjects.assign(size_t(count), structSubject());
    }
    for (int i = 0; i < count; ++i) {
        const QString imageSection = QStringLiteral("Image") + QString::number(i);
        structImage& image = m_images[size_t(i)];
        image.Image = ini.ReadString(imageSection, QStringLiteral("Image"), QString());
        image.ResultFileDB = ini.ReadString(imageSection, QStringLiteral("ResultFileDB"), QString());
        image.Date = ini.ReadString(imageSection, QStringLiteral("Date"), QString());
        image.Time = ini.ReadString(imageSection, QStringLiteral("Time"), QString());
        image.Pp100MM = ini.ReadInteger(imageSection, QStringLiteral("Pp100MM"), 0);
        image.ExclusionCircleRadiusInPixel
            = ini.ReadInteger(imageSection, QStringLiteral("ExclusionCircleRadiusInPixel"), 0);
        image.ExclusionCircleX0InPixel = ini.ReadInteger(imageSection, QStringLiteral("ExclusionCircleX0InPixel"), 0);
        image.ExclusionCircleY0InPixel = ini.ReadInteger(imageSection, QStringLiteral("ExclusionCircleY0InPixel"), 0);

        const QString subjectSection = QStringLiteral("Subject") + QString::number(i);
        structSubject& subject = m_subjects[size_t(i)];
        subject.Name = ini.ReadString(subjectSection, QStringLiteral("Name"), QString());
        subject.Firstname = ini.ReadString(subjectSection, QStringLiteral("Firstname"), QString());
        subject.Birthdate = ini.ReadString(subjectSection, QStringLiteral("Birthdate"), QString());
    }

    const QString analysis = QStringLiteral("Analysis");
    Automatic = ini.ReadBool(analysis, QStringLiteral("Automatic"), false);
    Result = ini.ReadBool(analysis, QStringLiteral("Result"), false);
    ResultDetail = ini.ReadBool(analysis, QStringLiteral("ResultDetail"), false);
    ResultImage = ini.ReadBool(analysis, QStringLiteral("ResultImage"), false);
    StoppAtEnd = ini.ReadBool(analysis, QStringLiteral("StoppAtEnd"), true);
    ResultRequest = ini.ReadBool(analysis, QStringLiteral("ResultRequest"), true);
    ResultFileAppend = ini.ReadBool(analysis, QStringLiteral("ResultFileAppend"), false);

    ResultImageDirectory
        = NormaliseDirectory(ini.ReadString(analysis, QStringLiteral("ResultImageDirectory"), m_programDirectory));
    ResultFile
        = WithProgramDirectory(ini.ReadString(analysis, QStringLiteral("ResultFile"), QStringLiteral("result.txt")));
    ResultFileDetail = WithProgramDirectory(
        ini.ReadString(analysis, QStringLiteral("ResultFileDetail"), QStringLiteral("detail.txt")));
    ResultFileDB = ini.ReadString(analysis, QStringLiteral("ResultFileDB"), QString());
    if (!ResultFileDB.isEmpty())
        ResultFileDB = WithProgramDirectory(ResultFileDB);

    m_additionalNames.clear();
    m_additionalValues.clear();
    const QString additional = QStringLiteral("Additional");
    for (int n = 0;; ++n) {
        const QString prefix = QStringLiteral("Add") + QString::number(n);
        const QString name = ini.ReadString(additional, prefix + QStringLiteral("Name"), QString());
        if (name.isEmpty())
            break;
        m_additionalNames << name;
        m_additionalValues << ini.ReadString(additional, prefix + QStringLiteral("Value"), QString());
    }

    if (m_count < 1) {
        if (!ini.ValueExists(general, QStringLiteral("Count")))
            return Fail(QStringLiteral("no picture record: key Count is missing in section [General]"));
        return Fail(QStringLiteral("no picture record: [General] Count=%1 must be 1 or more")
                        .arg(ini.ReadString(general, QStringLiteral("Count"), QString())));
    }
    return true;
}

QString TInterfaceBA::NormaliseDirectory(const QString& path)
{
    // One trailing delimiter is removed and one appended, of the kind the
    // path already uses.
    QString dir = path;
    QChar delimiter = QLatin1Char('/');
    for (QChar c : dir)
        if (IsDelimiter(c))
            delimiter = c;
    if (!dir.isEmpty() && IsDelimiter(dir.back())) {
        delimiter = dir.back();
        dir.chop(1);
    }
    return dir + delimiter;
}

QString TInterfaceBA::WithProgramDirectory(const QString& path) const
{
    return HasDirectoryPart(path) ? path : m_programDirectory + path;
}

structImage TInterfaceBA::ImageRecord(int index) const
{
    if (index < 0 || index >= int(m_images.size()))
        return structImage();
    return m_images[size_t(index)];
}

structSubject TInterfaceBA::SubjectRecord(int index) const
{
    if (index < 0 || index >= int(m_subjects.size()))
        return structSubject();
    return m_subjects[size_t(index)];
}

QString TInterfaceBA::AdditionalValue(const QString& name) const
{
    const qsizetype i = m_additionalNames.indexOf(name);
    if (i < 0 || i >= m_additionalValues.size())
        return QString();
    return m_additionalValues[i];
}
