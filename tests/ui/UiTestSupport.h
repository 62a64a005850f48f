#pragma once

#include "tests/support/TestSupport.h"
#include "workbench/ui/TFormMain.h"

#include <QApplication>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The window tests' helpers: one QApplication on the offscreen platform, modal
// dialogs answered by queued handlers, and a main window in a temporary program
// folder.
namespace UiTest {

// Runs `handler` on the next modal dialog that opens (in queue order). A
// handler must close its dialog.
void OnNextDialog(std::function<void(QWidget* dialog)> handler);
// How many queued handlers have not run yet.
int PendingDialogs();
// Handlers for common answers.
void PressButton(QWidget* dialog, const QString& text);
QString DialogText(QWidget* dialog);
// Processes events for the given milliseconds.
void Wait(int milliseconds);

// A main window whose program folder is a temporary folder holding the given
// shipped files (names under data/, copied with their base name).
class MainWindowFixture : public ::testing::Test
{
protected:
    void Create(
        const QStringList& shippedFiles = { QStringLiteral("PelorixLang.ini"), QStringLiteral("help/Pelorix.html") },
        const QString& hostFile = QString());
    void TearDown() override;
    // The dialogs shown so far (title and text), in order.
    QStringList& Shown() { return m_shown; }
    // A copy of the sample case in the temporary folder; returns its exchange file.
    QString CopySample();

    TestSupport::TempDir m_dir;
    std::unique_ptr<TFormMain> m_window;
    QStringList m_shown;
};

} // namespace UiTest
