#include "runtime/HashList.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace lex {

namespace {
// i * (b << (i mod 32)) is b * (i << (i mod 32)) on wrapping words: the hash
// is a weighted sum, with the weights of the usual key lengths at hand.
constexpr size_t WeightCount = 256;
constexpr std::array<uint32_t, WeightCount> Weights = [] {
    std::array<uint32_t, WeightCount> weights{};
    for (uint32_t i = 0; i < WeightCount; ++i)
        weights[i] = (i + 1) << ((i + 1) % 32);
    return weights;
}();

// Key joined against Other as CompareKeys orders them; kept out of the look-up
// path, which needs it only where two keys of one full hash differ.
[[gnu::noinline]] int OrderJoined(const TJoinedKey& Key, std::string_view Other) {
    const std::string_view separator(&Key.Separator, 1);
    for (const std::string_view piece : {Key.First, separator, Key.Second, separator, Key.Third}) {
        const int c = CompareKeys(piece, Other.substr(0, piece.size()));
        if (c != 0) return c;
        Other.remove_prefix(piece.size());
    }
    return Other.empty() ? 0 : -1;
}

// Equal keys first: a walk compares keys only where the full hashes agree.
int CompareJoined(const TJoinedKey& Key, std::string_view Other) {
    const size_t first = Key.First.size(), second = Key.Second.size();
    const char* at = Other.data();
    if (Key.size() == Other.size() && at[first] == Key.Separator &&
        at[first + 1 + second] == Key.Separator && std::string_view(at, first) == Key.First &&
        std::string_view(at + first + 1, second) == Key.Second &&
        std::string_view(at + first + second + 2, Key.Third.size()) == Key.Third)
        return 0;
    return OrderJoined(Key, Other);
}

inline uint32_t WeightedShift(uint32_t Running, size_t Position, std::string_view Bytes) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(Bytes.data());
    const size_t n = Bytes.size();
    uint32_t h = Running;
    size_t i = 0;
    if (Position < WeightCount) {
        const size_t tabled = std::min(n, WeightCount - Position);
        const uint32_t* weights = Weights.data() + Position;
        // Two sums side by side keep the multiplies independent; keys are
        // short, so wider loops would mostly be set-up and tail.
        uint32_t odd = 0;
        for (; i + 2 <= tabled; i += 2) {
            h += bytes[i] * weights[i];
            odd += bytes[i + 1] * weights[i + 1];
        }
        if (i < tabled) {
            h += bytes[i] * weights[i];
            ++i;
        }
        h += odd;
    }
    for (; i < n; ++i) {
        const auto position = static_cast<uint32_t>(Position + i + 1);
        h += bytes[i] * (position << (position % 32));
    }
    return h;
}

template <typename TStep>
uint32_t HashJoined(const TJoinedKey& Key, TStep Step) {
    const std::string_view separator(&Key.Separator, 1);
    size_t position = Key.First.size();
    uint32_t h = Step(0, 0, Key.First);
    h = Step(h, position, separator);
    h = Step(h, ++position, Key.Second);
    position += Key.Second.size();
    h = Step(h, position, separator);
    return Step(h, position + 1, Key.Third) & 0x7FFFFFFF;
}
} // namespace

uint32_t WeightedShiftStep(uint32_t Running, size_t Position, std::string_view Bytes) {
    return WeightedShift(Running, Position, Bytes);
}

uint32_t RotateXorStep(uint32_t Running, size_t, std::string_view Bytes) {
    uint32_t h = Running;
    for (const char c : Bytes) {
        const uint32_t b = static_cast<unsigned char>(c);
        h = ((h >> 6) | (h << 26)) + (h ^ b);
    }
    return h;
}

uint32_t THashFunc::operator()(const TJoinedKey& Key) const {
    // The dictionary's hash inlined: one call, not one a piece.
    return Step == WeightedShiftStep ? HashJoined(Key, WeightedShift) : HashJoined(Key, Step);
}

int CompareKeys(std::string_view A, std::string_view B) {
    const size_t n = std::min(A.size(), B.size());
    if (n > 0) {
        if (const int c = std::memcmp(A.data(), B.data(), n)) return c;
    }
    return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

void* AllocateLarge(size_t Bytes) {
    constexpr size_t HugePage = size_t(2) << 20;
    if (Bytes < HugePage) {
        if (void* p = std::malloc(Bytes ? Bytes : 1)) return p;
        throw std::bad_alloc();
    }
    const size_t rounded = (Bytes + HugePage - 1) / HugePage * HugePage;
    void* p = std::aligned_alloc(HugePage, rounded);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, rounded, MADV_HUGEPAGE); // only a hint: without it the pages are small
#endif
    return p;
}

