#pragma once

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>

// The hidden code that opens the designer from the preview window: the prefix
// letter followed by today's date in the system's short date format, typed into
// the preview. The typed characters are kept for the life of the library (Shared),
// across preview windows; a match does not clear them, so typing the code twice in
// a row opens the designer once unless the prefix letter is typed again.
class PreviewAccessCode
{
public:
    static constexpr char kPrefix = 'P';

    // What the preview does after a typed character.
    struct Reaction
    {
        bool showDate = false; // the prefix was typed: the status bar shows today's date
        bool openDesigner = false; // the buffer equals the code
    };

    // Takes one typed character.
    Reaction Type(QChar typed, const QDate& today = QDate::currentDate(), const QLocale& locale = QLocale::system());
    const QString& Typed() const { return m_typed; }
    // The code of a day.
    static QString Code(const QDate& day, const QLocale& locale = QLocale::system());

    // The one buffer of the library.
    static PreviewAccessCode& Shared();

private:
    QString m_typed;
};
