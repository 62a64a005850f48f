#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>

// The shared questions of a Prompt (or of an interface extending it) answered from
// scripts queued by the test, with everything asked recorded. Unscripted questions
// get Yes/OK and unscripted file dialogs count as cancelled.
template <typename Base = Prompt> class ScriptedQuestions : public Base
{
public:
    std::deque<bool> yesNo;
    std::deque<bool> okCancel;
    std::deque<std::optional<QString>> fileNames; // unscripted file dialogs are cancelled

    QStringList questions; // titles of yes/no and OK/Cancel questions
    QStringList messages; // plain messages
    QList<std::pair<QString, QString>> informations; // titled messages
    QList<FileDialogRequest> fileRequests; // the file dialogs shown

    bool AskYesNo(const QString& title, const QString&) override
    {
        questions << title;
        return Next(yesNo, true);
    }
    bool AskOkCancel(const QString& title, const QString&) override
    {
        questions << title;
        return Next(okCancel, true);
    }
    void ShowMessage(const QString& text) override { messages << text; }
    void ShowInformation(const QString& title, const QString& text) override { informations.append({ title, text }); }
    std::optional<QString> AskFileName(const FileDialogRequest& request) override
    {
        fileRequests.append(request);
        return Next(fileNames, std::optional<QString>());
    }

protected:
    template <typename T> static T Next(std::deque<T>& queue, T fallback)
    {
        if (!queue.empty()) {
            std::swap(fallback, queue.front());
            queue.pop_front();
        }
        return fallback;
    }
};
