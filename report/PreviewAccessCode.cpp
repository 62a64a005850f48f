#include "report/PreviewAccessCode.h"

PreviewAccessCode::Reaction PreviewAccessCode::Type(QChar typed, const QDate& today, const QLocale& locale)
{
    Reaction reaction;
    if (typed == QLatin1Char(kPrefix)) {
        m_typed = typed;
        reaction.showDate = true;
    } else if (m_typed.size() < 256) {
        m_typed += typed; // bounded: a key held down must not grow it for ever
    }
    reaction.openDesigner = m_typed == Code(today, locale);
    return reaction;
}

QString PreviewAccessCode::Code(const QDate& day, const QLocale& locale)
{
    return QLatin1Char(kPrefix) + locale.toString(day, QLocale::ShortFormat);
}

PreviewAccessCode& PreviewAccessCode::Shared()
{
    static PreviewAccessCode code;
    return code;
}
