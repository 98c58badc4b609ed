// Loading and merging records into the document: one record loop shared by
// every source, then the parent keys build the tree.
#include "editor/LexLoader.h"

#include "editor/LexDocument.h"
#include "editor/LexKeyList.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

namespace lex {

namespace {

constexpr int Utf8CodePage = 65001;

std::string ToUtf8(std::string_view Bytes, int CodePage) {
    return EncodeText(DecodeText(Bytes, CodePage), Utf8CodePage);
}

constexpr std::string_view RecordFieldNames[5] = {LexKeyField, CodePageField, SeqNoField,
                                                  DisplayValueField, CatalogIDField};
enum { KeyField, CodePageIndex, SeqNoIndex, DisplayIndex, CatalogIndex };

// The language bands of a load under their code pages, each with the
// column its last record went to.
class TBandList {
public:
    struct Entry {
        std::string CodePage;
        TLexBand* Band;
        std::string LastSeqNo;
        TLexColumn* LastColumn = nullptr;
    };

    explicit TBandList(const TLexDocument& Document) : document_(Document) {}

    Entry* Find(std::string_view CodePage) {
        for (Entry& entry : entries_)
            if (entry.CodePage == CodePage) return &entry;
        for (Entry& entry : entries_)
            if (document_.CompareLexText(entry.CodePage, CodePage) == 0) return &entry;
        return nullptr;
    }
    Entry& Add(TLexBand* Band) {
        return entries_.emplace_back(Entry{TLexDocument::BandCodePage(*Band), Band, {}, nullptr});
    }

private:
    const TLexDocument& document_;
    std::deque<Entry> entries_; // stable addresses
};

// One load or merge: the keys and bands met so far, and the overwrite
// question's answer, remembered for the run (OverwriteAll stops the asking).
class TRecordLoader {
public:
    TRecordLoader(TLexDocument& Document, const TOverwriteAnswerer& Answer)
        : document_(Document), tree_(Document.Tree()), answer_(Answer),
          keys_(tree_, Document.Options().CaseSensitive), bands_(Document) {}

