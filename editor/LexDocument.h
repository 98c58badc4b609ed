#pragma once

#include "editor/LexTranslation.h"
#include "editor/LexTree.h"
#include "editor/LexUndo.h"
#include "platform/FileUtil.h"
#include "platform/MessageBox.h"
#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiLexReader.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lex {

class TLexKeyList;

// Sends a table's pending changes to the server, telling OnProgress.
using TTableApply = std::function<TApplyCounts(const TLexProgressEvent& OnProgress)>;

// One search hit: a node and its matching columns in grid column order.
struct TFoundNode {
    TTreeNode* Node = nullptr;
    std::vector<TLexColumn*> Columns;
};

// Edit > Replace: Find replaced by With in the cells of the language bands
// given.
struct TReplaceRequest {
    std::u16string Find;
    std::u16string With;
    std::vector<TLexBand*> Bands;
    bool MatchCase = false; // else the letters a-z match their capitals
    bool WholeCell = false; // only cells whose whole text is Find
};

// How a step to the next match went: found, found after going round from
// the other end, or nothing to find.
enum class TSearchResult { Found, Wrapped, NotFound };

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
// sequence columns per language, loaded from and written to any reader, with
// the editing and search operations. Questions go through the translated
// message boxes of "Lex_GUI"; the window owning them is `Window`.
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
    const std::vector<TFoundNode>& FoundNodes() const { return FFoundNodes; }
    int FoundIndex() const { return FFoundIndex; }
    int FoundColumn() const { return FFoundColumn; }

    // Wiring by the windows: the owners of the document's questions (its own
    // window; the main window for load refusals) and the history list.
    void SetWindow(TWindowHandle Window) { window_ = Window; }
    void SetMainWindow(TWindowHandle MainWindow) { mainWindow_ = MainWindow; }
    TWindowHandle Window() const { return window_; }
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
    // The history's word after an undo or redo: whether the document differs
    // from what it was last saved to.
    void MarkModified(bool Modified) { FModified = Modified; }

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

    // Loading and merging.
    void OpenFile(const std::string& FileName, const TLexProgressEvent& OnProgress = {});
    void ImportFile(const std::string& FileName, const TLexProgressEvent& OnProgress = {});
    // Reads FileName and hands Use its reader; every error names the file. A
    // text lexicon whose structure is damaged is used as it reads, then its
    // first fault is raised ("line 3: ..."), unless the options are lenient.
    // Identity, when given, receives what was read.
    void UseFileReader(const std::string& FileName, const std::function<void(ILexReader&)>& Use,
                       FileIdentity* Identity = nullptr) const;
    // Looks whether someone else changed the bound file since it was read.
    // An unmodified document offers to reload it (once for each change:
    // a "no" is not asked again until the file changes once more); a
    // modified one is only marked, and Save asks before replacing it.
    void CheckFileOnDisk(const TLexProgressEvent& OnProgress = {});
    // Save found the bound file changed by someone else: IDYES replaces it,
    // IDNO saves under another name, IDCANCEL leaves both as they are.
    int AskAboutChangedFile() const;
    void LoadFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress = {});
    void MergeFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress = {});
    void NotifyFileUsed(const std::string& FileName);

    // Saving. SaveAs writes every node and language to FileName, binds the
    // document to it and clears Modified (bound to a table, where Save goes,
    // the file is a copy and the document stays as it was); SaveToFile writes what it is given (an
    // export) and leaves Modified alone, since the user's own file is still unsaved.
    // Onto the bound file, SaveAs refuses with EFileChanged, writing nothing,
    // when someone else changed it since it was read, unless told to replace it.
    enum class TOnDiskChange { Refuse, Replace };
    void SaveAs(const std::string& FileName, const TLexProgressEvent& OnProgress = {},
                TOnDiskChange OnDiskChange = TOnDiskChange::Refuse);
    std::unique_ptr<ILexReader> CreateNodeListReader(bool NodesOnly,
                                                     const std::vector<TLexBand*>& BandFilter);
    FileIdentity WriteNodes(bool NodesOnly, const std::vector<TLexBand*>& BandFilter,
                            const TLexProgressEvent& OnProgress, const std::string& FileName,
                            const FileIdentity* Expected = nullptr);
    FileIdentity SaveToFile(bool NodesOnly, const std::vector<TLexBand*>& BandFilter,
                            const TLexProgressEvent& OnProgress, const std::string& FileName,
                            const FileIdentity* Expected = nullptr);

    // Tables. The table must be open; the document neither opens nor closes it.
    // OpenDataSet loads its rows; BindTable makes Save go to the table.
    void OpenDataSet(TLexDataSet& Table, const TLexProgressEvent& OnProgress = {});
    void BindTable(std::string TableName, std::string Caption);
    // Makes the table's rows equal to the document's records (those NodesOnly
    // and BandFilter choose, as an export does): rows are updated where a
    // field differs, deleted where no record has their "LexKey, CodePage,
    // SeqNo", and records no row has are appended. The changes are made on
    // the table's cached rows and then sent by Apply; Modified clears only
    // when every change reached the server.
    TApplyCounts SaveToTable(TLexDataSet& Table, const TTableApply& Apply, bool NodesOnly,
                             const std::vector<TLexBand*>& BandFilter,
                             const TLexProgressEvent& OnProgress = {});
    // Takes a value someone else wrote into the table in place of the
    // document's (one undo step): the key, language and sequence are made
    // where missing; no value empties the cell.
    void TakeTableValue(std::string_view Key, std::string_view CodePage, std::string_view SeqNo,
                        std::optional<std::string_view> Value);

    // Nodes.
    TTreeNode* AddNode(TTreeNode* Parent);
    TTreeNode* NewNode();
    TTreeNode* NewSubNode();
    // A top-level node with Key at the end of the tree, as imports add them.
    TTreeNode* AppendNode(std::string_view Key);
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

    // Search. The text is Unicode: each band is searched in its own code
    // page (the keys in the process's), and a band whose code page cannot
    // hold the text has no hit. Find matches whole characters, the letters
    // a-z in either case; Locate compares whole texts as the locale does,
    // ignoring case.
    void Find(std::u16string_view Text);
    // The next (previous) matching cell; past the last (first) they go
    // round to the first (last) and return true.
    bool FindNext();
    bool FindPrior();
    void ShowFoundNode();
    void ClearFoundNodes();
    bool Locate(std::u16string_view Text);
    // Replaces in the cells of the request's language bands (keys never:
    // programs look texts up by them) as one step, and returns how many
    // matches went. When a band with a match cannot hold the replacement it
    // says so and aborts (EAbort) with nothing changed.
    int ReplaceText(const TReplaceRequest& Request);

    // The cells still to translate in a language column (see TColumnState).
    // FindUntranslated focuses the column's cell of the next (or previous)
    // node after the focused one, in tree order, whose cell is
    // untranslated, going round from the other end when it has to.
    TSearchResult FindUntranslated(const TLexColumn& Column, bool Forward);
    // The column's translated and translatable keys, kept up to date.
    TTranslationCount TranslationCount(const TLexColumn& Column);

