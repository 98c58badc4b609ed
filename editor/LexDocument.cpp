#include "editor/LexDocument.h"

#include "editor/LexKeyList.h"
#include "editor/NodePositions.h"
#include "platform/CodePage.h"
#include "platform/CodePageCatalog.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/ChineseGbBig5.h"
#include "runtime/LumoMultiLex.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <set>

namespace lex {

namespace {
constexpr int NodeImage = 34;
constexpr int NodeSelectedImage = 35;
constexpr int BandWidth = 200;

// Digit strings as numbers of any length: without leading zeros the longer
// is the greater, and of equal lengths the text order is the number order.
int CompareNumbers(std::string_view A, std::string_view B) {
    A.remove_prefix(std::min(A.find_first_not_of('0'), A.size()));
    B.remove_prefix(std::min(B.find_first_not_of('0'), B.size()));
    if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
    const int c = A.compare(B);
    return (c > 0) - (c < 0);
}
} // namespace

bool IsDigits(std::string_view Text) {
    return !Text.empty() &&
           std::all_of(Text.begin(), Text.end(), [](char C) { return C >= '0' && C <= '9'; });
}

std::string NumberedCaption(std::string_view Base, const std::vector<std::string>& OpenCaptions) {
    const std::set<std::string, std::less<>> taken(OpenCaptions.begin(), OpenCaptions.end());
    for (int n = 1;; ++n) {
        std::string caption = std::string(Base) + " " + std::to_string(n);
        if (!taken.contains(caption)) return caption;
    }
}

TLexDocument::TLexDocument(TLexEditorOptions Options) : options_(std::move(Options)) {
    TLexBand* keyBand = FTree.AddBand();
    keyBand->Fixed = true;
    keyBand->Caption = TranslateGUI("LexKey");
    TLexColumn* keyColumn = FTree.AddColumn(keyBand, 0);
    keyColumn->Width = 140;
    keyColumn->HeaderAlignment = TAlignment::Center;
    keyColumn->Caption = keyBand->Caption;
}

// The records go with their pool.
TLexDocument::~TLexDocument() = default;

int TLexDocument::CompareLexText(std::string_view A, std::string_view B) const {
    return options_.CaseSensitive ? AnsiCompareStr(A, B) : AnsiCompareText(A, B);
}

std::string TLexDocument::BandCodePage(const TLexBand& Band) {
    return Band.CodePageNode ? Band.CodePageNode->CodePage : Band.Caption;
}

int TLexDocument::TextCodePage(const TLexBand& Band) {
    return Band.Index() == 0 ? ProcessCodePage() : lex::TextCodePage(BandCodePage(Band));
}

std::string TLexDocument::TranslateGUI(std::string_view Text) const {
    return MultiLexStorage
               ? MultiLexStorage->Translate(GUILexName, Text, options_.CodePage, options_.SeqNo)
               : std::string(Text);
}

TTranslationCount TLexDocument::TranslationCount(const TLexColumn& Column) {
    return translationCounter_.Count(Column);
}

void TLexDocument::Clear() {
    ForgetHistory(); // its steps refer to what is about to go
    const TUnrecorded unrecorded(*this);
    const TLexTreeUpdate update(FTree);
    FBand936 = FBand950 = nullptr;
    for (TTreeNode* node = FTree.FirstNode(); node; node = node->NextSibling())
        FreeNodeData(node);
    hits_.Assign({});
    FTree.Clear();
    while (FTree.BandCount() > 1)
        FTree.DeleteBand(FTree.Band(FTree.BandCount() - 1));
    while (FTree.ColumnCount() > 1)
        FTree.DeleteColumn(FTree.Column(FTree.ColumnCount() - 1));
    FNodeCount = 0;
}

void TLexDocument::FreeNodeData(TTreeNode* Node) {
    for (TTreeNode* n = Node; n; n = TLexTree::NextInTreeOrder(n, Node)) {
        if (n->Data) {
            n->Data->ParentKey.clear();
            freeNodeData_.push_back(n->Data);
            n->Data = nullptr;
        }
    }
}

TLexBand* TLexDocument::AddLanguageBand(std::string_view CodePage) {
    TLexBand* band = FTree.AddBand();
    band->CodePageNode = CodePageList ? CodePageList->Find(CodePage) : nullptr;
    band->Caption = band->CodePageNode ? band->CodePageNode->Description : std::string(CodePage);
    band->Width = BandWidth;
    if (CodePage == "936")
        FBand936 = band;
    else if (CodePage == "950")
        FBand950 = band;
    return band;
}

TLexBand* TLexDocument::AddLanguage(std::string_view CodePage) {
    const TUndoScope scope(*this, "Add New Language");
    TLexBand* band = nullptr;
    for (int i = 1; i < FTree.BandCount() && !band; ++i)
        if (BandCodePage(*FTree.Band(i)) == CodePage) band = FTree.Band(i);
    if (!band) band = AddLanguageBand(CodePage);
    if (band->ColumnCount() == 0) {
        AddSequenceColumn(band, "0");
        SpreadBandColumns(band);
    }
    return band;
}

TLexColumn* TLexDocument::FindSequenceColumn(const TLexBand* Band, std::string_view SeqNo,
                                             int& Position) const {
    const bool digits = IsDigits(SeqNo);
    TLexColumn* found = nullptr;
    int lo = 0, hi = Band->ColumnCount() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const std::string& caption = Band->Column(mid)->Caption;
        const int c = digits && IsDigits(caption) ? CompareNumbers(caption, SeqNo)
                                                  : CompareLexText(caption, SeqNo);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = Band->Column(mid);
                lo = mid;
            }
        }
    }
    Position = lo;
    return found;
}

