#include "common/ui/WindowTranslator.h"

#include "common/LanguageFile.h"
#include "common/ui/LabeledEdit.h"
#include "common/ui/RadioGroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWidget>

#include <cstring>

namespace {

bool IsExactly(const QObject* object, const char* className)
{
    return std::strcmp(object->metaObject()->className(), className) == 0;
}

// The caption of an object that has one; nothing for the others.
std::optional<QString> CaptionOf(const QObject* object)
{
    if (auto* menu = qobject_cast<const QMenu*>(object))
        return menu->title();
    if (auto* group = qobject_cast<const QGroupBox*>(object))
        return group->title();
    if (auto* label = qobject_cast<const QLabel*>(object))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(object))
        return button->text();
    if (auto* action = qobject_cast<const QAction*>(object))
        return action->text();
    return std::nullopt;
}

void SetCaption(QObject* object, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setText(text);
}

std::optional<QString> HintOf(const QObject* object)
{
    if (auto* widget = qobject_cast<const QWidget*>(object))
        return widget->toolTip();
    if (auto* action = qobject_cast<const QAction*>(object))
        return action->toolTip();
    return std::nullopt;
}

void SetHint(QObject* object, const QString& text)
{
    if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setToolTip(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setToolTip(text);
}

QString Indexed(const QString& base, const char* property, int index)
{
    return base + QLatin1String(property) + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

// Entries of the list controls the Items rule knows, with their setters.
int ItemCount(const QObject* object)
{
    if (IsExactly(object, "QListWidget"))
        return static_cast<const QListWidget*>(object)->count();
    if (IsExactly(object, "RadioGroup"))
        return static_cast<const RadioGroup*>(object)->Count();
    if (IsExactly(object, "QComboBox"))
        return static_cast<const QComboBox*>(object)->count();
    return 0;
}

QString ItemText(const QObject* object, int index)
{
    if (IsExactly(object, "QListWidget"))
        return static_cast<const QListWidget*>(object)->item(index)->text();
    if (IsExactly(object, "RadioGroup"))
        return static_cast<const RadioGroup*>(object)->Item(index);
    return static_cast<const QComboBox*>(object)->itemText(index);
}

void SetItemText(QObject* object, int index, const QString& text)
{
    if (IsExactly(object, "QListWidget"))
        static_cast<QListWidget*>(object)->item(index)->setText(text);
    else if (IsExactly(object, "RadioGroup"))
        static_cast<RadioGroup*>(object)->SetItem(index, text);
    else
        static_cast<QComboBox*>(object)->setItemText(index, text);
}

void ApplyLists(const LanguageFile& file, const QString& window, const QString& name, QObject* object)
{
    if (IsExactly(object, "QPlainTextEdit")) {
        if (const auto lines = file.MemoLines(window, name))
            static_cast<QPlainTextEdit*>(object)->setPlainText(lines->join(QLatin1Char('\n')));
    }
    if (IsExactly(object, "QListWidget")) {
        for (int i = 0; i < ItemCount(object); ++i)
            if (const auto text = file.CheckListItem(window, name, i))
                SetItemText(object, i, *text);
    }
    if (IsExactly(object, "LabeledEdit")) {
        if (const auto text = file.EditLabelCaption(window, name))
            static_cast<LabeledEdit*>(object)->EditLabel()->setText(*text);
    }
    if (IsExactly(object, "RadioGroup") || IsExactly(object, "QComboBox")) {
        for (int i = 0; i < ItemCount(object); ++i)
            if (const auto text = file.ListItem(window, name, i))
                SetItemText(object, i, *text);
    }
    if (IsExactly(object, "QHeaderView")) {
        auto* header = static_cast<QHeaderView*>(object);
        if (QAbstractItemModel* model = header->model()) {
            for (int i = 0; i < header->count(); ++i)
                if (const auto text = file.HeaderSection(window, name, i))
                    model->setHeaderData(i, header->orientation(), *text);
        }
    }
}

} // namespace

namespace {

// Another window (a dialog the window owns) is translated on its own; menus are
// pop-up windows but belong to the window that shows them.
bool IsOtherWindow(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget != nullptr && widget->isWindow() && widget->windowType() != Qt::Popup;
}

void Collect(QObject& parent, std::vector<QObject*>& result)
{
    for (QObject* child : parent.children()) {
        if (IsOtherWindow(child))
            continue;
        if (!child->objectName().isEmpty())
            result.push_back(child);
        Collect(*child, result);
    }
}

} // namespace

std::vector<QObject*> WindowTranslator::Components(QWidget& window)
{
    std::vector<QObject*> result;
    Collect(window, result);
    return result;
}

void WindowTranslator::Apply(const LanguageFile& file, QWidget& window)
{
    const QString name = LanguageFile::WindowName(window.objectName());
    if (const auto caption = file.WindowCaption(name))
        window.setWindowTitle(*caption);
    for (QObject* object : Components(window)) {
        const QString component = object->objectName();
        if (const auto caption = file.Caption(name, component); caption && CaptionOf(object))
            SetCaption(object, *caption);
        if (const auto hint = file.Hint(name, component); hint && HintOf(object))
            SetHint(object, *hint);
        ApplyLists(file, name, component, object);
    }
}

std::vector<WindowTranslator::Text> WindowTranslator::Texts(QWidget& window)
{
    const QString name = LanguageFile::WindowName(window.objectName());
    std::vector<Text> texts;
    auto add = [&](const QString& key, const QString& value) {
        if (!value.isEmpty())
            texts.push_back({ name, key, value });
    };
    add(name + QStringLiteral(".Caption"), window.windowTitle());
    for (QObject* object : Components(window)) {
        const QString base = name + QLatin1Char('.') + object->objectName() + QLatin1Char('.');
        if (const auto caption = CaptionOf(object))
            add(base + QStringLiteral("Caption"), *caption);
        // An action's tool tip that Qt derived from its text is no hint of its own.
        const auto* action = qobject_cast<const QAction*>(object);
        if (const auto hint = HintOf(object); hint && !(action != nullptr && *hint == action->iconText()))
            add(base + QStringLiteral("Hint"), *hint);
        if (IsExactly(object, "QPlainTextEdit")) {
            const QStringList lines = static_cast<QPlainTextEdit*>(object)->toPlainText().split(QLatin1Char('\n'));
            for (int i = 0; i < lines.size(); ++i)
                texts.push_back({ name, Indexed(base, "Lines", i), lines[i] });
        }
        for (int i = 0; i < ItemCount(object); ++i)
            add(Indexed(base, "Items", i), ItemText(object, i));
        if (IsExactly(object, "LabeledEdit"))
            add(base + QStringLiteral("EditLabel.Caption"), static_cast<LabeledEdit*>(object)->EditLabel()->text());
        if (IsExactly(object, "QHeaderView")) {
            auto* header = static_cast<QHeaderView*>(object);
            for (int i = 0; header->model() && i < header->count(); ++i)
                add(Indexed(base, "Section", i), header->model()->headerData(i, header->orientation()).toString());
        }
    }
    return texts;
}