private:
    friend struct TLexDocumentTestAccess;
    friend class TLexUndoStep;
    void FreeDetachedSubtree(TTreeNode* Node);
    void SetParentKey(TTreeNode* Node, std::string_view Key);
    void ApplyStep(TLexUndoStep& Step, bool Forward);
    // The document now equals its file or table (Saved) or was replaced (Clear).
    void Saved();
    void ForgetHistory();
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
    class BandList;
    void LoadRecords(ILexReader& Reader, TLexKeyList& Keys, BandList& Bands,
                     const TLexProgressEvent& OnProgress);
    void BuildHierarchy(TLexKeyList& Keys, const TLexProgressEvent& OnProgress);
    TTreeNode* CreateNode(TTreeNode* Parent, std::string_view Key, std::string_view ParentKey);
    // Deletes each root with its subtree, in the order given; a root may lie
    // below a later one.
    void DeleteSubtrees(const std::vector<TTreeNode*>& Roots);
    // The hit-list rule of a deletion for every node of each root's subtree,
    // root after root, in tree order.
    void RemoveHitsOfSubtrees(const std::vector<TTreeNode*>& Roots);
    void RemoveColumnFromHits(TLexColumn* Column);
    int AskOverwrite(const TLexBand& Band, std::string_view OldKey, std::string_view NewKey,
                     std::string_view OldValue, std::string_view NewValue);

    void Unbind(); // no longer tied to a file: Save asks for a name

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
    std::vector<TFoundNode> FFoundNodes;
    int FFoundIndex = 0;
    int FFoundColumn = 0;
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

// The fields of a reader by name: LexKey, CodePage, SeqNo, DisplayValue,
// CatalogID, each -1 when absent.
struct TRecordFields {
    int Index[5] = {-1, -1, -1, -1, -1};
};
TRecordFields LocateRecordFields(const ILexReader& Reader);
// The current record's texts of those fields; an absent field's text is
// left as it was.
void ReadRecordFields(const ILexReader& Reader, const TRecordFields& Fields,
                      std::string_view (&Values)[5]);
// Refuses (message, then EAbort) a reader without LexKey, or with CodePage but
// without DisplayValue.
void CheckRecordFields(const TRecordFields& Fields, TWindowHandle Owner,
                       const TLexEditorOptions& Options);

} // namespace lex
