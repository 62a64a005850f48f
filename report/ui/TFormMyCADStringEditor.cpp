#include "report/ui/TFormMyCADStringEditor.h"

#include "report/ReportContext.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The drag of a list entry carries its row; only the list itself accepts it.
const QString kEntryMime = QStringLiteral("application/x-prelvo-variable-entry");

constexpr int kNameColumnWidth = 222;
constexpr int kValueColumnWidth = 129;

// The list of used variables, reordered by dragging inside it: the entry under
// the point where the button went down moves to the position of the entry under
// the drop point (below the last entry: to the end).
class VariableList : public QListWidget
{
public:
    explicit VariableList(QWidget* parent)
        : QListWidget(parent)
    {
        setAcceptDrops(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

    std::function<void(int from, int to)> OnDrop;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressPos = event->position().toPoint();
        m_pressRow = event->button() == Qt::LeftButton ? indexAt(m_pressPos).row() : -1;
        QListWidget::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_pressRow < 0
            || (event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance()) {
            QListWidget::mouseMoveEvent(event);
            return;
        }
        auto* data = new QMimeData;
        data->setData(kEntryMime, QByteArray::number(m_pressRow));
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        m_pressRow = -1;
        drag->exec(Qt::MoveAction);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_pressRow = -1;
        QListWidget::mouseReleaseEvent(event);
    }

    void dragEnterEvent(QDragEnterEvent* event) override { AcceptOwn(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { AcceptOwn(event); }

    void dropEvent(QDropEvent* event) override
    {
        if (!IsOwn(event)) {
            event->ignore();
            return;
        }
        bool ok = false;
        const int from = event->mimeData()->data(kEntryMime).toInt(&ok);
        int to = indexAt(event->position().toPoint()).row();
        if (to < 0)
            to = count();
        event->setDropAction(Qt::MoveAction);
        event->accept();
        if (ok && OnDrop)
            OnDrop(from, to);
    }

private:
    bool IsOwn(const QDropEvent* event) const
    {
        return event->source() == this && event->mimeData()->hasFormat(kEntryMime);
    }

    void AcceptOwn(QDropEvent* event)
    {
        if (IsOwn(event)) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    QPoint m_pressPos;
    int m_pressRow = -1;
};

QPushButton* Button(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormMyCADStringEditor::TFormMyCADStringEditor(ReportContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("FormMyCADStringEditor"));
    setWindowTitle(QStringLiteral("Text"));
    setModal(true);
    resize(619, 389);
    BuildWidgets();
    LoadVariables(context.VariableRows());
}

TFormMyCADStringEditor::~TFormMyCADStringEditor() = default;

void TFormMyCADStringEditor::BuildWidgets()
{
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);

    m_memo = new QPlainTextEdit(splitter);
    m_memo->setObjectName(QStringLiteral("MemoDesign"));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memoPalette = m_memo->palette();

    auto* panel = new QWidget(splitter);
    panel->setObjectName(QStringLiteral("PanelBottom"));

    m_grid = new QTableWidget(panel);
    m_grid->setObjectName(QStringLiteral("StringGridVar"));
    m_grid->setColumnCount(2);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(0, kNameColumnWidth);
    m_grid->setColumnWidth(1, kValueColumnWidth);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    // Each row as tall as "Test" in the grid's font, plus 3 pixels.
    const int rowHeight = m_grid->fontMetrics().boundingRect(QStringLiteral("Test")).height() + 3;
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_grid->setMinimumWidth(kNameColumnWidth + kValueColumnWidth / 2);

    auto* include = Button(panel, "ButtonInclude", QStringLiteral(">>"));
    auto* exclude = Button(panel, "ButtonExclude", QStringLiteral("<<"));
    for (QPushButton* button : { include, exclude })
        button->setFixedWidth(40);

    auto* list = new VariableList(panel);
    list->setObjectName(QStringLiteral("ListBoxVarUse"));
    list->OnDrop = [this](int from, int to) { MoveEntry(from, to); };
    m_list = list;

    auto* preview = Button(panel, "BitBtnPreview", QStringLiteral("Preview"));
    auto* ok = Button(panel, "BitBtnOk", QStringLiteral("OK"));
    auto* cancel = Button(panel, "BitBtnCancel", QStringLiteral("Cancel"));

    auto* moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(include);
    moveButtons->addWidget(exclude);
    moveButtons->addStretch(1);
    auto* commands = new QVBoxLayout;
    commands->addWidget(preview);
    commands->addStretch(1);
    commands->addWidget(ok);
    commands->addWidget(cancel);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 4, 0, 0);
    panelLayout->addWidget(m_grid, 3);
    panelLayout->addLayout(moveButtons);
    panelLayout->addWidget(m_list, 2);
    panelLayout->addLayout(commands);

    splitter->addWidget(m_memo);
    splitter->addWidget(panel);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);

    connect(include, &QPushButton::clicked, this, [this] { Include(m_grid->currentRow()); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Include(row); });
    connect(exclude, &QPushButton::clicked, this, [this] { Exclude(SelectedListRow()); });
    connect(
        m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { Exclude(m_list->row(item)); });
    connect(preview, &QPushButton::clicked, this, &TFormMyCADStringEditor::PreviewClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormMyCADStringEditor::LoadVariables(const std::vector<ReportVariables::Row>& rows)
{
    m_grid->clearContents();
    m_grid->setRowCount(int(rows.size()) + 1);
    // The heading row looks and behaves like a fixed row: it cannot be selected,
    // so it is never taken for a variable.
    const QBrush face = palette().button();
    const QStringList heading { QStringLiteral("Name"), QStringLiteral("Value") };
    for (int column = 0; column < 2; ++column) {
        auto* item = new QTableWidgetItem(heading[column]);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(face);
        m_grid->setItem(0, column, item);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = int(i) + 1;
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem(column == 0 ? rows[i].first : rows[i].second);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_grid->setItem(row, column, item);
        }
    }
    if (!rows.empty())
        m_grid->setCurrentCell(1, 0);
}

bool TFormMyCADStringEditor::EditBinding(TMyShape& shape)
{
    VariableBindingEdit edit = VariableBindingEdit::FromShape(shape);
    if (edit.ShapeKind() == VariableBindingEdit::Kind::None)
        return false;
    m_edit = std::move(edit);
    SetDesignText(VariableBindingEdit::TextOfLines(m_edit.Lines()));
    SetImageMode(m_edit.ShapeKind() == VariableBindingEdit::Kind::Image);
    ShowList();
    const int result = Run ? Run(*this) : exec();
    bool changed = false;
    if (result == QDialog::Accepted) {
        if (m_edit.ShapeKind() == VariableBindingEdit::Kind::Text)
            m_edit.SetLines(VariableBindingEdit::LinesOfText(DesignText()));
        changed = m_edit.ApplyTo(shape);
    }
    // Whatever the answer, the next shape finds an editable text box.
    SetImageMode(false);
    return changed;
}

void TFormMyCADStringEditor::Include(int gridRow)
{
    if (gridRow < 1 || gridRow >= m_grid->rowCount() || !m_grid->item(gridRow, 0))
        return;
    m_edit.Include(m_grid->item(gridRow, 0)->text());
    ShowList(SelectedListRow());
}

void TFormMyCADStringEditor::Exclude(int listRow)
{
    if (m_edit.Exclude(listRow))
        ShowList();
}

void TFormMyCADStringEditor::MoveEntry(int from, int to)
{
    if (m_edit.MoveEntry(from, to))
        ShowList(std::min(to, int(m_edit.Names().size()) - 1)); // the moved entry stays selected
}

QString TFormMyCADStringEditor::PreviewText() const
{
    return m_context.PreviewText(DesignText(), UsedVariables());
}

void TFormMyCADStringEditor::PreviewClick()
{
    // The text with the variables' values, exactly as it prints (no markup).
    QMessageBox box(QMessageBox::Information, QStringLiteral("Prelvo"), PreviewText(), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString TFormMyCADStringEditor::DesignText() const
{
    return m_memo->toPlainText();
}

void TFormMyCADStringEditor::SetDesignText(const QString& text)
{
    m_memo->setPlainText(text);
}

bool TFormMyCADStringEditor::ImageMode() const
{
    return m_memo->isReadOnly();
}

void TFormMyCADStringEditor::ShowList(int selectRow)
{
    m_list->clear();
    m_list->addItems(m_edit.Names());
    if (selectRow >= 0 && selectRow < m_list->count())
        m_list->setCurrentRow(selectRow);
    else
        m_list->clearSelection();
}

void TFormMyCADStringEditor::SetImageMode(bool image)
{
    m_memo->setReadOnly(image);
    QPalette palette = m_memoPalette;
    if (image)
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_memo->setPalette(palette);
}

int TFormMyCADStringEditor::SelectedListRow() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.front());
}
