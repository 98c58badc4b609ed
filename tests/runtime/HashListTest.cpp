#include "runtime/HashList.h"

#include <gtest/gtest.h>

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

TEST(HashListTest, OneBucketChainsAndRefusesDuplicates) {
    TLumoHashList<int> list(1);
    list.Add("a", 1);
    list.Add("b", 2);
    list.Add("c", 3);
    for (auto [key, value] : {std::pair{"a", 1}, {"b", 2}, {"c", 3}})
        EXPECT_EQ(*list.Find(key), value);
    try {
        list.Add("b", 9);
        FAIL() << "no error";
    } catch (const EHashList& e) {
        EXPECT_STREQ(e.what(), "Duplicate hash list entry: b");
    }
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(*list.Find("b"), 2);
}

TEST(HashListTest, KeysAreExact) {
    TLumoHashList<int> list(7, HashWeightedShift, CompareKeys);
    EXPECT_EQ(list.Find("x"), nullptr);
    list.Add("File", 1);
    list.Add("file", 2);
    list.Add("", 3);
    EXPECT_EQ(*list.Find("File"), 1);
    EXPECT_EQ(*list.Find("file"), 2);
    EXPECT_EQ(*list.Find(""), 3);
    EXPECT_EQ(list.Find("FILE"), nullptr);
}

TEST(HashListTest, ClearForgetsEverything) {
    TLumoHashList<int> list(3);
    list.Clear();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 100; ++i)
            list.Add(std::to_string(i), i);
        EXPECT_EQ(list.Count(), 100);
        EXPECT_EQ(*list.Find("42"), 42);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.Find("42"), nullptr);
    }
}

} // namespace
} // namespace lex

namespace lex {
namespace {

TEST(HashListTest, RehashKeepsEveryEntry) {
    TLumoHashList<int> list(1, HashWeightedShift, CompareKeys);
    for (int i = 0; i < 500; ++i)
        list.Add("key" + std::to_string(i), i);
    list.Rehash(1009);
    EXPECT_EQ(list.BucketCount(), 1009);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(*list.Find("key" + std::to_string(i)), i);
    EXPECT_THROW(list.Add("key7", 0), EHashList);
}

} // namespace
} // namespace lex
