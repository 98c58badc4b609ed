#pragma once

#include <string>

namespace lex {

class TLexDocument;

// What the main window shows on an idle turn, worked out from the active
// editor alone. Every input is read in constant time: the node count is kept
// by the document, the sub-node count is one node's child count.
struct TIdleInput {
    const TLexDocument* Editor = nullptr; // the active editor's, or none
    bool EditorMaximized = false;
    bool SearchTextEmpty = true;
    int HistoryCount = 0;
};

struct TIdleState {
    bool HistoryFile = false;
    bool Min = false;      // also Restore and Close
    bool NewNode = false;  // also Export, DFM2Lex, Lex2DFM, Import, ImportDB, GrabData, CheckLex,
                           // the search box, SaveAs, SaveDB and NewLang
    bool Locate = false;   // also Find
    bool FindNext = false; // also FindPrior: they go round the hits
    bool Untranslated = false; // Next and Previous Untranslated, Untranslated Only and
                               // Replace: a language column exists
    bool Save = false;
    bool NewSubNode = false;
    bool ExportNode = false; // also DeleteNode
    bool GB = false;         // also Big5: both Chinese bands have a column
    std::string TotalNodes;  // status panel 1
    std::string SubNodes;    // status panel 3
};

TIdleState ComputeIdleState(const TIdleInput& Input);

} // namespace lex
