#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <Qt>

// What a canvas needs from the control that shows it. Every call has a harmless
// default, so a canvas without a host (tools, tests, printing) works headless.
class TMyCADHost
{
public:
    virtual ~TMyCADHost() = default;
    // Screen pixels per inch.
    virtual double PixelsPerInch() const { return 96.0; }
    // The drawing changed; the next paint must show it.
    virtual void RequestRepaint() { }
    // Only this area of the control (control pixels) needs painting again.
    virtual void RequestRepaintArea(const QRect& /*area*/) { RequestRepaint(); }
    virtual void SetCursorShape(Qt::CursorShape) { }
    // The hint for the shape under the mouse (its Caption); empty hides it.
    virtual void ShowHint(const QString& /*text*/) { }
    // The canvas resized itself (page size or zoom); the control follows.
    virtual void ClientSizeChanged(int /*width*/, int /*height*/) { }
    // Keeps the mouse cursor inside the area (control pixels) while a button is
    // held, where the platform offers it; ReleaseCursor ends that.
    virtual void ConfineCursor(const QRect& /*area*/) { }
    virtual void ReleaseCursor() { }
    // The "String List Editor": lets the operator edit the lines of a new text box;
    // false when cancelled (the lines then stay as they are).
    virtual bool EditStringList(QStringList& /*lines*/) { return false; }
};
