#pragma once

#include "common/LanguageTable.h"

#include <QWidget>

class QLabel;

// The language window: never shown; its labels hold the program's message texts
// and result captions, grouped under "Messages", "Parameters" and "Objects", so
// that a language file translates them as it translates any window.
class TFormLang : public QWidget
{
    Q_OBJECT
public:
    explicit TFormLang(const LanguageTable& builtIn, QWidget* parent = nullptr);
    // The table of the labels' current captions.
    LanguageTable Texts() const;
    // The caption of any label, including the window's own texts (busy
    // messages, the recovery question) that the measuring logic does not use.
    QString Text(const QString& label) const;

private:
    LanguageTable m_table;
    std::vector<std::pair<QString, QLabel*>> m_labels;
};
