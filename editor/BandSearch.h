#pragma once

#include "platform/CodePage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// A search text as the cells of one band hold it: in the band's code page.
// Where bytes are characters (single-byte code pages, UTF-8) the cells'
// bytes are searched; elsewhere a match among the bytes may start inside a
// double-byte character, so the cells whose bytes may hold the text are
// decoded and searched character by character.
//
// Unless MatchCase, the letters a-z match their capitals and nothing else
// ignores case, in every code page.
class TBandSearch {
public:
    // Text must not be empty.
    TBandSearch(std::u16string_view Text, int CodePage, bool MatchCase);

    // Whether the code page holds the text: a band whose code page cannot
    // has no match.
    bool Held() const { return held_; }
    bool Contains(std::string_view Cell) const;
    bool Equals(std::string_view Cell) const;

    // What the matches are replaced by.
    void SetReplacement(std::u16string_view With);
    // Cell with each match, left to right, replaced (WholeCell: the cell
    // replaced when it equals the text) into Out; the number of matches
    // replaced, 0 leaving Out alone. Raises EConvertError when the code page
    // cannot hold the replacement.
    int Replace(std::string_view Cell, bool WholeCell, std::string& Out) const;

private:
    size_t FindBytes(std::string_view Cell, size_t From) const;
    bool MayHold(std::string_view Cell) const;
    // Decodes into decoded_ (and starts_ where bytes are stateless).
    void Decode(std::string_view Cell) const;
    size_t FindDecoded(size_t From) const;
    bool EqualsDecoded() const;
    const std::string& WithBytes() const;

    int codePage_;
    TCodePageBytes form_;
    bool matchCase_;
    bool held_ = true;
    bool prefilter_ = false;  // a cell without the text's bytes has no match
    bool folded_ = false;     // bytes compare with a-z folded on both sides
    std::string bytes_;       // the text in the code page, a-z folded when folded_
    std::u16string wide_;     // the text, a-z folded unless MatchCase
    std::u16string with_;     // the replacement
    std::string withBytes_;   // in the code page, when held
    std::string withRefusal_; // why the code page cannot hold it
    mutable std::u16string decoded_;
    mutable std::vector<int32_t> starts_;
};

} // namespace lex
