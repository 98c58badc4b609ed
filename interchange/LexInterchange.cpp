#include "interchange/LexInterchange.h"

#include "editor/LexDocument.h"
#include "editor/LexKeyList.h"
#include "editor/LexLoader.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/TextCompare.h"
#include "runtime/RecordListLexReader.h"

#include <QString>
#include <charconv>
#include <unordered_set>

namespace lex {
namespace {

const std::vector<std::string> RecordFields = {"LexKey", "CodePage", "SeqNo", "DisplayValue",
                                               "CatalogID"};

std::string Utf8(const std::u16string& Text) {
    return QString::fromStdU16String(Text).toStdString();
}

// The converter of a language given by number; a code page without one
// would silently fall back to the process's.
int RequireCodePage(std::string_view CodePage) {
    int number = 0;
    const char* end = CodePage.data() + CodePage.size();
    const auto [last, error] = std::from_chars(CodePage.data(), end, number);
    if (error != std::errc() || last != end || !IsCodePageAvailable(number))
        throw EConvertError("Code page " + std::string(CodePage) + " is not supported");
    return number;
}

// ".po, .ts or .xlf": the default extension of each format.
std::string ExpectedExtensions() {
    const std::vector<const TInterchangeFormat*> formats = InterchangeFormats();
    std::string text;
    for (size_t i = 0; i < formats.size(); ++i)
        text.append(i == 0                    ? "."
                    : i + 1 == formats.size() ? " or ."
                                              : ", .")
            .append(formats[i]->ExtensionList().front());
    return text;
}

const TInterchangeFormat& FormatFor(const std::string& FileName, const TInterchangeFormat* Format) {
    if (!Format) Format = InterchangeFormatOf(FileName);
    if (!Format)
        throw Exception("Cannot tell the format of " + FileName + " (" + ExpectedExtensions() +
                        " expected)");
    return *Format;
}

} // namespace

TLexColumn& LanguageColumn(const TLexDocument& Document, std::string_view CodePage,
                           std::string_view SeqNo) {
    const TLexTree& tree = Document.Tree();
    for (int i = 1; i < tree.BandCount(); ++i) {
        const TLexBand* band = tree.Band(i);
        if (Document.CompareLexText(TLexDocument::BandCodePage(*band), CodePage) != 0) continue;
        int position = 0;
        if (TLexColumn* column = Document.FindSequenceColumn(band, SeqNo, position)) return *column;
        throw Exception("no sequence " + std::string(SeqNo) + " in language " +
                        std::string(CodePage));
    }
    throw Exception("no language " + std::string(CodePage));
}

TTranslationCatalog ExportLanguage(TLexDocument& Document, const TLexColumn& Column,
                                   std::string Language) {
    Document.PostEdit();
    const std::string codePage = TLexDocument::BandCodePage(*Column.Band);
    RequireCodePage(codePage);
    const int valueCodePage = TLexDocument::TextCodePage(*Column.Band);
    const int keyCodePage = ProcessCodePage();
    TTranslationCatalog catalog;
    catalog.Language = Language.empty() ? LocaleOfCodePage(codePage) : std::move(Language);
    catalog.SourceLanguage = LocaleOfCodePage(std::to_string(keyCodePage));
    const TLexTree& tree = Document.Tree();
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        TTranslationUnit& unit = catalog.Units.emplace_back();
        unit.Key = DecodeText(Document.Key(node), keyCodePage);
        const std::string_view value = tree.Value(node, Column.Index());
        if (!value.empty()) unit.Values.push_back(DecodeText(value, valueCodePage));
        unit.ParentKey = DecodeText(node->Data->ParentKey, keyCodePage);
    }
    return catalog;
}

void ExportLanguageToFile(TLexDocument& Document, const TLexColumn& Column,
                          const std::string& FileName, const TInterchangeFormat* Format,
                          std::string Language, const FileIdentity* Expected) {
    const TInterchangeFormat& format = FormatFor(FileName, Format);
    const std::string bytes = format.Write(ExportLanguage(Document, Column, std::move(Language)));
    WriteFileAtomically(
        FileName, [&bytes](OutputStream& Stream) { Stream.Write(bytes); }, Expected);
}

