#pragma once

#include <QString>

#include <utility>
#include <vector>

// Ordered key/value text pairs kept on every shape and on the canvas. Keys are
// compared exactly (case matters) and are unique: Add never replaces a value.
class TUserData
{
public:
    // Appends the pair; false (and nothing changes) when the key exists.
    bool Add(const QString& key, const QString& value);
    // Replaces the value of an existing key; false when the key is missing.
    bool SetValue(const QString& key, const QString& value);
    // The value of the key, empty text when missing.
    QString GetValue(const QString& key) const;
    bool Contains(const QString& key) const { return Find(key) >= 0; }
    // Removes the pair keeping the order of the others; false when missing.
    bool Delete(const QString& key);
    int Count() const { return static_cast<int>(m_pairs.size()); }
    void Clear() { m_pairs.clear(); }
    void Assign(const TUserData& source) { m_pairs = source.m_pairs; }

    const QString& Key(int i) const { return m_pairs[static_cast<size_t>(i)].first; }
    const QString& Value(int i) const { return m_pairs[static_cast<size_t>(i)].second; }
    const std::vector<std::pair<QString, QString>>& Pairs() const { return m_pairs; }

    bool operator==(const TUserData& other) const = default;

private:
    int Find(const QString& key) const;

    std::vector<std::pair<QString, QString>> m_pairs;
};
