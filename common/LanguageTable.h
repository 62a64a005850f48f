#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class LanguageFile;

// The texts the programs show in messages, result rows and export headers: the
// label captions of the hidden language window "FormLang", looked up by label
// name. Built-in German texts (result rows in English) that a language file may
// replace with keys such as FormLang.LabelLength.Caption.
class LanguageTable
{
public:
    struct Entry
    {
        QString label;
        QString group; // name of the group box holding the label on the window
        QString text;
    };

    // Pelorix's language window with every label and its built-in text.
    static LanguageTable Pelorix();
    // Prelvo's language window with its three labels.
    static LanguageTable Prelvo();

    // Window name ("FormLang") and the window's own caption ("Language").
    const QString& WindowName() const { return m_windowName; }
    const QString& Caption() const { return m_caption; }

    // The text of a label. An unknown label name is a programming error; it
    // yields the name itself so that the fault shows instead of a blank.
    QString Text(const QString& label) const;
    bool Contains(const QString& label) const { return m_index.contains(label); }
    void SetText(const QString& label, const QString& text);

    // The labels in window order, with their current texts.
    const std::vector<Entry>& Entries() const { return m_entries; }
    // Caption of a group box ("Messages", "Parameters", "Objects").
    QString GroupCaption(const QString& group) const { return m_groups.value(group); }

    // Applies the file's captions for this window: non-empty values replace the
    // texts of the window, its group boxes and its labels.
    void Apply(const LanguageFile& file);

private:
    LanguageTable(QString windowName, QString caption);
    void Add(const QString& group, const QString& label, const QString& text);

    QString m_windowName;
    QString m_caption;
    std::vector<Entry> m_entries;
    QHash<QString, int> m_index;
    QHash<QString, QString> m_groups; // group box name -> caption
};
