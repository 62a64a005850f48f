#include "common/ui/LanguageTemplate.h"

#include "common/IniFile.h"
#include "common/ui/WindowTranslator.h"

namespace LanguageTemplate {

QByteArray Build(const std::vector<QWidget*>& windows)
{
    IniFile ini;
    for (QWidget* window : windows)
        for (const WindowTranslator::Text& text : WindowTranslator::Texts(*window))
            ini.WriteString(text.section, text.key, text.value);
    return ini.ToBytes();
}

} // namespace LanguageTemplate
