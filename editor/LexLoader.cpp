// Loading and merging records into the document: one record loop shared by
// every source, then the parent keys build the tree.
#include "editor/LexDocument.h"
#include "editor/LexKeyList.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/TextCompare.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <algorithm>
#include <cstdint>
#include <deque>

namespace lex {

namespace {

constexpr int Utf8CodePage = 65001;

std::string ToUtf8(std::string_view Bytes, int CodePage) {
    return EncodeText(DecodeText(Bytes, CodePage), Utf8CodePage);
}

constexpr std::string_view RecordFieldNames[5] = {LexKeyField, CodePageField, SeqNoField,
                                                  DisplayValueField, CatalogIDField};
enum { KeyField, CodePageIndex, SeqNoIndex, DisplayIndex, CatalogIndex };

} // namespace

// The band list of the loader: each language band under its code page, with
// the column its last record went to.
class TLexDocument::BandList {
public:
    struct Entry {
        std::string CodePage;
        TLexBand* Band;
        std::string LastSeqNo;
        TLexColumn* LastColumn = nullptr;
    };

    explicit BandList(const TLexDocument& Document) : document_(Document) {}

    Entry* Find(std::string_view CodePage) {
        for (Entry& entry : entries_)
            if (entry.CodePage == CodePage) return &entry;
        for (Entry& entry : entries_)
            if (document_.CompareLexText(entry.CodePage, CodePage) == 0) return &entry;
        return nullptr;
    }
    Entry& Add(TLexBand* Band) {
        return entries_.emplace_back(Entry{BandCodePage(*Band), Band, {}, nullptr});
    }

private:
    const TLexDocument& document_;
    std::deque<Entry> entries_; // stable addresses
};

TRecordFields LocateRecordFields(const ILexReader& Reader) {
    TRecordFields fields;
    for (int role = 0; role < 5; ++role)
        fields.Index[role] = FindFieldIndex(Reader, RecordFieldNames[role]);
    return fields;
}

void ReadRecordFields(const ILexReader& Reader, const TRecordFields& Fields,
                      std::string_view (&Values)[5]) {
    for (int role = 0; role < 5; ++role)
        if (Fields.Index[role] >= 0) Values[role] = Reader.FieldValue(Fields.Index[role]);
}

void CheckRecordFields(const TRecordFields& Fields, TWindowHandle Owner,
                       const TLexEditorOptions& Options) {
    std::string_view missing;
    if (Fields.Index[KeyField] < 0)
        missing = LexKeyField;
    else if (Fields.Index[CodePageIndex] >= 0 && Fields.Index[DisplayIndex] < 0)
        missing = DisplayValueField;
    if (missing.empty()) return;
    LexMessageBoxFmt(Owner, "Field \"%s\" not found!", "Error", MB_OK | MB_ICONERROR,
                     Options.CodePage, {missing}, {}, Options.SeqNo, GUILexName);
    throw EAbort();
}

namespace {
// Runs a load from FileName; a failure that does not name the file itself
// is raised again with the file's name in front, so that the message says
// where the fault is.
template <typename Loader>
void LoadNamingFile(const std::string& FileName, Loader Load) {
    try {
        Load();
    } catch (const EAbort&) {
        throw;
    } catch (const EFOpenError&) {
        throw;
    } catch (const Exception& e) {
        throw LexFileError(FileName, e.what());
    }
}
} // namespace

void TLexDocument::UseFileReader(const std::string& FileName,
                                 const std::function<void(ILexReader&)>& Use,
                                 FileIdentity* Identity) const {
    LoadNamingFile(FileName, [&] {
        std::string bytes = ReadFileBytes(FileName, Identity);
        const std::string_view readerID = LexFileReaderID(FileName);
        const std::string damage = options_.Lenient ? "" : LexFileDamage(bytes, readerID);
        try {
            const auto reader = RegisteredReader(readerID)(std::move(bytes));
            Use(*reader);
        } catch (const EConvertError&) {
            if (damage.empty()) throw; // otherwise the fault names its line
        }
        if (!damage.empty()) throw Exception(damage);
    });
}

void TLexDocument::OpenFile(const std::string& FileName, const TLexProgressEvent& OnProgress) {
    caption_ = FileName;
    FFileName = FileName;
    fileChanged_ = false;
    try {
        UseFileReader(
            FileName, [&](ILexReader& Reader) { LoadFromReader(Reader, OnProgress); }, &fileRead_);
    } catch (...) {
        // What was read stays for the user to see, but a later Save must not
        // replace the file it could not read with it.
        Unbind();
        throw;
    }
    NotifyFileUsed(FileName);
}

void TLexDocument::ImportFile(const std::string& FileName, const TLexProgressEvent& OnProgress) {
    UseFileReader(FileName, [&](ILexReader& Reader) { MergeFromReader(Reader, OnProgress); });
    NotifyFileUsed(FileName);
}

namespace {
void FocusFirstNode(TLexTree& Tree) {
    if (TTreeNode* focused = Tree.FocusedNode()) Tree.MakeVisible(focused);
    if (TTreeNode* first = Tree.FirstNode()) Tree.SetFocusedNode(first);
}
} // namespace

void TLexDocument::LoadFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress) {
    ForgetHistory(); // its steps refer to what is about to go
    const TUnrecorded unrecorded(*this);
    FBand936 = FBand950 = nullptr;
    TLexKeyList keys(FTree, options_.CaseSensitive);
    BandList bands(*this);
    const TLexTreeUpdate update(FTree);
    for (TTreeNode* node = FTree.FirstNode(); node; node = node->NextSibling())
        FreeNodeData(node);
    ClearFoundNodes();
    FFoundIndex = FFoundColumn = 0;
    FTree.Clear();
    while (FTree.BandCount() > 1)
        FTree.DeleteBand(FTree.Band(FTree.BandCount() - 1));
    while (FTree.ColumnCount() > 1)
        FTree.DeleteColumn(FTree.Column(FTree.ColumnCount() - 1));
    FNodeCount = 0;
    LoadRecords(Reader, keys, bands, OnProgress);
    for (int i = FTree.BandCount() - 1; i >= 1; --i)
        SpreadBandColumns(FTree.Band(i));
    FocusFirstNode(FTree);
    FModified = false;
}

