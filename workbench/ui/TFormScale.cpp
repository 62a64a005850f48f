#include "workbench/ui/TFormScale.h"

#include "common/LanguageTable.h"
#include "workbench/calibration/ScaleDialogModel.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Read-only fields look grey, as disabled input does.
void SetGrey(QLineEdit* edit, bool grey)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, grey ? palette.color(QPalette::Window) : QColor(Qt::white));
    edit->setPalette(palette);
}

} // namespace

TFormScale::TFormScale(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_pixelLength(new QLineEdit(QStringLiteral("0"), this))
    , m_pixelLabel(new QLineEdit(QStringLiteral("Pixel"), this))
    , m_scale(new QLineEdit(QStringLiteral("100"), this))
    , m_unit(new QComboBox(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("FormScale"));
    setWindowTitle(QStringLiteral("Maßstab"));
    setModal(true);
    m_pixelLength->setObjectName(QStringLiteral("EditPixelLength"));
    m_pixelLabel->setObjectName(QStringLiteral("EditPixel"));
    m_scale->setObjectName(QStringLiteral("EditScale"));
    m_unit->setObjectName(QStringLiteral("ComboBoxUnit"));
    m_ok->setObjectName(QStringLiteral("BitBtnOk"));
    m_pixelLength->setReadOnly(true);
    m_pixelLabel->setReadOnly(true);
    m_pixelLabel->setFocusPolicy(Qt::NoFocus);
    SetGrey(m_pixelLength, true);
    SetGrey(m_pixelLabel, true);
    m_unit->addItems(ScaleDialogModel::Units());
    m_ok->setDefault(true);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(bevel);
    grid->addWidget(m_pixelLength, 0, 0);
    grid->addWidget(m_pixelLabel, 0, 1);
    grid->addWidget(m_scale, 1, 0);
    grid->addWidget(m_unit, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bevel);
    layout->addWidget(m_ok, 0, Qt::AlignRight);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_unit, &QComboBox::activated, this, [this](int index) {
        if (m_model == nullptr)
            return;
        ToModel();
        m_model->SelectUnit(index);
        FromModel();
    });
    for (QLineEdit* edit : { m_pixelLength, m_scale })
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (m_model == nullptr)
                return;
            ToModel();
            m_model->Synchronise();
            FromModel();
        });
}

void TFormScale::ToModel()
{
    if (m_model->PixelLengthEditable())
        m_model->SetPixelLengthText(m_pixelLength->text());
    if (m_model->ScaleEnabled())
        m_model->SetScaleText(m_scale->text());
}

void TFormScale::FromModel()
{
    m_pixelLength->setText(m_model->PixelLengthText());
    m_pixelLength->setReadOnly(!m_model->PixelLengthEditable());
    SetGrey(m_pixelLength, !m_model->PixelLengthEditable());
    m_scale->setText(m_model->ScaleText());
    m_scale->setEnabled(m_model->ScaleEnabled());
    SetGrey(m_scale, !m_model->ScaleEnabled());
    m_unit->setCurrentIndex(m_model->UnitIndex());
}

bool TFormScale::Run(ScaleDialogModel& model, const LanguageTable& texts, QChar separator)
{
    m_model = &model;
    m_texts = &texts;
    m_separator = separator;
    model.Show();
    FromModel();
    if (parentWidget() != nullptr)
        move(parentWidget()->window()->geometry().center() - rect().center());
    const bool ok = exec() == QDialog::Accepted;
    m_model = nullptr;
    return ok;
}

void TFormScale::done(int result)
{
    if (m_model != nullptr) {
        ToModel();
        m_model->Synchronise();
        FromModel();
        const ScaleDialogModel::CloseCheck check = m_model->CheckClose(*m_texts, m_separator);
        if (!check.allowed) {
            QMessageBox box(check.title.isEmpty() ? QMessageBox::Warning : QMessageBox::Information,
                check.title.isEmpty() ? QStringLiteral("Pelorix") : check.title, check.text, QMessageBox::Ok, this);
            box.setObjectName(QStringLiteral("ScaleRejection"));
            box.exec();
            return;
        }
    }
    QDialog::done(result);
}
