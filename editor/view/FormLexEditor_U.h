#pragma once

#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "platform/LockFile.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>

class QMenu;
class QTreeView;
class QUndoStack;
class QItemSelection;

namespace lex {

class TLexItemDelegate;
class TLexTreeModel;
class TLexTreeView;

// The lexicon editor window: a document shown in the grid `Tree_Lex`.
//
// The document is the truth; the grid follows it and reports back: its
// current cell is the document's focus, its selected rows the document's
// selection in the order the user selected them, its open in-place editor
// the document's edit (the typed text reaches the document as it is typed).
// Expansion is the grid's own and survives the document's batches.
//
// The window keeps the document's undo steps in its QUndoStack; the
// stack's clean index is the last save, so undoing back to it clears the
// document's modified flag.
class TFormLexEditor : public QWidget, private ILexUndoHistory {
    Q_OBJECT
public:
    explicit TFormLexEditor(const TLexEditorOptions& Options, QWidget* Parent = nullptr);
    ~TFormLexEditor() override;

    TLexDocument& Document();
    // The overwrite question of a load or merge into the document, asked in
    // a message box this window owns.
    TOverwriteAnswerer AskOverwrite();
    QTreeView* TreeView() const; // the grid, "Tree_Lex"
    TLexTreeModel* Model() const { return model_.get(); }
    QUndoStack* UndoStack() const { return undoStack_.get(); }

    void SetEditorFont(const QFont& Font); // the window and every column
    void SetShowGrid(bool Show);           // ShowEditorGrid
    void SetImmediateEdit(bool Immediate); // ImmediateEdit: a click opens the editor at once
    void SetKeyColumnWidth(int Width);
    // Border style of the language cells' drop-down; also the document's.
    void SetEditorStyle(TEditorStyle Style);
    void SetPopupMenu(QMenu* Menu);  // the grid's context menu (owned by the main window)
    TLexBand* PopupBand() const;     // the language band under the pointer at the menu, or null
    TLexColumn* PopupColumn() const; // the language column there, or null

    // Ends an in-place edit keeping its text, so that the tree holds it
    // before anything reads it. The grid's editor is stored through the
    // model, which refuses a character its column's code page cannot hold
    // and a duplicate key: the message is shown, the edit stays open and
    // EAbort is raised. Prefer this to Document().PostEdit(), which stores
    // the last text the code page could hold.
    void PostEdit();
    // The title from the document's caption, and the lock file beside the
    // bound file; the document changes them on open and save without
    // telling, so call it after those (cheap).
    void RefreshCaption();

    // The language column that Next Untranslated, the filter and the
    // figures of the status bar are about: the focused one, else the one
    // last focused, else the first; none without languages.
    TLexColumn* LanguageColumn();
    // Only the keys untranslated in Column (none: every key); see
    // TLexTreeModel::SetUntranslatedFilter. Few enough parents are opened
    // so that those keys are in view.
    void SetUntranslatedFilter(const TLexColumn* Column);

    // Whether the window may close: stores an open edit (a refused one keeps
    // the window), then asks "Data modified, Save?" if there is anything to save.
    bool QueryClose();
    // The next close asks nothing: QueryClose has been answered.
    void AcceptClose() { closeAccepted_ = true; }

    // Called when "Data modified, Save?" is answered Yes: the main window's SaveEditor.
    std::function<void(TFormLexEditor&)> OnSaveEditor;

signals:
    // The user gave the key column a new width.
    void KeyColumnResized(int Width);

protected:
    void closeEvent(QCloseEvent* Event) override; // QueryClose: accept or ignore

private:
    void SyncFocusToView();
    void SyncSelectionToView();
    void SyncEditingToView();
    void ShowNode(const TTreeNode* Node);
    void OnCurrentChanged(const QModelIndex& Current);
    void OnSelectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected);
    void OnEditorCreated(QWidget* Editor, const QModelIndex& Index);
    void OnEditorClosing(QWidget* Editor);
    void MirrorEditText(const QModelIndex& Cell, const QString& Text);
    void RememberExpansion();
    void AfterReset();
    void ForgetRemoved(const QModelIndex& Parent, int First, int Last);
    void ShowPopupMenu(const QPoint& Global, int X);
    void Push(std::unique_ptr<TLexUndoStep> Step) override;
    void Saved() override;
    void Clear() override;

    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view Key) const { return std::hash<std::string_view>()(Key); }
    };

    std::unique_ptr<TLexDocument> document_;
    std::unique_ptr<TLockFile> lock_; // of the bound file, while the window has it
    std::unique_ptr<TLexTreeModel> model_;
    std::unique_ptr<QUndoStack> undoStack_;
    TLexTreeView* view_;
    TLexItemDelegate* delegate_;
    QMenu* popupMenu_ = nullptr;
    TLexBand* popupBand_ = nullptr;
    TLexColumn* popupColumn_ = nullptr;
    // The language column last focused, by code page and sequence: a
    // column may go, and come back with an undo.
    std::string languageCodePage_;
    std::string languageSeqNo_;
    bool syncing_ = false; // one side is following the other: no echo
    bool closeAccepted_ = false;
    std::unordered_set<const TTreeNode*> expanded_;
    std::unordered_set<std::string, KeyHash, std::equal_to<>> expandedKeys_; // across a reset
};

} // namespace lex
