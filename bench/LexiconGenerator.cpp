#include "LexiconGenerator.h"

#include <limits>
#include <stdexcept>

namespace lexbench {
namespace {

constexpr std::string_view Words[] = {
    "Main",   "Form",    "Button",   "Caption",  "Hint",    "Label",   "Menu",    "File",
    "Open",   "Save",    "Close",    "Edit",     "Copy",    "Paste",   "Find",    "Replace",
    "Tool",   "Bar",     "Status",   "Panel",    "Grid",    "Column",  "Row",     "Cell",
    "Dialog", "Ok",      "Cancel",   "Help",     "About",   "Option",  "Setting", "Font",
    "Color",  "Print",   "Preview",  "Page",     "Report",  "Query",   "Table",   "Field",
    "Value",  "Error",   "Warning",  "Info",     "Confirm", "Delete",  "Insert",  "Update",
    "User",   "Login",   "Logout",   "Password", "Name",    "Address", "Phone",   "Email",
    "Order",  "Invoice", "Customer", "Product",  "Price",   "Amount",  "Total",   "Date"};
constexpr size_t WordCount = std::size(Words);

// Characters the text writers must escape, each inserted now and then.
constexpr std::string_view Awkward[] = {",", "\"", "\r\n", "%"};

std::string MakeKey(Random& rng, size_t Index, size_t SuffixWidth) {
    const size_t length = rng.Between(8, 40);
    std::string key;
    key.reserve(length + 8);
    while (key.size() + SuffixWidth < length)
        key += Words[rng.Next() % WordCount];
    key.resize(length - SuffixWidth);
    // A fixed-width base-36 index makes every key unique whatever the words.
    constexpr std::string_view digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(SuffixWidth, '0');
    for (size_t i = SuffixWidth, n = Index; i-- > 0; n /= 36)
        suffix[i] = digits[n % 36];
    return key + suffix;
}

std::string MakeValue(Random& rng, bool DoubleByte) {
    const size_t length = rng.Between(4, 60);
    // About one value in twenty holds something a text writer must escape.
    size_t awkwardAt = rng.Chance(50) ? rng.Between(0, uint32_t(length) - 1) : length;
    std::string value;
    value.reserve(length + 1);
    while (value.size() < length) {
        if (value.size() >= awkwardAt) {
            const std::string_view a = Awkward[rng.Next() % std::size(Awkward)];
            if (value.size() + a.size() <= length) {
                value += a;
                awkwardAt = length;
                continue;
            }
        }
        if (DoubleByte && value.size() + 2 <= length && rng.Chance(700)) {
            value += static_cast<char>(rng.Between(0xA1, 0xF7));
            value += static_cast<char>(rng.Between(0xA1, 0xFE));
        } else if (rng.Chance(150) && !value.empty() && value.back() != ' ') {
            value += ' ';
        } else {
            value += static_cast<char>('a' + rng.Next() % 26);
        }
    }
    return value;
}

} // namespace

auto GeneratedLexicon::Append(std::string_view Bytes) -> Span {
    if (text_.size() + Bytes.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("generated lexicon exceeds 4 GiB");
    const Span span{static_cast<uint32_t>(text_.size()), static_cast<int32_t>(Bytes.size())};
    text_.append(Bytes);
    return span;
}

GeneratedLexicon::GeneratedLexicon(size_t Count, uint64_t Seed) {
    Random rng(Seed);
    size_t suffixWidth = 1;
    for (size_t n = Count; n >= 36; n /= 36)
        ++suffixWidth;
    // Leaves at least two letters of words in the shortest keys.
    if (suffixWidth > 6) throw std::length_error("too many records for 8-byte keys");

    text_.reserve(Count * 64);
    records_.reserve(Count);
    // Code pages and sequence numbers repeat, so one copy of each serves all.
    const Span codePages[] = {Append("936"), Append("950"), Append("1252")};
    const Span seqNos[] = {Append("0"), Append("1")};
    constexpr Span null{0, -1};

    for (size_t i = 0; i < Count; ++i) {
        std::array<Span, FieldTotal>& r = records_.emplace_back();
        r[Key] = Append(MakeKey(rng, i, suffixWidth));
        const uint32_t page = rng.Between(0, 9); // 936 : 950 : 1252 = 4 : 3 : 3
        const int pageIndex = page < 4 ? 0 : page < 7 ? 1 : 2;
        r[CodePage] = codePages[pageIndex];
        r[SeqNo] = seqNos[rng.Chance(100) ? 1 : 0];
        r[DisplayValue] = Append(MakeValue(rng, pageIndex < 2));
        // The catalog is an earlier record's key, or null for about one in six.
        r[CatalogID] = i == 0 || rng.Chance(160) ? null : records_[rng.Next() % i][Key];
    }
}

std::string_view GeneratedLexReader::FieldName(int Index) const {
    static constexpr std::string_view names[FieldTotal] = {lex::LexKeyField, lex::CodePageField,
                                                           lex::SeqNoField, lex::DisplayValueField,
                                                           lex::CatalogIDField};
    return names[Index];
}

} // namespace lexbench
