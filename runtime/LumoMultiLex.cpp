#include "runtime/LumoMultiLex.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lex {

std::unique_ptr<TLumoMultiLexStorage> MultiLexStorage;

namespace {

TLumoMultiLexStorage& Storage() {
    if (!MultiLexStorage) throw Exception("The dictionary registry is not initialised");
    return *MultiLexStorage;
}

inline void AppendKey(std::string& out, std::string_view Key, std::string_view CodePage,
                      std::string_view SeqNo) {
    out.append(Key);
    out += '\t';
    out.append(CodePage);
    out += '\t';
    out.append(SeqNo);
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

void TMultiDictionary::ReadData(std::string_view Source) {
    Stream.resize(Stream.size() + Source.size());
    if (!Source.empty()) std::memcpy(Stream.data() + Position, Source.data(), Source.size());
    Position += Source.size();
}

void TMultiDictionary::WriteData(OutputStream& Destination) const {
    if (Position < Stream.size()) Destination.Write(std::string_view(Stream).substr(Position));
}

TCustomMultiLex::TCustomMultiLex(TComponent* Owner) : TComponent(Owner), registry_(Storage()) {
    for (int n = 0;; ++n) {
        std::string name = "Lex" + std::to_string(n);
        if (!registry_.Find(name)) {
            LexNameValue = std::move(name);
            break;
        }
    }
    registry_.Insert(this);
}

TCustomMultiLex::~TCustomMultiLex() {
    registry_.Remove(this);
}

void TCustomMultiLex::SetLexName(std::string_view Value) {
    if (Value.empty() || Value == LexNameValue) return;
    if (registry_.Find(Value))
        throw Exception(FormatText("lexicon: \"%s\" already exists.", {Value}));
    registry_.Remove(this);
    LexNameValue = Value;
    registry_.Insert(this);
}

std::string TCustomMultiLex::MakeKey(std::string_view Key, std::string_view CodePage,
                                     std::string_view SeqNo) {
    std::string key;
    AppendKey(key, Key, CodePage, SeqNo);
    return key;
}

void TCustomMultiLex::ClearLex() {
    Entries.reset();
    BuiltFlag = false;
}

std::string TCustomMultiLex::Translate(std::string_view Key, std::string_view CodePage,
                                       std::string_view SeqNo) {
    return std::string(TranslateView(Key, CodePage, SeqNo));
}

void TCustomMultiLex::BuildLex() {
    DoBeforeBuildLex();
    DoBuildLex();
    DoAfterBuildLex();
}

void TCustomMultiLex::DoBeforeBuildLex() {
    if (OnBeforeBuildLex) OnBeforeBuildLex(*this);
}

void TCustomMultiLex::DoAfterBuildLex() {
    if (OnAfterBuildLex) OnAfterBuildLex(*this);
}

void TCustomMultiLex::BuildFromReader(ILexReader& Reader) {
    const std::string_view names[4] = {
        UseDefaultFields ? LexKeyField : FieldsOption.LexKeyField,
        UseDefaultFields ? CodePageField : FieldsOption.CodePageField,
        UseDefaultFields ? SeqNoField : FieldsOption.SeqNoField,
        UseDefaultFields ? DisplayValueField : FieldsOption.DisplayValueField};
    int position[4] = {-1, -1, -1, -1}; // key, code page, sequence, display
    for (int i = 0; i < Reader.FieldCount(); ++i) {
        for (int role = 0; role < 4; ++role) {
            if (AnsiSameText(Reader.FieldName(i), names[role])) {
                position[role] = i;
                break;
            }
        }
    }
    const int key = position[0], codePage = position[1], seqNo = position[2], display = position[3];
    const auto missingField = [&] {
        return Exception(FormatText("field \"%s\" not found!", {key < 0 ? names[0] : names[3]}));
    };

    ClearLex();
    // About one entry per bucket, for as many records as the source can hold.
    const int expected = Reader.ReservableRecordCount();
    Entries =
        std::make_unique<TLumoHashList>(expected > 0 ? NextPrime(expected) : 1, HashWeightedShift);
    if (Reader.RecordCount() > 0 && (key < 0 || display < 0)) throw missingField();

    ReadScope scope(Reader);
    std::string entryKey;
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        // A reader that announced nothing was not checked above; it must not
        // be read through a missing position.
        if (key < 0 || display < 0) throw missingField();
        const std::string_view lexKey = Reader.FieldValue(key);
        const std::string_view lexCodePage = codePage >= 0 ? Reader.FieldValue(codePage) : "";
        const std::string_view lexSeqNo = seqNo >= 0 ? Reader.FieldValue(seqNo) : "";
        bool accept = true;
        if (OnBuildingLex) OnBuildingLex(*this, lexKey, lexCodePage, lexSeqNo, accept);
        if (!accept) continue;
        entryKey.clear();
        AppendKey(entryKey, lexKey, lexCodePage, lexSeqNo);
        Entries->Add(entryKey, Reader.FieldValue(display));
        // The buckets are sized from the announced count; a reader that
        // delivers far more (a damaged or hand-made file) would otherwise
        // pile them into a few trees and make the build quadratic.
        if (Entries->Count() > 4LL * Entries->BucketCount())
            Entries->Rehash(NextPrime(2 * Entries->Count()));
    }
    Entries->Pack();
    BuiltFlag = true;
}

std::string TCustomMultiLex::TranslateWords(std::string_view Text, std::string_view CodePage,
                                            std::string_view SeqNo) {
    if (Text.empty()) return std::string();
    const bool keepSpaces = CodePage == "1252";
    std::string result;
    result.reserve(Text.size());
    size_t wordStart = std::string_view::npos;
    // One position past the text stands for the appended space that closes
    // the last word and is never copied.
    for (size_t i = 0; i <= Text.size(); ++i) {
        const char c = i < Text.size() ? Text[i] : ' ';
        if (IsAsciiLetter(c)) {
            if (wordStart == std::string_view::npos) wordStart = i;
            continue;
        }
        if (wordStart != std::string_view::npos) {
            result += Translate(Text.substr(wordStart, i - wordStart), CodePage, SeqNo);
            wordStart = std::string_view::npos;
        }
        if (c != ' ' || (keepSpaces && i < Text.size())) result += c;
    }
    return result;
}

void TLumoMultiStreamLex::DoBuildLex() {
    const TLexReaderClass readerClass = RegisteredReader(LexReaderID);
    Dictionary.Position = 0;
    const std::unique_ptr<TCustomStreamLexReader> reader = readerClass(Dictionary.Stream);
    BuildFromReader(*reader);
}

TLumoMultiLexStorage::~TLumoMultiLexStorage() {
    while (!Entries.empty())
        delete Entries.back(); // removes itself
}

auto TLumoMultiLexStorage::Search(std::string_view LexName) const
    -> std::vector<TCustomMultiLex*>::const_iterator {
    return std::lower_bound(Entries.begin(), Entries.end(), LexName,
                            [](const TCustomMultiLex* lex, std::string_view name) {
                                return AnsiCompareText(lex->LexName(), name) < 0;
                            });
}

TCustomMultiLex* TLumoMultiLexStorage::Find(std::string_view LexName) const {
    const auto it = Search(LexName);
    return it != Entries.end() && AnsiSameText((*it)->LexName(), LexName) ? *it : nullptr;
}

void TLumoMultiLexStorage::Insert(TCustomMultiLex* Lex) {
    Entries.insert(Search(Lex->LexName()), Lex);
}

void TLumoMultiLexStorage::Remove(TCustomMultiLex* Lex) {
    const auto it = std::find(Entries.rbegin(), Entries.rend(), Lex);
    if (it != Entries.rend()) Entries.erase(std::next(it).base());
}

std::string TLumoMultiLexStorage::Translate(std::string_view LexName, std::string_view Text,
                                            std::string_view CodePage, std::string_view SeqNo) {
    TCustomMultiLex* lex = Find(LexName);
    return lex ? lex->Translate(Text, CodePage, SeqNo) : std::string(Text);
}

void InitializeLumoMultiLex() {
    if (!MultiLexStorage) MultiLexStorage = std::make_unique<TLumoMultiLexStorage>();
}

void FinalizeLumoMultiLex() {
    MultiLexStorage.reset();
}

int NextPrime(int n) {
    for (long long x = n;; ++x) {
        const long long limit = std::llround(std::sqrt(static_cast<double>(x)));
        bool prime = true;
        for (long long d = 2; d <= limit; ++d) {
            if (x % d == 0) {
                prime = false;
                break;
            }
        }
        if (prime) return static_cast<int>(x);
    }
}

namespace {

std::string TranslateText(std::string_view Text, std::string_view CodePage, std::string_view SeqNo,
                          std::string_view LexName) {
    return MultiLexStorage ? MultiLexStorage->Translate(LexName, Text, CodePage, SeqNo)
                           : std::string(Text);
}

std::string FillIn(const std::string& pattern, std::initializer_list<std::string_view> args) {
    return args.size() == 0 ? pattern : FormatText(pattern, args);
}

} // namespace

int LexMessageBox(TWindowHandle Owner, std::string_view Text, std::string_view Caption,
                  unsigned Flags, std::string_view CodePage, std::string_view SeqNo,
                  std::string_view LexName) {
    return ShowMessageBox(Owner, TranslateText(Text, CodePage, SeqNo, LexName),
                          TranslateText(Caption, CodePage, SeqNo, LexName), Flags);
}

int LexMessageBoxFmt(TWindowHandle Owner, std::string_view Text, std::string_view Caption,
                     unsigned Flags, std::string_view CodePage,
                     std::initializer_list<std::string_view> TextArgs,
                     std::initializer_list<std::string_view> CaptionArgs, std::string_view SeqNo,
                     std::string_view LexName) {
    return ShowMessageBox(Owner, FillIn(TranslateText(Text, CodePage, SeqNo, LexName), TextArgs),
                          FillIn(TranslateText(Caption, CodePage, SeqNo, LexName), CaptionArgs),
                          Flags);
}

} // namespace lex