std::vector<TImportProblem> ImportCatalog(TLexDocument& Document,
                                          const TTranslationCatalog& Catalog,
                                          std::string_view CodePage, std::string_view SeqNo,
                                          const TOverwriteAnswerer& Answer,
                                          const TLexProgressEvent& OnProgress) {
    const int valueCodePage = RequireCodePage(CodePage);
    const int keyCodePage = ProcessCodePage();
    int firstSeqNo = 0;
    const bool numbered =
        IsDigits(SeqNo) &&
        std::from_chars(SeqNo.data(), SeqNo.data() + SeqNo.size(), firstSeqNo).ec == std::errc();

    // Keys the document or an earlier entry already has: an empty
    // translation of such a key has nothing to add, and as a record it would
    // ask to clear the value.
    Document.PostEdit();
    const bool caseSensitive = Document.Options().CaseSensitive;
    TLexKeyList known(Document.Tree(), caseSensitive);
    for (TTreeNode* node = Document.Tree().FirstNode(); node;
         node = TLexTree::NextInTreeOrder(node))
        known.Insert(Document.Key(node), node);
    std::unordered_set<std::string> catalogueKeys; // collation keys

    std::vector<TImportProblem> problems;
    std::vector<TLexRecord> records;
    records.reserve(Catalog.Units.size());
    const std::string codePage(CodePage);
    for (const TTranslationUnit& unit : Catalog.Units) {
        std::string key, parentKey;
        std::vector<std::string> values;
        try {
            key = EncodeText(unit.Key, keyCodePage);
            parentKey = EncodeText(unit.ParentKey, keyCodePage);
            for (const std::u16string& value : unit.Values)
                values.push_back(EncodeText(value, valueCodePage));
        } catch (const EConvertError& e) {
            problems.push_back({Utf8(unit.Key), unit.Line, e.what()});
            continue;
        }
        const bool added =
            !known.Find(key) && catalogueKeys.insert(AnsiSortKey(key, caseSensitive)).second;
        const auto addRecord = [&](std::string SeqNoText, std::string Value) {
            records.push_back({key, codePage, std::move(SeqNoText), std::move(Value), parentKey});
        };
        bool anyValue = false;
        for (size_t form = 0; form < values.size(); ++form) {
            if (values[form].empty()) continue;
            if (form > 0 && !numbered) break;
            anyValue = true;
            addRecord(form == 0 ? std::string(SeqNo) : std::to_string(firstSeqNo + form),
                      std::move(values[form]));
        }
        if (!anyValue && added) addRecord(std::string(SeqNo), std::string());
    }
    TRecordListLexReader reader(RecordFields, std::move(records));
    MergeFromReader(Document, reader, Answer, OnProgress);
    return problems;
}

TTranslationCatalog ReadCatalogFile(const std::string& FileName, const TInterchangeFormat* Format) {
    const TInterchangeFormat& format = FormatFor(FileName, Format);
    try {
        return format.Read(ReadFileBytes(FileName));
    } catch (const EParserError& e) {
        throw EParserError(FileName + ": " + e.what());
    }
}

std::vector<TImportProblem>
ImportLanguageFromFile(TLexDocument& Document, const std::string& FileName,
                       std::string_view CodePage, std::string_view SeqNo,
                       const TOverwriteAnswerer& Answer, const TInterchangeFormat* Format,
                       const TLexProgressEvent& OnProgress) {
    return ImportCatalog(Document, ReadCatalogFile(FileName, Format), CodePage, SeqNo, Answer,
                         OnProgress);
}

std::string DescribeProblem(const std::string& FileName, const TImportProblem& Problem) {
    return FileName + ":" + std::to_string(Problem.Line) + ": \"" + Problem.Key +
           "\": " + Problem.Message;
}

} // namespace lex
