#include "common/LanguageTable.h"

#include "common/LanguageFile.h"

namespace {

struct BuiltIn
{
    const char* group;
    const char* label;
    const char* text; // UTF-8
};

// Pelorix's labels in window order with their built-in texts.
constexpr BuiltIn kPelorix[] = {
    { "GroupBoxMessages", "FileNameManual", "Handbuch.pdf" },
    { "GroupBoxMessages", "MessageImageRequired", "Bitte erst Meßbild laden!" },
    { "GroupBoxMessages", "MessageMeasureDelete", "Maßstab löschen" },
    { "GroupBoxMessages", "MessageMeasureExists",
        "Maßstab exisitert bereits. Soll der vorhandene Maßstab gelöscht werden?" },
    { "GroupBoxMessages", "MessageLoadMFile", "Messung laden" },
    { "GroupBoxMessages", "MessageLoadDelete", "Beim Laden werden alle vorhandenen Objekte gelöscht." },
    { "GroupBoxMessages", "MessageNewMeasurement", "Neue Messung" },
    { "GroupBoxMessages", "MessageNewMeasurementWarn", "Sollen alle vorhandenen Objekte gelöscht werden?" },
    { "GroupBoxMessages", "MessageMeasureSelected", "Kopieren und Löschen" },
    { "GroupBoxMessages", "MessageMeasureSelectedWarn",
        "Beim Kopieren oder Löschen darf der Maßstab nicht selektiert sein." },
    { "GroupBoxMessages", "MessageErrorSaveIni",
        "Die Einstellungen konnten nicht in die Konfigurationsdatei geschrieben werden. Möglichweise sind dazu "
        "Administratorrechte erforderlich." },
    { "GroupBoxMessages", "MessageInvalidValueScale", "Ungültiger Wert" },
    { "GroupBoxMessages", "MessageInvalidValueScaleWarn",
        "Bitte geben Sie für Länge und Pixel Zahlen größer als 0 ein." },
    // The file dialogs' filters: description (pattern)|pattern, pairs joined by "|".
    { "GroupBoxMessages", "FilterMeasurement", "Norvane Measure (*.nvm)|*.nvm" },
    { "GroupBoxMessages", "FilterPictureOpen",
        "All(*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd)|*.jpg;*.jpeg;*.bmp;*.tif;*.gif;*.ico;*.png;*.psd|"
        "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|TIFF (*.tif)|*.tif|"
        "GIF (*.gif)|*.gif|Icons (*.ico)|*.ico|Photoshop (*.psd)|*.psd|PNG (*.png)|*.png" },
    { "GroupBoxMessages", "FilterPictureSave",
        "Bitmaps (*.bmp)|*.bmp|Windows Meta file (*.wmf)|*.wmf|JPEG Image File (*.jpg)|*.jpg|DXF (*.dxf)|*.dxf|"
        "DXF1(*.dxf1)|*.dxf1" },
    { "GroupBoxMessages", "FilterExport",
        "Exceldatei (*.xls)|*.xls|Excel-Arbeitsmappe (*.xlsx)|*.xlsx|Textdatei  (*.txt)|*.txt|CSV-Datei "
        "(*.csv)|*.csv" },
    { "GroupBoxMessages", "MessageCompareTitle", "Verlauf vergleichen" },
    { "GroupBoxMessages", "MessageCompareArea",
        "Die ausgewerteten Flächen weichen um mehr als 5 % voneinander ab: Stelle oder Feld sind womöglich nicht "
        "dieselben." },
    { "GroupBoxParameters", "ColParameter", "Parameter" },
    { "GroupBoxParameters", "ColValue", "Wert" },
    { "GroupBoxParameters", "ColUnit", "Einheit" },
    { "GroupBoxParameters", "LabelObject", "Objekt" },
    { "GroupBoxParameters", "LabelLength", "Länge" },
    { "GroupBoxParameters", "LabelWidth", "Breite" },
    { "GroupBoxParameters", "LabelHeight", "Höhe" },
    { "GroupBoxParameters", "LabelArea", "Fläche" },
    { "GroupBoxParameters", "LabelPerimeter", "Umfang" },
    { "GroupBoxParameters", "LabelRadius", "Radius" },
    { "GroupBoxParameters", "LabelSemiAxis1", "Halbachse 1" },
    { "GroupBoxParameters", "LabelSemiAxis2", "Halbachse 2" },
    { "GroupBoxParameters", "LabelAngle", "Winkel" },
    { "GroupBoxParameters", "LabelThickness", "Dicke" },
    { "GroupBoxObjects", "LabelLine", "Haar" },
    { "GroupBoxObjects", "LabelBezier", "Haar" },
    { "GroupBoxObjects", "LabelFollicularUnit", "Follikuläre Einheit" },
    { "GroupBoxParameters", "LabelPatient", "Patient" },
    { "GroupBoxParameters", "LabelName", "Name" },
    { "GroupBoxParameters", "LabelBirthdate", "Birthdate" },
    { "GroupBoxParameters", "LabelImage", "Image" },
    { "GroupBoxParameters", "LabelDate", "Date" },
    { "GroupBoxParameters", "LabelAreaIncl", "Area" },
    { "GroupBoxParameters", "LabelHairs", "Hairs" },
    { "GroupBoxParameters", "LabelCount", "Count" },
    { "GroupBoxParameters", "LabelDensity", "Density" },
    { "GroupBoxParameters", "LabelThicknessMean", "Thickness Mean" },
    { "GroupBoxParameters", "LabelThicknessCum", "Thickness Cum" },
    { "GroupBoxParameters", "LabelLengthMean", "Length Mean" },
    { "GroupBoxParameters", "LabelLengthCum", "Length Cum" },
    { "GroupBoxParameters", "LabelVellusCount", "Vellus Count" },
    { "GroupBoxParameters", "LabelVellusDensity", "Vellus Density" },
    { "GroupBoxParameters", "LabelTerminalCount", "Terminal Count" },
    { "GroupBoxParameters", "LabelTerminalDensity", "Terminal Density" },
    { "GroupBoxParameters", "LabelFollicularUnits", "Follicular units" },
    { "GroupBoxParameters", "LabelFollicularUnitDensity", "Fol. Unit Density" },
    { "GroupBoxParameters", "LabelOriginDetected", "erkannt" },
    { "GroupBoxParameters", "LabelOriginEdited", "erkannt, korrigiert" },
    { "GroupBoxParameters", "LabelOriginDrawn", "von Hand" },
    { "GroupBoxMessages", "MessageNotCalibrated", "nicht kalibriert" },
    { "GroupBoxMessages", "MessageNoPatientData", "keine Patientendaten in der Messung" },
    { "GroupBoxMessages", "MessageExportFormats", "Ergebnisse werden als .xls, .txt oder .csv gespeichert." },
    { "GroupBoxMessages", "MessagePictureFormats",
        "Bilder werden als .bmp, .jpg, .jpeg, .wmf, .dxf, .svg oder .png gespeichert." },
    { "GroupBoxMessages", "MessageXlsCodePage",
        "Die .xls-Datei kann nicht jedes Zeichen der Namen darstellen (dort steht \"?\"); .csv und .txt "
        "behalten sie." },
    { "GroupBoxParameters", "LabelSummary", "Zusammenfassung" },
    { "GroupBoxParameters", "LabelThicknessMedian", "Thickness Median" },
    { "GroupBoxParameters", "LabelVellusPercentage", "Vellus Percentage" },
    { "GroupBoxParameters", "LabelThicknessClasses", "Dickenverteilung" },
    { "GroupBoxParameters", "LabelClassLower", "von" },
    { "GroupBoxParameters", "LabelClassUpper", "bis" },
    { "GroupBoxParameters", "LabelVisit1", "Besuch 1" },
    { "GroupBoxParameters", "LabelVisit2", "Besuch 2" },
    { "GroupBoxParameters", "LabelChange", "Änderung" },
    { "GroupBoxParameters", "LabelChangePercent", "Änderung %" },
    { "GroupBoxParameters", "LabelInterval", "95 %-Konfidenzintervall" },
};

constexpr BuiltIn kPrelvo[] = {
    { "GroupBoxMessages", "MessageCloseData", "Schließen" },
    { "GroupBoxMessages", "MessageCloseDataExpl", "Änderungen speichern?" },
    { "GroupBoxMessages", "FileNotFound", "Datei %s nicht gefunden." },
};

} // namespace

