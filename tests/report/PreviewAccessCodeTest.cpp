#include "report/PreviewAccessCode.h"

#include <gtest/gtest.h>

namespace {

// Types a text and counts how often the designer would open.
int Openings(PreviewAccessCode& code, const QString& text, const QDate& day, const QLocale& locale)
{
    int openings = 0;
    for (const QChar c : text)
        openings += code.Type(c, day, locale).openDesigner ? 1 : 0;
    return openings;
}

} // namespace

TEST(PreviewAccessCode, PrefixAndShortDate_OpenTheDesignerOncePerPrefix)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QDate day(2026, 12, 9);
    const QString code = PreviewAccessCode::Code(day, german);
    EXPECT_EQ(code, QStringLiteral("P09.12.26"));

    PreviewAccessCode typed;
    EXPECT_EQ(Openings(typed, "xyz" + code, day, german), 1);
    // A match does not clear the buffer: the date typed again only lengthens it,
    // while the prefix starts the code afresh.
    EXPECT_EQ(Openings(typed, code.mid(1), day, german), 0);
    EXPECT_EQ(Openings(typed, code, day, german), 1);
    EXPECT_TRUE(typed.Type('P', day, german).showDate);
    EXPECT_EQ(typed.Typed(), QStringLiteral("P"));
    // Yesterday's code does not open it.
    EXPECT_EQ(Openings(typed, PreviewAccessCode::Code(day.addDays(-1), german), day, german), 0);
}
