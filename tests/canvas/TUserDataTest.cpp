// Key/value pairs on shapes and the canvas.
#include "canvas/TUserData.h"

#include <gtest/gtest.h>

TEST(TUserData, Add_ExistingKey_KeepsFirstValue)
{
    TUserData data;
    EXPECT_TRUE(data.Add("Type", "C"));
    EXPECT_FALSE(data.Add("Type", "D"));
    EXPECT_EQ(data.GetValue("Type"), "C");
    EXPECT_TRUE(data.SetValue("Type", "D"));
    EXPECT_EQ(data.GetValue("Type"), "D");
    EXPECT_EQ(data.GetValue("type"), QString()); // keys match exactly
    EXPECT_FALSE(data.SetValue("type", "E"));
}

TEST(TUserData, Delete_KeepsOrderOfOthers)
{
    TUserData data;
    data.Add("a", "1");
    data.Add("b", "2");
    data.Add("c", "3");
    EXPECT_TRUE(data.Delete("b"));
    EXPECT_FALSE(data.Delete("b"));
    ASSERT_EQ(data.Count(), 2);
    EXPECT_EQ(data.Key(0), "a");
    EXPECT_EQ(data.Key(1), "c");
    TUserData copy;
    copy.Assign(data);
    EXPECT_EQ(copy, data);
}
