#include "report/ui/TComponentInspector.h"

#include "canvas/ShapePainter.h"
#include "canvas/TMyCAD.h"
#include "canvas/widgets/TFormStringListEditor.h"
#include "common/MessageSink.h"
#include "report/ui/TFormKeyValueEditor.h"
#include "report/ui/TFormPictureEditor.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kNamesRole = Qt::UserRole + 2;

PropertyKind KindOf(const QModelIndex& index)
{
    return PropertyKind(index.siblingAtColumn(0).data(kKindRole).toInt());
}

bool EditedInPlace(PropertyKind kind)
{
    switch (kind) {
    case PropertyKind::Integer:
    case PropertyKind::Float:
    case PropertyKind::Text:
    case PropertyKind::Bool:
    case PropertyKind::Enumeration:
    case PropertyKind::Set:
        return true;
    default:
        return false;
    }
}

bool HasEditorDialog(PropertyKind kind)
{
    return kind == PropertyKind::Color || kind == PropertyKind::Font || kind == PropertyKind::StringList
        || kind == PropertyKind::Picture || kind == PropertyKind::UserData;
}

QFont ToQFont(const TMyFont& font)
{
    QFont f(font.name);
    f.setPointSize(std::max(1, std::abs(font.size)));
    f.setBold((font.style & fsBold) != 0);
    f.setItalic((font.style & fsItalic) != 0);
    f.setUnderline((font.style & fsUnderline) != 0);
    f.setStrikeOut((font.style & fsStrikeOut) != 0);
    return f;
}

// The dialog's choice over the old font: name, size and style change; charset, colour and pitch stay.
TMyFont FromQFont(const QFont& f, TMyFont font)
{
    font.name = f.family();
    font.SetSize(f.pointSize() > 0 ? f.pointSize() : std::max(1, int(std::lround(f.pointSizeF()))));
    font.style = uint8_t((f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) | (f.underline() ? fsUnderline : 0)
        | (f.strikeOut() ? fsStrikeOut : 0));
    return font;
}

// Shows a value; colour rows also get a swatch of the colour.
void ShowValue(QTreeWidgetItem* item, const QString& value)
{
    item->setText(1, value);
    if (PropertyKind(item->data(0, kKindRole).toInt()) != PropertyKind::Color)
        return;
    QPixmap swatch(12, 12);
    swatch.fill(ShapePainter::ToQColor(ComponentProperties::ParseColor(value).value_or(0)));
    item->setIcon(1, QIcon(swatch));
}

TColor FromQColor(const QColor& color)
{
    return TColor(color.red() | color.green() << 8 | color.blue() << 16);
}

// In-place editors of the value column: a drop-down list for enumerations and
// booleans, a line edit for the rest. The inspector applies the edit.
class PropertyDelegate : public QStyledItemDelegate
{
public:
    explicit PropertyDelegate(TComponentInspector* inspector)
        : QStyledItemDelegate(inspector)
        , m_inspector(inspector)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const PropertyKind kind = KindOf(index);
        if (index.column() != 1 || !EditedInPlace(kind))
            return nullptr;
        if (kind == PropertyKind::Bool || kind == PropertyKind::Enumeration) {
            auto* combo = new QComboBox(parent);
            combo->addItems(index.siblingAtColumn(0).data(kNamesRole).toStringList());
            auto* self = const_cast<PropertyDelegate*>(this);
            connect(combo, &QComboBox::activated, self, [self, combo] {
                emit self->commitData(combo);
                emit self->closeEditor(combo);
            });
            return combo;
        }
        return new QLineEdit(parent);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString value = index.data(Qt::DisplayRole).toString();
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentIndex(combo->findText(value));
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(value);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QString text;
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            text = combo->currentText();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            text = line->text();
        if (text != index.data(Qt::DisplayRole).toString())
            m_inspector->CommitEdit(index.siblingAtColumn(0).data(kPathRole).toString(), text);
    }

private:
    TComponentInspector* m_inspector;
};

} // namespace

TComponentInspector::TComponentInspector(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ComponentInspector1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({ QStringLiteral("Property"), QStringLiteral("Value") });
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->header()->setStretchLastSection(true);
    m_tree->setAlternatingRowColors(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_tree->setItemDelegate(new PropertyDelegate(this));
    layout->addWidget(m_tree);
    // A double click on a name edits its value; activation (double click or Enter) opens an editor dialog.
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0 && EditedInPlace(PropertyKind(item->data(0, kKindRole).toInt())))
            m_tree->editItem(item, 1);
    });
    connect(m_tree, &QTreeWidget::itemActivated, this, &TComponentInspector::RowActivated);
}

TComponentInspector::~TComponentInspector() = default;

void TComponentInspector::SetCanvas(TMyCAD* canvas)
{
    m_canvas = canvas;
    m_shapeId = -1;
    Rebuild();
}

void TComponentInspector::Inspect(TMyShape* shape)
{
    m_shapeId = shape != nullptr && m_canvas != nullptr && shape->OwnerCAD() == m_canvas ? shape->ShapeId() : -1;
    Rebuild();
}

TMyShape* TComponentInspector::Inspected() const
{
    return m_canvas != nullptr && m_shapeId >= 0 ? m_canvas->ShapeById(m_shapeId) : nullptr;
}

