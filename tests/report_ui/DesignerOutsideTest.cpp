// What Prelvo's designer hands to the world outside: the selection's picture on the
// system clipboard, the printer choice, and messages shown as plain text.
#include "canvas/TMyCAD.h"
#include "common/MessageSink.h"
#include "report/ReportContext.h"
#include "report/ui/ReportWindows.h"
#include "report/ui/TFormPrintCAD.h"
#include "tests/support/AppEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

// Hands the next modal dialog to `inspect`, then closes it.
void OnNextModal(std::function<void(QWidget*)> inspect)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        inspect(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    timer->start();
}

} // namespace

TEST(DesignerOutside, Kopieren_PutsThePictureOfTheSelectionOnTheSystemClipboard)
{
    (void)kRegistered;
    ReportContext context;
    TFormPrintCAD designer(context);
    TMyCAD& canvas = context.MyCADPrint();
    const int id = canvas.AddShape(SpRectangle, QString(), 0.0f,
        { QPointF(20, 20), QPointF(80, 20), QPointF(80, 60), QPointF(20, 60) }, QStringLiteral("Rect"));
    canvas.SelectShapeById(id, true);
    QApplication::clipboard()->clear();
    designer.CopyClick();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST(DesignerOutside, PrinterSetup_OffersThePrinterChoice)
{
    ReportContext context;
    TFormPrintCAD designer(context);
    bool printDialog = false;
    OnNextModal([&](QWidget* modal) { printDialog = qobject_cast<QPrintDialog*>(modal) != nullptr; });
    designer.PrinterSetupClick();
    EXPECT_TRUE(printDialog);
}

TEST(DesignerOutside, Messages_ShowValuesAndPathsAsPlainText)
{
    ReportWindows windows;
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    OnNextModal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            format = box->textFormat();
            shown = box->text();
        }
    });
    MessageSink::Show(QStringLiteral("<b>x"));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, QStringLiteral("<b>x"));
}