TLexColumn* TLexDocument::AddSequenceColumn(TLexBand* Band, std::string_view SeqNo) {
    const TUndoScope scope(*this, "New Sequence");
    int position = 0;
    FindSequenceColumn(Band, SeqNo, position);
    TLexColumn* column = FTree.AddColumn(Band, position);
    column->HeaderAlignment = TAlignment::Center;
    column->Caption = SeqNo;
    column->PopupStyle = options_.EditorStyle;
    column->Width = BandWidth;
    FTree.ColumnsChanged();
    FModified = true;
    return column;
}

void TLexDocument::SpreadBandColumns(TLexBand* Band) {
    if (Band->ColumnCount() == 0) return;
    for (int i = 0; i < Band->ColumnCount(); ++i)
        Band->Column(i)->Width = BandWidth / Band->ColumnCount();
    FTree.ColumnsChanged();
}

void TLexDocument::DeleteSequenceColumn(TLexColumn* Column) {
    const TUndoScope scope(*this, "Delete Sequence");
    TLexBand* band = Column->Band;
    hits_.RemoveColumn(Column);
    FTree.DeleteColumn(Column);
    SpreadBandColumns(band);
    FModified = true;
}

void TLexDocument::DeleteLanguageBand(TLexBand* Band) {
    const TUndoScope scope(*this, "Delete Language");
    const std::string codePage = BandCodePage(*Band);
    if (codePage == "936")
        FBand936 = nullptr;
    else if (codePage == "950")
        FBand950 = nullptr;
    for (int i = Band->ColumnCount() - 1; i >= 0; --i)
        hits_.RemoveColumn(Band->Column(i));
    FTree.DeleteBand(Band);
    FModified = true;
}

void TLexDocument::SetEditorStyle(TEditorStyle Style) {
    options_.EditorStyle = Style;
    for (int i = 1; i < FTree.ColumnCount(); ++i)
        FTree.Column(i)->PopupStyle = Style;
    FTree.ColumnsChanged();
}

void TLexDocument::AddDefaultLanguages() {
    const TUnrecorded unrecorded(*this); // a new lexicon starts with these
    for (const char* codePage : {"936", "950", "1252"})
        AddLanguage(codePage);
    FModified = false;
}

