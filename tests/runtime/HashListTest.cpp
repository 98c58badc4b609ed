#include "runtime/HashList.h"

#include "runtime/LumoMultiLex.h"

#include <gtest/gtest.h>
#include <optional>

namespace lex {
namespace {

TEST(HashListTest, HashAndCompareValues) {
    EXPECT_EQ(HashWeightedShift("abc"), 3354u);
    EXPECT_EQ(HashRotateXor("abc"), 370147431u);
    EXPECT_EQ(HashWeightedShift(""), 0u);
    EXPECT_EQ(HashRotateXor(""), 0u);
    // Keys of any length hash as the definition says, wrapping in 32 bits.
    for (size_t length : {1u, 5u, 255u, 256u, 257u, 1000u}) {
        std::string key(length, '\0');
        uint32_t expected = 0;
        for (size_t i = 0; i < length; ++i) {
            key[i] = static_cast<char>(0x80 + i * 7);
            const uint32_t position = static_cast<uint32_t>(i + 1);
            expected += position * (static_cast<uint32_t>(static_cast<unsigned char>(key[i]))
                                    << (position % 32));
        }
        EXPECT_EQ(HashWeightedShift(key), expected & 0x7FFFFFFF) << length;
    }
    EXPECT_LT(CompareKeys("ab", "abc"), 0);
    EXPECT_GT(CompareKeys("b", "abc"), 0);
    EXPECT_GT(CompareKeys("\x80", "a"), 0); // bytes compare unsigned
    EXPECT_LT(CompareKeys("A", "a"), 0);
    EXPECT_EQ(CompareKeys("", ""), 0);
}

// The entry's data, or "-" for none.
std::string Found(const TLumoHashList& List, std::string_view Key) {
    std::string_view data = "-";
    List.Find(Key, data);
    return std::string(data);
}

TEST(HashListTest, OneBucketChainsAndRefusesDuplicates) {
    TLumoHashList list(1);
    list.Add("a", "1");
    list.Add("b", "2");
    list.Add("c", "3");
    for (auto [key, value] : {std::pair{"a", "1"}, {"b", "2"}, {"c", "3"}})
        EXPECT_EQ(Found(list, key), value);
    try {
        list.Add("b", "9");
        FAIL() << "no error";
    } catch (const EHashList& e) {
        EXPECT_STREQ(e.what(), "Duplicate hash list entry: b");
    }
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Found(list, "b"), "2");
}

TEST(HashListTest, KeysAreExact) {
    TLumoHashList list(7, HashWeightedShift);
    EXPECT_EQ(Found(list, "x"), "-");
    list.Add("File", "1");
    list.Add("file", "2");
    list.Add("", "3");
    list.Add("e", "");
    EXPECT_EQ(Found(list, "File"), "1");
    EXPECT_EQ(Found(list, "file"), "2");
    EXPECT_EQ(Found(list, ""), "3");
    EXPECT_EQ(Found(list, "e"), "");
    EXPECT_EQ(Found(list, "FILE"), "-");
}

TEST(HashListTest, ClearForgetsEverything) {
    TLumoHashList list(3);
    list.Clear();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 100; ++i)
            list.Add(std::to_string(i), "v" + std::to_string(i));
        EXPECT_EQ(list.Count(), 100);
        EXPECT_EQ(Found(list, "42"), "v42");
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(Found(list, "42"), "-");
    }
}

TEST(HashListTest, RehashKeepsEveryEntry) {
    TLumoHashList list(1, HashWeightedShift);
    for (int i = 0; i < 500; ++i)
        list.Add("key" + std::to_string(i), std::to_string(i));
    list.Rehash(1009);
    EXPECT_EQ(list.BucketCount(), 1009);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(Found(list, "key" + std::to_string(i)), std::to_string(i));
    EXPECT_THROW(list.Add("key7", "0"), EHashList);
    list.Rehash(NextPrime(1000000)); // buckets on huge pages where there are any
    EXPECT_EQ(Found(list, "key499"), "499");
}

