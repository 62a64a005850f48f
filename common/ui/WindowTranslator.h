#pragma once

#include <QString>
#include <vector>

class LanguageFile;
class QObject;
class QWidget;

// Applies a language file to a window's widgets and actions by their object
// names, and lists a window's translatable texts in the same key form.
//
// The component kinds map onto Qt classes as follows. Caption: the text of
// labels and buttons, the title of group boxes and menus, the text of actions.
// Hint: every widget's and action's tool tip. Lines[i]: QPlainTextEdit (the
// memo). Items[i]: QListWidget (the check-list, "fsdef" keeps an entry),
// RadioGroup and QComboBox (an empty value keeps an entry). EditLabel.Caption:
// LabeledEdit. Section[i]: QHeaderView. List rules test the exact class, so a
// subclass gets only the Caption and Hint rules.
class WindowTranslator
{
public:
    // Translates one window: its title, then every named child object in
    // creation order. Objects without a name are skipped.
    static void Apply(const LanguageFile& file, QWidget& window);

    struct Text
    {
        QString section; // the window name
        QString key; // window.component.property
        QString value;
    };
    // Every text of the window that Apply would replace, with its current value,
    // in the order Apply visits them (empty captions and hints are left out).
    static std::vector<Text> Texts(QWidget& window);

    // Objects of the window in the order the translation visits them.
    static std::vector<QObject*> Components(QWidget& window);
};
