#pragma once

#include <QByteArray>
#include <vector>

class QWidget;

// A language file that holds every translatable text of the given windows with
// its current value: the starting point of a translation.
namespace LanguageTemplate {

// The file's bytes (Windows-1252, CR LF), one section per window.
QByteArray Build(const std::vector<QWidget*>& windows);

} // namespace LanguageTemplate
