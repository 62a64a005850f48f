#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;

// The "String List Editor": edits the lines of a new text box. A line counter
// above the text follows every change; "&Clear" empties the text.
class TFormStringListEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TFormStringListEditor(QWidget* parent = nullptr);

    QStringList Lines() const;
    void SetLines(const QStringList& lines);
    // The counter text: "0 lines", "1 line", "2 lines"...
    static QString LineCountText(int count);

private:
    void UpdateCount();

    QLabel* m_count = nullptr;
    QPlainTextEdit* m_text = nullptr;
};
