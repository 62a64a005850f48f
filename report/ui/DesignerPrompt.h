#pragma once

#include "common/ui/DialogPrompt.h"

class QPrinter;

// The designer's questions: the shared ones by dialogs (file names, messages) and
// the printer dialogs printing needs. Tests replace it with scripted answers.
class DesignerPrompt : public DialogPrompt
{
public:
    explicit DesignerPrompt(QWidget* owner);

    // The print dialog; true to print.
    virtual bool AskPrinter(QPrinter& printer);
    // The printer setup dialog; the printer chosen there stays with the report.
    virtual void AskPrinterSetup(QPrinter& printer);
};
