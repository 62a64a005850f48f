#include "common/LanguageFile.h"

#include <QFile>

namespace {

// The marker default that tells "key absent" from "key present but empty".
const QString kNoValue = QStringLiteral("fsdef");

QString Key(const QString& window, const QString& component, const QString& property)
{
    return window + QLatin1Char('.') + component + QLatin1Char('.') + property;
}

QString Indexed(const char* property, int index)
{
    return QLatin1String(property) + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

} // namespace

bool LanguageFile::Load(const QString& path)
{
    if (!QFile::exists(path)) {
        m_ini = IniFile(path);
        return false;
    }
    m_ini = IniFile(path);
    return m_ini.Load();
}

void LanguageFile::LoadFromBytes(const QByteArray& bytes)
{
    m_ini.LoadFromBytes(bytes);
}

QString LanguageFile::WindowName(const QString& objectName)
{
    const qsizetype underscore = objectName.indexOf(QLatin1Char('_'));
    return underscore < 0 ? objectName : objectName.left(underscore);
}

std::optional<QString> LanguageFile::NonEmpty(const QString& window, const QString& key) const
{
    const QString value = m_ini.ReadString(window, key, QString());
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

std::optional<QString> LanguageFile::NotDefault(const QString& window, const QString& key) const
{
    const QString value = m_ini.ReadString(window, key, kNoValue);
    if (value == kNoValue)
        return std::nullopt;
    return value;
}

std::optional<QString> LanguageFile::WindowCaption(const QString& window) const
{
    return NonEmpty(window, window + QStringLiteral(".Caption"));
}

std::optional<QString> LanguageFile::Caption(const QString& window, const QString& component) const
{
    return NonEmpty(window, Key(window, component, QStringLiteral("Caption")));
}

std::optional<QString> LanguageFile::Hint(const QString& window, const QString& component) const
{
    return NonEmpty(window, Key(window, component, QStringLiteral("Hint")));
}

std::optional<QStringList> LanguageFile::MemoLines(const QString& window, const QString& component) const
{
    if (!m_ini.ValueExists(window, Key(window, component, Indexed("Lines", 0))))
        return std::nullopt;
    QStringList lines;
    for (int i = 0;; ++i) {
        const QString key = Key(window, component, Indexed("Lines", i));
        if (!m_ini.ValueExists(window, key))
            break;
        lines << m_ini.ReadString(window, key, QString());
    }
    return lines;
}

std::optional<QString> LanguageFile::CheckListItem(const QString& window, const QString& component, int index) const
{
    return NotDefault(window, Key(window, component, Indexed("Items", index)));
}

std::optional<QString> LanguageFile::EditLabelCaption(const QString& window, const QString& component) const
{
    return NotDefault(window, Key(window, component, QStringLiteral("EditLabel.Caption")));
}

std::optional<QString> LanguageFile::ListItem(const QString& window, const QString& component, int index) const
{
    return NonEmpty(window, Key(window, component, Indexed("Items", index)));
}

std::optional<QString> LanguageFile::HeaderSection(const QString& window, const QString& component, int index) const
{
    return NonEmpty(window, Key(window, component, Indexed("Section", index)));
}
