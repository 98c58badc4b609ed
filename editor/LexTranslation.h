#pragma once

#include "editor/LexTree.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace lex {

class TLexDocument;

// The cells still to translate. A key's cell in a language column is
// untranslated when it is empty while another language has a value for the
// key; a key without any value (a group of keys) needs no translation.
enum class TCellState { Idle, Untranslated, Translated };

// How the nodes stand in one language column.
class TColumnState {
public:
    TColumnState(const TLexTree& Tree, const TLexColumn& Column);
    TCellState Of(const TTreeNode* Node) const;

private:
    const TLexTree& tree_;
    int column_;
    std::vector<int> others_; // the columns of the other languages
};

// Translated: the keys with a value in the column; Total: those and the
// keys that still need one.
struct TTranslationCount {
    int Translated = 0;
    int Total = 0;
    bool operator==(const TTranslationCount&) const = default;
};

// A column's count, made in one pass when first asked and then kept in step
// cell by cell and node by node, so that an edit costs no pass over the
// lexicon. A batch or a change of columns has it made again when next asked.
class TTranslationCounter final : private ILexTreeObserver {
public:
    explicit TTranslationCounter(TLexTree& Tree);
    ~TTranslationCounter() override;
    TTranslationCounter(const TTranslationCounter&) = delete;
    TTranslationCounter& operator=(const TTranslationCounter&) = delete;

    TTranslationCount Count(const TLexColumn& Column);

private:
    void Add(const TTreeNode* Node, int Sign);
    void AddSubtree(const TTreeNode* Node, int Sign);
    void Forget() { column_ = nullptr; }

    void BeginReset() override { Forget(); }
    void NodeAdded(TTreeNode* Node) override { AddSubtree(Node, 1); }
    void NodeAboutToBeRemoved(TTreeNode* Node) override { AddSubtree(Node, -1); }
    void ValueAboutToChange(TTreeNode* Node, int /*ColumnIndex*/) override { Add(Node, -1); }
    void ValueChanged(TTreeNode* Node, int /*ColumnIndex*/) override { Add(Node, 1); }
    void ColumnsChanged() override { Forget(); }

    TLexTree& tree_;
    const TLexColumn* column_ = nullptr; // none: to be counted afresh
    std::optional<TColumnState> state_;  // of column_
    TTranslationCount count_;
};

// The nodes shown while only the untranslated cells of a column are wanted:
// those nodes and their ancestors, as the children shown under each parent
// (none: the top level), in tree order. One pass over the tree.
using TShownChildren = std::unordered_map<const TTreeNode*, std::vector<TTreeNode*>>;
TShownChildren UntranslatedNodes(const TLexTree& Tree, const TLexColumn& Column);

// How a step to the next match went: found, found after going round from
// the other end, or nothing to find.
enum class TSearchResult { Found, Wrapped, NotFound };

// Focuses the column's cell of the next (or previous) node after the
// focused one, in tree order, whose cell is untranslated, going round from
// the other end when it has to.
TSearchResult FindUntranslated(TLexDocument& Document, const TLexColumn& Column, bool Forward);

} // namespace lex
