#pragma once

#include <QString>

class TMyCAD;

// Writes the shapes of a canvas as a DXF drawing: one ENTITIES section, a value per
// line, coordinates in millimetres at 96 pixels per inch with y pointing up.
namespace DxfExport {

// With `outlinedText`, text shapes become the closed outlines of their glyphs
// (this needs a QGuiApplication for the fonts). False, with the reason in `error`,
// when the file cannot be written or the fonts are not available.
bool Write(const TMyCAD& cad, const QString& fileName, bool outlinedText, QString* error = nullptr);

// The same drawing as text, for callers that embed it or compare it.
bool ToText(const TMyCAD& cad, bool outlinedText, QByteArray& text, QString* error = nullptr);

} // namespace DxfExport
