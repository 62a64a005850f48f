#pragma once

#include "common/IniFile.h"

#include <QStringList>

#include <optional>

// A language file: one section per window, keys window.component.property.
// This class answers what the file says for each kind of component; the windows
// apply the answers to their widgets, the language table to its labels.
class LanguageFile
{
public:
    // Reads the file; false when it does not exist or cannot be read.
    bool Load(const QString& path);
    // Uses INI content already in memory.
    void LoadFromBytes(const QByteArray& bytes);
    const QString& ErrorString() const { return m_ini.ErrorString(); }

    // The window name used for the section and the keys: the part of the
    // object name before its first "_", so instances "FormX_2" share "FormX".
    static QString WindowName(const QString& objectName);

    // The window's title, when the file gives a non-empty one.
    std::optional<QString> WindowCaption(const QString& window) const;
    // Caption and Hint of any component, when non-empty.
    std::optional<QString> Caption(const QString& window, const QString& component) const;
    std::optional<QString> Hint(const QString& window, const QString& component) const;
    // A memo's lines when the file has line 0: lines 0, 1, 2, ... up to the first gap.
    std::optional<QStringList> MemoLines(const QString& window, const QString& component) const;
    // A check-list entry: any value other than "fsdef" (the empty text empties it).
    std::optional<QString> CheckListItem(const QString& window, const QString& component, int index) const;
    // The caption of an edit box's label: any value other than "fsdef".
    std::optional<QString> EditLabelCaption(const QString& window, const QString& component) const;
    // An entry of a radio group or combo box, when non-empty.
    std::optional<QString> ListItem(const QString& window, const QString& component, int index) const;
    // The text of a header section, when non-empty.
    std::optional<QString> HeaderSection(const QString& window, const QString& component, int index) const;

    const IniFile& Ini() const { return m_ini; }

private:
    std::optional<QString> NonEmpty(const QString& window, const QString& key) const;
    std::optional<QString> NotDefault(const QString& window, const QString& key) const;

    IniFile m_ini;
};
