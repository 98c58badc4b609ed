#pragma once

#include "editor/FoundNodes.h"
#include "editor/LexTranslation.h"
#include "editor/LexTree.h"
#include "editor/LexUndo.h"
#include "platform/FileUtil.h"
#include "platform/MessageBox.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lex {

// What the editor reads of the application's options.
struct TLexEditorOptions {
    bool CaseSensitive = false;
    std::string CodePage; // the interface language of translated texts
    std::string SeqNo = "0";
    TEditorStyle EditorStyle = TEditorStyle::Simple;
    std::string FontName;
    int FontSize = 0;
    bool Lenient = false; // damaged text lexicons load without a word (lextool --lenient)
};

// Where a document's undo steps go: the window's undo stack. Push takes a
// step already done; Saved says the document now equals what it was saved
// to; Clear drops every step (a load replaced what they refer to).
class ILexUndoHistory {
public:
    virtual ~ILexUndoHistory() = default;
    virtual void Push(std::unique_ptr<TLexUndoStep> Step) = 0;
    virtual void Saved() = 0;
    virtual void Clear() = 0;
};

// The lexicon editor without its window: a tree of keys with a band of
// sequence columns per language, its binding to a file or table, and the
// editing operations. Questions go through the translated message boxes of
// "Lex_GUI"; the window owning them is `Window`. The jobs done on a document
// have units of their own, each working through these operations: loading
// and merging (LexLoader), saving (NodeListLexReader), tables
// (LexTableSync), search (LexSearch), the untranslated cells
// (LexTranslation).
class TLexDocument {
public:
    explicit TLexDocument(TLexEditorOptions Options = {});
    ~TLexDocument();
    TLexDocument(const TLexDocument&) = delete;
    TLexDocument& operator=(const TLexDocument&) = delete;

    TLexTree& Tree() { return FTree; }
    const TLexTree& Tree() const { return FTree; }

    // The editor's state. Read here; changed only through the operations
    // below, so that the window and the main window never write it.
    const TLexEditorOptions& Options() const { return options_; }
    // The window title: the file name while bound to a file, otherwise the
    // numbered title the window was created with.
    const std::string& Caption() const { return caption_; }
    const std::string& FileName() const { return FFileName; }
    const std::string& TableName() const { return FTableName; }
    bool Modified() const { return FModified; }
    // What the bound file held when it was read or last saved.
    const FileIdentity& FileRead() const { return fileRead_; }
    // Whether the bound file was found changed on disk by its last check
    // (CheckFileOnDisk), so that the window can say so.
    bool FileChangedOnDisk() const { return fileChanged_; }
    TLexBand* Band936() const { return FBand936; }
    TLexBand* Band950() const { return FBand950; }
    int NodeCount() const { return FNodeCount; }
    // The hits of the last Find (see LexSearch).
    const TFoundNodes& Hits() const { return hits_; }
    TFoundNodes& Hits() { return hits_; }

    // Wiring by the windows: the owners of the document's questions (its own
    // window; the main window for load refusals) and the history list.
    void SetWindow(TWindowHandle Window) { window_ = Window; }
    void SetMainWindow(TWindowHandle MainWindow) { mainWindow_ = MainWindow; }
    TWindowHandle Window() const { return window_; }
    TWindowHandle MainWindow() const { return mainWindow_; }
    void SetOnFileUsed(std::function<void(const std::string& FileName)> OnFileUsed) {
        onFileUsed_ = std::move(OnFileUsed);
    }
    // The numbered title ("Lexicon 2") the window is created with; the
    // caption whenever no file is bound.
    void SetUntitledCaption(std::string Caption);

    // Undo. Without a history nothing is recorded and deleted nodes are freed
    // at once. Each command below is one step; a caller running several as
    // one command (a grab, Translate To GB over a selection) holds a
    // TUndoScope around them, and the commands inside join its step.
    void SetUndoHistory(ILexUndoHistory* History) { history_ = History; }
    class TUndoScope {
    public:
        TUndoScope(TLexDocument& Document, std::string_view Name);
        ~TUndoScope();
        TUndoScope(const TUndoScope&) = delete;
        TUndoScope& operator=(const TUndoScope&) = delete;

