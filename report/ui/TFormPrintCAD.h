#pragma once

#include "canvas/CanvasTypes.h"
#include "report/ReportDesigner.h"
#include "report/ui/PageScrollBox.h"

#include <QDialog>

#include <map>
#include <memory>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QPrinter;
class QStatusBar;
class DesignerPrompt;
class ReportContext;
class TComponentComboBox;
class TComponentInspector;
class TFormMyCADStringEditor;
class TMyCAD;
class TMyShape;

// "Report Designer": the page canvas of the report's design with tools to place
// lines, boxes, ellipses, texts and pictures, the variable editor ("V"), the shape
// chooser and the property inspector, printing, the image output and the preview.
// Shown modally on request; closing only hides it, and design, zoom and selection
// stay for the next showing. The commands are ReportDesigner's; the window runs them
// and shows their outcome, and asks through its DesignerPrompt. Every key typed in the window is seen first: the arrow
// keys nudge the selection, Delete deletes it and Escape returns to selecting, even
// while a field of the inspector has the focus.
class TFormPrintCAD : public QDialog
{
    Q_OBJECT
public:
    explicit TFormPrintCAD(ReportContext& context, QWidget* parent = nullptr);
    ~TFormPrintCAD() override;

    TMyCAD& MyCADPrint() const;
    ReportDesigner& Designer() { return m_designer; }
    PageScrollBox& ScrollBoxPrint() const { return *m_scrollBox; }
    TComponentInspector& ComponentInspector() const { return *m_inspector; }
    TComponentComboBox& ComponentComboBox() const { return *m_componentCombo; }
    TFormMyCADStringEditor& FormMyCADStringEditor() const { return *m_stringEditor; }
    QString StatusText() const;
    QString PrinterText() const;
    // The tool button that is down (its object name), empty when none.
    QString ToolButtonDown() const;

    // --- commands, as the buttons, menus and keys run them ---
    void ChooseTool(TDrawTool tool);
    void EditVariables();
    void BringSelectionToFront();
    void SendSelectionToBack();
    void RefreshCanvas();
    void PrintClick();
    void PrinterSetupClick();
    void ImageClick();
    void PreviewClick();
    void FitHeight() { ScrollBoxPrint().FitHeight(); }
    void FitWidth() { ScrollBoxPrint().FitWidth(); }
    void ZoomIn() { ScrollBoxPrint().ZoomIn(); }
    void ZoomOut() { ScrollBoxPrint().ZoomOut(); }
    void OpenReportClick();
    void SaveReportClick();
    void LoadResultFileClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    // A key pressed anywhere in the window; true when the designer took it.
    bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);
    // Takes the page size from the current printer and shows its name.
    void UpdatePrinterPage();

    // The questions of the commands: dialogs until replaced (tests script them). The
    // prompt must outlive the window or be replaced before it goes.
    DesignerPrompt& Questions() const { return *m_prompt; }
    void SetPrompt(DesignerPrompt& prompt);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void BuildTools(QWidget* panel);
    void ConnectCanvas();
    void ShowComponent(TMyShape* shape);
    void ListComponents();
    void SetToolButton(TDrawTool tool);
    // After a command that may have added, removed or reordered shapes.
    void DesignChanged();

    ReportContext& m_context;
    std::unique_ptr<DesignerPrompt> m_ownPrompt;
    DesignerPrompt* m_prompt;
    ReportDesigner m_designer;
    PageScrollBox* m_scrollBox = nullptr;
    QLineEdit* m_editPrinter = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QButtonGroup* m_tools = nullptr;
    std::map<TDrawTool, QAbstractButton*> m_toolButtons;
    TComponentComboBox* m_componentCombo = nullptr;
    TComponentInspector* m_inspector = nullptr;
    std::unique_ptr<TFormMyCADStringEditor> m_stringEditor;
    bool m_filteringKeys = false;
};