void TLexDocument::PostEdit() {
    if (!FTree.Editing()) return;
    TTreeNode* node = FTree.FocusedNode();
    const int column = FTree.FocusedColumn();
    const std::string text = FTree.EditText();
    const TUndoScope scope(*this, column == 0 ? "Rename Key" : "Edit Cell");
    if (column == 0) Tree_LexColumn_LexKeyValidate(text); // may refuse, leaving the edit open
    const bool changed = FTree.Value(node, column) != text;
    if (changed) FTree.SetValue(node, column, text);
    FTree.CloseEditor();
    if (changed) FModified = true;
}

void TLexDocument::Tree_LexColumn_LexKeyValidate(std::string_view Text) {
    TTreeNode* focused = FTree.FocusedNode();
    const TTreeNode* other = FindNodeByKey(Text);
    if (other && other != focused) {
        LexMessageBox(window_, "LexKey already exists!", "Error", MB_OK | MB_ICONERROR,
                      options_.CodePage, options_.SeqNo, GUILexName);
        throw EAbort();
    }
    for (TTreeNode* child = focused->FirstChild(); child; child = child->NextSibling())
        SetParentKey(child, Text);
}

TTreeNode* TLexDocument::CreateNode(TTreeNode* Parent, std::string_view Key,
                                    std::string_view ParentKey) {
    TTreeNode* node = FTree.AddNode(Parent);
    node->ImageIndex = NodeImage;
    node->SelectedIndex = NodeSelectedImage;
    FTree.SetValue(node, 0, Key);
    if (freeNodeData_.empty()) {
        node->Data = &nodeData_.emplace_back();
    } else {
        node->Data = freeNodeData_.back();
        freeNodeData_.pop_back();
    }
    *node->Data = TLexNode{std::string(ParentKey)};
    return node;
}

TTreeNode* TLexDocument::AddNode(TTreeNode* Parent) {
    PostEdit();
    TTreeNode* node = CreateNode(Parent, NewNodeKey(), Parent ? Key(Parent) : "");
    FTree.ClearSelection();
    FTree.SetFocusedNode(node);
    FTree.SetFocusedColumn(0);
    FTree.ShowEditor();
    FModified = true;
    return node;
}

TTreeNode* TLexDocument::NewNode() {
    PostEdit(); // a step of its own
    const TUndoScope scope(*this, "New Node");
    TTreeNode* focused = FTree.FocusedNode();
    TTreeNode* node = AddNode(focused ? focused->Parent() : nullptr);
    ++FNodeCount;
    return node;
}

TTreeNode* TLexDocument::NewSubNode() {
    PostEdit();
    const TUndoScope scope(*this, "New Sub Node");
    TTreeNode* node = AddNode(FTree.FocusedNode());
    ++FNodeCount;
    return node;
}

TTreeNode* TLexDocument::AppendNode(std::string_view Key, std::string_view ParentKey) {
    const TUndoScope scope(*this, "New Node");
    TTreeNode* node = CreateNode(nullptr, Key, ParentKey);
    ++FNodeCount;
    FModified = true;
    return node;
}

void TLexDocument::SetNodeKey(TTreeNode* Node, std::string_view Key) {
    const TUndoScope scope(*this, "Rename Key");
    FTree.SetValue(Node, 0, Key);
    for (TTreeNode* child = Node->FirstChild(); child; child = child->NextSibling())
        SetParentKey(child, Key);
    FModified = true;
}

void TLexDocument::SetNodeValue(TTreeNode* Node, int ColumnIndex, std::string_view Text) {
    const TUndoScope scope(*this, "Edit Cell");
    FTree.SetValue(Node, ColumnIndex, Text);
    FModified = true;
}

std::string TLexDocument::NewNodeKey() const {
    // One pass lists every key; asking FindNodeByKey per candidate would walk
    // the tree once for each "LexKey<n>" already taken.
    TLexKeyList keys(FTree, options_.CaseSensitive);
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        keys.Insert(Key(node), node);
    for (int n = 1;; ++n) {
        std::string key = "LexKey" + std::to_string(n);
        if (!keys.Find(key)) return key;
    }
}

TTreeNode* TLexDocument::FindNodeByKey(std::string_view Key) const {
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        if (CompareLexText(this->Key(node), Key) == 0) return node;
    return nullptr;
}

