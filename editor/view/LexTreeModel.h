#pragma once

#include "editor/LexDocument.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <map>
#include <unordered_map>
#include <vector>

namespace lex {

// The document's tree as a Qt item model: one row per node, one column per
// grid column, band by band; the internal pointer of an index is its node.
// A band without columns (its last sequence deleted) keeps one empty,
// read-only section, so that it stays in view and can get a sequence back
// or be deleted. Sections are therefore not the tree's column indexes:
// IndexOf takes a column index, everything else here a section.
//
// The tree tells its observers of a change before and after it for nodes,
// but only after it for columns; a change in the column set therefore comes
// out as a model reset, a change of captions or widths as headerDataChanged.
// A batch of the document (a load, a multiple delete, a deleted language) is
// one reset.
//
// Edits go through the document's in-place edit path, so the key check runs
// and FModified follows. A refused edit (a character the column's code page
// cannot hold, a key another node has) shows its message through the
// translated message box hook, owned by the document's window, and setData
// returns false with nothing stored.
class TLexTreeModel final : public QAbstractItemModel, private ILexTreeObserver {
    Q_OBJECT
public:
    static constexpr const char* NodesMimeType = "application/x-lexmanager-nodes";

    explicit TLexTreeModel(TLexDocument& Document, QObject* Parent = nullptr);
    ~TLexTreeModel() override;

    TLexDocument& Document() const { return doc_; }
    TTreeNode* NodeOf(const QModelIndex& Index) const;
    // The node's cell in the grid column of that index.
    QModelIndex IndexOf(const TTreeNode* Node, int ColumnIndex = 0) const;
    // The grid column shown in a section; none for an empty band's section
    // and outside the sections.
    TLexColumn* ColumnAt(int Section) const;
    // The grid column index of a section's column, -1 without one.
    int ColumnIndexAt(int Section) const;
    // The band a section belongs to; none outside the sections.
    TLexBand* BandAt(int Section) const;
    // The first and last sections of the band that a section belongs to.
    std::pair<int, int> BandSections(int Section) const;
    // The code page a section's cells are decoded and encoded with.
    int CodePageOf(int Section) const;
    QString BandCaption(const TLexBand& Band) const;

    // Shows only the nodes whose cell in Column is untranslated, with their
    // ancestors (none: every node). What the filter showed stays shown
    // while it is on: a cell just translated does not vanish from under the
    // user, nodes added join it, and a node the document focuses or brings
    // into view is shown with its ancestors. A batch of the document works
    // the filter out again on the same language and sequence; a column
    // deleted ends it.
    void SetUntranslatedFilter(const TLexColumn* Column);
    const TLexColumn* UntranslatedFilter() const { return filter_; }
    // Filtered: the nodes with children shown.
    std::vector<const TTreeNode*> ShownParents() const;

    QModelIndex index(int Row, int Column, const QModelIndex& Parent = {}) const override;
    QModelIndex parent(const QModelIndex& Child) const override;
    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    bool hasChildren(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role = Qt::EditRole) override;
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& Indexes) const override;
    // The drop target is the node `Parent` names (none: the top level); the
    // nodes moved are the document's selected nodes, as the drag carries them.
    bool canDropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                         const QModelIndex& Parent) const override;
    bool dropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                      const QModelIndex& Parent) override;

signals:
    // The document's focus, selection and in-place edit state, for the window.
    void DocumentFocusChanged();
    void DocumentSelectionChanged();
    void DocumentEditingChanged();
    // The document asks for the node to be brought into view.
    void DocumentNodeMadeVisible(TTreeNode* Node);

private:
    void BeginReset() override;
    void EndReset() override;
    void NodeAboutToBeAdded(TTreeNode* Parent, int Row) override;
    void NodeAdded(TTreeNode* Node) override;
    void NodeAboutToBeRemoved(TTreeNode* Node) override;
    void NodeRemoved() override;
    void NodeAboutToMove(TTreeNode* Node, TTreeNode* NewParent) override;
    void NodeMoved(TTreeNode* Node) override;
    void ValueChanged(TTreeNode* Node, int ColumnIndex) override;
    void ColumnsChanged() override;
    void FocusChanged() override;
    void SelectionChanged() override { emit DocumentSelectionChanged(); }
    void EditingChanged() override { emit DocumentEditingChanged(); }
    void NodeMadeVisible(TTreeNode* Node) override;

    TTreeNode* ChildAt(const TTreeNode* Parent, int Row) const;
    int RowCountOf(const TTreeNode* Parent) const;
    // A node's row: its place among its siblings, or, filtered, among those
    // shown (-1 when hidden).
    int RowOf(const TTreeNode* Node) const;
    // Filtered: shows the node and its hidden ancestors, row by row.
    void Reveal(TTreeNode* Node);
    // The tree's column of the filter's language and sequence, if it still
    // has one. Found by name, never by the old pointer: a batch frees the
    // columns, and a new one may take a freed one's address.
    const TLexColumn* FindFilterColumn() const;
    QIcon NodeIcon(int Image, int SelectedImage) const;
    void ReportRefusal(const std::string& Message) const;
    bool IsOwnDrag(const QMimeData* Data) const;

    struct Section {
        TLexColumn* Column; // none: an empty band's place
        TLexBand* Band;
        int CodePage;
        bool operator==(const Section&) const = default;
    };
    std::vector<Section> MakeSections() const;
    void TakeSections(std::vector<Section> Sections);

    TLexDocument& doc_;
    std::vector<Section> sections_; // as the views know them
    std::vector<int> sectionOf_;    // by grid column index
    // Children by row for the parents a view has asked about (none = the
    // top level): the tree links siblings, so a row needs a lookup table.
    // Filtered, the children shown under every parent that shows any.
    mutable TShownChildren children_;
    const TLexColumn* filter_ = nullptr;
    std::string filterCodePage_, filterSeqNo_; // what filter_ is, by name
    int moveFromRow_ = -1;
    TTreeNode* moveFromParent_ = nullptr;
    bool moving_ = false;
    bool removing_ = false;
    // By image and selected image; nodes share a handful of pairs.
    mutable std::map<std::pair<int, int>, QIcon> icons_;
};

} // namespace lex
