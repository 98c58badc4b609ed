#pragma once

#include "platform/Exceptions.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

class EHashList : public Exception {
public:
    using Exception::Exception;
};

using THashFunc = uint32_t (*)(std::string_view Key);
using TCompareFunc = int (*)(std::string_view A, std::string_view B);

// h += i * (b << (i mod 32)) over 1-based positions, on wrapping 32-bit words.
uint32_t HashWeightedShift(std::string_view Key);
// h = ror(h, 6) + (h xor b).
uint32_t HashRotateXor(std::string_view Key);
// Ordinal, byte by byte, unsigned; a prefix sorts first.
int CompareKeys(std::string_view A, std::string_view B);

// A fixed array of buckets, each the root of an unbalanced binary search tree
// in insertion order; it grows only when asked to (Rehash). Sized to about one entry per bucket, a
// look-up costs one hash and about one comparison and allocates nothing.
// Nodes live in a pool owned by the list, so entries cost no allocation of
// their own beyond their key.
template <typename TData>
class TLumoHashList {
public:
    explicit TLumoHashList(int BucketCount, THashFunc HashFunc = nullptr,
                           TCompareFunc CompareFunc = nullptr)
        : HashFunc(HashFunc ? HashFunc : HashRotateXor),
          CompareFunc(CompareFunc ? CompareFunc : CompareKeys),
          Buckets(static_cast<size_t>(BucketCount < 1 ? 1 : BucketCount), nullptr) {}

    TLumoHashList(const TLumoHashList&) = delete;
    TLumoHashList& operator=(const TLumoHashList&) = delete;

    // Raises EHashList "Duplicate hash list entry: %s" and changes nothing
    // when the key is present.
    TData& Add(std::string Key, TData Data) {
        THashNode*& slot = FindSlot(Key);
        if (slot) throw EHashList(FormatText("Duplicate hash list entry: %s", {Key}));
        slot = &Nodes.emplace_back(THashNode{std::move(Key), std::move(Data), nullptr, nullptr});
        return slot->Data;
    }

    const TData* Find(std::string_view Key) const {
        const THashNode* node = const_cast<TLumoHashList*>(this)->FindSlot(Key);
        return node ? &node->Data : nullptr;
    }

    void Clear() {
        std::fill(Buckets.begin(), Buckets.end(), nullptr);
        Nodes.clear();
    }

    // Spreads the entries over a new number of buckets, each tree rebuilt in
    // insertion order, so look-ups find exactly what they found before.
    void Rehash(int BucketCount) {
        Buckets.assign(static_cast<size_t>(BucketCount < 1 ? 1 : BucketCount), nullptr);
        for (THashNode& node : Nodes) {
            node.Left = node.Right = nullptr;
            FindSlot(node.Key) = &node;
        }
    }

    int Count() const { return static_cast<int>(Nodes.size()); }
    int BucketCount() const { return static_cast<int>(Buckets.size()); }

private:
    struct THashNode {
        std::string Key;
        TData Data;
        THashNode* Left;  // keys below Key
        THashNode* Right; // keys above Key
    };

    THashNode*& FindSlot(std::string_view Key) {
        THashNode** link = &Buckets[HashFunc(Key) % static_cast<uint32_t>(Buckets.size())];
        while (*link) {
            const int c = CompareFunc(Key, (*link)->Key);
            if (c == 0) break;
            link = c < 0 ? &(*link)->Left : &(*link)->Right;
        }
        return *link;
    }

    THashFunc HashFunc;
    TCompareFunc CompareFunc;
    std::vector<THashNode*> Buckets;
    std::deque<THashNode> Nodes; // stable addresses
};

} // namespace lex