void TLexDocument::DeleteNodes() {
    if (FTree.Editing()) PostEdit(); // a step of its own
    const TUndoScope scope(*this, "Delete Node");
    std::vector<TTreeNode*> roots;
    if (FTree.SelectionCount() == 0) {
        if (TTreeNode* focused = FTree.FocusedNode()) roots.push_back(focused);
        DeleteSubtrees(roots);
        return;
    }
    // Deleting from the last selected node to the first, a node goes with
    // the subtree of a selected ancestor deleted before it; that is known
    // before anything is freed.
    TNodePositions order(static_cast<size_t>(FTree.SelectionCount()));
    for (int i = 0; i < FTree.SelectionCount(); ++i)
        order.Set(FTree.SelectedNode(i), i);
    for (int i = FTree.SelectionCount() - 1; i >= 0; --i) {
        TTreeNode* node = FTree.SelectedNode(i);
        bool goesWithAncestor = false;
        for (const TTreeNode* up = node->Parent(); up && !goesWithAncestor; up = up->Parent())
            goesWithAncestor = order.Find(up) > i;
        if (!goesWithAncestor) roots.push_back(node);
    }
    DeleteSubtrees(roots);
}

int TLexDocument::KeysToDelete() const {
    if (FTree.SelectionCount() == 0)
        return FTree.FocusedNode() ? FTree.SubtreeSize(FTree.FocusedNode()) : 0;
    int keys = 0;
    for (int i = 0; i < FTree.SelectionCount(); ++i) {
        const TTreeNode* node = FTree.SelectedNode(i);
        bool underSelected = false;
        for (const TTreeNode* up = node->Parent(); up && !underSelected; up = up->Parent())
            underSelected = up->Selected();
        if (!underSelected) keys += FTree.SubtreeSize(node);
    }
    return keys;
}

void TLexDocument::DeleteNode(TTreeNode* Node) {
    if (FTree.Editing()) PostEdit();
    const TUndoScope scope(*this, "Delete Node");
    DeleteSubtrees({Node});
}

void TLexDocument::DeleteSubtrees(const std::vector<TTreeNode*>& Roots) {
    if (Roots.empty()) return;
    if (FTree.Editing()) PostEdit();
    // One deletion keeps the view's fine-grained updates; many are one batch.
    std::optional<TLexTreeUpdate> batch;
    if (Roots.size() > 1) batch.emplace(FTree);
    hits_.RemoveSubtrees(Roots);
    for (TTreeNode* root : Roots) {
        if (!FTree.RecordingStep()) FreeNodeData(root); // else the step keeps the subtree
        FNodeCount -= FTree.SubtreeSize(root);
        FTree.DeleteNode(root);
    }
    FModified = true;
}

bool TLexDocument::CanDrop(const TTreeNode* Target) const {
    for (int i = 0; i < FTree.SelectionCount(); ++i) {
        const TTreeNode* node = FTree.SelectedNode(i);
        if (node->Parent() == Target || node == Target || (Target && Target->HasAsAncestor(node)))
            return false;
    }
    return true;
}

void TLexDocument::Drop(TTreeNode* Target) {
    // Without a target the nodes go to the top level, so that their emptied
    // ParentKey and their place in the tree still agree.
    const TUndoScope scope(*this, "Move Node");
    for (int i = FTree.SelectionCount() - 1; i >= 0; --i) {
        TTreeNode* node = FTree.SelectedNode(i);
        if (Target && (Target == node || Target->HasAsAncestor(node))) continue;
        SetParentKey(node, Target ? Key(Target) : std::string_view());
        FTree.MoveNode(node, Target, Target != nullptr);
    }
    FModified = true;
}

