#include "report/ReportTextFormat.h"

#include <gtest/gtest.h>

using ReportTextFormat::Format;

TEST(ReportTextFormat, Placeholders_FollowTheCRulesForTexts)
{
    const struct
    {
        const char* format;
        QStringList values;
        const char* expected;
    } cases[] = {
        { "Name: %s, %s", { "Müller", "Jürgen" }, "Name: Müller, Jürgen" },
        { "[%8s]", { "abc" }, "[     abc]" },
        { "[%-8s]", { "abc" }, "[abc     ]" },
        { "[%.2s]", { "abcdef" }, "[ab]" },
        { "[%6.2s]", { "abcdef" }, "[    ab]" },
        { "[%2s]", { "abcdef" }, "[abcdef]" },
        { "Count: %s", { QString() }, "Count: (null)" },
        { "Unit: [%s]", { QStringLiteral("") }, "Unit: []" },
        { "100%% sure", {}, "100% sure" },
        { "%%", {}, "%" },
        { "no placeholder", { "unused" }, "no placeholder" },
        { "%s %s", { "a", "b", "c" }, "a b" },
        { "line 1\r\n%s\r\n", { "x\r\ny" }, "line 1\r\nx\r\ny\r\n" },
    };
    for (const auto& c : cases) {
        const auto result = Format(QString::fromUtf8(c.format), c.values);
        ASSERT_TRUE(result) << c.format;
        EXPECT_EQ(*result, QString::fromUtf8(c.expected)) << c.format;
    }
}

TEST(ReportTextFormat, AnythingElse_FailsWithoutReadingPastTheValues)
{
    // A template is a file from elsewhere: none of these may be interpreted.
    for (const char* format :
        { "%s %s", "%d", "%n", "%x", "%*s", "%.*s", "%ls", "%", "abc %", "%5", "%99999999999s", "%.5000s" })
        EXPECT_FALSE(Format(QString::fromLatin1(format), { "only one" })) << format;
}
