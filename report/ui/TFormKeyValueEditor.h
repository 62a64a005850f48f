#pragma once

#include "canvas/TUserData.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <utility>

class QTableWidget;

// The "Key and Value Editor": the user data of a shape as a two-column list. "Add"
// appends a pair, "Insert" puts one before the selected row, "Edit" changes the
// selected row, "Delete" removes it; the pair is typed in the small dialog "Add key
// and value" (key and value trimmed). Keys are unique, as in the shape's user data:
// a key that another row already holds is refused with a message, and so is an empty
// key. Button handlers are public so that tests can drive the dialog without exec().
class TFormKeyValueEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TFormKeyValueEditor(QWidget* parent = nullptr);

    static inline const QString kSelectFirst = QStringLiteral("Please select the Key/Value first.");
    static inline const QString kEmptyKey = QStringLiteral("Please enter a key.");
    // "%1" is the key.
    static inline const QString kDuplicateKey = QStringLiteral("The key \"%1\" exists already.");

    void SetPairs(const TUserData& data);
    // The list as user data, in row order.
    TUserData Pairs() const;
    int RowCount() const;
    // -1 when no row is selected.
    int SelectedRow() const;
    void SelectRow(int row);

    // What the buttons do. Each asks for the pair through AskKeyValue (Add, Insert,
    // Edit) and reports refusals through MessageSink; true when the list changed.
    bool AddClick();
    bool InsertClick();
    bool EditClick();
    bool DeleteClick();

    // Asks for a key and a value, starting from the given ones; nothing when cancelled.
    // Unset: the "Add key and value" dialog, run modally.
    std::function<std::optional<std::pair<QString, QString>>(const QString& key, const QString& value)> AskKeyValue;

private:
    std::optional<std::pair<QString, QString>> Ask(const QString& key, const QString& value);
    // Refuses an empty key or one held by a row other than `exceptRow`.
    bool Acceptable(const QString& key, int exceptRow) const;
    void PutRow(int row, const QString& key, const QString& value);

    QTableWidget* m_table = nullptr;
};
