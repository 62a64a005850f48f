#include "workbench/PelorixSettings.h"

#include "common/IniFile.h"

#include <QCoreApplication>
#include <QDir>

namespace {
const QString kForm = QStringLiteral("Form");
const QString kSettings = QStringLiteral("Settings");
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
