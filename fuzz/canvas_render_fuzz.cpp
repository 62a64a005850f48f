// Drawing damaged canvas files: whatever a canvas stream loads (coordinates of any
// size, NaN, empty or huge pictures, broken groups, settings out of range) must paint,
// render as a page, give a selection picture and export as a metafile without a
// crash, undefined behaviour or a hang.
#include "canvas/TMyCAD.h"
#include "canvas/WmfWriter.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>

#include <cstdint>

namespace {

// Text drawing needs the font engine, which lives in a GUI application object. It
// stays for the life of the process: destroyed among the exit handlers it would
// outlive parts of Qt it needs.
void EnsureApplication()
{
    static QGuiApplication* app = nullptr;
    if (app != nullptr || QCoreApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "canvas_render_fuzz";
    static char* argv[] = { name, nullptr };
    app = new QGuiApplication(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureApplication();
    QBuffer input;
    input.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    input.open(QIODevice::ReadOnly);
    TMyCAD cad;
    cad.LoadFromStream(input);
    for (int i = 0; i < cad.ShapeCount(); ++i)
        cad.SelectShape(cad.ShapeByIndex(i));
    cad.SelectionPicture();

    QImage screen(64, 64, QImage::Format_RGB32);
    {
        QPainter painter(&screen);
        cad.Paint(painter, QRect(0, 0, 64, 64));
        cad.SetZoom(2.5);
        cad.Paint(painter, QRect(0, 0, 64, 64));
    }
    cad.RenderPage({}, 0.05);
    WmfWriter metafile(QSize(64, 64));
    {
        QPainter painter(&metafile);
        cad.PaintPage(painter, QSize(64, 64), 0.1, {}, true);
    }
    if (metafile.Bytes().size() < 40)
        std::abort();
    return 0;
}
