#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// The about box: program name, "Version " with the product version, the file
// version after "Build", and the picture library's copyright text.
class TFormAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    static QString ProductVersion();
    static QString FileVersion();
    QString VersionText() const;
    QString BuildText() const;
    QString CopyrightText() const;

private:
    QLabel* m_version;
    QLabel* m_build;
    QPlainTextEdit* m_copyright;
};
