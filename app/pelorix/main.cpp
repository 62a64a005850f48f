// Pelorix, the hair-measuring workbench.
//   pelorix [EXCHANGE.ini]
// A host program hands over a picture with the patient's data in an exchange
// file named as the first argument.
//   pelorix --screenshot OUT.png [EXCHANGE.ini]
// draws a few hairs with simulated mouse input after the start-up and saves a
// picture of the window (used by scripts/screenshot).
#include "PelorixApplication.h"
#include "ScreenshotDriver.h"

#include "workbench/ui/TFormMain.h"

#include <QCommandLineParser>
#include <QGuiApplication>

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
    parser.addPositionalArgument(QStringLiteral("exchange"), QStringLiteral("Host exchange file to import."),
        QStringLiteral("[EXCHANGE.ini]"));
    parser.process(app);

    TFormMain::Options options;
    if (!parser.positionalArguments().isEmpty())
        options.hostFile = parser.positionalArguments().front();
    TFormMain window(options);
    window.show();
    std::unique_ptr<ScreenshotDriver> driver;
    if (parser.isSet(screenshot))
        driver = std::make_unique<ScreenshotDriver>(window, parser.value(screenshot));
    return app.exec();
}
