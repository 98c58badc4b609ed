#include "runtime/ChineseGbBig5.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace lex {
namespace {

const TChineseGbBig5 Converter;

struct TRow {
    bool FromGb;
    const char* Source;
    int Index;
    uint16_t Entry;
};

// Rows that show the character forms, the punctuation and the blanks.
const TRow Rows[] = {
    {true, "\xA1\xA1", 0, 0x2020},      // ideographic space
    {true, "\xA1\xA2", 1, 0xA142},      // 、
    {true, "\xB9\xFA", 2345, 0xB0EA},   // 国 -> 國
    {true, "\xBA\xF3", 2432, 0xABE1},   // 后 -> 後, though Big5 has 后
    {true, "\xCC\xA8", 4049, 0xBB4F},   // 台 -> 臺, though Big5 has 台
    {true, "\xA1\xA6", 5, 0xA3BE},      // ˇ, the same symbol
    {true, "\xAA\xA1", 846, 0x2020},    // empty row of GB2312
    {true, "\xF7\xFE", 8177, 0x2020},   // last index; Big5 has no 齄
    {false, "\xA1\x40", 0, 0x2020},     // ideographic space
    {false, "\xA1\x41", 1, 0xA3AC},     // ，
    {false, "\xAB\xE1", 1697, 0xE1E1},  // 後 stays, GB2312 has it
    {false, "\xB0\xEA", 2491, 0xB9FA},  // 國 -> 国
    {false, "\xB7\x52", 3472, 0xB0AE},  // 愛 -> 爱
    {false, "\xA3\xBE", 406, 0xA1A6},   // ˇ comes back
    {false, "\xC6\xA1", 5872, 0x2020},  // user-defined, no character
    {false, "\xFE\xFE", 14757, 0x2020}, // last index
};

TEST(ChineseGbBig5Test, TableRowsAndTheirConversion) {
    for (const TRow& row : Rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.Source)));
        const auto index = row.FromGb ? TChineseGbBig5::GbIndex(row.Source)
                                      : TChineseGbBig5::Big5Index(row.Source);
        ASSERT_EQ(index, row.Index);
        EXPECT_EQ(row.FromGb ? GbToBig5Table[*index] : Big5ToGbTable[*index], row.Entry);
        const std::string converted =
            row.FromGb ? Converter.GbToBig5(row.Source) : Converter.Big5ToGb(row.Source);
        EXPECT_EQ(converted, TChineseGbBig5::CodeToText(row.Entry));
    }
}

TEST(ChineseGbBig5Test, IndexBounds) {
    struct TCase {
        const char* Code;
        std::optional<int> Gb, Big5;
    };
    const TCase cases[] = {
        {"", std::nullopt, std::nullopt},
        {"\xB9", std::nullopt, std::nullopt},
        {"\xB9\xFA\xCC", 2345, 3920}, // only the first two bytes count
        {"\xA1\xFE", 93, 156},
        {"\xF7\xA1", 8084, 13565},
        {"\xF8\xA1", std::nullopt, 13722}, // beyond GB2312's rows
        {"\xA0\xA1", std::nullopt, std::nullopt},
        {"\xFF\xA1", std::nullopt, std::nullopt},
        {"\xA1\xA0", std::nullopt, std::nullopt},
        {"\xA1\xFF", std::nullopt, std::nullopt},
        {"\xA1\x3F", std::nullopt, std::nullopt},
        {"\xA1\x40", std::nullopt, 0}, // Big5's low trail bytes
        {"\xA1\x7E", std::nullopt, 62},
        {"\xA1\x7F", std::nullopt, std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.Code)));
        EXPECT_EQ(TChineseGbBig5::GbIndex(c.Code), c.Gb);
        EXPECT_EQ(TChineseGbBig5::Big5Index(c.Code), c.Big5);
    }
}

TEST(ChineseGbBig5Test, CodeToTextPutsHighByteFirst) {
    EXPECT_EQ(TChineseGbBig5::CodeToText(0xB0EA), "\xB0\xEA");
    EXPECT_EQ(TChineseGbBig5::CodeToText(0x0041), std::string("\0A", 2));
}