std::optional<ComponentProperties> TComponentInspector::Model() const
{
    if (m_canvas == nullptr)
        return std::nullopt;
    TMyShape* shape = Inspected();
    if (m_shapeId >= 0 && shape == nullptr)
        return std::nullopt; // deleted while inspected
    return ComponentProperties(*m_canvas, shape);
}

QString TComponentInspector::Value(const QString& path) const
{
    const auto model = Model();
    return model ? model->Value(path) : QString();
}

bool TComponentInspector::SetValue(const QString& path, const QString& text)
{
    auto model = Model();
    return Applied(model && model->SetValue(path, text));
}

bool TComponentInspector::CommitEdit(const QString& path, const QString& text)
{
    auto model = Model();
    QString error = QStringLiteral("The inspected shape no longer exists");
    if (Applied(model && model->SetValue(path, text, &error)))
        return true;
    UpdateValues();
    // Shown after the editor has closed: a message box opened while the view commits
    // would take the focus from the editor and make it commit the same text again.
    QTimer::singleShot(0, this, [error] { MessageSink::Show(error); });
    return false;
}

bool TComponentInspector::Applied(bool accepted)
{
    if (!accepted)
        return false;
    UpdateValues();
    emit ValueChanged();
    return true;
}

int TComponentInspector::Run(QDialog& dialog)
{
    return RunDialog ? RunDialog(dialog) : dialog.exec();
}

bool TComponentInspector::EditWithDialog(const QString& path)
{
    auto model = Model();
    if (!model)
        return false;
    const auto property = model->Find(path);
    if (!property)
        return false;
    QString error;
    bool applied = false;
    switch (property->kind) {
    case PropertyKind::Color: {
        QColorDialog dialog(ShapePainter::ToQColor(model->Color(path).value_or(0)), this);
        if (Run(dialog) == QDialog::Accepted)
            applied = Model() && Model()->SetColor(path, FromQColor(dialog.currentColor()), &error);
        break;
    }
    case PropertyKind::Font: {
        const TMyFont font = model->Font(path).value_or(TMyFont());
        QFontDialog dialog(ToQFont(font), this);
        if (Run(dialog) == QDialog::Accepted)
            applied = Model() && Model()->SetFont(path, FromQFont(dialog.currentFont(), font), &error);
        break;
    }
    case PropertyKind::StringList: {
        TFormStringListEditor dialog(this);
        dialog.SetLines(model->Lines(path).value_or(QStringList()));
        if (Run(dialog) == QDialog::Accepted)
            applied = Model() && Model()->SetLines(path, dialog.Lines(), &error);
        break;
    }
    case PropertyKind::Picture: {
        TFormPictureEditor dialog(this);
        dialog.SetPicture(model->Picture(path).value_or(QImage()));
        if (Run(dialog) == QDialog::Accepted)
            applied = Model() && Model()->SetPicture(path, dialog.Picture(), &error);
        break;
    }
    case PropertyKind::UserData: {
        TFormKeyValueEditor dialog(this);
        dialog.SetPairs(model->UserData(path).value_or(TUserData()));
        if (Run(dialog) == QDialog::Accepted)
            applied = Model() && Model()->SetUserData(path, dialog.Pairs(), &error);
        break;
    }
    default:
        return false;
    }
    if (!applied && !error.isEmpty())
        MessageSink::Show(error);
    return Applied(applied);
}

void TComponentInspector::RowActivated(QTreeWidgetItem* item)
{
    if (HasEditorDialog(PropertyKind(item->data(0, kKindRole).toInt())))
        EditWithDialog(item->data(0, kPathRole).toString());
}

void TComponentInspector::Rebuild()
{
    QSet<QString> expanded;
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it)
        if ((*it)->isExpanded())
            expanded.insert((*it)->data(0, kPathRole).toString());
    m_tree->clear();
    const auto model = Model();
    if (!model)
        return;
    AddRows(nullptr, model->List());
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it)
        if (expanded.contains((*it)->data(0, kPathRole).toString()))
            (*it)->setExpanded(true);
    // Names take what they need, but the values keep at least 45 % of the width.
    m_tree->resizeColumnToContents(0);
    const int widest = m_tree->viewport()->width() * 55 / 100;
    if (widest > 0 && m_tree->columnWidth(0) > widest)
        m_tree->setColumnWidth(0, widest);
}

void TComponentInspector::AddRows(QTreeWidgetItem* parent, const std::vector<ComponentProperty>& properties)
{
    for (const ComponentProperty& property : properties) {
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, property.name);
        item->setData(0, kPathRole, property.path);
        item->setData(0, kKindRole, int(property.kind));
        item->setData(0, kNamesRole, property.valueNames);
        ShowValue(item, property.value);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (EditedInPlace(property.kind))
            flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        if (property.kind == PropertyKind::ReadOnly)
            item->setForeground(1, palette().brush(QPalette::Disabled, QPalette::Text));
        AddRows(item, property.children);
    }
}

void TComponentInspector::UpdateValues()
{
    const auto model = Model();
    if (!model) {
        m_tree->clear();
        return;
    }
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it)
        ShowValue(*it, model->Value((*it)->data(0, kPathRole).toString()));
}
