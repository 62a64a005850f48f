#include "report/ui/TComponentComboBox.h"

#include "canvas/TMyCAD.h"

#include <QSignalBlocker>

namespace {

// Item data of the canvas entry; shapes carry their ShapeId (never negative).
constexpr int kCanvasEntry = -1;

} // namespace

TComponentComboBox::TComponentComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("ComponentComboBox1"));
    qRegisterMetaType<TMyShape*>("TMyShape*");
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::currentIndexChanged, this, &TComponentComboBox::EntryChosen);
}

void TComponentComboBox::SetCanvas(TMyCAD* canvas)
{
    m_canvas = canvas;
    Refresh();
}

void TComponentComboBox::SetCanvasName(const QString& name)
{
    m_canvasName = name;
    Refresh();
}

QString TComponentComboBox::EntryText(const QString& name, const QString& className)
{
    return QString::asprintf("%s: %s", (name.isEmpty() ? QStringLiteral("(noname)") : name).toUtf8().constData(),
        className.toUtf8().constData());
}

void TComponentComboBox::Refresh()
{
    const QSignalBlocker blocker(this);
    const QVariant chosen = currentData();
    clear();
    if (m_canvas == nullptr)
        return;
    addItem(EntryText(m_canvasName, QStringLiteral("TMyCAD")), kCanvasEntry);
    for (int i = 0; i < m_canvas->ShapeCount(); ++i) {
        const TMyShape* shape = m_canvas->ShapeByIndex(i);
        addItem(EntryText(shape->Name(), QString::fromLatin1(shape->ClassName())), shape->ShapeId());
    }
    const int index = chosen.isValid() ? findData(chosen) : -1;
    setCurrentIndex(index >= 0 ? index : 0);
}

void TComponentComboBox::Choose(TMyShape* shape)
{
    const QSignalBlocker blocker(this);
    const int index = findData(shape != nullptr ? shape->ShapeId() : kCanvasEntry);
    setCurrentIndex(index >= 0 ? index : 0);
}

void TComponentComboBox::EntryChosen(int index)
{
    if (m_canvas == nullptr || index < 0)
        return;
    const int id = itemData(index).toInt();
    TMyShape* shape = id == kCanvasEntry ? nullptr : m_canvas->ShapeById(id);
    if (id != kCanvasEntry && shape == nullptr) {
        // The shape went away since the list was made: re-list and fall back to the canvas.
        Refresh();
        Choose(nullptr);
    }
    emit ComponentChosen(shape);
}
