#include "workbench/ui/TFormLang.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QVBoxLayout>

TFormLang::TFormLang(const LanguageTable& builtIn, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_table(builtIn)
{
    setObjectName(builtIn.WindowName());
    setWindowTitle(builtIn.Caption());
    auto* layout = new QVBoxLayout(this);
    QHash<QString, QVBoxLayout*> groups;
    for (const LanguageTable::Entry& entry : builtIn.Entries()) {
        QVBoxLayout*& groupLayout = groups[entry.group];
        if (groupLayout == nullptr) {
            auto* box = new QGroupBox(builtIn.GroupCaption(entry.group), this);
            box->setObjectName(entry.group);
            groupLayout = new QVBoxLayout(box);
            layout->addWidget(box);
        }
        auto* label = new QLabel(entry.text, this);
        label->setObjectName(entry.label);
        label->setTextFormat(Qt::PlainText);
        groupLayout->addWidget(label);
        m_labels.emplace_back(entry.label, label);
    }
    // The main window's own texts, translated like the others.
    static const std::pair<const char*, const char*> windowTexts[] = {
        { "MessageRecoveryTitle", "Wiederherstellung" },
        { "MessageRecovery",
            "Beim letzten Beenden waren Messungen nicht gespeichert. Sollen sie wiederhergestellt werden? "
            "Mit \"Nein\" werden sie verworfen." },
        { "StatusLoadingPicture", "Bild wird geladen ..." },
        { "StatusSavingPicture", "Bild wird gespeichert ..." },
        { "StatusLoadingMeasurement", "Messung wird geladen ..." },
        { "StatusSavingMeasurement", "Messung wird gespeichert ..." },
        { "StatusSavingRecovery", "Sicherungskopie wird geschrieben ..." },
        { "StatusPrinting", "Bericht wird vorbereitet ..." },
        { "StatusThicknessNext", "Dicke %1 gilt für das nächste Haar" },
        { "StatusThicknessHair", "Dicke %1 gilt für %2" },
        { "StatusThicknessSelected", "Dicke %1 gilt für die ausgewählten Haare" },
        { "MessageQuitTitle", "Beenden" },
        { "MessageQuitUnsaved", "Die Messung ist nicht gespeichert. Vor dem Beenden speichern?" },
        { "TitleUntitled", "Unbenannt" },
        { "StatusDetecting", "Haare werden erkannt ..." },
        { "StatusDetected", "%1 Haare vorgeschlagen" },
        { "StatusDetectedDoubtful", "%1 Haare vorgeschlagen, %2 davon unsicher (gestrichelt)" },
        { "StatusDoubtful", "Unsicherer Vorschlag %1 von %2 (Sicherheit %3): Entf verwirft ihn" },
        { "StatusNoDoubtful", "Keine unsicheren Vorschläge" },
        { "StatusAccepted", "%1 Vorschläge übernommen" },
        { "ButtonCancel", "Abbrechen" },
        { "StatusDetectionDiscarded", "Ein anderes Bild wurde geladen: die erkannten Haare wurden verworfen" },
        { "MessageDetectionCalibration",
            "Bei %1 Pixeln je mm zeigt das Bild keine Haare, die sich erkennen lassen: die Haarerkennung braucht "
            "%2 bis %3 Pixel je mm." },
    };
    auto* box = new QGroupBox(QStringLiteral("Window"), this);
    box->setObjectName(QStringLiteral("GroupBoxWindow"));
    auto* boxLayout = new QVBoxLayout(box);
    layout->addWidget(box);
    for (const auto& [name, text] : windowTexts) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        boxLayout->addWidget(label);
        m_labels.emplace_back(QLatin1String(name), label);
    }
}

QString TFormLang::Text(const QString& label) const
{
    for (const auto& [name, widget] : m_labels)
        if (name == label)
            return widget->text();
    return label;
}

LanguageTable TFormLang::Texts() const
{
    LanguageTable table = m_table;
    for (const auto& [name, label] : m_labels)
        table.SetText(name, label->text());
    return table;
}
