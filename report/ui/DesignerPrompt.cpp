#include "report/ui/DesignerPrompt.h"

#include <QPrintDialog>
#include <QPrinter>

DesignerPrompt::DesignerPrompt(QWidget* owner)
    : DialogPrompt(owner, QStringLiteral("Prelvo"), QMessageBox::Warning)
{
}

bool DesignerPrompt::AskPrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer, Owner());
    return dialog.exec() == QDialog::Accepted;
}

void DesignerPrompt::AskPrinterSetup(QPrinter& printer)
{
    QPrintDialog dialog(&printer, Owner());
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
}