void TLexDocument::MergeFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress) {
    PostEdit();
    const TUndoScope scope(*this, "Import");
    TLexKeyList keys(FTree, options_.CaseSensitive);
    BandList bands(*this);
    const TLexTreeUpdate update(FTree);
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        keys.Insert(Key(node), node);
    for (int i = 1; i < FTree.BandCount(); ++i) {
        TLexBand* band = FTree.Band(i);
        if (!bands.Find(BandCodePage(*band))) bands.Add(band);
    }
    LoadRecords(Reader, keys, bands, OnProgress);
    for (int i = FTree.BandCount() - 1; i >= 1; --i)
        SpreadBandColumns(FTree.Band(i));
    FocusFirstNode(FTree);
    FModified = true;
}

int TLexDocument::AskOverwrite(const TLexBand& Band, std::string_view OldKey,
                               std::string_view NewKey, std::string_view OldValue,
                               std::string_view NewValue) {
    // The values may be of a language whose code page the interface's cannot
    // hold: the question is UTF-8, each piece decoded with its own code page
    // (keys with the process's, interface texts with their language's).
    const int processCodePage = ProcessCodePage();
    const int guiCodePage = lex::TextCodePage(options_.CodePage);
    const int valueCodePage = TextCodePage(Band);
    const auto text = [&](std::string_view Bytes) { return ToUtf8(Bytes, processCodePage); };
    const auto gui = [&](std::string_view Text) { return ToUtf8(TranslateGUI(Text), guiCodePage); };
    const auto value = [&](std::string_view Bytes) { return ToUtf8(Bytes, valueCodePage); };
    const std::string codePage = BandCodePage(Band);
    const std::string language =
        Band.Caption == codePage ? codePage : Band.Caption + " (" + codePage + ")";
    const std::string lineBreak = "\r\n";
    std::string question = gui("Value Already Exists!");
    question += lineBreak + lineBreak;
    question +=
        gui("Because \"LexKey\" is not case sensitive while loading, or record key violation.");
    question += lineBreak + lineBreak;
    question += gui("Old LexKey") + " : " + text(OldKey) + lineBreak;
    question += gui("New LexKey") + " : " + text(NewKey) + lineBreak;
    question += gui("Language") + " : " + text(language) + lineBreak;
    question += gui("Old Value") + " : " + value(OldValue) + lineBreak;
    question += gui("New Value") + " : " + value(NewValue) + lineBreak + lineBreak;
    question += gui("Override old value?") + lineBreak;
    question += gui("(If select \"Cancel\",don`t ask again,override automatically.)");
    return ShowMessageBox(window_, question, gui("Confirm"),
                          MB_YESNOCANCEL | MB_ICONQUESTION | MB_UTF8TEXT);
}

