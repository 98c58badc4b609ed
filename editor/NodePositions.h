#pragma once

#include "editor/LexTree.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace lex {

// Where nodes stand in a list, found by node: one open-addressing table and
// no allocation per entry, so that an operation over every node of a large
// lexicon (deleting the selection, following it in the hit list) stays cheap.
class TNodePositions {
public:
    explicit TNodePositions(size_t Count)
        : slots_(std::bit_ceil(2 * Count + 2)), shift_(64 - std::countr_zero(slots_.size())) {}

    // Records Position for Node; a later one for the same node replaces it.
    void Set(const TTreeNode* Node, int Position) {
        Slot& slot = slots_[IndexOf(Node)];
        slot.Node = Node;
        slot.Position = Position;
    }

    // Node's position, or -1.
    int Find(const TTreeNode* Node) const {
        const Slot& slot = slots_[IndexOf(Node)];
        return slot.Node ? slot.Position : -1;
    }

private:
    struct Slot {
        const TTreeNode* Node = nullptr;
        int Position = -1;
    };

    // Node's slot, or the empty slot where it belongs.
    size_t IndexOf(const TTreeNode* Node) const {
        const auto bits = reinterpret_cast<std::uintptr_t>(Node);
        size_t i = static_cast<size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift_);
        while (slots_[i].Node && slots_[i].Node != Node)
            i = (i + 1) & (slots_.size() - 1);
        return i;
    }

    std::vector<Slot> slots_;
    int shift_;
};

} // namespace lex
