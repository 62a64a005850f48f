#pragma once

#include "workbench/ResultsExport.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <unordered_set>
#include <vector>

// The record every result tree node carries. A top node ("Root") stands for one
// measured shape; its children carry that shape's parameters.
struct TResultNode
{
    int shapeId = -1;
    QString caption;
    QString parameter; // "Root" for a top node, else the parameter name ("Länge", "Dicke")
    double value = 0.0;
    QString unit;
    int decimals = 0;
};

// One parameter of an object as the results show it.
struct ResultParam
{
    QString name;
    double value = 0.0;
    QString unit;
    int decimals = 0;
};

// One top node with its parameters, in the form the results are handed on.
struct ResultObject
{
    int id = -1;
    QString caption;
    std::vector<ResultParam> params;
    QString origin; // "detected", "edited" or "drawn" for hairs, empty otherwise
};

// The result tree's model: top nodes in the order of creation, each with its
// children and the display state (expanded, selected) the tree widget mirrors.
class ResultTree
{
public:
    struct Entry
    {
        TResultNode node;
        std::vector<TResultNode> children;
        bool expanded = false;
        bool selected = false; // read here, changed through SetSelected and the selection calls
        // Hairs: where the hair came from ("detected", "edited", "drawn") and the
        // text the tree shows for it beside the caption.
        QString origin;
        QString originText;
    };

    int Count() const { return int(m_entries.size()); }
    bool Empty() const { return m_entries.empty(); }
    Entry& At(int index) { return m_entries[size_t(index)]; }
    const Entry& At(int index) const { return m_entries[size_t(index)]; }
    const std::vector<Entry>& Entries() const { return m_entries; }

    // Appends a top node and returns its index.
    int Append(const TResultNode& top);
    // Index of the first top node of the shape, -1 when there is none.
    int FindTop(int shapeId) const;
    // Indexes of every top node of the shape.
    std::vector<int> TopsOfShape(int shapeId) const;
    void RemoveAt(int index);
    // Removes every top node whose shape id is in the set, in one pass.
    void RemoveShapes(const std::unordered_set<int>& shapeIds);
    void Clear();

    void ExpandAll(bool expanded);
    void SetSelected(int index, bool selected);
    // Cheap when one node or none is selected (the usual case while drawing).
    void ClearSelection();
    // Selects exactly the top nodes whose shapes are in the set.
    void SelectShapes(const std::unordered_set<int>& shapeIds);
    int SelectedCount() const { return m_selectedCount; }
    // The top node the tree should scroll into view (-1: none).
    int ScrollTarget() const { return m_scrollTarget; }
    void SetScrollTarget(int index) { m_scrollTarget = index; }
    // The first selected top node, -1 when none.
    int FirstSelected() const;

    // The text a node shows in column 0, 1 or 2: a top node shows its caption in
    // column 0 only; a child its parameter name, its value with its decimals and its unit.
    static QString CellText(const TResultNode& node, int column, QChar separator = QLatin1Char('.'));

    std::vector<ResultObject> Objects() const;
    std::vector<ExportObject> ExportObjects() const;

    // The whole tree as an HTML table and as RTF (for the clipboard copy), headed by
    // the three column captions.
    QString ToHtml(const QStringList& columnCaptions, QChar separator) const;
    QString ToRtf(const QStringList& columnCaptions, QChar separator) const;

private:
    void Recount();

    std::vector<Entry> m_entries;
    int m_scrollTarget = -1;
    int m_selectedCount = 0;
    int m_lastSelected = -1; // the node selected last, a hint for ClearSelection
};