    // What a merge starts from: the document's keys and bands.
    void ListDocument() {
        for (TTreeNode* node = tree_.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            keys_.Insert(document_.Key(node), node);
        for (int i = 1; i < tree_.BandCount(); ++i) {
            TLexBand* band = tree_.Band(i);
            if (!bands_.Find(TLexDocument::BandCodePage(*band))) bands_.Add(band);
        }
        listed_ = keys_.Size();
    }
    void Load(ILexReader& Reader, const TLexProgressEvent& OnProgress);

private:
    TLexColumn* ColumnOf(std::string_view CodePage, std::string_view SeqNo);
    bool MayWrite(const TLexColumn& Column, TTreeNode* Node, std::string_view Key,
                  std::string_view Value);
    void BuildHierarchy(const TLexProgressEvent& OnProgress);
    std::vector<TTreeNode*> WithSiblings(std::vector<TTreeNode*> Added,
                                         const std::function<TTreeNode*(TTreeNode*)>& ParentOf);

    TLexDocument& document_;
    TLexTree& tree_;
    const TOverwriteAnswerer& answer_;
    TLexKeyList keys_;
    TBandList bands_;
    TBandList::Entry* band_ = nullptr; // of the last record
    bool asking_ = true;
    size_t listed_ = 0; // the document's keys, listed before the records'
};

void TRecordLoader::Load(ILexReader& Reader, const TLexProgressEvent& OnProgress) {
    const TRecordFields fields = LocateRecordFields(Reader);
    CheckRecordFields(fields, document_.MainWindow(), document_.Options());
    std::string_view values[5];
    const bool hasCodePage = fields.Index[CodePageIndex] >= 0;
    const bool hasSeqNo = fields.Index[SeqNoIndex] >= 0;
    keys_.Reserve(keys_.Size() + static_cast<size_t>(Reader.ReservableRecordCount()));
    // Records of one key, and of one language, usually follow each other.
    std::string lastKey;
    TTreeNode* node = nullptr;
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        ReadRecordFields(Reader, fields, values);
        const std::string_view key = values[KeyField];
        if (!node || key != lastKey) {
            node = keys_.FindOrAdd(key,
                                   [&] { return document_.AppendNode(key, values[CatalogIndex]); });
            lastKey = key;
        }
        if (hasCodePage) {
            const TLexColumn* column = ColumnOf(
                values[CodePageIndex], hasSeqNo ? values[SeqNoIndex] : std::string_view("0"));
            const std::string_view display = values[DisplayIndex];
            if (MayWrite(*column, node, key, display))
                tree_.SetValue(node, column->Index(), display);
        }
        ReportProgress(OnProgress, LexFraction(Reader.RecNo(), Reader.RecordCount()));
    }
    if (fields.Index[CatalogIndex] >= 0) BuildHierarchy(OnProgress);
    for (int i = tree_.BandCount() - 1; i >= 1; --i)
        document_.SpreadBandColumns(tree_.Band(i));
    if (TTreeNode* focused = tree_.FocusedNode()) tree_.MakeVisible(focused);
    if (TTreeNode* first = tree_.FirstNode()) tree_.SetFocusedNode(first);
}

TLexColumn* TRecordLoader::ColumnOf(std::string_view CodePage, std::string_view SeqNo) {
    if (!band_ || CodePage != band_->CodePage) {
        band_ = bands_.Find(CodePage);
        if (!band_) band_ = &bands_.Add(document_.AddLanguageBand(CodePage));
    }
    if (!band_->LastColumn || SeqNo != band_->LastSeqNo) {
        int position = 0;
        band_->LastColumn = document_.FindSequenceColumn(band_->Band, SeqNo, position);
        if (!band_->LastColumn) band_->LastColumn = document_.AddSequenceColumn(band_->Band, SeqNo);
        band_->LastSeqNo = SeqNo;
    }
    return band_->LastColumn;
}

bool TRecordLoader::MayWrite(const TLexColumn& Column, TTreeNode* Node, std::string_view Key,
                             std::string_view Value) {
    const std::string_view cell = tree_.Value(Node, Column.Index());
    const std::string_view oldKey = document_.Key(Node);
    if (cell.empty() || (cell == Value && oldKey == Key) || !asking_ || !answer_) return true;
    switch (answer_({Column, oldKey, Key, cell, Value})) {
    case TOverwriteAnswer::Keep:
        return false;
    case TOverwriteAnswer::OverwriteAll:
        asking_ = false;
        return true;
    case TOverwriteAnswer::Overwrite:
        break;
    }
    return true;
}

void TRecordLoader::BuildHierarchy(const TLexProgressEvent& OnProgress) {
    TLexKeyList createdParents(tree_, document_.Options().CaseSensitive);
    // Many nodes name the same parent: its exact text finds it again
    // without the collator.
    TLexKeyTable parentByText;
    parentByText.Reserve((keys_.Size() - listed_) / 8);
    const auto parentOf = [&](TTreeNode* Node) -> TTreeNode* {
        const std::string& parentKey = Node->Data->ParentKey;
        if (parentKey.empty()) return nullptr;
        TTreeNode* parent = parentByText.Find(parentKey);
        if (!parent) {
            parent = keys_.Find(parentKey);
            if (!parent)
                parent = createdParents.FindOrAdd(parentKey,
                                                  [&] { return document_.AppendNode(parentKey); });
            parentByText.Add(parentKey, parent);
        }
        return parent;
    };
    // Only the nodes this run added move, with the children of the nodes
    // they join: a merge costs what it adds, not a sort of the whole tree.
    std::vector<TTreeNode*> entries = keys_.Sorted(listed_);
    if (listed_ > 0) entries = WithSiblings(std::move(entries), parentOf);
    const double total = static_cast<double>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        TTreeNode* node = entries[i];
        TTreeNode* parent = parentOf(node);
        if (!parent) continue;
        // Parent keys may form a cycle; the move that would close it is left
        // out, so that node stays where it is.
        if (parent != node && !tree_.IsInSubtree(parent, node)) tree_.MoveNode(node, parent, false);
        ReportProgress(OnProgress, (i + 1) / total);
    }
}

// Added, in key order, merged with the children that the nodes Added go
// under already have, so that each such parent's children end in key order.
std::vector<TTreeNode*>
TRecordLoader::WithSiblings(std::vector<TTreeNode*> Added,
                            const std::function<TTreeNode*(TTreeNode*)>& ParentOf) {
    std::unordered_set<TTreeNode*> parents;
    std::vector<TTreeNode*> siblings;
    for (TTreeNode* node : Added) {
        TTreeNode* parent = ParentOf(node);
        if (!parent || !parents.insert(parent).second) continue;
        for (TTreeNode* child = parent->FirstChild(); child; child = child->NextSibling())
            if (!child->Data->ParentKey.empty()) siblings.push_back(child);
    }
    const auto less = [this](const TTreeNode* A, const TTreeNode* B) {
        return document_.CompareLexText(document_.Key(A), document_.Key(B)) < 0;
    };
    std::sort(siblings.begin(), siblings.end(), less);
    std::vector<TTreeNode*> merged;
    merged.reserve(Added.size() + siblings.size());
    std::merge(Added.begin(), Added.end(), siblings.begin(), siblings.end(),
               std::back_inserter(merged), less);
    return merged;
}

// Runs a load from FileName; a failure that does not name the file itself
// is raised again with the file's name in front, of its own type, so that
// callers still tell a damaged file from a failed conversion.
template <typename Loader>
void LoadNamingFile(const std::string& FileName, Loader Load) {
    try {
        Load();
    } catch (const EAbort&) {
        throw;
    } catch (const EFOpenError&) {
        throw;
    } catch (const Exception& e) {
        const std::string message = LexFileError(FileName, e.what()).what();
        const auto rethrowAs = [&]<typename Type>(Type*) {
            if (dynamic_cast<const Type*>(&e)) throw Type(message);
        };
        rethrowAs(static_cast<EConvertError*>(nullptr));
        rethrowAs(static_cast<EReadError*>(nullptr));
        rethrowAs(static_cast<EParserError*>(nullptr));
        rethrowAs(static_cast<EDatabaseError*>(nullptr));
        throw Exception(message);
    }
}

} // namespace

