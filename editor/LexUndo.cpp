#include "editor/LexUndo.h"

#include "editor/LexDocument.h"

#include <optional>

namespace lex {

namespace {
template <typename... Visitors>
struct TOverload : Visitors... {
    using Visitors::operator()...;
};
// Clang before 17 deduces no aggregate's arguments without a guide.
template <typename... Visitors>
TOverload(Visitors...) -> TOverload<Visitors...>;
} // namespace

TLexUndoStep::TLexUndoStep(TLexDocument& Document, std::string Name)
    : document_(Document), name_(std::move(Name)) {}

TLexUndoStep::~TLexUndoStep() {
    // Nodes out of the tree in the step's present state are the step's alone.
    for (TChange& change : changes_) {
        if (const auto* added = std::get_if<TNodeAdded>(&change); added && !done_)
            document_.FreeDetachedSubtree(added->Node);
        else if (const auto* removed = std::get_if<TNodeRemoved>(&change); removed && done_)
            document_.FreeDetachedSubtree(removed->Node);
    }
}

bool TLexUndoStep::Structural() const {
    if (changes_.size() > FineGrainedCells) return true;
    for (const TChange& change : changes_)
        if (!std::holds_alternative<TValueChange>(change) &&
            !std::holds_alternative<TParentKeyChange>(change))
            return true;
    return false;
}

void TLexUndoStep::Apply(TLexTree& Tree, bool Forward) {
    if (Forward) {
        for (TChange& change : changes_)
            Reapply(Tree, change);
    } else {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
            Revert(Tree, *it);
    }
    done_ = Forward;
}

namespace {
void SetCell(TLexTree& Tree, TTreeNode* Node, const TLexColumn* Column, const std::string& Text) {
    Tree.SetValue(Node, Column->Index(), Text);
}
} // namespace

void TLexUndoStep::Revert(TLexTree& Tree, TChange& Change) {
    std::visit(TOverload{
                   [&](TValueChange& C) { SetCell(Tree, C.Node, C.Column, C.Old); },
                   [&](TNodeAdded& C) { Tree.DetachNode(C.Node); },
                   [&](TNodeRemoved& C) { Tree.AttachNode(C.Node, C.Parent, C.After); },
                   [&](TNodeMoved& C) {
                       Tree.Unlink(C.Node);
                       Tree.LinkAfter(C.Node, C.OldParent, C.OldAfter);
                   },
                   [&](TParentKeyChange& C) { C.Data->ParentKey = C.Old; },
                   [&](TColumnChange& C) {
                       if (C.Added) {
                           C.Held = Tree.DetachColumn(C.Column);
                           return;
                       }
                       Tree.AttachColumn(std::move(C.Held), C.Position);
                       for (TCell& cell : C.Cells)
                           SetCell(Tree, cell.Node, C.Column, cell.Text);
                   },
                   [&](TBandChange& C) {
                       if (C.Added)
                           C.Held = Tree.DetachBand(C.Band);
                       else
                           Tree.AttachBand(std::move(C.Held), C.Index);
                   },
               },
               Change);
}

void TLexUndoStep::Reapply(TLexTree& Tree, TChange& Change) {
    std::visit(TOverload{
                   [&](TValueChange& C) { SetCell(Tree, C.Node, C.Column, C.New); },
                   [&](TNodeAdded& C) { Tree.AttachNode(C.Node, C.Parent, C.Parent->LastChild()); },
                   [&](TNodeRemoved& C) { Tree.DetachNode(C.Node); },
                   [&](TNodeMoved& C) {
                       Tree.Unlink(C.Node);
                       Tree.LinkAfter(C.Node, C.NewParent, C.NewParent->LastChild());
                   },
                   [&](TParentKeyChange& C) { C.Data->ParentKey = C.New; },
                   [&](TColumnChange& C) {
                       if (!C.Added) {
                           C.Held = Tree.DetachColumn(C.Column);
                           return;
                       }
                       Tree.AttachColumn(std::move(C.Held), C.Position);
                   },
                   [&](TBandChange& C) {
                       if (C.Added)
                           Tree.AttachBand(std::move(C.Held), C.Index);
                       else
                           C.Held = Tree.DetachBand(C.Band);
                   },
               },
               Change);
}

} // namespace lex

namespace lex {

TLexDocument::TUndoScope::TUndoScope(TLexDocument& Document, std::string_view Name)
    : document_(Document) {
    if (!Document.history_ || Document.FTree.RecordingStep()) return;
    step_ = std::make_unique<TLexUndoStep>(Document, std::string(Name));
    nodeCount_ = Document.FNodeCount;
    Document.FTree.SetRecordingStep(step_.get());
}

TLexDocument::TUndoScope::~TUndoScope() {
    if (!step_) return;
    document_.FTree.SetRecordingStep(nullptr);
    step_->nodeCountDelta_ = document_.FNodeCount - nodeCount_;
    step_->structural_ = step_->Structural();
    if (!step_->Empty()) document_.history_->Push(std::move(step_));
}

void TLexDocument::Undo(TLexUndoStep& Step) {
    ApplyStep(Step, false);
}

void TLexDocument::Redo(TLexUndoStep& Step) {
    ApplyStep(Step, true);
}

void TLexDocument::ApplyStep(TLexUndoStep& Step, bool Forward) {
    if (Step.done_ == Forward) return;
    FTree.CloseEditor();
    std::optional<TLexTreeUpdate> batch;
    if (Step.structural_) batch.emplace(FTree);
    Step.Apply(FTree, Forward);
    FNodeCount += Forward ? Step.nodeCountDelta_ : -Step.nodeCountDelta_;
    FBand936 = FBand950 = nullptr;
    for (int i = 1; i < FTree.BandCount(); ++i) {
        const std::string codePage = BandCodePage(*FTree.Band(i));
        if (codePage == "936")
            FBand936 = FTree.Band(i);
        else if (codePage == "950")
            FBand950 = FTree.Band(i);
    }
    hits_.RemoveDetached(FTree);
    FModified = true;
}

void TLexDocument::FreeDetachedSubtree(TTreeNode* Node) {
    FreeNodeData(Node);
    FTree.FreeSubtree(Node);
}

void TLexDocument::SetParentKey(TTreeNode* Node, std::string_view Key) {
    std::string& parentKey = Node->Data->ParentKey;
    if (parentKey == Key) return;
    if (TLexUndoStep* step = FTree.RecordingStep())
        step->changes_.emplace_back(
            TLexUndoStep::TParentKeyChange{Node->Data, parentKey, std::string(Key)});
    parentKey = Key;
}

void TLexDocument::Saved() {
    FModified = false;
    if (history_) history_->Saved();
}

void TLexDocument::ForgetHistory() {
    if (history_) history_->Clear();
}

} // namespace lex
