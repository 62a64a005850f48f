#include "report/ui/TFormPrintImage.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

TFormPrintImage::TFormPrintImage(QWidget* parent)
    : QDialog(parent)
    , m_scrollBox(new QScrollArea(this))
    , m_imagePrint(new QLabel)
{
    setObjectName(QStringLiteral("FormPrintImage"));
    setWindowTitle(QStringLiteral("Print 2 Image"));
    resize(643, 342);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_imagePrint->setObjectName(QStringLiteral("ImagePrint"));
    m_imagePrint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollBox->setWidget(m_imagePrint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scrollBox);
}

void TFormPrintImage::SetPicture(const QImage& picture)
{
    m_picture = picture;
    m_imagePrint->setPixmap(QPixmap::fromImage(picture));
    m_imagePrint->resize(picture.size());
}
