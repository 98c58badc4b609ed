#include "editor/view/FormLexEditor_U.h"

#include "editor/view/BandedHeaderView.h"
#include "editor/view/LexItemDelegate.h"
#include "editor/view/LexTreeModel.h"
#include "editor/view/LexTreeView.h"
#include "editor/view/RowIndicator.h"
#include "platform/Exceptions.h"
#include "runtime/qt/QtText.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

namespace lex {

namespace {

// A document step on the window's stack. The step is done when pushed;
// the stack's first redo is the push itself.
class TStepCommand final : public QUndoCommand {
public:
    TStepCommand(TLexDocument& Document, std::unique_ptr<TLexUndoStep> Step)
        : QUndoCommand(ToQString(Document.TranslateGUI(Step->Name()))), document_(Document),
          step_(std::move(Step)) {}
    void undo() override { document_.Undo(*step_); }
    void redo() override {
        if (pushed_) document_.Redo(*step_);
        pushed_ = true;
    }

private:
    TLexDocument& document_;
    std::unique_ptr<TLexUndoStep> step_;
    bool pushed_ = false;
};

} // namespace

TFormLexEditor::TFormLexEditor(const TLexEditorOptions& Options, QWidget* Parent)
    : QWidget(Parent), document_(std::make_unique<TLexDocument>(Options)),
      model_(std::make_unique<TLexTreeModel>(*document_)),
      undoStack_(std::make_unique<QUndoStack>()), view_(new TLexTreeView(this)),
      delegate_(new TLexItemDelegate(*model_, view_)) {
    setObjectName("FormLexEditor");
    document_->SetWindow(static_cast<QWidget*>(this));
    // No undo limit: a step may hold cells of nodes an older step keeps out
    // of the tree, so steps go only from the top (a new step after undos)
    // or all at once. Each step holds only what it changed.
    document_->SetUndoHistory(this);
    // Undo and redo tell the document whether it is back at its save.
    connect(undoStack_.get(), &QUndoStack::indexChanged, this,
            [this] { document_->MarkModified(!undoStack_->isClean()); });
    view_->setObjectName("Tree_Lex");
    view_->setItemDelegate(delegate_);
    view_->setModel(model_.get());
    // The row indicator and the grid share one frame.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(view_->frameStyle());
    view_->setFrameShape(QFrame::NoFrame);
    auto* rows = new QHBoxLayout(frame);
    rows->setContentsMargins(frame->frameWidth(), frame->frameWidth(), frame->frameWidth(),
                             frame->frameWidth());
    rows->setSpacing(0);
    rows->addWidget(new TRowIndicator(*view_, frame));
    auto* grid = new QVBoxLayout;
    grid->setSpacing(0);
    grid->addWidget(view_);
    grid->addWidget(view_->SidewaysBar());
    rows->addLayout(grid);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);

    connect(model_.get(), &TLexTreeModel::DocumentFocusChanged, this,
            &TFormLexEditor::SyncFocusToView);
    connect(model_.get(), &TLexTreeModel::DocumentSelectionChanged, this,
            &TFormLexEditor::SyncSelectionToView);
    connect(model_.get(), &TLexTreeModel::DocumentEditingChanged, this,
            &TFormLexEditor::SyncEditingToView);
    connect(model_.get(), &TLexTreeModel::DocumentNodeMadeVisible, this, &TFormLexEditor::ShowNode);
    connect(model_.get(), &QAbstractItemModel::modelAboutToBeReset, this,
            &TFormLexEditor::RememberExpansion);
    connect(model_.get(), &QAbstractItemModel::modelReset, this, &TFormLexEditor::AfterReset);
    connect(model_.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TFormLexEditor::ForgetRemoved);
    connect(view_, &QTreeView::expanded, this,
            [this](const QModelIndex& Index) { expanded_.insert(model_->NodeOf(Index)); });
    connect(view_, &QTreeView::collapsed, this,
            [this](const QModelIndex& Index) { expanded_.erase(model_->NodeOf(Index)); });
    connect(view_->BandedHeader(), &TBandedHeaderView::ColumnResizedByUser, this,
            [this](int Section, int Width) {
                if (Section == 0) emit KeyColumnResized(Width);
            });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormLexEditor::OnCurrentChanged);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormLexEditor::OnSelectionChanged);
    connect(view_, &TLexTreeView::EditorClosing, this, &TFormLexEditor::OnEditorClosing);
    delegate_->OnEditorCreated = [this](QWidget* Editor, const QModelIndex& Index) {
        OnEditorCreated(Editor, Index);
    };

    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        ShowPopupMenu(view_->viewport()->mapToGlobal(Position), Position.x());
    });
    view_->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_->header(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& Position) {
                ShowPopupMenu(view_->header()->mapToGlobal(Position), Position.x());
            });

    if (!Options.FontName.empty())
        SetEditorFont(
            QFont(ToQString(Options.FontName), Options.FontSize > 0 ? Options.FontSize : -1));
    RefreshCaption();
}

