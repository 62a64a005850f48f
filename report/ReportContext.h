#pragma once

#include "report/ReportPresenter.h"
#include "report/ReportVariables.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <memory>
#include <vector>

class QPagedPaintDevice;
class TMyCAD;

// Modes of RunReport, numbered as the library has always numbered them.
enum ReportOutput : int { roPrint = 0, roImage = 1, roPreview = 2 };

// One open report: the design canvas filled from a template, the result data file
// it is filled from, the current printer and the windows' presenter. The designer
// window shows this object; the library's exported functions create and destroy it.
// Every output is made from a working copy of the design, so no output changes it.
class ReportContext
{
public:
    ReportContext();
    ~ReportContext();
    ReportContext(const ReportContext&) = delete;
    ReportContext& operator=(const ReportContext&) = delete;

    // The design canvas: A4 portrait in millimetres until a template replaces it.
    TMyCAD& MyCADPrint() { return *m_design; }
    // The settings the designer gives its page canvas (unit, page, grid, snapping,
    // default font...); the preview's canvas takes them too.
    static void ApplyDesignerSettings(TMyCAD& canvas);

    // --- template and design ---
    // Loads the template archive into the design; false (design unchanged) when it
    // cannot be used, the reason then being in StatusText().
    bool LoadReportTemplate(const QString& archivePath);
    // "Save Report": writes the design as a template archive (atomically).
    bool SaveReportTemplate(const QString& archivePath, QString* error = nullptr);
    // "Open Report": a ".zrp" template or a raw ".nrd" design.
    bool OpenReport(const QString& path);
    // The last message of the template archive component (the designer's status bar).
    const QString& StatusText() const { return m_statusText; }

    // --- result data ---
    // Remembers the result data file and reads its rows for the variable editor.
    // The file is read again at every output; a missing file gives no rows.
    void LoadResultData(const QString& path);
    const QString& ResultFileName() const { return m_resultFileName; }
    // The rows read by the last LoadResultData (the editor's variable grid).
    const std::vector<ReportVariables::Row>& VariableRows() const { return m_variableRows; }
    // The editor's "Preview": a text filled from the current result data file.
    QString PreviewText(const QString& text, const QStringList& names) const;

    // --- output ---
    // Makes a working copy of the design, fills it from the result data file and
    // outputs it: roPrint on Printer(), roImage into ImagePage() (shown by the
    // presenter when there is one), roPreview through the presenter, or without one
    // into PreviewPage(). False after an error, which has been shown.
    bool RunReport(ReportOutput mode);
    // The current printer: the system's default (made by the installed printer
    // factory) until a window or caller replaces it; null when there is none.
    QPagedPaintDevice* Printer();
    void SetPrinter(std::unique_ptr<QPagedPaintDevice> printer);
    // The page of the last roImage run (the image window's picture).
    const QImage& ImagePage() const { return m_imagePage; }
    // The page of the last roPreview run made without a presenter.
    const QImage& PreviewPage() const { return m_previewPage; }

    // Writes the filled report to a PDF file (printed through Qt's PDF writer) or a
    // PNG picture (rendered at `dpi`), by the file's extension, replacing the file
    // atomically. False with the reason in `error`.
    bool ExportReport(const QString& outPath, QString* error = nullptr, int dpi = 300);

    // --- windows ---
    // The caller's window that was active when the report was opened; the
    // windows of the library stay in front of it. May be null.
    QWindow* OwnerWindow() const { return m_ownerWindow; }
    void SetOwnerWindow(QWindow* window) { m_ownerWindow = window; }
    ReportPresenter* Presenter() const { return m_presenter.get(); }
    void SetPresenter(std::unique_ptr<ReportPresenter> presenter) { m_presenter = std::move(presenter); }

private:
    // A copy of the design filled from the result data file; nothing after an error
    // (shown). `filled` tells whether the variables could be filled without an error.
    // Pictures keep the pixels their boxes show at `outputZoom` pixels per canvas unit.
    std::unique_ptr<TMyCAD> MakeWorkingCopy(double outputZoom, bool& filled);
    void ResetDesign();
    // Output pixels per canvas unit of a mode.
    double OutputZoom(ReportOutput mode);

    std::unique_ptr<TMyCAD> m_design;
    QString m_resultFileName;
    std::vector<ReportVariables::Row> m_variableRows;
    QString m_statusText;
    std::unique_ptr<QPagedPaintDevice> m_printer;
    QImage m_imagePage;
    QImage m_previewPage;
    QPointer<QWindow> m_ownerWindow;
    std::unique_ptr<ReportPresenter> m_presenter;
};