void TLexDocument::LoadRecords(ILexReader& Reader, TLexKeyList& Keys, BandList& Bands,
                               const TLexProgressEvent& OnProgress) {
    const TRecordFields fields = LocateRecordFields(Reader);
    CheckRecordFields(fields, mainWindow_, options_);
    std::string_view values[5];
    const auto field = [&values](int Role) { return values[Role]; };
    const bool hasCodePage = fields.Index[CodePageIndex] >= 0;
    const bool hasSeqNo = fields.Index[SeqNoIndex] >= 0;
    int answer = IDYES; // remembered for this call: Cancel stops the asking
    Keys.Reserve(Keys.Size() + static_cast<size_t>(Reader.ReservableRecordCount()));
    // Records of one key, and of one language, usually follow each other.
    std::string lastKey;
    TTreeNode* node = nullptr;
    BandList::Entry* band = nullptr;
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        ReadRecordFields(Reader, fields, values);
        const std::string_view key = field(KeyField);
        if (!node || key != lastKey) {
            node = Keys.FindOrAdd(key, [&] {
                ++FNodeCount;
                return CreateNode(nullptr, key, field(CatalogIndex));
            });
            lastKey = key;
        }
        if (hasCodePage) {
            const std::string_view codePage = field(CodePageIndex);
            const std::string_view seqNo = hasSeqNo ? field(SeqNoIndex) : std::string_view("0");
            if (!band || codePage != band->CodePage) {
                band = Bands.Find(codePage);
                if (!band) band = &Bands.Add(AddLanguageBand(codePage));
            }
            if (!band->LastColumn || seqNo != band->LastSeqNo) {
                int position = 0;
                band->LastColumn = FindSequenceColumn(band->Band, seqNo, position);
                if (!band->LastColumn) band->LastColumn = AddSequenceColumn(band->Band, seqNo);
                band->LastSeqNo = seqNo;
            }
            const int column = band->LastColumn->Index();
            const std::string_view display = field(DisplayIndex);
            const std::string_view cell = FTree.Value(node, column);
            const bool ask = !cell.empty() && (cell != display || Key(node) != key);
            bool write = true;
            if (ask) {
                if (answer != IDCANCEL)
                    answer = AskOverwrite(*band->Band, Key(node), key, cell, display);
                write = answer != IDNO;
            }
            if (write) FTree.SetValue(node, column, display);
        }
        if (OnProgress) {
            bool accept = true;
            OnProgress({}, LexFraction(Reader.RecNo(), Reader.RecordCount()), accept);
        }
    }
    if (fields.Index[CatalogIndex] >= 0) BuildHierarchy(Keys, OnProgress);
}

void TLexDocument::BuildHierarchy(TLexKeyList& Keys, const TLexProgressEvent& OnProgress) {
    TLexKeyList createdParents(FTree, options_.CaseSensitive);
    // Many nodes name the same parent: its exact text finds it again
    // without the collator.
    TLexKeyTable parentByText;
    parentByText.Reserve(Keys.Size() / 8);
    const std::vector<TTreeNode*> entries = Keys.Sorted();
    const double total = static_cast<double>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        TTreeNode* node = entries[i];
        const std::string& parentKey = node->Data->ParentKey;
        if (parentKey.empty()) continue;
        TTreeNode* parent = parentByText.Find(parentKey);
        if (!parent) {
            parent = Keys.Find(parentKey);
            if (!parent)
                parent = createdParents.FindOrAdd(parentKey, [&] {
                    ++FNodeCount;
                    return CreateNode(nullptr, parentKey, "");
                });
            parentByText.Add(parentKey, parent);
        }
        // Parent keys may form a cycle; the move that would close it is left
        // out, so that node stays where it is.
        if (parent != node && !FTree.IsInSubtree(parent, node)) FTree.MoveNode(node, parent, false);
        if (OnProgress) {
            bool accept = true;
            OnProgress({}, (i + 1) / total, accept);
        }
    }
}

} // namespace lex
