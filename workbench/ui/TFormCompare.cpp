#include "workbench/ui/TFormCompare.h"

#include "workbench/MeasurementFile.h"
#include "workbench/PrintBridge.h"
#include "workbench/ui/ThicknessChartWidget.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

LoadedVisit::LoadedVisit()
    : m_workbench(m_prompt)
{
    // Shapes made while loading (the exclusion border) are outlines, as the
    // window's start-up sets them; the default solid brush would cover the picture.
    TMyBrush brush = m_workbench.Canvas().Brush();
    brush.style = bsClear;
    m_workbench.Canvas().SetBrush(brush);
}

bool LoadedVisit::Load(const QString& path)
{
    MeasurementFile files(m_workbench);
    if (!QFileInfo(path).isFile()) {
        m_error = path + QStringLiteral(": the file does not exist");
        return false;
    }
    if (!files.LoadMeasurementResults(path)) {
        m_error = files.LastError();
        return false;
    }
    return true;
}

std::pair<QSize, QSize> TFormCompare::SameScaleSizes(
    QSize picture1, double scale1, QSize picture2, double scale2, QSize box)
{
    const auto fit = [&](QSize size) { return size.isEmpty() ? QSize() : size.scaled(box, Qt::KeepAspectRatio); };
    if (!(scale1 > 0) || !(scale2 > 0) || picture1.isEmpty() || picture2.isEmpty())
        return { fit(picture1), fit(picture2) };
    // Both in the calibration's length, then one factor for both.
    const double w1 = picture1.width() * scale1;
    const double h1 = picture1.height() * scale1;
    const double w2 = picture2.width() * scale2;
    const double h2 = picture2.height() * scale2;
    const double k = std::min(box.width() / std::max(w1, w2), box.height() / std::max(h1, h2));
    const auto size = [&](double w, double h) {
        return QSize(std::max(1, int(std::lround(w * k))), std::max(1, int(std::lround(h * k))));
    };
    return { size(w1, h1), size(w2, h2) };
}

TFormCompare::TFormCompare(Workbench& first, std::unique_ptr<LoadedVisit> second, const QString& firstName,
    const QString& secondName, QWidget* parent)
    : QDialog(parent)
    , m_first(first)
    , m_second(std::move(second))
{
    setObjectName(QStringLiteral("FormCompare"));
    const LanguageTable& texts = first.Texts();
    const QChar separator = first.DecimalSeparator();
    Workbench& other = m_second->Bench();
    m_comparison = VisitComparison::Compare(VisitComparison::FromResults(first.Results(), firstName),
        VisitComparison::FromResults(other.Results(), secondName));
    setWindowTitle(texts.Text(QStringLiteral("MessageCompareTitle")));

    auto* layout = new QVBoxLayout(this);
    // The two marked pictures at one scale.
    const QImage marked1 = PrintBridge::MarkedPictureOrDrawing(first);
    const QImage marked2 = PrintBridge::MarkedPictureOrDrawing(other);
    const bool sameUnit = first.State().UnitText == other.State().UnitText;
    const auto [size1, size2] = SameScaleSizes(marked1.size(), sameUnit ? first.State().Scale : 0.0, marked2.size(),
        sameUnit ? other.State().Scale : 0.0, QSize(440, 330));
    auto* pictures = new QHBoxLayout;
    const auto pictureColumn = [&](const QString& caption, const QImage& image, QSize size, QLabel*& label) {
        auto* column = new QVBoxLayout;
        auto* heading = new QLabel(caption, this);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        column->addWidget(heading);
        label = new QLabel(this);
        label->setFixedSize(440, 330);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (!image.isNull() && !size.isEmpty())
            label->setPixmap(QPixmap::fromImage(image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        column->addWidget(label);
        pictures->addLayout(column);
    };
    const auto caption = [&](const char* label, const VisitComparison::Visit& visit) {
        QString text = texts.Text(QLatin1String(label));
        if (visit.date != QLatin1String("-") && !visit.date.isEmpty())
            text += QStringLiteral(": ") + visit.date;
        return text + QStringLiteral("  (") + QFileInfo(visit.file).fileName() + QLatin1Char(')');
    };
    pictureColumn(caption("LabelVisit1", m_comparison.first), marked1, size1, m_picture1);
    pictureColumn(caption("LabelVisit2", m_comparison.second), marked2, size2, m_picture2);
    layout->addLayout(pictures);

    // The figures and their changes.
    const std::vector<VisitComparison::TextRow> rows = VisitComparison::TextRows(m_comparison, texts, separator);
    m_table = new QTableWidget(int(rows.size()), 7, this);
    m_table->setObjectName(QStringLiteral("TableCompare"));
    m_table->setHorizontalHeaderLabels({ texts.Text(QStringLiteral("ColParameter")),
        texts.Text(QStringLiteral("LabelVisit1")), texts.Text(QStringLiteral("LabelVisit2")),
        texts.Text(QStringLiteral("LabelChange")), texts.Text(QStringLiteral("LabelChangePercent")),
        texts.Text(QStringLiteral("LabelInterval")), texts.Text(QStringLiteral("ColUnit")) });
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < int(rows.size()); ++r) {
        const VisitComparison::TextRow& row = rows[size_t(r)];
        const QString cells[]
            = { row.caption, row.first, row.second, row.change, row.changePercent, row.interval, row.unit };
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 1 && c <= 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumHeight(m_table->horizontalHeader()->height() + 9 * m_table->rowHeight(0) + 4);
    layout->addWidget(m_table);

    const QString areaUnit = m_comparison.first.areaUnit;
    m_warning = new QLabel(this);
    m_warning->setObjectName(QStringLiteral("LabelAreaWarning"));
    m_warning->setWordWrap(true);
    QString areaText = texts.Text(QStringLiteral("LabelAreaIncl")) + QStringLiteral(": ")
        + VisitComparison::AreaText(m_comparison.first.area, separator) + QStringLiteral(" / ")
        + VisitComparison::AreaText(m_comparison.second.area, separator) + QLatin1Char(' ') + areaUnit;
    if (m_comparison.areaWarning) {
        areaText += QStringLiteral(" - ") + texts.Text(QStringLiteral("MessageCompareArea"));
        m_warning->setStyleSheet(QStringLiteral("color: #C02020; font-weight: bold;"));
    }
    m_warning->setText(areaText);
    layout->addWidget(m_warning);

    m_chart = new ThicknessChartWidget(this);
    m_chart->setObjectName(QStringLiteral("ChartCompare"));
    m_chart->setMinimumHeight(170);
    m_chart->SetSeries({ { texts.Text(QStringLiteral("LabelVisit1")), m_comparison.first.classes,
                             ThicknessChart::FirstColor() },
        { texts.Text(QStringLiteral("LabelVisit2")), m_comparison.second.classes, ThicknessChart::SecondColor() } });
    layout->addWidget(m_chart, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print = buttons->addButton(QStringLiteral("Drucken..."), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("ButtonPrint"));
    QPushButton* close = buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("ButtonClose"));
    connect(print, &QPushButton::clicked, this, [this] { PrintCommand(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(920, 900);
}

TFormCompare::~TFormCompare() = default;

void TFormCompare::PrintCommand()
{
    m_first.UpdateResultsGrid();
    PrintBridge::PrintFollowUp(m_first, m_second->Bench(), m_comparison);
}
