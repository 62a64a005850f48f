#include "report/ui/TFormPrelvoLang.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

TFormPrelvoLang::TFormPrelvoLang(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormLang"));
    setWindowTitle(QStringLiteral("Language"));
    auto* messages = new QGroupBox(QStringLiteral("Messages"), this);
    messages->setObjectName(QStringLiteral("GroupBoxMessages"));
    auto* layout = new QVBoxLayout(messages);
    const std::pair<const char*, const char*> labels[] = {
        { "MessageCloseData", "Schließen" },
        { "MessageCloseDataExpl", "Änderungen speichern?" },
        { "FileNotFound", "Datei %s nicht gefunden." },
        { "MessagePrinted", "Gedruckt auf %s." },
        { "MessagePrintFailed", "Nicht gedruckt: %s meldet einen Fehler." },
    };
    for (const auto& [name, caption] : labels) {
        auto* label = new QLabel(QString::fromUtf8(caption), messages);
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label);
    }
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(messages);
}

QString TFormPrelvoLang::Text(const QString& label) const
{
    const auto* found = findChild<QLabel*>(label);
    return found ? found->text() : QString();
}
