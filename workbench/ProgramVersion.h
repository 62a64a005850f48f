#pragma once

#include <QString>

// The program's version texts, fixed at build time.
namespace ProgramVersion {

// The product version, e.g. "0.1.0".
QString Product();
// The file version: the product version with the commit count of the source tree,
// e.g. "0.1.0.57". It is the "ProgVersion" a printed report shows.
QString File();

} // namespace ProgramVersion