TEST(HashListTest, JoinedKeysHashAndFindAsTheirJoinedText) {
    const std::string_view key = "&File\t936\t0";
    const std::string longKey(600, '\x9C'); // past the tabled weights
    for (const THashFunc hash : {HashWeightedShift, HashRotateXor}) {
        EXPECT_EQ(hash(TJoinedKey{"&File", "936", "0", '\t'}), hash(key));
        EXPECT_EQ(hash(TJoinedKey{"", "", "", '\t'}), hash("\t\t"));
        const std::string_view view(longKey);
        EXPECT_EQ(
            hash(TJoinedKey{view.substr(0, 250), view.substr(251, 20), view.substr(272), '\x9C'}),
            hash(longKey));
    }
    TLumoHashList list(5, HashWeightedShift);
    list.Add(key, "V");
    list.Add("&File\t936\t1", "W");
    list.Add("a\tb\tc\td\te", "X");
    std::string_view data = "-";
    EXPECT_TRUE(list.Find(TJoinedKey{"&File", "936", "0", '\t'}, data));
    EXPECT_EQ(data, "V");
    EXPECT_TRUE(list.Find(TJoinedKey{"&File", "936", "1", '\t'}, data));
    EXPECT_EQ(data, "W");
    // The same bytes joined at other places are the same key.
    EXPECT_TRUE(list.Find(TJoinedKey{"a\tb", "c\td", "e", '\t'}, data));
    EXPECT_EQ(data, "X");
    for (const TJoinedKey other :
         {TJoinedKey{"&File", "936", "", '\t'}, TJoinedKey{"&File", "936", "00", '\t'},
          TJoinedKey{"&File", "0936", "0", '\t'}, TJoinedKey{"&File", "936", "0", ' '}})
        EXPECT_FALSE(list.Find(other, data));
    EXPECT_EQ(data, "X");
}

// "ab", "ea" and "i`" have the same weighted-shift hash (2 * b1 + 8 * b2), so
// their walk goes down to the key bytes.
TEST(HashListTest, EqualHashesAreToldApartByTheirKeys) {
    const std::vector<std::string> keys = {"ab", "ea", "i`", "m_", "q^"};
    for (const std::string& key : keys)
        ASSERT_EQ(HashWeightedShift(key), HashWeightedShift("ab")) << key;
    for (const int buckets : {1, 2, 13}) {
        TLumoHashList list(buckets, HashWeightedShift);
        for (size_t i = 0; i < keys.size(); i += 2) // every other key: the rest miss
            list.Add(keys[i], keys[i] + "!");
        list.Add("zz", "z");
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < keys.size(); ++i)
                EXPECT_EQ(Found(list, keys[i]), i % 2 ? "-" : keys[i] + "!") << keys[i];
            EXPECT_THROW(list.Add("i`", "again"), EHashList);
            list.Pack();
        }
    }
}

TEST(HashListTest, PackKeepsAnswersAndTakesMoreEntries) {
    TLumoHashList list(97, HashWeightedShift);
    for (int i = 0; i < 1000; ++i) // about ten a bucket, so the trees branch
        list.Add("key" + std::to_string(i), std::string(i % 40, 'v') + std::to_string(i));
    list.Pack();
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(Found(list, "key" + std::to_string(i)),
                  std::string(i % 40, 'v') + std::to_string(i));
    EXPECT_EQ(Found(list, "key1000"), "-");
    EXPECT_THROW(list.Add("key999", "x"), EHashList);
    list.Add("key1000", "new");
    list.Rehash(11);
    list.Pack();
    EXPECT_EQ(list.Count(), 1001);
    EXPECT_EQ(Found(list, "key1000"), "new");
    EXPECT_EQ(Found(list, "key0"), "0");
    EXPECT_EQ(Found(list, "key517"), std::string(37, 'v') + "517");
}

// Exact for every 32-bit value by the method's proof; checked here against %
// for every bucket count up to lexicons of 200,000 records (each prime
// NextPrime gives there and the numbers between), and for the primes it gives
// for larger lexicons up to the largest bucket count.
TEST(FastModTest, MatchesTheRemainder) {
    std::vector<uint32_t> values = {0,          1,          2,          0x7FFFFFFE,
                                    0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    uint32_t x = 12345;
    for (int i = 0; i < 64; ++i)
        values.push_back(x = x * 1664525u + 1013904223u);
    const auto mismatch = [&](uint32_t divisor) -> std::optional<uint32_t> {
        const TFastMod mod(divisor);
        for (const uint32_t v : values) {
            if (mod(v) != v % divisor) return v;
        }
        // Either side of the multiples at the top of the hash range and of the word.
        for (const uint64_t top : {uint64_t(0x7FFFFFFF), uint64_t(0xFFFFFFFF)}) {
            const uint64_t last = top / divisor * divisor;
            for (uint64_t m = last; m + 4 * uint64_t(divisor) > last && m > 0; m -= divisor) {
                for (const uint64_t v : {m - 1, m, std::min(m + 1, top)}) {
                    if (mod(uint32_t(v)) != uint32_t(v) % divisor) return uint32_t(v);
                }
            }
        }
        return std::nullopt;
    };
    std::vector<uint32_t> divisors;
    for (uint32_t divisor = 1; divisor <= 200003; ++divisor)
        divisors.push_back(divisor);
    for (const int n : {1000000, 1000003, 1 << 24, 100000007, 1 << 30, 0x7FFFFFF0})
        divisors.push_back(static_cast<uint32_t>(NextPrime(n)));
    divisors.push_back(0x7FFFFFFF);
    for (const uint32_t divisor : divisors) {
        const std::optional<uint32_t> bad = mismatch(divisor);
        ASSERT_FALSE(bad) << *bad << " mod " << divisor;
    }
}

} // namespace
} // namespace lex
