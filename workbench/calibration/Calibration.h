#pragma once

#include "workbench/calibration/ScaleDialogModel.h"

#include <QChar>
#include <QString>

#include <functional>

class LanguageTable;
class OperatorPrompt;
class TMyCAD;
class TMyShape;
struct WorkbenchState;

// What the four rulers and the canvas grid show for the current zoom and
// calibration. The window applies it to its ruler widgets.
struct RulerSettings
{
    int scale = 100; // ruler scale: screen pixels per 100 units (per 0.1 units above 750 in mm)
    int cornerUnit = 5; // unit of the corner boxes: a RulerUnit value; 6 shows none
    int longTickEvery = 5; // a long tick every 5 small ticks, or every tick
    double gridSize = 20.0; // canvas grid width and height in screen pixels
};

// Image scale and units: the scale dialog's result, the scale bar on the canvas,
// recalibration when the bar changes, and the ruler and grid scaling that follow.
// Works on the workbench state and canvas it is given.
class Calibration
{
public:
    // What the calibration asks of the workbench that owns it.
    struct Hooks
    {
        std::function<void()> recomputeAll; // rebuild every result
        std::function<void()> selectMode; // put "Auswahlmodus" down with its action
    };

    Calibration(WorkbenchState& state, TMyCAD& cad, OperatorPrompt& prompt, const LanguageTable& texts, Hooks hooks);

    ScaleDialogModel& Dialog() { return m_dialog; }
    const ScaleDialogModel& Dialog() const { return m_dialog; }
    const RulerSettings& Rulers() const { return m_rulers; }
    void SetDecimalSeparator(QChar separator) { m_separator = separator; }

    // Takes over the dialog's result: UnitText always; with OK also the scale,
    // ruler unit, area unit, long ticks and rulers. False when the result was not
    // OK or a field holds no number (then the conversion error is shown).
    bool ApplyScaleDialog(bool ok);
    // Creates the numeric scale bar of the given pixel length at (40, 40).
    // Returns its id, -1 when the canvas refused it.
    int CreateScaleBar(double pixelLength);
    // Recalibrates from the bar's current length: the scale value stays, the
    // pixel length follows the bar.
    void RecalibrateFromBar(TMyShape* bar);
    // Recomputes the ruler settings, the canvas grid and the canvas Ratio.
    void UpdateRulers();

    // "Maßstab" -> "Grafisch" and the button "Maßstab grafisch ermitteln".
    void GraphicScaleCommand();
    // "Maßstab" -> "Numerisch".
    void NumericScaleCommand();
    // The line drawn during graphic calibration (tool mode 2) was added.
    void ScaleLineAdded(TMyShape* line);
    // "Maßstab" -> "Anzeigen": shows or hides the scale bar.
    void SetShowScaleBar(bool show);
    // Applies the "Anzeigen" check to the bar, when there is one.
    void ApplyShowScaleBar();

    // The bar's info text: "M: " + value + " " + unit.
    static QString BarInfoText(const QString& scaleValue, const QString& unitText);

private:
    // Asks before an existing bar is replaced; false when the operator keeps it.
    bool ReplaceExistingBar(bool graphic);
    // Writes the scale bar's identity and texts onto a shape.
    void MarkAsScaleBar(TMyShape* bar, double pixelLength);

    WorkbenchState& m_state;
    TMyCAD& m_cad;
    OperatorPrompt& m_prompt;
    const LanguageTable& m_texts;
    Hooks m_hooks;
    ScaleDialogModel m_dialog;
    RulerSettings m_rulers;
    QChar m_separator = QLatin1Char('.');
};
