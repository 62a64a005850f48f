#pragma once

#include "common/MessageSink.h"
#include "common/ui/DialogPrompt.h"
#include "report/ReportPresenter.h"

#include <functional>
#include <memory>

class TFormPrintCAD;
class TFormPrintImage;
class TFormPrintPreview;

// The windows of the report library for one open report: the preview, the image
// window (kept for the report's life) and the designer. While it lives the
// library's messages (MessageSink) are shown by a DialogPrompt in message boxes.
class ReportWindows : public ReportPresenter
{
public:
    ReportWindows();
    ~ReportWindows() override;

    void ShowPreview(ReportContext& context, TMyCAD& page) override;
    void ShowImage(ReportContext& context, const QImage& page) override;
    void ShowDesigner(ReportContext& context) override;

    TFormPrintImage& FormPrintImage() { return *m_formPrintImage; }
    // The designer, made at its first showing and kept (with its zoom and
    // selection) until the report is closed; null before.
    TFormPrintCAD* FormPrintCAD() const { return m_formPrintCAD.get(); }

    // Installs the windows as the presenter of every report opened from now on in a
    // program with a widget application; other programs get none (export only).
    static void Install();

    // Called with each preview before it is shown modally (tests script it).
    static std::function<void(TFormPrintPreview&)>& OnPreviewCreated();
    // Called with the designer each time before it is shown modally (tests script it).
    static std::function<void(TFormPrintCAD&)>& OnDesignerShown();

private:
    std::unique_ptr<TFormPrintImage> m_formPrintImage;
    std::unique_ptr<TFormPrintCAD> m_formPrintCAD;
    DialogPrompt m_messages;
    MessageSink::Handler m_previousSink;
};
