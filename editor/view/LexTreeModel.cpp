#include "editor/view/LexTreeModel.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/qt/QtText.h"

#include <QApplication>
#include <QMimeData>
#include <QStyle>
#include <algorithm>

namespace lex {

namespace {

// The main window's image list by index: the selected-node image is an open
// folder, any other a page.
QPixmap NodePixmap(int Image) {
    constexpr int OpenNodeImage = 35;
    const QStyle::StandardPixmap kind =
        Image == OpenNodeImage ? QStyle::SP_DirOpenIcon : QStyle::SP_FileIcon;
    return QApplication::style()->standardIcon(kind).pixmap(16, 16);
}

} // namespace

TLexTreeModel::TLexTreeModel(TLexDocument& Document, QObject* Parent)
    : QAbstractItemModel(Parent), doc_(Document) {
    TakeSections(MakeSections());
    doc_.Tree().AddObserver(this);
}

TLexTreeModel::~TLexTreeModel() {
    doc_.Tree().RemoveObserver(this);
}

TTreeNode* TLexTreeModel::NodeOf(const QModelIndex& Index) const {
    return Index.isValid() ? static_cast<TTreeNode*>(Index.internalPointer()) : nullptr;
}

QModelIndex TLexTreeModel::IndexOf(const TTreeNode* Node, int ColumnIndex) const {
    if (!Node || ColumnIndex < 0 || ColumnIndex >= static_cast<int>(sectionOf_.size())) return {};
    const int row = RowOf(Node);
    if (row < 0) return {};
    return createIndex(row, sectionOf_[static_cast<size_t>(ColumnIndex)],
                       const_cast<TTreeNode*>(Node));
}

int TLexTreeModel::RowOf(const TTreeNode* Node) const {
    if (!filter_) return Node->Index();
    const auto it = children_.find(Node->Parent());
    if (it == children_.end()) return -1;
    // The shown siblings stand in tree order.
    const std::vector<TTreeNode*>& shown = it->second;
    const auto at = std::lower_bound(
        shown.begin(), shown.end(), Node->Index(),
        [](const TTreeNode* Sibling, int Index) { return Sibling->Index() < Index; });
    return at != shown.end() && *at == Node ? static_cast<int>(at - shown.begin()) : -1;
}

int TLexTreeModel::RowCountOf(const TTreeNode* Parent) const {
    if (!filter_) return Parent ? Parent->Count() : doc_.Tree().Count();
    const auto it = children_.find(Parent);
    return it == children_.end() ? 0 : static_cast<int>(it->second.size());
}

TLexColumn* TLexTreeModel::ColumnAt(int Section) const {
    return Section >= 0 && Section < columnCount() ? sections_[static_cast<size_t>(Section)].Column
                                                   : nullptr;
}

int TLexTreeModel::ColumnIndexAt(int Section) const {
    const TLexColumn* column = ColumnAt(Section);
    return column ? column->Index() : -1;
}

TLexBand* TLexTreeModel::BandAt(int Section) const {
    return Section >= 0 && Section < columnCount() ? sections_[static_cast<size_t>(Section)].Band
                                                   : nullptr;
}

std::pair<int, int> TLexTreeModel::BandSections(int Section) const {
    const TLexBand* band = BandAt(Section);
    int first = Section;
    int last = Section;
    while (band && BandAt(first - 1) == band)
        --first;
    while (band && BandAt(last + 1) == band)
        ++last;
    return {first, last};
}

int TLexTreeModel::CodePageOf(int Section) const {
    return Section >= 0 && Section < columnCount()
               ? sections_[static_cast<size_t>(Section)].CodePage
               : ProcessCodePage();
}

QString TLexTreeModel::BandCaption(const TLexBand& Band) const {
    return ToQString(Band.Caption);
}

QIcon TLexTreeModel::NodeIcon(int Image, int SelectedImage) const {
    // A selected row shows the node's selected image, when it has one.
    QIcon& icon = icons_[{Image, SelectedImage}];
    if (icon.isNull()) {
        icon.addPixmap(NodePixmap(Image), QIcon::Normal);
        icon.addPixmap(NodePixmap(SelectedImage < 0 ? Image : SelectedImage), QIcon::Selected);
    }
    return icon;
}

TTreeNode* TLexTreeModel::ChildAt(const TTreeNode* Parent, int Row) const {
    const int count = RowCountOf(Parent);
    std::vector<TTreeNode*>& children = children_[Parent];
    if (!filter_ && static_cast<int>(children.size()) != count) {
        children.clear();
        children.reserve(static_cast<size_t>(count));
        for (TTreeNode* child = Parent ? Parent->FirstChild() : doc_.Tree().FirstNode(); child;
             child = child->NextSibling())
            children.push_back(child);
    }
    return children[static_cast<size_t>(Row)];
}

QModelIndex TLexTreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
    if (Row < 0 || Column < 0 || Column >= columnCount() || Parent.column() > 0) return {};
    const TTreeNode* parent = NodeOf(Parent);
    if (Row >= RowCountOf(parent)) return {};
    return createIndex(Row, Column, ChildAt(parent, Row));
}

