#pragma once

#include "workbench/PelorixSettings.h"

#include <QString>

class Workbench;

// The one set-up of a workbench that the window and pelorix-cli share, so a
// picture drawn without the window looks like the window's: the canvas page and
// brush (the exclusion circle is a ring, never a filled disc), and the pens,
// handles, font and print colour of Pelorix.ini.
namespace ProgramSetup {

// Page and brush of the measuring canvas; run before anything is drawn.
void PrepareCanvas(Workbench& workbench);

// The canvas part of the settings (pens, handles, font, marks, print colour).
void ApplySettings(Workbench& workbench, const PelorixSettings& settings);

// Both, with Pelorix.ini read from the program's folder (empty: the
// executable's folder). Returns the settings read.
PelorixSettings Apply(Workbench& workbench, const QString& programDirectory = QString());

} // namespace ProgramSetup