TFormLexEditor::~TFormLexEditor() {
    // The steps let go of the nodes they hold, the view of the model, the
    // model of the document, in that order.
    document_->SetUndoHistory(nullptr);
    undoStack_->disconnect(this);
    undoStack_.reset();
    delete view_;
    model_.reset();
    document_.reset();
}

TLexDocument& TFormLexEditor::Document() {
    return *document_;
}

TOverwriteAnswerer TFormLexEditor::AskOverwrite() {
    return [this](const TOverwriteQuestion& Question) {
        const TOverwriteMessage message = OverwriteMessage(*document_, Question);
        switch (ShowMessageBox(document_->Window(), message.Text, message.Caption,
                               MB_YESNOCANCEL | MB_ICONQUESTION | MB_UTF8TEXT)) {
        case IDNO:
            return TOverwriteAnswer::Keep;
        case IDCANCEL:
            return TOverwriteAnswer::OverwriteAll;
        default:
            return TOverwriteAnswer::Overwrite;
        }
    };
}

QTreeView* TFormLexEditor::TreeView() const {
    return view_;
}

void TFormLexEditor::SetEditorFont(const QFont& Font) {
    setFont(Font);
    view_->setFont(Font);
    view_->header()->setFont(Font);
}

void TFormLexEditor::SetShowGrid(bool Show) {
    delegate_->SetShowGrid(Show);
    view_->viewport()->update();
}

void TFormLexEditor::SetImmediateEdit(bool Immediate) {
    view_->SetImmediateEdit(Immediate);
}

void TFormLexEditor::SetKeyColumnWidth(int Width) {
    document_->Tree().Column(0)->Width = Width;
    view_->BandedHeader()->ApplyColumnWidths();
}

void TFormLexEditor::SetEditorStyle(TEditorStyle Style) {
    document_->SetEditorStyle(Style);
}

void TFormLexEditor::SetPopupMenu(QMenu* Menu) {
    popupMenu_ = Menu;
}

TLexBand* TFormLexEditor::PopupBand() const {
    return popupBand_;
}

TLexColumn* TFormLexEditor::PopupColumn() const {
    return popupColumn_;
}

void TFormLexEditor::ShowPopupMenu(const QPoint& Global, int X) {
    // A band without columns is still there to get a sequence or be deleted.
    const int section = view_->header()->logicalIndexAt(X);
    TLexBand* band = model_->BandAt(section);
    popupBand_ = band && band->Index() > 0 ? band : nullptr;
    popupColumn_ = popupBand_ ? model_->ColumnAt(section) : nullptr;
    if (popupMenu_) popupMenu_->popup(Global);
}