QModelIndex TLexTreeModel::parent(const QModelIndex& Child) const {
    const TTreeNode* node = NodeOf(Child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TLexTreeModel::rowCount(const QModelIndex& Parent) const {
    return Parent.column() > 0 ? 0 : RowCountOf(NodeOf(Parent));
}

int TLexTreeModel::columnCount(const QModelIndex&) const {
    return static_cast<int>(sections_.size());
}

bool TLexTreeModel::hasChildren(const QModelIndex& Parent) const {
    return rowCount(Parent) > 0;
}

QVariant TLexTreeModel::data(const QModelIndex& Index, int Role) const {
    const TTreeNode* node = NodeOf(Index);
    const TLexColumn* column = ColumnAt(Index.column());
    if (!node || !column) return {};
    switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQString(doc_.Tree().Value(node, column->Index()), CodePageOf(Index.column()));
    case Qt::DecorationRole:
        if (Index.column() != 0 || node->ImageIndex < 0) return {};
        return NodeIcon(node->ImageIndex, node->SelectedIndex);
    default:
        return {};
    }
}

bool TLexTreeModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    TTreeNode* node = NodeOf(Index);
    const TLexColumn* target = ColumnAt(Index.column());
    if (Role != Qt::EditRole || !node || !target) return false;
    const int column = target->Index();
    std::string text;
    try {
        text = FromQString(Value.toString(), CodePageOf(Index.column()));
    } catch (const EConvertError& error) {
        ReportRefusal(error.what());
        return false;
    }
    TLexTree& tree = doc_.Tree();
    bool opened = false;
    try {
        if (!tree.Editing() || tree.FocusedNode() != node || tree.FocusedColumn() != column) {
            doc_.PostEdit(); // another cell's edit ends first, and may itself be refused
            tree.SetFocusedNode(node);
            tree.SetFocusedColumn(column);
            tree.ShowEditor();
            opened = true;
        }
        tree.SetEditText(std::move(text));
        doc_.PostEdit();
    } catch (const EAbort&) {
        // The message is shown; an edit opened only for this call goes again.
        if (opened) tree.CloseEditor();
        return false;
    }
    return true;
}

void TLexTreeModel::ReportRefusal(const std::string& Message) const {
    LexMessageBox(doc_.Window(), Message, "Error", MB_OK | MB_ICONERROR, doc_.Options().CodePage,
                  doc_.Options().SeqNo, GUILexName);
}

QVariant TLexTreeModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal || !BandAt(Section)) return {};
    const TLexColumn* column = ColumnAt(Section);
    if (!column) return Role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    switch (Role) {
    case Qt::DisplayRole:
        return ToQString(column->Caption);
    case Qt::TextAlignmentRole:
        switch (column->HeaderAlignment) {
        case TAlignment::Center:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case TAlignment::Right:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        default:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        }
    default:
        return {};
    }
}

Qt::ItemFlags TLexTreeModel::flags(const QModelIndex& Index) const {
    if (!Index.isValid()) return Qt::ItemIsDropEnabled; // the top level
    const Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return ColumnAt(Index.column()) ? flags | Qt::ItemIsEditable : flags;
}

QStringList TLexTreeModel::mimeTypes() const {
    return {NodesMimeType};
}

QMimeData* TLexTreeModel::mimeData(const QModelIndexList&) const {
    // The nodes are the document's selection; the data names the document so
    // that a drop into another editor is refused.
    auto* data = new QMimeData;
    data->setData(NodesMimeType, QByteArray::number(reinterpret_cast<quintptr>(&doc_)));
    return data;
}