    private:
        TLexDocument& document_;
        std::unique_ptr<TLexUndoStep> step_; // none inside another scope
        int nodeCount_ = 0;
    };
    // An open in-place edit is dropped first: the grid's editor has its own undo.
    void Undo(TLexUndoStep& Step);
    void Redo(TLexUndoStep& Step);
    // Whether the document differs from what it was last saved to: the
    // history's word after an undo or redo, a job's after a load or merge.
    void MarkModified(bool Modified) { FModified = Modified; }
    // The document now equals its file or table.
    void Saved();
    // Changes that are no step: a load, a new lexicon's languages.
    class TUnrecorded {
    public:
        explicit TUnrecorded(TLexDocument& Document)
            : document_(Document), history_(std::exchange(Document.history_, nullptr)) {}
        ~TUnrecorded() { document_.history_ = history_; }
        TUnrecorded(const TUnrecorded&) = delete;
        TUnrecorded& operator=(const TUnrecorded&) = delete;

    private:
        TLexDocument& document_;
        ILexUndoHistory* history_;
    };

    // Helpers.
    int CompareLexText(std::string_view A, std::string_view B) const;
    static std::string BandCodePage(const TLexBand& Band);
    // The code page the texts of a band decode with: the process's for the
    // key band, the language's own for the others (see lex::TextCodePage).
    static int TextCodePage(const TLexBand& Band);
    std::string TranslateGUI(std::string_view Text) const;
    void FreeNodeData(TTreeNode* Node);

    // Languages and sequences.
    TLexBand* AddLanguageBand(std::string_view CodePage);
    // Add New Language: the band of CodePage (BandCodePage compared exactly),
    // made only when there is none, so that a code page never has two bands;
    // a band without a column gets the sequence "0".
    TLexBand* AddLanguage(std::string_view CodePage);
    // The band's column captioned SeqNo, or none; Position is where it belongs.
    TLexColumn* FindSequenceColumn(const TLexBand* Band, std::string_view SeqNo,
                                   int& Position) const;
    TLexColumn* AddSequenceColumn(TLexBand* Band, std::string_view SeqNo);
    void SpreadBandColumns(TLexBand* Band);
    void DeleteSequenceColumn(TLexColumn* Column);
    void DeleteLanguageBand(TLexBand* Band);
    void SetEditorStyle(TEditorStyle Style);
    // A new lexicon's languages: 936, 950 and 1252, each with sequence "0".
    void AddDefaultLanguages();

    // In-place editing.
    void PostEdit(); // ends an edit keeping its text
    // The key column's check: refuses (EAbort after a message) a key another
    // node has; otherwise the children follow the new key.
    void Tree_LexColumn_LexKeyValidate(std::string_view Text);

    // Empties the document for a load: no nodes, languages, hits or undo
    // steps. Its binding and modified mark stay.
    void Clear();

    // The binding to a file. BindFile names the file before it is read;
    // SetFileRead records what was read; SavedTo binds the document to the
    // file it was saved to, which holds Written. Unbind: no longer tied to
    // a file, so that Save asks for a name.
    void BindFile(const std::string& FileName);
    void SetFileRead(const FileIdentity& Read) { fileRead_ = Read; }
    void SavedTo(const std::string& FileName, const FileIdentity& Written);
    void Unbind();
    // Looks whether someone else changed the bound file since it was read.
    // An unmodified document offers to reload it (once for each change:
    // a "no" is not asked again until the file changes once more) and says
    // whether the user wants that; a modified one is only marked, and Save
    // asks before replacing it.
    bool OfferReload();
    // Save found the bound file changed by someone else: IDYES replaces it,
    // IDNO saves under another name, IDCANCEL leaves both as they are.
    int AskAboutChangedFile() const;
    void NotifyFileUsed(const std::string& FileName);
    // Makes Save go to the table (see LexTableSync).
    void BindTable(std::string TableName, std::string Caption);