void TFormLexEditor::RefreshCaption() {
    // A file name is bytes of the file system; the numbered title is
    // interface text in the process's code page.
    const std::string& caption = document_->Caption();
    QString title = document_->FileName().empty()
                        ? ToQString(caption)
                        : QFile::decodeName(QByteArray::fromStdString(caption));
    // Someone else changed the file under unsaved edits: Save will ask.
    if (document_->FileChangedOnDisk())
        title += QLatin1String(" (") + ToQString(document_->TranslateGUI("changed on disk")) +
                 QLatin1Char(')');
    setWindowTitle(title);
    // The lock beside the file follows the file the document is bound to.
    const std::string& file = document_->FileName();
    if (lock_ ? lock_->Path() != file : !file.empty())
        lock_ = file.empty() ? nullptr : std::make_unique<TLockFile>(file);
}

TLexColumn* TFormLexEditor::LanguageColumn() {
    TLexDocument& doc = *document_;
    const TLexTree& tree = doc.Tree();
    if (tree.FocusedColumn() < tree.ColumnCount()) {
        const TLexColumn* focused = tree.Column(tree.FocusedColumn());
        if (focused->Band->Index() > 0) {
            languageCodePage_ = TLexDocument::BandCodePage(*focused->Band);
            languageSeqNo_ = focused->Caption;
        }
    }
    for (int b = 1; b < tree.BandCount(); ++b) {
        const TLexBand* band = tree.Band(b);
        int position = 0;
        if (TLexDocument::BandCodePage(*band) != languageCodePage_) continue;
        if (TLexColumn* column = doc.FindSequenceColumn(band, languageSeqNo_, position))
            return column;
    }
    return tree.ColumnCount() > 1 ? tree.Column(1) : nullptr;
}

void TFormLexEditor::SetUntranslatedFilter(const TLexColumn* Column) {
    // Each parent opened costs the view a persistent index for as long as
    // it stays open; past this many the user opens what he wants.
    constexpr size_t MostParentsOpened = 1000;
    model_->SetUntranslatedFilter(Column);
    const std::vector<const TTreeNode*> parents = model_->ShownParents();
    if (parents.size() > MostParentsOpened) return;
    for (const TTreeNode* parent : parents)
        view_->expand(model_->IndexOf(parent));
}

void TFormLexEditor::PostEdit() {
    if (QWidget* editor = view_->CurrentEditor()) {
        if (!delegate_->CommitEditor(editor)) throw EAbort();
        view_->CloseEditorWithoutStoring(); // stored already
    }
    document_->PostEdit();
}

bool TFormLexEditor::QueryClose() {
    try {
        PostEdit();
    } catch (const EAbort&) {
        return false;
    }
    return document_->CloseQuery([this] {
        if (OnSaveEditor) OnSaveEditor(*this);
    });
}

void TFormLexEditor::closeEvent(QCloseEvent* Event) {
    if (closeAccepted_ || QueryClose())
        Event->accept();
    else
        Event->ignore();
}

// Document to grid.

void TFormLexEditor::SyncFocusToView() {
    if (syncing_) return;
    const QScopedValueRollback scope(syncing_, true);
    const TLexTree& tree = document_->Tree();
    const QModelIndex cell = model_->IndexOf(tree.FocusedNode(), tree.FocusedColumn());
    // The document moved on: an editor left on another cell has no edit behind it.
    if (QWidget* editor = view_->CurrentEditor();
        editor && TLexItemDelegate::EditorIndex(editor) != cell)
        view_->CloseEditorWithoutStoring();
    view_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    if (cell.isValid()) view_->scrollTo(cell);
}

