#pragma once

#include "editor/LexDocument.h"

#include <string>
#include <utility>
#include <vector>

namespace lex {

// Tests set up a document's state directly (a modified flag to watch an
// operation set, a table binding that no flow makes yet, a hit list); the
// program changes it only through the document's operations.
struct TLexDocumentTestAccess {
    static void SetModified(TLexDocument& Doc, bool Modified) { Doc.FModified = Modified; }
    static void SetFileName(TLexDocument& Doc, std::string FileName) {
        Doc.FFileName = std::move(FileName);
    }
    static void BindTable(TLexDocument& Doc, std::string TableName, std::string Caption) {
        Doc.FTableName = std::move(TableName);
        Doc.caption_ = std::move(Caption);
    }
    static void SetHits(TLexDocument& Doc, std::vector<TFoundNode> Hits, int Index, int Column) {
        Doc.hits_.Assign(std::move(Hits), Index, Column);
    }
};

inline void SetModified(TLexDocument& Doc, bool Modified) {
    TLexDocumentTestAccess::SetModified(Doc, Modified);
}

} // namespace lex
