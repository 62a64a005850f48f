// Undo and redo on the workbench: the results and the special shapes follow.
#include "tests/support/ScriptedPrompt.h"

#include "workbench/Workbench.h"

#include <gtest/gtest.h>

TEST(WorkbenchUndo, ScaleBarComingBack_IsNoHairAndIsTheScaleBarAgain)
{
    ScriptedPrompt prompt;
    Workbench wb(prompt);
    wb.Canvas().ClientResized(400, 300);
    const int bar = wb.Scale().CreateScaleBar(152);
    ASSERT_GE(bar, 0);
    ASSERT_TRUE(wb.Canvas().DeleteShapeById(bar, true));
    EXPECT_EQ(wb.State().ScaleBarId, -1);

    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(wb.State().ScaleBarId, bar);
    EXPECT_EQ(wb.Tree().Count(), 0); // a scale bar gets no result entry
    EXPECT_EQ(wb.ResultRows()[RowCount].text, QStringLiteral("0"));
}

TEST(WorkbenchUndo, HairAddedThenUndone_LeavesNoEntry_RedoBringsItBack)
{
    ScriptedPrompt prompt;
    Workbench wb(prompt);
    wb.Canvas().ClientResized(400, 300);
    const int hair = wb.Canvas().AddShape(
        SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(110, 10) }, QStringLiteral("Hair"));
    ASSERT_GE(hair, 0);
    ASSERT_EQ(wb.Tree().Count(), 1);
    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(wb.Tree().Count(), 0);
    EXPECT_EQ(wb.ResultRows()[RowCount].text, QStringLiteral("0"));
    ASSERT_TRUE(wb.RedoCommand());
    EXPECT_EQ(wb.Tree().Count(), 1);
    EXPECT_EQ(wb.ResultRows()[RowCount].text, QStringLiteral("1"));
    EXPECT_FALSE(wb.RedoCommand());
}
