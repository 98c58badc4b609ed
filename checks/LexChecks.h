#pragma once

#include "runtime/LumoMultiLexReader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

class TLexDocument;
class TTreeNode;

// The consistency checks a lexicon needs before it ships: each value
// against its key, each language against the others, and the keys
// themselves.
enum class TCheckRule {
    Accelerator,   // "&" accelerator in one and not in the other
    Placeholders,  // printf placeholders differ in count or order
    Spaces,        // leading or trailing blanks differ
    Colon,         // a final colon in one and not in the other
    Ellipsis,      // a final ellipsis in one and not in the other
    Missing,       // a value in some languages of a sequence and not in others
    CaseDuplicate, // two keys that differ only in case, in a case-sensitive lexicon
    Encoding,      // text that does not decode in its code page
    Parent,        // a parent key that names no key
};

const std::vector<TCheckRule>& AllCheckRules();
std::string_view CheckRuleName(TCheckRule Rule); // "accelerator", "case-duplicate", ...
std::optional<TCheckRule> FindCheckRule(std::string_view Name);

struct TCheckFinding {
    TCheckRule Rule{};
    std::string Key;
    std::string CodePage; // empty for a finding about the key itself
    std::string SeqNo;
    std::string Message;       // English
    TTreeNode* Node = nullptr; // where the finding is in a document, for focusing it
    int ColumnIndex = 0;       // the value's column; 0 the key
};

// Every finding of Rules in the document, node after node in tree order. The
// parent rule finds nothing there: a document's tree has made every parent a
// key, so a lexicon's parents are checked on its records (CheckParentKeys).
std::vector<TCheckFinding> CheckLexicon(TLexDocument& Document,
                                        const std::vector<TCheckRule>& Rules);

// The parent rule over records: a CatalogID that no record has as its
// LexKey. A loaded document has made such parents keys already, so a file
// is checked from its records.
std::vector<TCheckFinding> CheckParentKeys(ILexReader& Records, bool CaseSensitive);

} // namespace lex
