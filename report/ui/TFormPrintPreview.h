#pragma once

#include "report/ui/PageScrollBox.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLineEdit;
class QPrinter;
class PageScrollBox;
class QStatusBar;
class ReportContext;
class TFormPrelvoLang;
class TMyCAD;

// "Print Preview": the filled page of one report run, shown modally and on top of
// other windows. "Print" asks for the printer and prints the report afresh from
// the design and the data file; the zoom buttons work as in the designer; typing
// the hidden access code opens the designer. Each time it is shown its texts come
// from "PrelvoLang.ini" beside the program.
class TFormPrintPreview : public QDialog
{
    Q_OBJECT
public:
    // `page` is copied into the preview's own canvas; the preview does not keep it.
    TFormPrintPreview(ReportContext& context, TMyCAD& page, QWidget* parent = nullptr);
    ~TFormPrintPreview() override;

    TMyCAD& MyCADPreview() const { return *m_canvas; }
    QString StatusText() const;
    QString PrinterText() const;
    bool StaysOnTop() const;
    // The language window while the preview is shown; null otherwise.
    TFormPrelvoLang* FormLang() const { return m_formLang; }

    // The commands, as the buttons run them.
    PageScrollBox& ScrollBoxPrint() const { return *m_scrollBox; }
    void FitHeight() { ScrollBoxPrint().FitHeight(); }
    void FitWidth() { ScrollBoxPrint().FitWidth(); }
    void ZoomIn() { ScrollBoxPrint().ZoomIn(); }
    void ZoomOut() { ScrollBoxPrint().ZoomOut(); }
    void PrintClick();
    // One typed character of the hidden access code.
    void TypeCharacter(QChar typed);

    // Asks for the printer before printing; a print dialog unless replaced
    // (tests). True to print.
    std::function<bool(QPrinter& printer)> AskPrinter;
    // The language file applied when shown; "PrelvoLang.ini" beside the program.
    QString LanguageFilePath;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Translate();
    void SetStayOnTop(bool onTop);

    ReportContext& m_context;
    std::unique_ptr<TMyCAD> m_canvas;
    QLineEdit* m_editPrinter;
    PageScrollBox* m_scrollBox;
    QStatusBar* m_statusBar;
    TFormPrelvoLang* m_formLang = nullptr;
    bool m_leftTopForGood = false;
};
