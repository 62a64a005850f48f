#include "report/ui/TFormPictureEditor.h"

#include "common/ui/DialogPrompt.h"
#include "report/ComponentProperties.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QVBoxLayout>

TFormPictureEditor::TFormPictureEditor(QWidget* parent)
    : QDialog(parent)
    , m_ownPrompt(std::make_unique<DialogPrompt>(this, QStringLiteral("Prelvo"), QMessageBox::Warning))
    , m_prompt(m_ownPrompt.get())
{
    setWindowTitle(QStringLiteral("Picture Editor"));
    resize(480, 400);
    auto* layout = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    m_view = new QLabel(scroll);
    m_view->setObjectName(QStringLiteral("ImagePicture"));
    m_view->setAlignment(Qt::AlignCenter);
    scroll->setWidget(m_view);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);

    auto* row = new QHBoxLayout;
    auto* load = new QPushButton(QStringLiteral("&Load..."), this);
    m_save = new QPushButton(QStringLiteral("&Save..."), this);
    m_clear = new QPushButton(QStringLiteral("&Clear"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* b : { load, m_save, m_clear, cancel })
        b->setAutoDefault(false);
    ok->setDefault(true);
    row->addWidget(load);
    row->addWidget(m_save);
    row->addWidget(m_clear);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(load, &QPushButton::clicked, this, [this] { LoadClick(); });
    connect(m_save, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(m_clear, &QPushButton::clicked, this, &TFormPictureEditor::Clear);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowPicture();
}

TFormPictureEditor::~TFormPictureEditor() = default;

void TFormPictureEditor::SetPicture(const QImage& picture)
{
    m_picture = picture;
    ShowPicture();
}

bool TFormPictureEditor::LoadFromFile(const QString& path)
{
    QString error;
    const QImage picture = ComponentProperties::LoadPicture(path, &error);
    if (picture.isNull()) {
        m_prompt->ShowMessage(error);
        return false;
    }
    SetPicture(picture);
    return true;
}

bool TFormPictureEditor::SaveToFile(const QString& path)
{
    QSaveFile file(path);
    const bool saved
        = !m_picture.isNull() && file.open(QIODevice::WriteOnly) && m_picture.save(&file, "BMP") && file.commit();
    if (!saved) {
        const QString reason = m_picture.isNull() ? QStringLiteral("there is no picture") : file.errorString();
        m_prompt->ShowMessage(QStringLiteral("Cannot save the picture %1: %2").arg(path, reason));
    }
    return saved;
}

void TFormPictureEditor::Clear()
{
    SetPicture(QImage());
}

bool TFormPictureEditor::LoadClick()
{
    const std::optional<QString> path = m_prompt->AskFileName(
        { kFilter + QStringLiteral("|*.bmp"), QString(), false, QStringLiteral("Load Picture") });
    return path && !path->isEmpty() && LoadFromFile(*path);
}

bool TFormPictureEditor::SaveClick()
{
    if (m_picture.isNull())
        return false;
    const std::optional<QString> path = m_prompt->AskFileName(
        { kFilter + QStringLiteral("|*.bmp"), QString(), true, QStringLiteral("Save Picture") });
    return path && !path->isEmpty() && SaveToFile(*path);
}

void TFormPictureEditor::ShowPicture()
{
    if (m_picture.isNull()) {
        m_view->setPixmap(QPixmap());
        m_view->setText(QStringLiteral("(None)"));
    } else {
        m_view->setText(QString());
        m_view->setPixmap(QPixmap::fromImage(m_picture));
    }
    m_save->setEnabled(!m_picture.isNull());
    m_clear->setEnabled(!m_picture.isNull());
}