LanguageTable::LanguageTable(QString windowName, QString caption)
    : m_windowName(std::move(windowName))
    , m_caption(std::move(caption))
{
}

void LanguageTable::Add(const QString& group, const QString& label, const QString& text)
{
    m_index.insert(label, int(m_entries.size()));
    m_entries.push_back({ label, group, text });
}

LanguageTable LanguageTable::Pelorix()
{
    LanguageTable table(QStringLiteral("FormLang"), QStringLiteral("Language"));
    table.m_groups = { { QStringLiteral("GroupBoxMessages"), QStringLiteral("Messages") },
        { QStringLiteral("GroupBoxParameters"), QStringLiteral("Parameters") },
        { QStringLiteral("GroupBoxObjects"), QStringLiteral("Objects") } };
    for (const BuiltIn& entry : kPelorix)
        table.Add(QString::fromLatin1(entry.group), QString::fromLatin1(entry.label), QString::fromUtf8(entry.text));
    return table;
}

LanguageTable LanguageTable::Prelvo()
{
    LanguageTable table(QStringLiteral("FormLang"), QStringLiteral("Language"));
    table.m_groups = { { QStringLiteral("GroupBoxMessages"), QStringLiteral("Messages") } };
    for (const BuiltIn& entry : kPrelvo)
        table.Add(QString::fromLatin1(entry.group), QString::fromLatin1(entry.label), QString::fromUtf8(entry.text));
    return table;
}

QString LanguageTable::Text(const QString& label) const
{
    const auto it = m_index.constFind(label);
    return it == m_index.constEnd() ? label : m_entries[size_t(*it)].text;
}

void LanguageTable::SetText(const QString& label, const QString& text)
{
    const auto it = m_index.constFind(label);
    if (it != m_index.constEnd())
        m_entries[size_t(*it)].text = text;
}

void LanguageTable::Apply(const LanguageFile& file)
{
    if (const auto caption = file.WindowCaption(m_windowName))
        m_caption = *caption;
    for (auto it = m_groups.begin(); it != m_groups.end(); ++it)
        if (const auto caption = file.Caption(m_windowName, it.key()))
            *it = *caption;
    for (Entry& entry : m_entries)
        if (const auto caption = file.Caption(m_windowName, entry.label))
            entry.text = *caption;
}
