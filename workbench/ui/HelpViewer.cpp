#include "workbench/ui/HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Pelorix – Hilfe"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 640);
}

QString HelpViewer::WithTopicAnchors(const QString& html)
{
    static const QRegularExpression section(QStringLiteral("(<section\\s+id=\"(\\d+)\"[^>]*>)"));
    QString result = html;
    result.replace(section, QStringLiteral("\\1<a name=\"\\2\"></a>"));
    return result;
}

bool HelpViewer::ShowTopic(const QString& helpFile, int context)
{
    if (m_loadedFile != helpFile) {
        QFile file(helpFile);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        m_browser->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(helpFile).absolutePath() + QLatin1Char('/')));
        m_browser->setHtml(WithTopicAnchors(QString::fromUtf8(file.readAll())));
        m_loadedFile = helpFile;
    }
    m_context = context;
    show();
    raise();
    activateWindow();
    m_browser->scrollToAnchor(QString::number(context));
    return true;
}
