#include "editor/BandSearch.h"

#include "platform/Exceptions.h"

#include <algorithm>
#include <array>

namespace lex {

namespace {

constexpr std::array<unsigned char, 256> UpperTable = [] {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return table;
}();

char16_t Upper(char16_t Unit) {
    return Unit >= u'a' && Unit <= u'z' ? static_cast<char16_t>(Unit - 32) : Unit;
}

bool HasLetters(std::u16string_view Text) {
    return std::any_of(Text.begin(), Text.end(), [](char16_t Unit) {
        return (Unit >= u'a' && Unit <= u'z') || (Unit >= u'A' && Unit <= u'Z');
    });
}

} // namespace

TBandSearch::TBandSearch(std::u16string_view Text, int CodePage, bool MatchCase)
    : codePage_(CodePage), form_(CodePageBytes(CodePage)), matchCase_(MatchCase), wide_(Text) {
    try {
        bytes_ = EncodeText(Text, CodePage);
    } catch (const EConvertError&) {
        held_ = false;
        return;
    }
    // Where the ASCII letters are their bytes, a-z fold alike in bytes and
    // in characters; elsewhere only an exact byte match tells anything, and
    // only when case cannot differ.
    folded_ = !matchCase_ && form_.Ascii;
    prefilter_ = form_.Ascii || (form_.Stateless && (matchCase_ || !HasLetters(Text)));
    if (folded_)
        for (char& c : bytes_)
            c = static_cast<char>(UpperTable[static_cast<unsigned char>(c)]);
    if (!matchCase_)
        for (char16_t& unit : wide_)
            unit = Upper(unit);
}

size_t TBandSearch::FindBytes(std::string_view Cell, size_t From) const {
    if (!folded_) return Cell.find(bytes_, From);
    if (bytes_.size() > Cell.size()) return std::string_view::npos;
    const auto* t = reinterpret_cast<const unsigned char*>(Cell.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data());
    const size_t last = Cell.size() - bytes_.size();
    for (size_t i = From; i <= last; ++i) {
        if (UpperTable[t[i]] != p[0]) continue;
        size_t k = 1;
        while (k < bytes_.size() && UpperTable[t[i + k]] == p[k])
            ++k;
        if (k == bytes_.size()) return i;
    }
    return std::string_view::npos;
}

bool TBandSearch::MayHold(std::string_view Cell) const {
    return !prefilter_ || FindBytes(Cell, 0) != std::string_view::npos;
}

void TBandSearch::Decode(std::string_view Cell) const {
    if (form_.Stateless)
        DecodeTextTo(Cell, codePage_, decoded_, starts_);
    else
        DecodeTextTo(Cell, codePage_, decoded_);
}

size_t TBandSearch::FindDecoded(size_t From) const {
    if (wide_.size() > decoded_.size()) return std::u16string::npos;
    const size_t last = decoded_.size() - wide_.size();
    for (size_t i = From; i <= last; ++i) {
        size_t k = 0;
        while (k < wide_.size() &&
               (matchCase_ ? decoded_[i + k] : Upper(decoded_[i + k])) == wide_[k])
            ++k;
        if (k == wide_.size()) return i;
    }
    return std::u16string::npos;
}

bool TBandSearch::EqualsDecoded() const {
    return decoded_.size() == wide_.size() && FindDecoded(0) == 0;
}

bool TBandSearch::Contains(std::string_view Cell) const {
    if (!held_) return false;
    if (form_.Aligned) return FindBytes(Cell, 0) != std::string_view::npos;
    if (!MayHold(Cell)) return false;
    Decode(Cell);
    return FindDecoded(0) != std::u16string::npos;
}

bool TBandSearch::Equals(std::string_view Cell) const {
    if (!held_) return false;
    // Texts of equal length match at their start or not at all.
    if (prefilter_ && (Cell.size() != bytes_.size() || FindBytes(Cell, 0) != 0)) return false;
    if (form_.Aligned) return true;
    Decode(Cell);
    return EqualsDecoded();
}

void TBandSearch::SetReplacement(std::u16string_view With) {
    with_ = With;
    withRefusal_.clear();
    try {
        withBytes_ = EncodeText(With, codePage_);
    } catch (const EConvertError& error) {
        withRefusal_ = error.what();
    }
}

const std::string& TBandSearch::WithBytes() const {
    if (!withRefusal_.empty()) throw EConvertError(withRefusal_);
    return withBytes_;
}

int TBandSearch::Replace(std::string_view Cell, bool WholeCell, std::string& Out) const {
    if (!held_) return 0;
    if (WholeCell) {
        if (!Equals(Cell)) return 0;
        Out = WithBytes();
        return 1;
    }
    int count = 0;
    if (form_.Aligned) {
        size_t at = FindBytes(Cell, 0);
        if (at == std::string_view::npos) return 0;
        std::string out;
        size_t kept = 0;
        for (; at != std::string_view::npos; at = FindBytes(Cell, kept)) {
            out.append(Cell.substr(kept, at - kept)).append(WithBytes());
            kept = at + bytes_.size();
            ++count;
        }
        Out = std::move(out.append(Cell.substr(kept)));
        return count;
    }
    if (!MayHold(Cell)) return 0;
    Decode(Cell);
    size_t at = FindDecoded(0);
    if (at == std::u16string::npos) return 0;
    if (!form_.Stateless) {
        // Bytes that shift a state cannot be spliced: the text is encoded anew.
        std::u16string text;
        size_t kept = 0;
        for (; at != std::u16string::npos; at = FindDecoded(kept)) {
            text.append(decoded_, kept, at - kept).append(with_);
            kept = at + wide_.size();
            ++count;
        }
        Out = EncodeText(text.append(decoded_, kept), codePage_);
        return count;
    }
    // The bytes between the matches stay as they were, undecodable ones too.
    const auto byteAt = [&](size_t Unit) {
        return Unit < decoded_.size() ? static_cast<size_t>(starts_[Unit]) : Cell.size();
    };
    std::string out;
    size_t kept = 0;
    for (; at != std::u16string::npos; at = FindDecoded(at + wide_.size())) {
        out.append(Cell.substr(kept, byteAt(at) - kept)).append(WithBytes());
        kept = byteAt(at + wide_.size());
        ++count;
    }
    Out = std::move(out.append(Cell.substr(kept)));
    return count;
}

} // namespace lex
