#include "canvas/TUserData.h"

int TUserData::Find(const QString& key) const
{
    for (size_t i = 0; i < m_pairs.size(); ++i)
        if (m_pairs[i].first == key)
            return static_cast<int>(i);
    return -1;
}

bool TUserData::Add(const QString& key, const QString& value)
{
    if (Find(key) >= 0)
        return false;
    m_pairs.emplace_back(key, value);
    return true;
}

bool TUserData::SetValue(const QString& key, const QString& value)
{
    const int i = Find(key);
    if (i < 0)
        return false;
    m_pairs[static_cast<size_t>(i)].second = value;
    return true;
}

QString TUserData::GetValue(const QString& key) const
{
    const int i = Find(key);
    return i < 0 ? QString() : m_pairs[static_cast<size_t>(i)].second;
}

bool TUserData::Delete(const QString& key)
{
    const int i = Find(key);
    if (i < 0)
        return false;
    m_pairs.erase(m_pairs.begin() + i);
    return true;
}
