#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lex {

class TLexDocument;
struct TLexBand;

// Edit > Replace: Find replaced by With in the cells of the language bands
// given.
struct TReplaceRequest {
    std::u16string Find;
    std::u16string With;
    std::vector<TLexBand*> Bands;
    bool MatchCase = false; // else the letters a-z match their capitals
    bool WholeCell = false; // only cells whose whole text is Find
};

// Search in a document. The text is Unicode: each band is searched in its
// own code page (the keys in the process's), and a band whose code page
// cannot hold the text has no hit. Find matches whole characters, the
// letters a-z in either case, and keeps its hits in the document's hit list;
// Locate compares whole texts as the locale does, ignoring case.
void Find(TLexDocument& Document, std::u16string_view Text);
// The next (previous) matching cell; past the last (first) they go round to
// the first (last) and return true.
bool FindNext(TLexDocument& Document);
bool FindPrior(TLexDocument& Document);
// Focuses and selects the current hit, if there is one.
void ShowFoundNode(TLexDocument& Document);
bool Locate(TLexDocument& Document, std::u16string_view Text);

// Replaces in the cells of the request's language bands (keys never:
// programs look texts up by them) as one step, and returns how many matches
// went. When a band with a match cannot hold the replacement it says so and
// aborts (EAbort) with nothing changed.
int ReplaceText(TLexDocument& Document, const TReplaceRequest& Request);

} // namespace lex
