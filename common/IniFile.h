#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// An INI file held in memory with the rules Windows programs expect of it:
// section and key names match without regard to case, the value is the rest of
// the line after the first "=", writing a key replaces its value in place, a new
// key goes to the end of its section and a new section to the end of the file.
// Unknown lines (comments, blank lines) are kept as they are. Text is Windows-1252
// unless the file starts with a UTF-8 byte order mark; lines end with CR LF.
class IniFile
{
public:
    // Values are cut at this many characters when read, as the system's
    // profile functions do.
    static constexpr qsizetype kMaxValueLength = 2047;
    // Larger files are refused rather than read into memory.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    IniFile() = default;
    explicit IniFile(QString path);

    const QString& Path() const { return m_path; }

    // Reads the file named by Path(). A missing file gives an empty INI and true;
    // an unreadable or oversized file gives false and ErrorString().
    bool Load();
    // Replaces the content by the given file bytes.
    void LoadFromBytes(const QByteArray& bytes);
    // The file bytes as Save() writes them.
    QByteArray ToBytes() const;
    // The file's text before it is encoded.
    QString ToText() const;
    // Writes the content to Path(), replacing the file atomically.
    bool Save();
    const QString& ErrorString() const { return m_error; }

    // True when the file was read as UTF-8 (it had a byte order mark).
    bool IsUtf8() const { return m_utf8; }
    void SetUtf8(bool utf8) { m_utf8 = utf8; }

    // A section counts as present only when it holds at least one key.
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Section names in file order (those holding a key), first spelling of each.
    QStringList Sections() const;
    // Key names of a section in file order.
    QStringList Keys(const QString& section) const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal integers; a missing key or a text that is not a 32-bit decimal
    // number gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // True for any integer other than 0.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Line breaks in a value are written as blanks: a value must never be able
    // to start a line of its own and so forge keys or sections.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    // Written as "1" or "0".
    void WriteBool(const QString& section, const QString& key, bool value);

private:
    struct Line
    {
        QString raw; // the line as read; empty once the key's value was written
        QString key; // empty for lines that hold no key
        QString value;
    };
    struct Section
    {
        QString name;
        QString header; // the header line as read, empty for new sections
        std::vector<Line> lines;
        QHash<QString, int> keys; // folded key name -> first line holding it
        int lastKeyLine = -1;
    };

    static QString Fold(const QString& name);
    const Line* Find(const QString& section, const QString& key) const;
    Section& SectionFor(const QString& section);

    QString m_path;
    QString m_error;
    bool m_utf8 = false;
    // Lines before the first section header, kept but never looked up.
    std::vector<QString> m_prologue;
    std::vector<Section> m_sections;
    QHash<QString, int> m_sectionIndex; // folded name -> first section of that name
};
