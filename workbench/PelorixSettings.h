#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>
#include <QStringList>

// The settings file Pelorix.ini beside the program: window placement in section
// "Form", canvas pens, handles, font and tool behaviour in section "Settings".
// Missing keys and a missing file give the defaults below.
struct PelorixSettings
{
    int top = 2;
    int left = 2;
    int width = 920;
    int height = 720;
    // Marks in colours that stand out on light and on dark skin (cyan hairs,
    // yellow follicular units); PenColor=6316128 and PenFUColor=9474192 in
    // Pelorix.ini give the greys of earlier versions.
    TColor penColor = 0xFFE600;
    TColor penFUColor = 0x00D2FF;
    int penWidth = 2;
    TColor hotColor = 0xFF902B;
    int hotSize = 4;
    TColor fontColor = 0x606060;
    int fontSize = 16;
    QString fontName = QStringLiteral("Arial");
    TColor swColor = -1;
    bool alwaysKeepSelecton = false;
    // What the window remembers by itself (written on closing, see WriteWindowState):
    int resultPanelWidth = 0; // 0: as wide as the results need
    QString language; // "de", "en"; empty: the system's language
    QStringList recentFiles; // measurement files, newest first
    static constexpr int kRecentFiles = 8;

    // Pelorix.ini in the program's directory.
    static QString DefaultPath();
    static PelorixSettings Read(const QString& path);
    // Writes what "Einstellungen speichern" saves, in its order: PenColor,
    // FontColor, FontSize, FontName, Top, Left, Width, Height, AlwaysKeepSelecton.
    // Other keys of the file stay. False when the file could not be written.
    bool Write(const QString& path) const;
    // Writes what the window remembers without being asked: the result panel's
    // width, the language and the recent files. Other keys stay.
    bool WriteWindowState(const QString& path) const;
    // Puts a file first in the recent files (once, at most kRecentFiles).
    void AddRecentFile(const QString& path);

    // Where Pelorix.ini is kept: beside the program while that folder can be
    // written; otherwise (an installed program) in the user's settings folder,
    // which starts as a copy of the program's file.
    static QString LocateFile(const QString& programDirectory, const QString& userDirectory);
};
