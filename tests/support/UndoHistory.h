#pragma once

#include "editor/LexDocument.h"

#include <memory>
#include <vector>

namespace lex::test {

// The window's undo stack in miniature, with its clean index: a push drops
// the steps undone before it, and the save with them if it was among them.
class UndoHistory final : public ILexUndoHistory {
public:
    explicit UndoHistory(TLexDocument& Doc) : doc_(Doc) { Doc.SetUndoHistory(this); }
    ~UndoHistory() override {
        steps.clear(); // before the document they refer to
        doc_.SetUndoHistory(nullptr);
    }
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    void Push(std::unique_ptr<TLexUndoStep> Step) override {
        if (clean > index) clean = -1;
        steps.resize(static_cast<size_t>(index));
        steps.push_back(std::move(Step));
        ++index;
    }
    void Saved() override { clean = index; }
    void Clear() override {
        steps.clear();
        index = clean = 0;
    }
    void Undo() {
        doc_.Undo(*steps[static_cast<size_t>(--index)]);
        doc_.MarkModified(index != clean);
    }
    void Redo() {
        doc_.Redo(*steps[static_cast<size_t>(index++)]);
        doc_.MarkModified(index != clean);
    }

    std::vector<std::unique_ptr<TLexUndoStep>> steps;
    int index = 0;
    int clean = 0;

private:
    TLexDocument& doc_;
};

} // namespace lex::test
