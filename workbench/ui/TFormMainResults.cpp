// The main window's result panel: the results grid and the result tree mirror
// the workbench's rows and tree; the tree's context menu expands, collapses and
// copies it to the clipboard.
#include "workbench/ui/TFormMain.h"

#include "common/NumberText.h"
#include "workbench/ui/ResultsGrid.h"
#include "workbench/ui/ThicknessChartWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QTreeWidget>

namespace {

// The tree's top node index of an item (its own for a top node, its parent's for a child).
int TopIndexOf(QTreeWidget* tree, QTreeWidgetItem* item)
{
    if (item == nullptr)
        return -1;
    while (item->parent() != nullptr)
        item = item->parent();
    return tree->indexOfTopLevelItem(item);
}

} // namespace

void TFormMain::SyncResults()
{
    m_grid->SetRows(Bench().ResultRows());
    const LanguageTable& texts = Bench().Texts();
    m_tree->setHeaderLabels({ texts.Text(QStringLiteral("ColParameter")), texts.Text(QStringLiteral("ColValue")),
        texts.Text(QStringLiteral("ColUnit")) });

    const bool wasSyncing = m_syncing;
    m_syncing = true;
    const QSignalBlocker blocker(m_tree);
    ResultTree& tree = Bench().Tree();
    const QChar separator = Bench().DecimalSeparator();
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    QList<QTreeWidgetItem*> tops;
    tops.reserve(tree.Count());
    for (const ResultTree::Entry& entry : tree.Entries()) {
        // A hair's origin (detected, corrected, drawn) stands beside its caption.
        auto* top
            = new QTreeWidgetItem(QStringList { ResultTree::CellText(entry.node, 0, separator), entry.originText });
        for (const TResultNode& child : entry.children) {
            auto* item = new QTreeWidgetItem(top,
                QStringList { ResultTree::CellText(child, 0, separator), ResultTree::CellText(child, 1, separator),
                    ResultTree::CellText(child, 2, separator) });
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        tops.append(top);
    }
    // The summary after the measured objects: median thickness and vellus share
    // (the grid's rows stay as they are). It belongs to no shape.
    const ThicknessSummary thickness = Bench().Thickness();
    const auto summaryRow = [&](QTreeWidgetItem* parent, const QString& label, const std::optional<double>& value,
                                const QString& unit) {
        auto* item = new QTreeWidgetItem(parent,
            QStringList { texts.Text(label), value ? NumberText::Fixed(*value, 2, separator) : QStringLiteral("-"),
                value ? unit : QString() });
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    };
    auto* summary = new QTreeWidgetItem(QStringList { texts.Text(QStringLiteral("LabelSummary")) });
    summaryRow(summary, QStringLiteral("LabelThicknessMedian"), thickness.median, thickness.unit);
    summaryRow(summary, QStringLiteral("LabelVellusPercentage"), thickness.vellusPercentage, QStringLiteral("%"));
    m_tree->addTopLevelItems(tops);
    m_tree->addTopLevelItem(summary);
    summary->setExpanded(true);
    m_chart->SetSeries({ { QString(), thickness.classes, ThicknessChart::FirstColor() } });
    for (int i = 0; i < tree.Count(); ++i) {
        tops[i]->setExpanded(tree.At(i).expanded);
        tops[i]->setSelected(tree.At(i).selected);
    }
    if (const int target = tree.ScrollTarget(); target >= 0 && target < tops.size()) {
        m_tree->setCurrentItem(tops[target], 0, QItemSelectionModel::NoUpdate);
        m_tree->scrollToItem(tops[target]);
        tree.SetScrollTarget(-1);
    }
    m_tree->setUpdatesEnabled(true);
    m_syncing = wasSyncing;
}

void TFormMain::TreeCurrentChanged(QTreeWidgetItem* current)
{
    if (m_syncing)
        return;
    const int index = TopIndexOf(m_tree, current);
    // The summary after the objects stands for no shape.
    if (index < 0 || index >= Bench().Tree().Count())
        return;
    Run([&] { Bench().TreeNodeFocused(index); });
}

void TFormMain::ExpandAllCommand()
{
    Run([&] { Bench().ExpandAllNodes(true); });
}

void TFormMain::CollapseAllCommand()
{
    Run([&] { Bench().ExpandAllNodes(false); });
}

void TFormMain::CopyTreeCommand()
{
    m_tree->expandAll();
    m_tree->selectAll();
    const Workbench::TreeCopy copy = Bench().CopyTree();
    auto* data = new QMimeData;
    data->setHtml(copy.html);
    const QByteArray rtf = copy.rtf.toLatin1();
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    // The names the Windows clipboard knows the rich-text forms by.
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""), rtf);
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format Without Objects\""), rtf);
    QApplication::clipboard()->setMimeData(data);
    m_tree->clearSelection();
    SyncUi();
}
