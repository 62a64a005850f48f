#pragma once

#include <QImage>

#include <functional>
#include <memory>

class ReportContext;
class TMyCAD;

// What the report engine needs from the windows of the report library: the preview,
// the image window and the designer. The windows implement it; the engine never
// opens a window itself, so without a presenter it runs headless.
class ReportPresenter
{
public:
    virtual ~ReportPresenter() = default;

    // Shows the filled page modally until the user closes it. `page` is the working
    // copy of this run and dies afterwards: a preview copies it into its own canvas
    // (ReportPageOutput::CopyCanvas). Printing from the preview runs the report again
    // (ReportContext::RunReport with roPrint), so the print is made afresh.
    virtual void ShowPreview(ReportContext& context, TMyCAD& page) = 0;

    // Shows the rendered page in the image window modally.
    virtual void ShowImage(ReportContext& context, const QImage& page) = 0;

    // Shows the designer on the report's design canvas modally.
    virtual void ShowDesigner(ReportContext& context) = 0;
};

// Makes the presenter of a new report context; installed by the library's windows
// when they are built in. Nothing when the process cannot show windows.
using ReportPresenterFactory = std::function<std::unique_ptr<ReportPresenter>(ReportContext& context)>;

// The factory installed by the library's windows; empty while they are not built in.
ReportPresenterFactory& InstalledPresenterFactory();
