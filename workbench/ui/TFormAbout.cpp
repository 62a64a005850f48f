#include "workbench/ui/TFormAbout.h"

#include "workbench/ProgramVersion.h"

#include <FreeImage.h>

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_version(new QLabel(this))
    , m_build(new QLabel(this))
    , m_copyright(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    auto* product = new QLabel(QStringLiteral("Pelorix"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    auto* versionLabel = new QLabel(QStringLiteral("Version"), this);
    versionLabel->setObjectName(QStringLiteral("LabelVersion"));
    auto* buildLabel = new QLabel(QStringLiteral("Build"), this);
    buildLabel->setObjectName(QStringLiteral("LabelBuild"));
    m_version->setText(ProductVersion());
    m_build->setText(FileVersion());
    // The version texts and the library's copyright are facts, not translated:
    // these controls have no component name.
    m_copyright->setReadOnly(true);
    m_copyright->setPlainText(QString::fromLatin1(FreeImage_GetCopyrightMessage()));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(product, 0, 0, 1, 2);
    layout->addWidget(versionLabel, 1, 0);
    layout->addWidget(m_version, 1, 1);
    layout->addWidget(buildLabel, 2, 0);
    layout->addWidget(m_build, 2, 1);
    layout->addWidget(m_copyright, 3, 0, 1, 2);
    layout->addWidget(ok, 4, 1, Qt::AlignRight);
    resize(420, 300);
}

QString TFormAbout::ProductVersion()
{
    return ProgramVersion::Product();
}

QString TFormAbout::FileVersion()
{
    return ProgramVersion::File();
}

QString TFormAbout::VersionText() const
{
    return m_version->text();
}

QString TFormAbout::BuildText() const
{
    return m_build->text();
}

QString TFormAbout::CopyrightText() const
{
    return m_copyright->toPlainText();
}