bool TLexTreeModel::IsOwnDrag(const QMimeData* Data) const {
    return Data &&
           Data->data(NodesMimeType) == QByteArray::number(reinterpret_cast<quintptr>(&doc_));
}

bool TLexTreeModel::canDropMimeData(const QMimeData* Data, Qt::DropAction Action, int, int,
                                    const QModelIndex& Parent) const {
    return Action == Qt::MoveAction && IsOwnDrag(Data) && doc_.Tree().SelectionCount() > 0 &&
           doc_.CanDrop(NodeOf(Parent));
}

bool TLexTreeModel::dropMimeData(const QMimeData* Data, Qt::DropAction Action, int Row, int Column,
                                 const QModelIndex& Parent) {
    if (!canDropMimeData(Data, Action, Row, Column, Parent)) return false;
    doc_.Drop(NodeOf(Parent));
    return true;
}

std::vector<TLexTreeModel::Section> TLexTreeModel::MakeSections() const {
    // Band by band: a band's columns stand together under its caption
    // whatever their order in the tree.
    const TLexTree& tree = doc_.Tree();
    std::vector<Section> sections;
    sections.reserve(static_cast<size_t>(tree.ColumnCount() + tree.BandCount()));
    for (int b = 0; b < tree.BandCount(); ++b) {
        TLexBand* band = tree.Band(b);
        for (int position = 0; position < band->ColumnCount(); ++position) {
            TLexColumn* column = band->Column(position);
            sections.push_back({column, band, TLexDocument::TextCodePage(*column->Band)});
        }
        if (band->ColumnCount() == 0) sections.push_back({nullptr, band, ProcessCodePage()});
    }
    return sections;
}

void TLexTreeModel::TakeSections(std::vector<Section> Sections) {
    sections_ = std::move(Sections);
    sectionOf_.assign(static_cast<size_t>(doc_.Tree().ColumnCount()), 0);
    for (size_t section = 0; section < sections_.size(); ++section)
        if (const TLexColumn* column = sections_[section].Column)
            sectionOf_[static_cast<size_t>(column->Index())] = static_cast<int>(section);
}

void TLexTreeModel::SetUntranslatedFilter(const TLexColumn* Column) {
    beginResetModel();
    filter_ = Column;
    if (Column) {
        filterCodePage_ = TLexDocument::BandCodePage(*Column->Band);
        filterSeqNo_ = Column->Caption;
    }
    children_.clear();
    if (filter_) children_ = UntranslatedNodes(doc_.Tree(), *filter_);
    endResetModel();
}

std::vector<const TTreeNode*> TLexTreeModel::ShownParents() const {
    std::vector<const TTreeNode*> parents;
    if (!filter_) return parents;
    for (const auto& [parent, shown] : children_)
        if (parent && !shown.empty()) parents.push_back(parent);
    return parents;
}

const TLexColumn* TLexTreeModel::FindFilterColumn() const {
    const TLexTree& tree = doc_.Tree();
    for (int c = 1; c < tree.ColumnCount(); ++c) {
        const TLexColumn* column = tree.Column(c);
        if (column->Caption == filterSeqNo_ &&
            TLexDocument::BandCodePage(*column->Band) == filterCodePage_)
            return column;
    }
    return nullptr;
}

void TLexTreeModel::Reveal(TTreeNode* Node) {
    // Top down, so that each row goes under a parent already shown.
    std::vector<TTreeNode*> hidden;
    for (TTreeNode* n = Node; n && RowOf(n) < 0; n = n->Parent())
        hidden.push_back(n);
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it) {
        TTreeNode* node = *it;
        std::vector<TTreeNode*>& shown = children_[node->Parent()];
        const auto at = std::lower_bound(
            shown.begin(), shown.end(), node->Index(),
            [](const TTreeNode* Sibling, int Index) { return Sibling->Index() < Index; });
        const int row = static_cast<int>(at - shown.begin());
        beginInsertRows(IndexOf(node->Parent()), row, row);
        shown.insert(at, node);
        endInsertRows();
    }
}

void TLexTreeModel::FocusChanged() {
    if (filter_) Reveal(doc_.Tree().FocusedNode());
    emit DocumentFocusChanged();
}

void TLexTreeModel::NodeMadeVisible(TTreeNode* Node) {
    if (filter_) Reveal(Node);
    emit DocumentNodeMadeVisible(Node);
}