    // Nodes.
    TTreeNode* AddNode(TTreeNode* Parent);
    TTreeNode* NewNode();
    TTreeNode* NewSubNode();
    // A top-level node with Key at the end of the tree, as imports and loads
    // add them; ParentKey names the node it is to go under.
    TTreeNode* AppendNode(std::string_view Key, std::string_view ParentKey = {});
    // Changes made by bulk operations (imports, grabs): each marks the
    // document modified. A new key takes the node's children along; the
    // caller sees to it that no other node has it.
    void SetNodeKey(TTreeNode* Node, std::string_view Key);
    void SetNodeValue(TTreeNode* Node, int ColumnIndex, std::string_view Text);
    std::string NewNodeKey() const;
    TTreeNode* FindNodeByKey(std::string_view Key) const;
    void DeleteNodes();
    // How many keys DeleteNodes takes: the selected nodes' subtrees (or the
    // focused node's), each node counted once.
    int KeysToDelete() const;
    void DeleteNode(TTreeNode* Node);
    std::string_view Key(const TTreeNode* Node) const { return FTree.Value(Node, 0); }

    // Drag and drop of the selected nodes onto Target (none = top level).
    bool CanDrop(const TTreeNode* Target) const;
    void Drop(TTreeNode* Target);

    // GB2312/Big5: the node's values from one Chinese band into the other,
    // through the character tables or, when given, through Convert (the
    // application's word-aware conversion, which this library does not link).
    using TChineseConvert = std::function<std::string(std::string_view Text, bool ToBig5)>;
    void ConvertNodeChinese(TTreeNode* Node, TLexBand* Source, TLexBand* Target,
                            const TChineseConvert& Convert = {});

    // Whether the window may close; asks "Data modified, Save?" and runs
    // SaveEditor for Yes (the window stays open while still modified).
    bool CloseQuery(const std::function<void()>& SaveEditor);

    // The column's translated and translatable keys (see TColumnState),
    // kept up to date.
    TTranslationCount TranslationCount(const TLexColumn& Column);

private:
    friend struct TLexDocumentTestAccess;
    friend class TLexUndoStep;
    void FreeDetachedSubtree(TTreeNode* Node);
    void SetParentKey(TTreeNode* Node, std::string_view Key);
    void ApplyStep(TLexUndoStep& Step, bool Forward);
    // The history's steps refer to what a load is about to replace.
    void ForgetHistory();
    TTreeNode* CreateNode(TTreeNode* Parent, std::string_view Key, std::string_view ParentKey);
    // Deletes each root with its subtree, in the order given; a root may lie
    // below a later one.
    void DeleteSubtrees(const std::vector<TTreeNode*>& Roots);

    TLexEditorOptions options_;
    TWindowHandle window_ = nullptr;
    TWindowHandle mainWindow_ = nullptr;
    std::function<void(const std::string& FileName)> onFileUsed_;
    std::string untitledCaption_;
    std::string caption_;
    std::string FFileName;
    std::string FTableName;
    FileIdentity fileRead_;
    FileIdentity reloadDeclined_; // the change the user chose not to reload
    bool fileChanged_ = false;
    bool FModified = false;
    TLexBand* FBand936 = nullptr;
    TLexBand* FBand950 = nullptr;
    int FNodeCount = 0;
    TFoundNodes hits_;
    TLexTree FTree;
    TTranslationCounter translationCounter_{FTree};
    // The nodes' records, pooled: a million nodes cost no million allocations.
    std::deque<TLexNode> nodeData_;
    std::vector<TLexNode*> freeNodeData_;
    ILexUndoHistory* history_ = nullptr;
};

// "Lexicon 1", "Lexicon 2", ...: the base and the smallest number from 1 that
// no open window's caption has.
std::string NumberedCaption(std::string_view Base, const std::vector<std::string>& OpenCaptions);

bool IsDigits(std::string_view Text);

} // namespace lex
