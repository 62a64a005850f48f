#pragma once

#include "canvas/TMyCAD.h"

#include <QBuffer>
#include <QByteArray>

// Drives a canvas with plain mouse calls, as the widget does with real events.
class MouseDriver
{
public:
    explicit MouseDriver(TMyCAD& cad)
        : m_cad(cad)
    {
    }

    void Down(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        m_cad.MouseDown(Qt::LeftButton, modifiers, x, y);
    }
    void Move(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { m_cad.MouseMove(modifiers, x, y); }
    void Up(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        m_cad.MouseUp(Qt::LeftButton, modifiers, x, y);
    }
    void Click(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Down(x, y, modifiers);
        Up(x, y, modifiers);
    }
    // A double click as the platform delivers it: press, release, second press, release.
    void DoubleClick(int x, int y)
    {
        Click(x, y);
        m_cad.MouseDoubleClick(Qt::LeftButton, Qt::NoModifier, x, y);
        Up(x, y);
    }
    // Press, one move half way, one move to the end, release.
    void Drag(int x0, int y0, int x1, int y1, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Down(x0, y0, modifiers);
        Move((x0 + x1) / 2, (y0 + y1) / 2, modifiers);
        Move(x1, y1, modifiers);
        Up(x1, y1, modifiers);
    }

private:
    TMyCAD& m_cad;
};

// The canvas stream of the drawing, for byte-for-byte comparisons.
inline QByteArray SavedStream(TMyCAD& cad)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    cad.SaveToStream(buffer);
    return buffer.data();
}