TOverwriteMessage OverwriteMessage(const TLexDocument& Document,
                                   const TOverwriteQuestion& Question) {
    // The values may be of a language whose code page the interface's cannot
    // hold: the question is UTF-8, each piece decoded with its own code page
    // (keys with the process's, interface texts with their language's).
    const TLexBand& band = *Question.Column.Band;
    const int processCodePage = ProcessCodePage();
    const int guiCodePage = TextCodePage(Document.Options().CodePage);
    const int valueCodePage = TLexDocument::TextCodePage(band);
    const auto text = [&](std::string_view Bytes) { return ToUtf8(Bytes, processCodePage); };
    const auto gui = [&](std::string_view Text) {
        return ToUtf8(Document.TranslateGUI(Text), guiCodePage);
    };
    const auto value = [&](std::string_view Bytes) { return ToUtf8(Bytes, valueCodePage); };
    const std::string codePage = TLexDocument::BandCodePage(band);
    const std::string language =
        band.Caption == codePage ? codePage : band.Caption + " (" + codePage + ")";
    const std::string lineBreak = "\r\n";
    std::string question = gui("Value Already Exists!");
    question += lineBreak + lineBreak;
    question +=
        gui("Because \"LexKey\" is not case sensitive while loading, or record key violation.");
    question += lineBreak + lineBreak;
    question += gui("Old LexKey") + " : " + text(Question.OldKey) + lineBreak;
    question += gui("New LexKey") + " : " + text(Question.NewKey) + lineBreak;
    question += gui("Language") + " : " + text(language) + lineBreak;
    question += gui("Old Value") + " : " + value(Question.OldValue) + lineBreak;
    question += gui("New Value") + " : " + value(Question.NewValue) + lineBreak + lineBreak;
    question += gui("Override old value?") + lineBreak;
    question += gui("(If select \"Cancel\",don`t ask again,override automatically.)");
    return {question, gui("Confirm")};
}

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

void LoadFromReader(TLexDocument& Document, ILexReader& Reader, const TOverwriteAnswerer& Answer,
                    const TLexProgressEvent& OnProgress) {
    const TLexTreeUpdate update(Document.Tree());
    Document.Clear();
    const TLexDocument::TUnrecorded unrecorded(Document);
    TRecordLoader(Document, Answer).Load(Reader, OnProgress);
    Document.MarkModified(false);
}

void MergeFromReader(TLexDocument& Document, ILexReader& Reader, const TOverwriteAnswerer& Answer,
                     const TLexProgressEvent& OnProgress) {
    Document.PostEdit();
    const TLexDocument::TUndoScope scope(Document, "Import");
    const TLexTreeUpdate update(Document.Tree());
    TRecordLoader loader(Document, Answer);
    loader.ListDocument();
    loader.Load(Reader, OnProgress);
    Document.MarkModified(true);
}

void UseFileReader(const TLexDocument& Document, const std::string& FileName,
                   const std::function<void(ILexReader&)>& Use, FileIdentity* Identity) {
    LoadNamingFile(FileName, [&] {
        std::string bytes = ReadFileBytes(FileName, Identity);
        const TLexFormat& format = LexFormatOf(FileName);
        const std::string damage = Document.Options().Lenient ? "" : LexFileDamage(bytes, format);
        try {
            const auto reader = format.ReaderClass(std::move(bytes));
            Use(*reader);
        } catch (const EConvertError&) {
            if (damage.empty()) throw; // otherwise the fault names its line
        }
        if (!damage.empty()) throw Exception(damage);
    });
}

void OpenFile(TLexDocument& Document, const std::string& FileName, const TOverwriteAnswerer& Answer,
              const TLexProgressEvent& OnProgress) {
    Document.BindFile(FileName);
    FileIdentity read;
    try {
        UseFileReader(
            Document, FileName,
            [&](ILexReader& Reader) { LoadFromReader(Document, Reader, Answer, OnProgress); },
            &read);
    } catch (...) {
        // What was read stays for the user to see, but a later Save must not
        // replace the file it could not read with it.
        Document.Unbind();
        throw;
    }
    Document.SetFileRead(read);
    Document.NotifyFileUsed(FileName);
}

void ImportFile(TLexDocument& Document, const std::string& FileName,
                const TOverwriteAnswerer& Answer, const TLexProgressEvent& OnProgress) {
    UseFileReader(Document, FileName, [&](ILexReader& Reader) {
        MergeFromReader(Document, Reader, Answer, OnProgress);
    });
    Document.NotifyFileUsed(FileName);
}

void CheckFileOnDisk(TLexDocument& Document, const TOverwriteAnswerer& Answer,
                     const TLexProgressEvent& OnProgress) {
    if (!Document.OfferReload()) return;
    const std::string fileName = Document.FileName();
    OpenFile(Document, fileName, Answer, OnProgress);
}

} // namespace lex