TLumoHashList::TLumoHashList(int BucketCount, THashFunc HashFunc)
    : hashFunc_(HashFunc.Step ? HashFunc : HashRotateXor),
      mod_(static_cast<uint32_t>(std::max(BucketCount, 1))), buckets_(mod_.Divisor(), NoRecord) {}

void TLumoHashList::Add(std::string_view Key, std::string_view Data) {
    const uint32_t hash = hashFunc_(Key);
    if (*FindLink(hash, Key) != NoRecord)
        throw EHashList(FormatText("Duplicate hash list entry: %s", {Key}));
    // Records are addressed by 32-bit word indices.
    if (Key.size() >= UINT32_MAX || Data.size() >= UINT32_MAX)
        throw EHashList("The hash list cannot hold an entry this long");
    const uint32_t words =
        RecordWords(static_cast<uint32_t>(Key.size()), static_cast<uint32_t>(Data.size()));
    if (arena_.size() + words >= NoRecord)
        throw EHashList("The hash list cannot hold more entries");
    const auto record = static_cast<uint32_t>(arena_.size());
    arena_.resize(arena_.size() + words);
    uint32_t* header = arena_.data() + record;
    header[HashWord] = hash;
    header[SeqWord] = count_;
    header[LeftWord] = header[RightWord] = NoRecord;
    header[KeySizeWord] = static_cast<uint32_t>(Key.size());
    header[DataSizeWord] = static_cast<uint32_t>(Data.size());
    auto* bytes = reinterpret_cast<char*>(header + HeaderWords);
    if (!Key.empty()) std::memcpy(bytes, Key.data(), Key.size());
    if (!Data.empty()) std::memcpy(bytes + Key.size(), Data.data(), Data.size());
    // The arena may have moved: find the link again.
    *FindLink(hash, Key) = record;
    ++count_;
}

bool TLumoHashList::Find(std::string_view Key, std::string_view& Data) const {
    const uint32_t record = *FindLink(
        hashFunc_(Key), [Key](std::string_view other) { return CompareKeys(Key, other); });
    if (record == NoRecord) return false;
    Data = RecordData(record);
    return true;
}

bool TLumoHashList::Find(const TJoinedKey& Key, std::string_view& Data) const {
    const uint32_t record = *FindLink(
        hashFunc_(Key), [&Key](std::string_view other) { return CompareJoined(Key, other); });
    if (record == NoRecord) return false;
    Data = RecordData(record);
    return true;
}

void TLumoHashList::Clear() {
    std::fill(buckets_.begin(), buckets_.end(), NoRecord);
    arena_.clear();
    count_ = 0;
}

std::vector<uint32_t> TLumoHashList::RecordsInOrder() const {
    std::vector<uint32_t> records(count_);
    for (uint32_t record = 0; record < arena_.size(); record += RecordWords(record))
        records[arena_[record + SeqWord]] = record;
    return records;
}

void TLumoHashList::Link(uint32_t Record) {
    uint32_t* header = arena_.data() + Record;
    header[LeftWord] = header[RightWord] = NoRecord;
    *FindLink(header[HashWord], RecordKey(Record)) = Record;
}

void TLumoHashList::Rehash(int BucketCount) {
    mod_ = TFastMod(static_cast<uint32_t>(std::max(BucketCount, 1)));
    buckets_.assign(mod_.Divisor(), NoRecord);
    for (const uint32_t record : RecordsInOrder())
        Link(record);
}

void TLumoHashList::Pack() {
    const std::vector<uint32_t> records = RecordsInOrder();
    // Each bucket's share of the new arena, then its records in insertion order.
    std::vector<uint64_t> start(buckets_.size() + 1, 0);
    for (const uint32_t record : records)
        start[mod_(arena_[record + HashWord]) + 1] += RecordWords(record);
    for (size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    TWords packed(arena_.size());
    for (const uint32_t record : records) {
        uint64_t& at = start[mod_(arena_[record + HashWord])];
        const uint32_t words = RecordWords(record);
        std::copy_n(arena_.begin() + record, words, packed.begin() + static_cast<ptrdiff_t>(at));
        at += words;
    }
    arena_ = std::move(packed);
    // Inserting in the same order again rebuilds the same trees.
    std::fill(buckets_.begin(), buckets_.end(), NoRecord);
    for (const uint32_t record : RecordsInOrder())
        Link(record);
}

} // namespace lex