void TLexDocument::ConvertNodeChinese(TTreeNode* Node, TLexBand* Source, TLexBand* Target,
                                      const TChineseConvert& Convert) {
    const TChineseGbBig5 converter;
    const bool toBig5 = Source != FBand950;
    const TUndoScope scope(*this, toBig5 ? "Translate To Big5" : "Translate To GB");
    for (int i = 0; i < Source->ColumnCount(); ++i) {
        const TLexColumn* sourceColumn = Source->Column(i);
        const std::string_view text = FTree.Value(Node, sourceColumn->Index());
        if (text.empty()) continue;
        int position = 0;
        const TLexColumn* targetColumn =
            FindSequenceColumn(Target, sourceColumn->Caption, position);
        if (!targetColumn) continue;
        const std::string converted = Convert  ? Convert(text, toBig5)
                                      : toBig5 ? converter.GbToBig5(text)
                                               : converter.Big5ToGb(text);
        FTree.SetValue(Node, targetColumn->Index(), converted);
        FModified = true;
        if (Node == FTree.FocusedNode() && FTree.Editing() &&
            FTree.FocusedColumn() == targetColumn->Index())
            FTree.SetEditText(converted);
    }
}

namespace {

// The lexicon a question names: its file without the folder, in the
// interface's code page where that can hold it (file names are the file
// system's UTF-8), else the window's caption ("Lexicon 2", a table's title).
std::string LexiconName(const std::string& FileName, const std::string& Caption) {
    if (FileName.empty()) return Caption;
    const std::string name = std::filesystem::path(FileName).filename().string();
    try {
        return EncodeText(DecodeText(name, 65001), ProcessCodePage());
    } catch (const EConvertError&) {
        return name;
    }
}

} // namespace

bool TLexDocument::CloseQuery(const std::function<void()>& SaveEditor) {
    if (!FModified) return true;
    // With several editors open, the question says which one it is about.
    switch (LexMessageBoxFmt(window_, "\"%s\": Data modified, Save?", "Confirm",
                             MB_YESNOCANCEL | MB_ICONQUESTION, options_.CodePage,
                             {LexiconName(FFileName, caption_)}, {}, options_.SeqNo, GUILexName)) {
    case IDCANCEL:
        return false;
    case IDYES:
        SaveEditor();
        return !FModified;
    default:
        return true;
    }
}

bool TLexDocument::OfferReload() {
    if (FFileName.empty() || !FTableName.empty()) return false;
    fileChanged_ = !FileUnchanged(FFileName, fileRead_);
    // A file that is gone has nothing to reload; Save writes it again.
    if (!fileChanged_ || FModified) return false;
    const FileIdentity now = CurrentFileIdentity(FFileName);
    if (!now.Exists || now == reloadDeclined_) return false;
    if (LexMessageBoxFmt(window_, "\"%s\" was changed on disk by another program. Reload it?",
                         "Confirm", MB_YESNO | MB_ICONQUESTION, options_.CodePage,
                         {LexiconName(FFileName, caption_)}, {}, options_.SeqNo,
                         GUILexName) == IDYES)
        return true;
    reloadDeclined_ = now;
    return false;
}

int TLexDocument::AskAboutChangedFile() const {
    return LexMessageBoxFmt(window_,
                            "\"%s\" was changed on disk by another program since it was read. "
                            "Yes replaces it, No saves under another name.",
                            "Confirm", MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3,
                            options_.CodePage, {LexiconName(FFileName, caption_)}, {},
                            options_.SeqNo, GUILexName);
}

void TLexDocument::NotifyFileUsed(const std::string& FileName) {
    if (onFileUsed_) onFileUsed_(FileName);
}

void TLexDocument::SetUntitledCaption(std::string Caption) {
    untitledCaption_ = std::move(Caption);
    if (FFileName.empty()) caption_ = untitledCaption_;
}

void TLexDocument::BindFile(const std::string& FileName) {
    caption_ = FileName;
    FFileName = FileName;
    fileChanged_ = false;
}

void TLexDocument::SavedTo(const std::string& FileName, const FileIdentity& Written) {
    Saved();
    FFileName = FileName;
    caption_ = FileName;
    fileRead_ = Written;
    fileChanged_ = false;
}

void TLexDocument::BindTable(std::string TableName, std::string Caption) {
    FTableName = std::move(TableName);
    caption_ = std::move(Caption);
}

void TLexDocument::Unbind() {
    FFileName.clear();
    fileRead_ = {};
    fileChanged_ = false;
    caption_ = untitledCaption_;
}

} // namespace lex
