#pragma once

#include "platform/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lex {

class EHashList : public Exception {
public:
    using Exception::Exception;
};

// Continues a hash over the next bytes of a key, the first of them at 0-based
// Position in the key, from the running value of the bytes before. Hashing in
// steps lets a key given in pieces be hashed without joining it.
using THashStep = uint32_t (*)(uint32_t Running, size_t Position, std::string_view Bytes);

// A key made of three parts joined by a separator byte, as a dictionary's key,
// code page and sequence are: hashed and compared without joining it.
struct TJoinedKey {
    std::string_view First, Second, Third;
    char Separator;

    size_t size() const { return First.size() + Second.size() + Third.size() + 2; }
};

// A hash function: the running value over the whole key, AND $7FFFFFFF.
struct THashFunc {
    THashStep Step = nullptr;

    uint32_t operator()(std::string_view Key) const { return Step(0, 0, Key) & 0x7FFFFFFF; }
    uint32_t operator()(const TJoinedKey& Key) const;
};

uint32_t WeightedShiftStep(uint32_t Running, size_t Position, std::string_view Bytes);
uint32_t RotateXorStep(uint32_t Running, size_t Position, std::string_view Bytes);

// h += i * (b << (i mod 32)) over 1-based positions, on wrapping 32-bit words.
inline constexpr THashFunc HashWeightedShift{WeightedShiftStep};
// h = ror(h, 6) + (h xor b).
inline constexpr THashFunc HashRotateXor{RotateXorStep};

// Ordinal, byte by byte, unsigned; a prefix sorts first.
int CompareKeys(std::string_view A, std::string_view B);

// x mod d by one multiplication with a reciprocal worked out once (Lemire,
// Kaser and Kurz, "Faster remainder by direct computation", 2019): with a
// 64-bit reciprocal it is exact for every 32-bit x and every divisor d >= 1.
class TFastMod {
public:
    explicit TFastMod(uint32_t Divisor)
        : divisor_(Divisor), reciprocal_(UINT64_MAX / Divisor + 1) {}
    uint32_t operator()(uint32_t X) const {
        const uint64_t fraction = reciprocal_ * X; // x / d's fractional part, wrapped
        return static_cast<uint32_t>((static_cast<unsigned __int128>(fraction) * divisor_) >> 64);
    }
    uint32_t Divisor() const { return divisor_; }

private:
    uint32_t divisor_;
    uint64_t reciprocal_; // ceil(2^64 / d), 0 for d = 1 (then every remainder is 0)
};

// Memory from malloc, blocks of 2 MiB and more aligned to huge pages and
// marked for them; released with free.
void* AllocateLarge(size_t Bytes);

// Allocates large blocks on huge pages where the system offers them: a
// look-up in a big table then waits for one memory read, not also for a
// walk of the page tables.
template <typename T>
struct THugePageAllocator {
    using value_type = T;
    THugePageAllocator() = default;
    template <typename U>
    THugePageAllocator(const THugePageAllocator<U>&) {}
    T* allocate(size_t N) { return static_cast<T*>(AllocateLarge(N * sizeof(T))); }
    void deallocate(T* P, size_t) { std::free(P); }
    bool operator==(const THugePageAllocator&) const = default;
};

// A fixed array of buckets, each the root of an unbalanced binary search tree
// in insertion order; it grows only when asked to (Rehash). Sized to about one
// entry per bucket, a look-up costs one hash and about one comparison and
// allocates nothing.
//
// An entry's data is a byte string kept beside its key. Every entry is one
// record in a single arena: its full hash, its links, its key and its data.
// The trees order entries by full hash first and by key bytes only among
// equal hashes, so a walk compares keys only where the hashes agree, and a
// miss reads no key at all. Pack() lays the records out in bucket order, a
// bucket's entries in insertion order, so that a hit reads its bucket's
// link and one or two neighbouring cache lines.
class TLumoHashList {
public:
    // A null hash function selects HashRotateXor.
    explicit TLumoHashList(int BucketCount, THashFunc HashFunc = {});

    TLumoHashList(const TLumoHashList&) = delete;
    TLumoHashList& operator=(const TLumoHashList&) = delete;

    // Raises EHashList "Duplicate hash list entry: %s" and changes nothing
    // when the key is present.
    void Add(std::string_view Key, std::string_view Data);

    // Sets Data to the entry's data (valid until the list next changes) and
    // returns true when Key is present; otherwise leaves Data alone.
    bool Find(std::string_view Key, std::string_view& Data) const;
    bool Find(const TJoinedKey& Key, std::string_view& Data) const;

    void Clear();

    // Spreads the entries over a new number of buckets, each tree rebuilt in
    // insertion order, so look-ups find exactly what they found before.
    void Rehash(int BucketCount);
    // Lays the records out bucket by bucket; call it once the entries are in.
    void Pack();

    int Count() const { return static_cast<int>(count_); }
    int BucketCount() const { return static_cast<int>(mod_.Divisor()); }

private:
    // A record's header words; its key bytes and then its data bytes follow,
    // padded to a whole word.
    enum : uint32_t {
        HashWord,
        SeqWord,
        LeftWord,
        RightWord,
        KeySizeWord,
        DataSizeWord,
        HeaderWords
    };
    static constexpr uint32_t NoRecord = UINT32_MAX;

    static uint32_t RecordWords(uint32_t KeySize, uint32_t DataSize) {
        return HeaderWords + static_cast<uint32_t>((uint64_t(KeySize) + DataSize + 3) / 4);
    }
    uint32_t RecordWords(uint32_t Record) const {
        return RecordWords(arena_[Record + KeySizeWord], arena_[Record + DataSizeWord]);
    }
    const char* KeyBytes(uint32_t Record) const {
        return reinterpret_cast<const char*>(arena_.data() + Record + HeaderWords);
    }
    std::string_view RecordKey(uint32_t Record) const {
        return {KeyBytes(Record), arena_[Record + KeySizeWord]};
    }
    std::string_view RecordData(uint32_t Record) const {
        return {KeyBytes(Record) + arena_[Record + KeySizeWord], arena_[Record + DataSizeWord]};
    }

    // The link that holds the entry of Key (hash Hash), or the empty link
    // where it would go. Compare(recordKey) orders Key against a record's key.
    template <typename TCompare>
    const uint32_t* FindLink(uint32_t Hash, TCompare Compare) const {
        const uint32_t* link = &buckets_[mod_(Hash)];
        while (*link != NoRecord) {
            const uint32_t* record = arena_.data() + *link;
            int c = Hash < record[HashWord] ? -1 : Hash > record[HashWord] ? 1 : 0;
            if (c == 0) {
                c = Compare(RecordKey(*link));
                if (c == 0) break;
            }
            link = record + (c < 0 ? LeftWord : RightWord);
        }
        return link;
    }
    uint32_t* FindLink(uint32_t Hash, std::string_view Key) {
        return const_cast<uint32_t*>(std::as_const(*this).FindLink(
            Hash, [Key](std::string_view other) { return CompareKeys(Key, other); }));
    }
    // Records by insertion order.
    std::vector<uint32_t> RecordsInOrder() const;
    void Link(uint32_t Record);

    THashFunc hashFunc_;
    TFastMod mod_;
    using TWords = std::vector<uint32_t, THugePageAllocator<uint32_t>>;
    TWords buckets_; // root record of each tree, or NoRecord
    TWords arena_;   // the records, by word
    uint32_t count_ = 0;
};

} // namespace lex
