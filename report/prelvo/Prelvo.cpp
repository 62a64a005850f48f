// The exported functions of the report library. The report context is the one
// global state of the library: created by InitReport, destroyed by CloseReport.
#include "report/prelvo/Prelvo.h"

#include "common/MessageSink.h"
#include "report/ReportContext.h"
#include "report/ReportMessages.h"
#include "report/ui/ReportWindows.h"

#include <QFile>
#include <QGuiApplication>

#include <memory>

namespace {

// Declared before the context so that it is destroyed after it.
std::unique_ptr<QGuiApplication> g_ownApplication;
std::unique_ptr<ReportContext> g_report;

// A caller without an application object (a plain C program, a test) gets one for
// the time a report is open, on the offscreen platform: it can export but shows no
// window.
void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    // The application keeps references to both and takes the options out of argv,
    // so they are static and set afresh for every report.
    static char name[] = "Prelvo";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static int argc;
    static char* argv[4];
    argc = 3;
    argv[0] = name;
    argv[1] = platformOption;
    argv[2] = platform;
    argv[3] = nullptr;
    g_ownApplication = std::make_unique<QGuiApplication>(argc, argv);
}

// Texts and fonts need a GUI application object; a console-only caller cannot render.
bool CanRender()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QString Path(const char* text)
{
    return text ? QFile::decodeName(text) : QString();
}

// The presenter when the caller can show Prelvo's windows; a message and nothing otherwise.
ReportPresenter* OpenPresenter()
{
    if (!g_report) {
        MessageSink::Show(ReportMessages::kNoReport);
        return nullptr;
    }
    if (!g_report->Presenter())
        MessageSink::Show(ReportMessages::kNoWindows);
    return g_report->Presenter();
}

} // namespace

extern "C" {

PRELVO_API bool InitReport(const char* templatePath, const char* resultDataPath)
{
    if (g_report)
        return false;
    // The windows come with the library; a program without widgets gets none.
    ReportWindows::Install();
    EnsureApplication();
    g_report = std::make_unique<ReportContext>();
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        g_report->SetOwnerWindow(gui->focusWindow());
    if (InstalledPresenterFactory() && !g_ownApplication)
        g_report->SetPresenter(InstalledPresenterFactory()(*g_report));
    g_report->LoadReportTemplate(Path(templatePath));
    g_report->LoadResultData(Path(resultDataPath));
    return true;
}

PRELVO_API bool ShowReport()
{
    if (!OpenPresenter())
        return false;
    g_report->RunReport(roPreview);
    return true;
}

PRELVO_API bool DesignReport()
{
    ReportPresenter* presenter = OpenPresenter();
    if (!presenter)
        return false;
    presenter->ShowDesigner(*g_report);
    return true;
}

PRELVO_API bool CloseReport()
{
    g_report.reset();
    g_ownApplication.reset();
    return true;
}

PRELVO_API bool ExportReport(const char* outPath)
{
    if (!g_report) {
        MessageSink::Show(ReportMessages::kNoReport);
        return false;
    }
    if (!CanRender()) {
        MessageSink::Show(QStringLiteral("Prelvo needs a GUI application object to render a report."));
        return false;
    }
    QString error;
    if (!g_report->ExportReport(Path(outPath), &error)) {
        MessageSink::Show(error);
        return false;
    }
    return true;
}

} // extern "C"