void TFormLexEditor::SyncSelectionToView() {
    if (syncing_) return;
    const QScopedValueRollback scope(syncing_, true);
    const TLexTree& tree = document_->Tree();
    // One range per run of neighbouring rows: a selection model with a range
    // per row would be slow to paint with a big selection.
    std::vector<std::pair<const TTreeNode*, int>> rows;
    rows.reserve(static_cast<size_t>(tree.SelectionCount()));
    for (int i = 0; i < tree.SelectionCount(); ++i) {
        const TTreeNode* node = tree.SelectedNode(i);
        // A node the filter hides has no row.
        if (const QModelIndex cell = model_->IndexOf(node); cell.isValid())
            rows.emplace_back(node->Parent(), cell.row());
    }
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    const int lastColumn = model_->columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j].first == rows[i].first &&
               rows[j].second == rows[j - 1].second + 1)
            ++j;
        const QModelIndex parent = model_->IndexOf(rows[i].first);
        selection.append(
            QItemSelectionRange(model_->index(rows[i].second, 0, parent),
                                model_->index(rows[j - 1].second, lastColumn, parent)));
        i = j;
    }
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TFormLexEditor::SyncEditingToView() {
    // While the delegate stores an edit the document closes it; the
    // delegate then closes the editor itself.
    if (syncing_ || delegate_->Committing()) return;
    const TLexTree& tree = document_->Tree();
    if (!tree.Editing()) {
        view_->CloseEditorWithoutStoring();
        return;
    }
    if (view_->CurrentEditor()) return;
    const QScopedValueRollback scope(syncing_, true);
    const QModelIndex cell = model_->IndexOf(tree.FocusedNode(), tree.FocusedColumn());
    if (!cell.isValid()) return;
    view_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    view_->scrollTo(cell);
    view_->OpenEditor(cell);
    // The document's edit may hold a text other than the cell's.
    if (auto* line = qobject_cast<QLineEdit*>(view_->CurrentEditor())) {
        line->setText(ToQString(tree.EditText(), model_->CodePageOf(cell.column())));
        line->selectAll();
    }
}

void TFormLexEditor::ShowNode(const TTreeNode* Node) {
    // Expanded from the top down, then scrolled to; sideways too when the
    // node is the focused one, to its focused cell.
    if (!Node) return;
    std::vector<const TTreeNode*> ancestors;
    for (const TTreeNode* up = Node->Parent(); up; up = up->Parent())
        ancestors.push_back(up);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        view_->expand(model_->IndexOf(*it));
    const TLexTree& tree = document_->Tree();
    view_->scrollTo(model_->IndexOf(Node, Node == tree.FocusedNode() ? tree.FocusedColumn() : 0));
}

void TFormLexEditor::RememberExpansion() {
    // The nodes are still there; after the reset they may not be.
    for (const TTreeNode* node : expanded_)
        expandedKeys_.emplace(document_->Key(node));
    expanded_.clear();
}

void TFormLexEditor::AfterReset() {
    view_->SetCurrentEditor(nullptr); // the reset dropped it
    popupBand_ = nullptr;
    popupColumn_ = nullptr;
    if (!expandedKeys_.empty()) {
        // Down through the expanded nodes only: a collapsed subtree is not
        // visited, however big.
        for (const TTreeNode* node = document_->Tree().FirstNode(); node;) {
            if (node->Count() > 0 && expandedKeys_.contains(document_->Key(node))) {
                view_->expand(model_->IndexOf(node));
                node = node->FirstChild();
                continue;
            }
            while (node && !node->NextSibling())
                node = node->Parent();
            if (node) node = node->NextSibling();
        }
        expandedKeys_.clear();
    }
    SyncFocusToView();
    SyncSelectionToView();
    SyncEditingToView();
    RefreshCaption();
}

void TFormLexEditor::ForgetRemoved(const QModelIndex& Parent, int First, int Last) {
    if (expanded_.empty()) return;
    for (int row = First; row <= Last; ++row) {
        const TTreeNode* removed = model_->NodeOf(model_->index(row, 0, Parent));
        std::erase_if(expanded_,
                      [&](const TTreeNode* Node) { return TLexTree::IsInSubtree(Node, removed); });
    }
}

// Grid to document.

void TFormLexEditor::OnCurrentChanged(const QModelIndex& Current) {
    if (syncing_) return;
    const QScopedValueRollback scope(syncing_, true);
    TLexTree& tree = document_->Tree();
    tree.SetFocusedNode(model_->NodeOf(Current));
    // An empty band's place is no column: the focused column stays.
    if (const int column = model_->ColumnIndexAt(Current.column()); column >= 0)
        tree.SetFocusedColumn(column);
}

