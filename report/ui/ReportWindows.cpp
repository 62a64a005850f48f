#include "report/ui/ReportWindows.h"

#include "report/ReportContext.h"
#include "report/ui/ReportPrinting.h"
#include "report/ui/TFormPrintCAD.h"
#include "report/ui/TFormPrintImage.h"
#include "report/ui/TFormPrintPreview.h"

#include <QApplication>
#include <QWindow>

namespace {

// The library's windows stay in front of the caller's window that was active when
// the report was opened.
void BelongToOwner(QWidget& window, const ReportContext& context)
{
    if (!context.OwnerWindow())
        return;
    window.winId();
    if (QWindow* handle = window.windowHandle())
        handle->setTransientParent(context.OwnerWindow());
}

} // namespace

ReportWindows::ReportWindows()
    : m_formPrintImage(std::make_unique<TFormPrintImage>())
    , m_messages(nullptr, QStringLiteral("Prelvo"), QMessageBox::Warning)
{
    // Messages carry file names and variable values: the prompt shows them as plain text.
    m_previousSink = MessageSink::SetHandler([this](const QString& text) { m_messages.ShowMessage(text); });
}

ReportWindows::~ReportWindows()
{
    // The designer goes before the report's design it shows.
    m_formPrintCAD.reset();
    MessageSink::SetHandler(m_previousSink);
}

void ReportWindows::ShowPreview(ReportContext& context, TMyCAD& page)
{
    TFormPrintPreview preview(context, page);
    BelongToOwner(preview, context);
    if (OnPreviewCreated())
        OnPreviewCreated()(preview);
    preview.exec();
}

void ReportWindows::ShowImage(ReportContext& context, const QImage& page)
{
    m_formPrintImage->SetPicture(page);
    BelongToOwner(*m_formPrintImage, context);
    m_formPrintImage->exec();
}

void ReportWindows::ShowDesigner(ReportContext& context)
{
    if (!m_formPrintCAD)
        m_formPrintCAD = std::make_unique<TFormPrintCAD>(context);
    BelongToOwner(*m_formPrintCAD, context);
    if (OnDesignerShown())
        OnDesignerShown()(*m_formPrintCAD);
    m_formPrintCAD->exec();
}

void ReportWindows::Install()
{
    ReportPrinting::Install();
    InstalledPresenterFactory() = [](ReportContext&) -> std::unique_ptr<ReportPresenter> {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return nullptr;
        return std::make_unique<ReportWindows>();
    };
}

std::function<void(TFormPrintPreview&)>& ReportWindows::OnPreviewCreated()
{
    static std::function<void(TFormPrintPreview&)> hook;
    return hook;
}

std::function<void(TFormPrintCAD&)>& ReportWindows::OnDesignerShown()
{
    static std::function<void(TFormPrintCAD&)> hook;
    return hook;
}
