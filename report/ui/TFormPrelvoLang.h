#pragma once

#include <QWidget>

// Prelvo's language window: never shown; its labels hold the library's message
// texts, so that "PrelvoLang.ini" translates them as it translates any window.
class TFormPrelvoLang : public QWidget
{
    Q_OBJECT
public:
    explicit TFormPrelvoLang(QWidget* parent = nullptr);
    // The caption of a label by name; empty for an unknown one.
    QString Text(const QString& label) const;
};
