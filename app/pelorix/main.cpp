// Pelorix, the hair-measuring workbench.
//   pelorix [EXCHANGE.ini | MEASUREMENT.nvm | TEMPLATE.zrp]
// A host program hands over a picture with the patient's data in an exchange
// file named as the first argument. A measurement file opens as "Messung laden"
// opens it; a report template opens in the report designer (a double click on
// either file in a file manager starts Pelorix so).
//   pelorix --screenshot OUT.png [EXCHANGE.ini]
// draws a few hairs with simulated mouse input after the start-up and saves a
// picture of the window (used by scripts/screenshot).
//   pelorix --screenshot OUT.png --report-screenshots [EXCHANGE.ini]
// then also prints: saves the print preview as OUT-preview.png and, opened from
// the preview with its access code, the report designer as OUT-designer.png.
//   pelorix --language-template OUT.ini
// writes every text of every window as a language file to translate.
#include "PelorixApplication.h"
#include "ScreenshotDriver.h"

#include "common/ui/LanguageTemplate.h"
#include "workbench/PrintBridge.h"
#include "workbench/ui/TFormMain.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>

namespace {

// Opens a report template in the report library's designer; returns when it closes.
int DesignTemplate(const QString& path)
{
    QLibrary library(PrintBridge::LibraryPath());
    using Init = bool (*)(const char*, const char*);
    using Call = bool (*)();
    const auto init = reinterpret_cast<Init>(library.resolve("InitReport"));
    const auto design = reinterpret_cast<Call>(library.resolve("DesignReport"));
    const auto close = reinterpret_cast<Call>(library.resolve("CloseReport"));
    if (!init || !design || !close) {
        std::fprintf(stderr, "pelorix: %s cannot be loaded\n", qPrintable(library.fileName()));
        return 1;
    }
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    if (!init(name.constData(), ""))
        return 1;
    const bool shown = design();
    close();
    return shown ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Fractional screen scales draw at their real size instead of rounding, so
    // the canvas, icons and text stay sharp on high-resolution screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    PelorixApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pelorix hair-measuring workbench"));
    parser.addHelpOption();
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
        QStringLiteral("Draw a few hairs after the start-up, save a picture of the window and quit."),
        QStringLiteral("OUT.png"));
    parser.addOption(screenshot);
    QCommandLineOption reportScreenshots(QStringLiteral("report-screenshots"),
        QStringLiteral("With --screenshot, also save the print preview and the report designer."));
    parser.addOption(reportScreenshots);
    QCommandLineOption drawHairs(QStringLiteral("draw-hairs"),
        QStringLiteral("With --screenshot, draw the hairs recorded in this file (the sample's truth)."),
        QStringLiteral("HAIRS.json"));
    parser.addOption(drawHairs);
    QCommandLineOption language(QStringLiteral("language"),
        QStringLiteral("Start in this language (de or en) without remembering it."), QStringLiteral("LANGUAGE"));
    parser.addOption(language);
    QCommandLineOption languageTemplate(QStringLiteral("language-template"),
        QStringLiteral("Write every text of every window as a language file and quit."), QStringLiteral("OUT.ini"));
    parser.addOption(languageTemplate);
    QCommandLineOption compare(QStringLiteral("compare"),
        QStringLiteral("After the start-up, compare the measurement with a second visit's file."),
        QStringLiteral("SECOND.nvm"));
    parser.addOption(compare);
    parser.addPositionalArgument(
        QStringLiteral("exchange"), QStringLiteral("Host exchange file to import."), QStringLiteral("[EXCHANGE.ini]"));
    parser.process(app);

    TFormMain::Options options;
    if (!parser.positionalArguments().isEmpty()) {
        const QString file = parser.positionalArguments().front();
        const QString suffix = QFileInfo(file).suffix().toLower();
        if (suffix == QLatin1String("zrp"))
            return DesignTemplate(file);
        if (suffix == QLatin1String("nvm"))
            options.openFile = file;
        else
            options.hostFile = file;
    }
    if (parser.isSet(languageTemplate)) {
        options.startupTimer = false;
        TFormMain window(options);
        QSaveFile out(parser.value(languageTemplate));
        if (!out.open(QIODevice::WriteOnly) || out.write(LanguageTemplate::Build(window.Windows())) < 0
            || !out.commit()) {
            std::fprintf(stderr, "pelorix: cannot write %s\n", qPrintable(parser.value(languageTemplate)));
            return 1;
        }
        return 0;
    }
    options.language = parser.value(language);
    TFormMain window(options);
    window.show();
    if (parser.isSet(compare)) {
        // Once the start-up (and its host import) is done.
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, path = parser.value(compare)] {
            if (!window.StartupDone())
                return;
            poll->stop();
            window.OpenComparison(path);
        });
        poll->start(200);
    }
    std::unique_ptr<ScreenshotDriver> driver;
    if (parser.isSet(screenshot))
        driver = std::make_unique<ScreenshotDriver>(
            window, parser.value(screenshot), parser.isSet(reportScreenshots), parser.value(drawHairs));
    return app.exec();
}
