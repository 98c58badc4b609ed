#pragma once

#include "editor/LexTree.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// Collation keys and their nodes, without an allocation per key: the keys
// share one arena, and an open-addressing table holds entry numbers.
class TLexKeyTable {
public:
    size_t Size() const { return entries_.size(); }
    void Reserve(size_t count) {
        entries_.reserve(count);
        if (slots_.size() < 2 * count) Rehash(2 * count);
    }

    TTreeNode* Find(std::string_view key) const {
        if (slots_.empty()) return nullptr;
        const uint64_t hash = std::hash<std::string_view>()(key);
        for (size_t i = hash & Mask(); slots_[i]; i = (i + 1) & Mask()) {
            const Entry& entry = entries_[slots_[i] - 1];
            if (entry.hash == hash && KeyOf(entry) == key) return entry.node;
        }
        return nullptr;
    }

    // Lists a key that Find has just not found.
    void Add(std::string_view key, TTreeNode* node) {
        if (2 * (entries_.size() + 1) > slots_.size())
            Rehash(std::max<size_t>(64, 2 * slots_.size()));
        Entry entry{{0, 0},
                    std::hash<std::string_view>()(key),
                    static_cast<uint32_t>(arena_.size()),
                    static_cast<uint32_t>(key.size()),
                    node};
        for (size_t i = 0; i < 16; ++i)
            entry.prefix[i / 8] = entry.prefix[i / 8] << 8 |
                                  (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
        arena_.append(key);
        entries_.push_back(entry);
        Place(entries_.size() - 1);
    }

    // The nodes listed from the First-th key on, in the order of their keys.
    // The first sixteen bytes of each key, as two numbers, settle most
    // comparisons without touching the keys.
    std::vector<TTreeNode*> Sorted(size_t First = 0) const {
        std::vector<const Entry*> order;
        order.reserve(entries_.size() - std::min(First, entries_.size()));
        for (size_t i = First; i < entries_.size(); ++i)
            order.push_back(&entries_[i]);
        std::sort(order.begin(), order.end(), [this](const Entry* a, const Entry* b) {
            if (a->prefix[0] != b->prefix[0]) return a->prefix[0] < b->prefix[0];
            if (a->prefix[1] != b->prefix[1]) return a->prefix[1] < b->prefix[1];
            return KeyOf(*a) < KeyOf(*b);
        });
        std::vector<TTreeNode*> sorted;
        sorted.reserve(order.size());
        for (const Entry* entry : order)
            sorted.push_back(entry->node);
        return sorted;
    }

    template <typename Visit>
    void ForEachNode(Visit visit) const {
        for (const Entry& entry : entries_)
            visit(entry.node);
    }

private:
    struct Entry {
        uint64_t prefix[2];
        uint64_t hash;
        uint32_t offset;
        uint32_t length;
        TTreeNode* node;
    };

    size_t Mask() const { return slots_.size() - 1; }
    std::string_view KeyOf(const Entry& entry) const {
        return std::string_view(arena_).substr(entry.offset, entry.length);
    }
    void Place(size_t index) {
        size_t i = entries_[index].hash & Mask();
        while (slots_[i])
            i = (i + 1) & Mask();
        slots_[i] = static_cast<uint32_t>(index + 1);
    }
    void Rehash(size_t minimum) {
        size_t size = 64;
        while (size < minimum)
            size *= 2;
        slots_.assign(size, 0);
        for (size_t i = 0; i < entries_.size(); ++i)
            Place(i);
    }

    std::vector<Entry> entries_;
    std::string arena_;
    std::vector<uint32_t> slots_; // entry number + 1; 0 is empty
};

// A sorted text list of the document: every node under its key, compared the
// way CompareLexText compares, found through collation keys and put in
// collation order only when the hierarchy needs it. Printable ASCII keys use
// the cheap keys of the collation shortcut; any other key uses ICU's, and
// from the first such key on every entry is also held under its ICU key,
// since an ASCII key and another may still compare equal.
class TLexKeyList {
public:
    TLexKeyList(const TLexTree& tree, bool caseSensitive)
        : tree_(tree), caseSensitive_(caseSensitive) {}

    size_t Size() const { return (mixed_ ? icu_ : ascii_).Size(); }
    void Reserve(size_t count) { (mixed_ ? icu_ : ascii_).Reserve(count); }

    TTreeNode* Find(std::string_view text) {
        bool ascii;
        return Lookup(text, ascii);
    }

    // The node listed under an equal key; when there is none, Make() gives
    // the node to list. Each key is made once either way.
    template <typename Make>
    TTreeNode* FindOrAdd(std::string_view text, Make&& make) {
        bool ascii;
        if (TTreeNode* node = Lookup(text, ascii)) return node;
        TTreeNode* node = make();
        if (ascii) ascii_.Add(key_, node);
        if (mixed_) icu_.Add(icuKey_, node);
        return node;
    }

    // Lists a node unless an equal key is listed already (the first stays).
    void Insert(std::string_view text, TTreeNode* node) {
        FindOrAdd(text, [node] { return node; });
    }

    // Keys are listed in the order they came, also after the list turned to
    // ICU's keys: First counts from the first key listed.
    std::vector<TTreeNode*> Sorted(size_t First = 0) const {
        return (mixed_ ? icu_ : ascii_).Sorted(First);
    }

private:
    // Leaves the text's keys in key_ (when ascii) and icuKey_ (when mixed_).
    TTreeNode* Lookup(std::string_view text, bool& ascii) {
        ascii = AnsiAsciiSortKey(text, caseSensitive_, key_);
        if (ascii) {
            if (TTreeNode* node = ascii_.Find(key_)) return node;
            if (!mixed_) return nullptr;
        } else {
            MakeMixed();
        }
        icuKey_ = AnsiSortKey(text, caseSensitive_);
        return icu_.Find(icuKey_);
    }

    void MakeMixed() {
        if (mixed_) return;
        mixed_ = true;
        icu_.Reserve(ascii_.Size());
        ascii_.ForEachNode([this](TTreeNode* node) {
            icu_.Add(AnsiSortKey(tree_.Value(node, 0), caseSensitive_), node);
        });
    }

    const TLexTree& tree_;
    const bool caseSensitive_;
    bool mixed_ = false;
    TLexKeyTable ascii_;
    TLexKeyTable icu_;
    std::string key_;
    std::string icuKey_;
};

} // namespace lex
