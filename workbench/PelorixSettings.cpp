#include "workbench/PelorixSettings.h"

#include "common/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString kForm = QStringLiteral("Form");
const QString kSettings = QStringLiteral("Settings");
const QString kRecent = QStringLiteral("RecentFiles");
} // namespace

QString PelorixSettings::DefaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Pelorix.ini"));
}

PelorixSettings PelorixSettings::Read(const QString& path)
{
    PelorixSettings s;
    IniFile ini(path);
    if (!ini.Load())
        return s;
    s.top = ini.ReadInteger(kForm, QStringLiteral("Top"), s.top);
    s.left = ini.ReadInteger(kForm, QStringLiteral("Left"), s.left);
    s.width = ini.ReadInteger(kForm, QStringLiteral("Width"), s.width);
    s.height = ini.ReadInteger(kForm, QStringLiteral("Height"), s.height);
    s.penColor = ini.ReadInteger(kSettings, QStringLiteral("PenColor"), s.penColor);
    s.penFUColor = ini.ReadInteger(kSettings, QStringLiteral("PenFUColor"), s.penFUColor);
    s.penWidth = ini.ReadInteger(kSettings, QStringLiteral("PenWidth"), s.penWidth);
    s.hotColor = ini.ReadInteger(kSettings, QStringLiteral("HotColor"), s.hotColor);
    s.hotSize = ini.ReadInteger(kSettings, QStringLiteral("HotSize"), s.hotSize);
    s.fontColor = ini.ReadInteger(kSettings, QStringLiteral("FontColor"), s.fontColor);
    s.fontSize = ini.ReadInteger(kSettings, QStringLiteral("FontSize"), s.fontSize);
    s.fontName = ini.ReadString(kSettings, QStringLiteral("FontName"), s.fontName);
    s.swColor = ini.ReadInteger(kSettings, QStringLiteral("SWColor"), s.swColor);
    s.alwaysKeepSelecton = ini.ReadBool(kSettings, QStringLiteral("AlwaysKeepSelecton"), s.alwaysKeepSelecton);
    s.resultPanelWidth = std::clamp(ini.ReadInteger(kForm, QStringLiteral("ResultPanelWidth"), 0), 0, 4000);
    s.language = ini.ReadString(kSettings, QStringLiteral("Language"), QString()).trimmed().toLower();
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString file = ini.ReadString(kRecent, QStringLiteral("File%1").arg(i), QString());
        if (!file.isEmpty() && !s.recentFiles.contains(file))
            s.recentFiles << file;
    }
    return s;
}

bool PelorixSettings::Write(const QString& path) const
{
    IniFile ini(path);
    if (!ini.Load())
        return false;
    ini.WriteInteger(kSettings, QStringLiteral("PenColor"), penColor);
    ini.WriteInteger(kSettings, QStringLiteral("FontColor"), fontColor);
    ini.WriteInteger(kSettings, QStringLiteral("FontSize"), fontSize);
    ini.WriteString(kSettings, QStringLiteral("FontName"), fontName);
    ini.WriteInteger(kForm, QStringLiteral("Top"), top);
    ini.WriteInteger(kForm, QStringLiteral("Left"), left);
    ini.WriteInteger(kForm, QStringLiteral("Width"), width);
    ini.WriteInteger(kForm, QStringLiteral("Height"), height);
    ini.WriteBool(kSettings, QStringLiteral("AlwaysKeepSelecton"), alwaysKeepSelecton);
    return ini.Save();
}

bool PelorixSettings::WriteWindowState(const QString& path) const
{
    IniFile ini(path);
    if (!ini.Load())
        return false;
    ini.WriteInteger(kForm, QStringLiteral("ResultPanelWidth"), resultPanelWidth);
    ini.WriteString(kSettings, QStringLiteral("Language"), language);
    for (int i = 1; i <= kRecentFiles; ++i)
        ini.WriteString(kRecent, QStringLiteral("File%1").arg(i), recentFiles.value(i - 1));
    return ini.Save();
}

void PelorixSettings::AddRecentFile(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    recentFiles.removeAll(file);
    recentFiles.prepend(file);
    while (recentFiles.size() > kRecentFiles)
        recentFiles.removeLast();
}

QString PelorixSettings::LocateFile(const QString& programDirectory, const QString& userDirectory)
{
    const QString beside = QDir(programDirectory).filePath(QStringLiteral("Pelorix.ini"));
    const QFileInfo folder(programDirectory);
    const QFileInfo file(beside);
    if (userDirectory.isEmpty() || (folder.isWritable() && (!file.exists() || file.isWritable())))
        return beside;
    const QString own = QDir(userDirectory).filePath(QStringLiteral("Pelorix.ini"));
    if (!QFileInfo::exists(own) && QDir().mkpath(userDirectory) && file.exists())
        QFile::copy(beside, own);
    return own;
}