void TFormLexEditor::OnSelectionChanged(const QItemSelection& Selected,
                                        const QItemSelection& Deselected) {
    if (syncing_) return;
    const QScopedValueRollback scope(syncing_, true);
    TLexTree& tree = document_->Tree();
    auto forEachNode = [this](const QItemSelection& Ranges, auto&& Call) {
        for (const QItemSelectionRange& range : Ranges)
            for (int row = range.top(); row <= range.bottom(); ++row)
                if (TTreeNode* node = model_->NodeOf(model_->index(row, 0, range.parent())))
                    Call(node);
    };
    std::unordered_set<const TTreeNode*> gone;
    forEachNode(Deselected, [&](TTreeNode* Node) { gone.insert(Node); });
    if (!gone.empty()) {
        // The tree can only clear its selection: select the rest again, in
        // the order they were selected.
        std::vector<TTreeNode*> kept;
        for (int i = 0; i < tree.SelectionCount(); ++i)
            if (!gone.contains(tree.SelectedNode(i))) kept.push_back(tree.SelectedNode(i));
        tree.ClearSelection();
        for (TTreeNode* node : kept)
            tree.Select(node);
    }
    forEachNode(Selected, [&](TTreeNode* Node) { tree.Select(Node); });
}

void TFormLexEditor::OnEditorCreated(QWidget* Editor, const QModelIndex& Index) {
    view_->SetCurrentEditor(Editor);
    if (auto* line = qobject_cast<QLineEdit*>(Editor)) {
        const QPersistentModelIndex cell(Index);
        connect(line, &QLineEdit::textChanged, this,
                [this, cell](const QString& Text) { MirrorEditText(cell, Text); });
    }
    if (syncing_) return; // opened for the document's own edit
    const QScopedValueRollback scope(syncing_, true);
    TLexTree& tree = document_->Tree();
    TTreeNode* node = model_->NodeOf(Index);
    const int column = model_->ColumnIndexAt(Index.column());
    if (tree.Editing() && (tree.FocusedNode() != node || tree.FocusedColumn() != column))
        tree.CloseEditor();
    tree.SetFocusedNode(node);
    tree.SetFocusedColumn(column);
    if (!tree.Editing()) tree.ShowEditor();
}

void TFormLexEditor::MirrorEditText(const QModelIndex& Cell, const QString& Text) {
    TLexTree& tree = document_->Tree();
    if (!Cell.isValid() || !tree.Editing() || tree.FocusedNode() != model_->NodeOf(Cell) ||
        tree.FocusedColumn() != model_->ColumnIndexAt(Cell.column()))
        return;
    try {
        tree.SetEditText(FromQString(Text, model_->CodePageOf(Cell.column())));
    } catch (const EConvertError&) {
        // Kept at the last text the code page holds; storing refuses the rest.
    }
}

void TFormLexEditor::OnEditorClosing(QWidget* Editor) {
    // Closed without storing (Escape, or a refused edit left behind): the
    // document's edit ends unchanged.
    if (delegate_->Committing()) return;
    TLexTree& tree = document_->Tree();
    const QModelIndex cell = TLexItemDelegate::EditorIndex(Editor);
    if (!tree.Editing() || tree.FocusedNode() != model_->NodeOf(cell) ||
        tree.FocusedColumn() != model_->ColumnIndexAt(cell.column()))
        return;
    const QScopedValueRollback scope(syncing_, true);
    tree.CloseEditor();
}

void TFormLexEditor::Push(std::unique_ptr<TLexUndoStep> Step) {
    undoStack_->push(new TStepCommand(*document_, std::move(Step)));
}

void TFormLexEditor::Saved() {
    undoStack_->setClean();
}

void TFormLexEditor::Clear() {
    undoStack_->clear();
}

} // namespace lex
