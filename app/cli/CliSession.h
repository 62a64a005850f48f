#pragma once

#include "workbench/DefaultAnswerPrompt.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QStringList>

#include <optional>

// Default answers; the messages are kept and go to stderr once the command knows
// whether it failed (then only its one line is printed).
class CliPrompt : public DefaultAnswerPrompt
{
public:
    void ShowMessage(const QString& text) override { m_messages << text; }
    void ShowInformation(const QString& title, const QString& text) override;
    void PrintMessages() const;

private:
    QStringList m_messages;
};

// A workbench with its prompt, as the main window holds them, set up as the
// window sets it up (Pelorix.ini beside the program).
struct CliSession
{
    CliSession();

    CliPrompt prompt;
    Workbench workbench { prompt };
    MeasurementFile files { workbench };

    // Prints the kept messages and returns kExitOk.
    int Succeed();
};

// Loads a measurement file over the picture, when one is given (the picture file
// is the operator's and is never deleted). The reason when it cannot be used.
std::optional<QString> LoadMeasurement(CliSession& session, const QString& path, const std::optional<QString>& picture);
