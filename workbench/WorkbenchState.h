#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

#include <cstdint>

// Values of ToolMode: what the next shape the canvas adds means.
enum WorkbenchToolMode : uint8_t {
    ToolModeMeasure = 0, // an ordinary measurement
    ToolModeGraphicScale = 2, // the next line is the graphic calibration line
    ToolModeScaleBar = 3, // the numeric scale bar is being created
    ToolModeLabelPending = 13, // the next shape is the label placeholder
    ToolModeLabelCreate = 14, // the label text shape is being created
    ToolModeBorder = 15 // the exclusion border is being created
};

// Values of RulerUnit: the unit the rulers show.
enum WorkbenchRulerUnit : uint8_t { RulerMillimetres = 3, RulerPixels = 5, RulerNone = 6 };

// The measuring tool buttons that act as one group (at most one down, all may be up).
enum class ToolButton : uint8_t {
    None,
    Select, // "Auswahlmodus"
    QuickHairCount, // "Schnellzähl-Werkzeug"
    Line, // "Strecken messen, Strg-Taste für Mehrfachmessung"
    MultLine, // "Strecken messen"
    Spline, // "Curved Hair "
    MultSpline, // "Gebogene Linien"
    FollicularUnit, // "Ellipse, mit Umschalt-Taste Kreis, Strg-Taste für Mehrfachmessung"
    MultFollicularUnit, // "Ellipse, mit Umschalt-Taste Kreis"
    Label, // "Beschriftung einfügen"
    Measure // "Maßstab grafisch ermitteln"
};

// The cursor the canvas shows.
enum class CanvasCursor : uint8_t { Measure, MeasureAdd, Scale };

// What the window's tool bar, sliders, menu checks and status bar show. The
// workbench keeps it current; the window only mirrors it.
struct ToolBarState
{
    ToolButton down = ToolButton::None;
    bool showBorder = true; // "Show Border"
    bool showHairs = true; // "Show / Hide Hairs"
    bool showGrid = false; // "Gitter anzeigen"
    bool showResults = true; // "Ergebnisse anzeigen"
    bool showScaleBar = true; // menu check "Maßstab" -> "Anzeigen"
    int thickness = 500; // thickness slider, hundredths of an image pixel (1 to 5000)
    bool thicknessEnabled = true;
    // Set when the slider should take the keyboard focus; the window clears it.
    bool thicknessFocusRequested = false;
    int zoomPosition = 0; // zoom slider, -80 to 80
    QString zoomHint = QStringLiteral("Zoom"); // the zoom slider's hint
    CanvasCursor cursor = CanvasCursor::Measure;
    QString statusZoom; // status panel 0
    QString statusImageName; // status panel 1
    QString statusImageSize; // status panel 2
    QString statusMouse; // status panel 3
};

// The workbench state shared by the measuring commands: tool mode, zoom,
// calibration, counters and sums, the ids of special shapes and layers, colours.
struct WorkbenchState
{
    uint8_t ToolMode = ToolModeMeasure;
    bool ImageLoaded = false;
    double Zoom = 1.0; // screen pixels per image pixel
    double Scale = 1.0; // length unit per image pixel
    uint8_t RulerUnit = RulerPixels;
    int ImageWidth = 0;
    int ImageHeight = 0;
    QString UnitText = QStringLiteral("Pixel"); // "Pixel" (not calibrated), "mm", "µm" or "cm"
    QString AreaUnitText = QStringLiteral("Pixel"); // UnitText + "²", or "Pixel" when uncalibrated
    int RefreshShapeId = 0; // the shape the refresh timer re-evaluates
    int ScaleBarId = -1;
    int BorderId = -1;
    bool AlwaysKeepSelecton = false; // drawing tools stay active after each shape
    int HairCount = 0; // straight and curved hairs including quick-count marks
    int VellusCount = 0;
    int TerminalCount = 0;
    int QuickCount = 0;
    double ThicknessSum = 0.0; // in UnitText
    double LengthSum = 0.0; // in UnitText
    int FollicularUnitCount = 0;
    bool DirectHelpPending = false;
    QString HelpFilePath;
    int64_t EvaluatedArea = 0; // image pixels inside the evaluated field
    // The loaded measurement names no patient: the name row says so and saving writes none.
    bool PatientDataMissing = false;
    int BorderLayerId = 0;
    int HairLayerId = 0;
    TColor SWColor = -1;
    TColor PenColor = 0x606060;
    TColor PenFUColor = 0x909090;

    ToolBarState ui;
};
