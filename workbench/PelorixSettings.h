#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

// The settings file Pelorix.ini beside the program: window placement in section
// "Form", canvas pens, handles, font and tool behaviour in section "Settings".
// Missing keys and a missing file give the defaults below.
struct PelorixSettings
{
    int top = 2;
    int left = 2;
    int width = 920;
    int height = 720;
    TColor penColor = 0x606060;
    TColor penFUColor = 0x909090;
    int penWidth = 2;
    TColor hotColor = 0xFF902B;
    int hotSize = 4;
    TColor fontColor = 0x606060;
    int fontSize = 16;
    QString fontName = QStringLiteral("Arial");
    TColor swColor = -1;
    bool alwaysKeepSelecton = false;

    // Pelorix.ini in the program's directory.
    static QString DefaultPath();
    static PelorixSettings Read(const QString& path);
    // Writes what "Einstellungen speichern" saves, in its order: PenColor,
    // FontColor, FontSize, FontName, Top, Left, Width, Height, AlwaysKeepSelecton.
    // Other keys of the file stay. False when the file could not be written.
    bool Write(const QString& path) const;
};
