#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The help window: shows the HTML help file and jumps to the topic of a help
// context number (each topic is a <section id="NNNN">).
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Opens the file at the topic of the context; false when the file cannot be read.
    bool ShowTopic(const QString& helpFile, int context);
    // The topic last jumped to (0 before the first).
    int CurrentContext() const { return m_context; }
    QTextBrowser* Browser() const { return m_browser; }

    // The help HTML with a named anchor at every topic, which the browser needs to jump there.
    static QString WithTopicAnchors(const QString& html);

private:
    QTextBrowser* m_browser;
    QString m_loadedFile;
    int m_context = 0;
};