TEST(ChineseGbBig5Test, MixedText) {
    const std::string gb = "Lex \xB9\xFA\xBC\xD2\xCC\xA8\xBA\xF3 v1.0\xA3\xAC\xB0\xAE";
    const std::string big5 = "Lex \xB0\xEA\xAE\x61\xBB\x4F\xAB\xE1 v1.0\xA1\x41\xB7\x52";
    EXPECT_EQ(Converter.GbToBig5(gb), big5);
    // 臺 comes back as 台, 後 stays 後.
    EXPECT_EQ(Converter.Big5ToGb(big5),
              "Lex \xB9\xFA\xBC\xD2\xCC\xA8\xE1\xE1 v1.0\xA3\xAC\xB0\xAE");
}

TEST(ChineseGbBig5Test, BytesThatAreNoCodeOfTheSetPassUnchanged) {
    const std::string ascii = "Plain ASCII, tabs\tand ~ 0x7F\x7F";
    const struct {
        bool FromGb;
        std::string In, Out;
    } cases[] = {
        {true, "", ""},
        {false, "", ""},
        {true, ascii, ascii},
        {false, ascii, ascii},
        {true, "\x81\x40", "\x81\x40"},                  // GBK, outside GB2312
        {true, "\xB0\x40", "\xB0\x40"},                  // GBK trail below 0xA1
        {true, "\xF8\xA1", "\xF8\xA1"},                  // lead beyond 0xF7
        {false, "\x8E\x40", "\x8E\x40"},                 // lead below 0xA1
        {true, "A\xB9", "A\xB9"},                        // lone lead at the end
        {false, "A\xB0", "A\xB0"},                       //
        {true, "\xB9\x7F\xB9\xFA", "\xB9\x7F\xB0\xEA"},  // invalid trail is a byte of its own
        {false, "\xB0\x80\xB0\xEA", "\xB0\x80\xB9\xFA"}, //
        // A passed-over pair must not shift the split: B9FA and B0EA here are
        // halves of two characters, not characters.
        {true, "\x81\xB9\xFA\x41", "\x81\xB9\xFA\x41"},
        {false, "\x81\xB0\xEA", "\x81\xB0\xEA"},
        // 0xA0 is no Big5 trail byte but a lead byte, so it pairs with B0.
        {false, "\xB0\xA0\xB0\xEA", "\xB0\xA0\xB0\xEA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.In));
        EXPECT_EQ(c.FromGb ? Converter.GbToBig5(c.In) : Converter.Big5ToGb(c.In), c.Out);
    }
}

TEST(ChineseGbBig5Test, TablesPointIntoEachOther) {
    int gbBlank = 0, mapped = 0, back = 0;
    for (int i = 0; i < 8178; ++i) {
        const uint16_t big5 = GbToBig5Table[i];
        if (big5 == 0x2020) {
            ++gbBlank;
            continue;
        }
        const auto index = TChineseGbBig5::Big5Index(TChineseGbBig5::CodeToText(big5));
        ASSERT_TRUE(index) << "GB index " << i;
        ++mapped;
        const std::string gb = TChineseGbBig5::CodeToText(Big5ToGbTable[*index]);
        if (TChineseGbBig5::GbIndex(gb) == i) ++back;
    }
    int big5Blank = 0;
    for (const uint16_t gb : Big5ToGbTable) {
        if (gb == 0x2020)
            ++big5Blank;
        else
            EXPECT_TRUE(TChineseGbBig5::GbIndex(TChineseGbBig5::CodeToText(gb))) << std::hex << gb;
    }
    // The figures tools/gbbig5/generate_tables.py prints.
    EXPECT_EQ(gbBlank, 1394);
    EXPECT_EQ(big5Blank, 7627);
    EXPECT_EQ(back, 6766);
    EXPECT_EQ(mapped, 6784);
}

} // namespace
} // namespace lex