void TLexTreeModel::BeginReset() {
    beginResetModel();
    // The batch frees bands, columns and nodes as it goes; a view that
    // paints meanwhile (a progress gauge's repaint) must find none of
    // them here, only an empty grid until the batch is over.
    sections_.clear();
    sectionOf_.clear();
    children_.clear();
}

void TLexTreeModel::EndReset() {
    children_.clear();
    if (filter_) filter_ = FindFilterColumn();
    if (filter_) children_ = UntranslatedNodes(doc_.Tree(), *filter_);
    TakeSections(MakeSections());
    endResetModel();
}

void TLexTreeModel::NodeAboutToBeAdded(TTreeNode* Parent, int Row) {
    if (!filter_) beginInsertRows(IndexOf(Parent), Row, Row);
}

void TLexTreeModel::NodeAdded(TTreeNode* Node) {
    if (filter_) {
        // A subtree an undo brings back is shown whole.
        for (TTreeNode* n = TLexTree::NextInTreeOrder(Node, Node); n;
             n = TLexTree::NextInTreeOrder(n, Node))
            children_[n->Parent()].push_back(n);
        Reveal(Node);
        return;
    }
    // Nodes are only ever appended one by one; an undo puts them back in a batch.
    if (auto it = children_.find(Node->Parent()); it != children_.end()) it->second.push_back(Node);
    endInsertRows();
}

void TLexTreeModel::NodeAboutToBeRemoved(TTreeNode* Node) {
    const int row = RowOf(Node);
    removing_ = row >= 0;
    if (!removing_) return; // hidden by the filter, and its subtree with it
    beginRemoveRows(IndexOf(Node->Parent()), row, row);
    // The subtree's nodes go back to the tree's pool and come out again as
    // other nodes: no table may outlive them. Filtered, the tables are many
    // and each is the subtree's own node; else they are the few asked about.
    if (filter_) {
        for (const TTreeNode* n = Node; n; n = TLexTree::NextInTreeOrder(n, Node))
            children_.erase(n);
    } else {
        std::erase_if(children_, [&](const auto& Entry) {
            return Entry.first && TLexTree::IsInSubtree(Entry.first, Node);
        });
    }
    if (auto it = children_.find(Node->Parent());
        it != children_.end() && row < static_cast<int>(it->second.size()))
        it->second.erase(it->second.begin() + row);
}

void TLexTreeModel::NodeRemoved() {
    if (removing_) endRemoveRows();
    removing_ = false;
}

void TLexTreeModel::NodeAboutToMove(TTreeNode* Node, TTreeNode* NewParent) {
    moveFromParent_ = Node->Parent();
    moveFromRow_ = RowOf(Node);
    moving_ = false;
    if (moveFromRow_ < 0) return; // hidden by the filter: it stays so
    if (filter_) Reveal(NewParent);
    // Qt refuses a move that changes nothing (the last child made last again).
    moving_ = beginMoveRows(IndexOf(moveFromParent_), moveFromRow_, moveFromRow_,
                            IndexOf(NewParent), RowCountOf(NewParent));
}

void TLexTreeModel::NodeMoved(TTreeNode* Node) {
    if (moveFromRow_ < 0) return;
    if (auto it = children_.find(moveFromParent_);
        it != children_.end() && moveFromRow_ < static_cast<int>(it->second.size()))
        it->second.erase(it->second.begin() + moveFromRow_);
    if (auto it = children_.find(Node->Parent()); it != children_.end())
        it->second.push_back(Node);
    else if (filter_)
        children_[Node->Parent()].push_back(Node);
    if (moving_) endMoveRows();
    moving_ = false;
}

void TLexTreeModel::ValueChanged(TTreeNode* Node, int ColumnIndex) {
    const QModelIndex cell = IndexOf(Node, ColumnIndex);
    if (cell.isValid()) emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void TLexTreeModel::ColumnsChanged() {
    if (filter_) {
        filter_ = FindFilterColumn();
        if (!filter_) {
            SetUntranslatedFilter(nullptr); // its column went
            return;
        }
    }
    std::vector<Section> sections = MakeSections();
    if (sections == sections_) {
        TakeSections(std::move(sections)); // the same sections: captions or widths
        if (!sections_.empty()) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        return;
    }
    // The tree reports a new or deleted column only once it is done; the
    // nodes are as they were, so their tables stay.
    beginResetModel();
    TakeSections(std::move(sections));
    endResetModel();
}

} // namespace lex
