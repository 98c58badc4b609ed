#pragma once

#include "formfiles/FormTextParser.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// One list of names compared without regard to (ASCII) case; form-text
// identifiers are ASCII, so that is all the case there is to ignore. A name
// is compared whole, except that a line starting with "*" matches every
// longer name ending in the rest of it: "*.Name" holds "OKButton.Name".
class TFormSkipList {
public:
    TFormSkipList() = default;
    explicit TFormSkipList(const std::vector<std::string>& Lines);
    bool Contains(std::string_view Name) const;

private:
    std::vector<std::string> names_;    // lower case, sorted
    std::vector<std::string> suffixes_; // lower case, the "*" taken off
};

// The lines the import and export dialogs start their skip memos with.
const std::vector<std::string>& DefaultSkipIdents();
const std::vector<std::string>& DefaultSkipClasses();

struct TFormSkipLists {
    TFormSkipList Idents;  // dotted property names whose strings are left alone
    TFormSkipList Classes; // classes whose objects are skipped whole
};

// A string value found by the walk, with "+" pieces joined.
struct TFormValue {
    std::string Text;         // in the process's code page
    std::size_t Position = 0; // offset of the first piece
    std::size_t End = 0;      // offset just past the last piece
    int Line = 1;             // line of the first piece
};

// The skip routines, each entered at the token its name says.
// At a symbol: an "object" header (named or not) whose class is in Classes
// is skipped up to its "end", which is then the current token; otherwise the
// class name is.
void CheckObjectHeader(TFormTextParser& Parser, const TFormSkipList& Classes);
// After a skipped header: up to the matching "end", nested objects and
// collections included.
void SkipObjectBody(TFormTextParser& Parser);
// At "<": up to the matching ">".
void SkipCollection(TFormTextParser& Parser);

// Walks every string value of the form text that the skip lists do not
// exclude, in text order. When OnValue is called the parser's current token is
// the one that follows the value.
void WalkFormText(std::string_view Text, const TFormSkipLists& Skip,
                  const std::function<void(const TFormValue&, const TFormTextParser&)>& OnValue);

} // namespace lex
