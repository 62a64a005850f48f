#pragma once

#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "tests/support/ScriptedPrompt.h"
#include "workbench/Workbench.h"

#include <QPointF>

#include <gtest/gtest.h>

#include <vector>

// A workbench with a scripted operator and helpers that draw through the canvas
// (AddShape fires the same shape-added event as drawing with the mouse).
class WorkbenchTest : public ::testing::Test
{
protected:
    ScriptedPrompt prompt;
    Workbench wb { prompt };

    TMyCAD& Cad() { return wb.Canvas(); }
    WorkbenchState& St() { return wb.State(); }
    const TGridResult& Row(int row) const { return wb.ResultRows()[size_t(row)]; }

    // A picture of the given size is on the canvas.
    void Picture(int width, int height)
    {
        St().ImageWidth = width;
        St().ImageHeight = height;
        St().ImageLoaded = true;
    }

    // Numeric calibration: `pixels` image pixels stand for `value` of `unit`.
    void Calibrate(const QString& pixels, const QString& value, const QString& unit)
    {
        prompt.scaleDialogs.push_back(ScriptedPrompt::Answer(pixels, value, unit));
        wb.Scale().NumericScaleCommand();
    }

    // Draws a straight hair (a rule line, as the line tool does) with the given thickness.
    int Hair(double x0, double y0, double x1, double y1, int thickness = 500)
    {
        SetSlider(thickness);
        return Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x0, y0), QPointF(x1, y1) }, "Line");
    }

    int Curve(const std::vector<QPointF>& points, int thickness = 500)
    {
        SetSlider(thickness);
        return Cad().AddShape(SpPolyBezier, QString(), 0.0f, points, "Curve");
    }

    int Ellipse(double x, double y, double w, double h)
    {
        return Cad().AddShape(SpEllipse, QString(), 0.0f,
            { QPointF(x, y), QPointF(x + w, y), QPointF(x + w, y + h), QPointF(x, y + h) }, "Ellipse");
    }

    // Sets the slider for the next shape without touching any shape.
    void SetSlider(int thickness)
    {
        Cad().ClearSelection();
        wb.SetThicknessSlider(thickness);
    }

    // The tree's text of a child parameter of the top node of a shape.
    QString Cell(int shapeId, int child, int column)
    {
        const int top = wb.Tree().FindTop(shapeId);
        if (top < 0 || child >= int(wb.Tree().At(top).children.size()))
            return QStringLiteral("<none>");
        return ResultTree::CellText(wb.Tree().At(top).children[size_t(child)], column);
    }
};
