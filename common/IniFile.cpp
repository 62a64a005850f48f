#include "common/IniFile.h"

#include "common/Cp1252.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <charconv>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QString OneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QString IniFile::Fold(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

bool IniFile::Load()
{
    m_error.clear();
    QFile file(m_path);
    if (!file.exists()) {
        LoadFromBytes({});
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot open %1: %2").arg(m_path, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileSize) {
        m_error = QStringLiteral("%1 is larger than %2 MiB").arg(m_path).arg(kMaxFileSize >> 20);
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFile::NoError) {
        m_error = QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString());
        return false;
    }
    LoadFromBytes(bytes);
    return true;
}

void IniFile::LoadFromBytes(const QByteArray& bytes)
{
    m_prologue.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    m_utf8 = bytes.startsWith(kUtf8Bom);
    QString text;
    if (m_utf8) {
        // Only the first mark is the file's; any further one is text.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        text = decoder(bytes.mid(kUtf8Bom.size()));
    } else {
        text = Cp1252::Decode(bytes);
    }

    Section* current = nullptr;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        // Lines end with CR LF, LF or a lone CR.
        qsizetype end = pos;
        while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        const QString line = text.mid(pos, end - pos);
        if (end < size && text[end] == QLatin1Char('\r') && end + 1 < size && text[end + 1] == QLatin1Char('\n'))
            pos = end + 2;
        else
            pos = end + 1;

        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            if (close < 0)
                close = trimmed.size();
            Section section;
            section.name = trimmed.mid(1, close - 1).trimmed();
            section.header = line;
            m_sections.push_back(std::move(section));
            current = &m_sections.back();
            continue;
        }
        if (!current) {
            m_prologue.push_back(line);
            continue;
        }
        Line entry;
        entry.raw = line;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !trimmed.startsWith(QLatin1Char(';'))) {
            entry.key = line.left(eq).trimmed();
            entry.value = line.mid(eq + 1);
        }
        if (!entry.key.isEmpty())
            current->lastKeyLine = int(current->lines.size());
        current->lines.push_back(std::move(entry));
    }

    // Lookups find the first section of a name and the first key within it.
    for (int s = 0; s < int(m_sections.size()); ++s) {
        Section& section = m_sections[s];
        const QString folded = Fold(section.name);
        if (!m_sectionIndex.contains(folded))
            m_sectionIndex.insert(folded, s);
        for (int i = 0; i < int(section.lines.size()); ++i) {
            const Line& entry = section.lines[i];
            if (!entry.key.isEmpty()) {
                const QString key = Fold(entry.key);
                if (!section.keys.contains(key))
                    section.keys.insert(key, i);
            }
        }
    }
}

QByteArray IniFile::ToBytes() const
{
    const QString text = ToText();
    return m_utf8 ? kUtf8Bom + text.toUtf8() : Cp1252::Encode(text);
}

QString IniFile::ToText() const
{
    QString text;
    const QLatin1String eol("\r\n");
    for (const QString& line : m_prologue)
        text += line + eol;
    for (const Section& section : m_sections) {
        text += (section.header.isEmpty() ? QLatin1Char('[') + section.name + QLatin1Char(']') : section.header) + eol;
        for (const Line& entry : section.lines)
            text += (entry.raw.isEmpty() && !entry.key.isEmpty() ? entry.key + QLatin1Char('=') + entry.value
                                                                 : entry.raw)
                + eol;
    }
    return text;
}

bool IniFile::Save()
{
    m_error.clear();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("Unable to write to %1: %2").arg(m_path, file.errorString());
        return false;
    }
    const QByteArray bytes = ToBytes();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        m_error = QStringLiteral("Unable to write to %1: %2").arg(m_path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

const IniFile::Line* IniFile::Find(const QString& section, const QString& key) const
{
    const auto s = m_sectionIndex.constFind(Fold(section));
    if (s == m_sectionIndex.constEnd())
        return nullptr;
    const Section& sec = m_sections[*s];
    const auto k = sec.keys.constFind(Fold(key));
    return k == sec.keys.constEnd() ? nullptr : &sec.lines[*k];
}

bool IniFile::SectionExists(const QString& section) const
{
    const auto s = m_sectionIndex.constFind(Fold(section));
    return s != m_sectionIndex.constEnd() && !m_sections[*s].keys.isEmpty();
}

bool IniFile::ValueExists(const QString& section, const QString& key) const
{
    return Find(section, key) != nullptr;
}

QStringList IniFile::Sections() const
{
    QStringList names;
    for (int s = 0; s < int(m_sections.size()); ++s)
        if (m_sectionIndex.value(Fold(m_sections[s].name)) == s && !m_sections[s].keys.isEmpty())
            names << m_sections[s].name;
    return names;
}

QStringList IniFile::Keys(const QString& section) const
{
    QStringList names;
    const auto s = m_sectionIndex.constFind(Fold(section));
    if (s != m_sectionIndex.constEnd()) {
        const Section& sec = m_sections[*s];
        for (int i = 0; i < int(sec.lines.size()); ++i)
            if (!sec.lines[i].key.isEmpty() && sec.keys.value(Fold(sec.lines[i].key)) == i)
                names << sec.lines[i].key;
    }
    return names;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Line* entry = Find(section, key);
    const QString& value = entry ? entry->value : defaultValue;
    return value.size() > kMaxValueLength ? value.left(kMaxValueLength) : value;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Line* entry = Find(section, key);
    if (!entry)
        return defaultValue;
    const QByteArray text = entry->value.trimmed().toLatin1();
    const char* first = text.constData();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || end != last || first == last)
        return defaultValue;
    return value;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

IniFile::Section& IniFile::SectionFor(const QString& section)
{
    const QString folded = Fold(section);
    const auto s = m_sectionIndex.constFind(folded);
    if (s != m_sectionIndex.constEnd())
        return m_sections[*s];
    Section fresh;
    fresh.name = section;
    m_sections.push_back(std::move(fresh));
    m_sectionIndex.insert(folded, int(m_sections.size() - 1));
    return m_sections.back();
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    Section& sec = SectionFor(section);
    const QString folded = Fold(key);
    const auto k = sec.keys.constFind(folded);
    if (k != sec.keys.constEnd()) {
        Line& entry = sec.lines[*k];
        entry.value = OneLine(value);
        entry.raw.clear();
        return;
    }
    Line entry;
    entry.key = key.trimmed();
    entry.value = OneLine(value);
    // After the section's last key, so trailing comments and blank lines stay
    // in front of the next section.
    const int at = sec.lastKeyLine + 1;
    sec.lines.insert(sec.lines.begin() + at, std::move(entry));
    if (at != int(sec.lines.size()) - 1)
        for (auto it = sec.keys.begin(); it != sec.keys.end(); ++it)
            if (*it >= at)
                ++*it;
    sec.keys.insert(folded, at);
    sec.lastKeyLine = at;
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
