#pragma once

#include <bitset>
#include <cstddef>
#include <string>

namespace lex {

class TLexDocument;

// When a command is offered. The idle turn decides the rules before Always
// from the active editor; Always and Never hold for good; the Popup rules are
// decided as the editor's context menu opens, from what is under the pointer.
enum class TEnableRule : unsigned char {
    Editor,         // an editor is active
    Maximized,      // ... in a maximised window: the child-window buttons
    SearchText,     // ... and the search box holds text
    Hits,           // ... whose last Find found something: the steps go round the hits
    LanguageColumn, // ... with a language column
    Modified,       // ... holding unsaved changes
    FocusedNode,    // ... with a focused node
    AnyNode,        // ... with a focused or selected node
    ChineseBands,   // ... and a column in both Chinese bands
    AnyWindow,      // an editor window is open, active or not
    History,        // the history list is not empty
    // What the focused text box can do; Undo and Redo without one the
    // active editor's steps.
    Cut,
    Copy,
    Paste,
    Undo,
    Redo,
    Always,
    Never,
    PopupLanguage, // the menu was opened on a language: deleting it, adding a sequence
    PopupSequence, // ... on a language's sequence column
};

inline constexpr std::size_t IdleRuleCount = static_cast<std::size_t>(TEnableRule::Always);

constexpr bool IdleDecides(TEnableRule Rule) {
    return Rule < TEnableRule::Always;
}

// What the Edit commands can do now.
struct TEditAbilities {
    bool Cut = false;
    bool Copy = false;
    bool Paste = false;
    bool Undo = false;
    bool Redo = false;
};

// What the main window shows on an idle turn, worked out from the active
// editor and a few facts the window reads. Every input is read in constant time: the node count is
// kept by the document, the sub-node count is one node's child count.
struct TIdleInput {
    const TLexDocument* Editor = nullptr; // the active editor's, or none
    bool EditorMaximized = false;
    bool SearchTextEmpty = true;
    int HistoryCount = 0;
    int WindowCount = 0;
    TEditAbilities Edit; // the window asks the focused text box and the editor's steps
};

struct TIdleState {
    std::bitset<IdleRuleCount> Holding; // by rule
    std::string TotalNodes;             // status panel 1
    std::string SubNodes;               // status panel 3

    bool Holds(TEnableRule Rule) const { return Holding.test(static_cast<std::size_t>(Rule)); }
};

TIdleState ComputeIdleState(const TIdleInput& Input);

} // namespace lex
