#include "platform/CodePage.h"

#include "platform/Exceptions.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TEST(CodePageTest, LocaleNamesMapToCodePages) {
    const struct {
        const char* locale;
        int codePage;
    } cases[] = {
        {"zh_CN.GB2312", 936},  {"zh_CN.GBK", 936},
        {"zh_CN.UTF-8", 936},   {"zh_SG.UTF-8", 936},
        {"zh_TW.BIG5", 950},    {"zh_TW.UTF-8", 950},
        {"zh_HK.UTF-8", 950},   {"zh_MO", 950},
        {"ja_JP.SJIS", 932},    {"ja_JP.UTF-8", 932},
        {"ko_KR.EUC-KR", 949},  {"ru_RU.UTF-8", 1251},
        {"ru_RU.CP1251", 1251}, {"pl_PL.UTF-8", 1250},
        {"el_GR.UTF-8", 1253},  {"tr_TR.UTF-8", 1254},
        {"he_IL.UTF-8", 1255},  {"ar_EG.UTF-8", 1256},
        {"lt_LT.UTF-8", 1257},  {"vi_VN.UTF-8", 1258},
        {"th_TH.UTF-8", 874},   {"de_DE.UTF-8@euro", 1252},
        {"en_US.UTF-8", 1252},  {"C", 1252},
        {"POSIX", 1252},        {"", 1252},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePageForLocale(c.locale), c.codePage) << c.locale;
}

// A code page names its common language; a language finds the first of the
// code pages offered that writes it, by the whole locale before the language.
TEST(CodePageTest, CodePagesAndLocalesMapBothWays) {
    const std::pair<const char*, const char*> locales[] = {
        {"936", "zh_CN"}, {"950", "zh_TW"}, {"54936", "zh_CN"}, {"932", "ja"},
        {"1257", "lt"},   {"65001", ""},    {"0936", ""},
    };
    for (auto [codePage, locale] : locales)
        EXPECT_EQ(LocaleOfCodePage(codePage), locale) << codePage;
    const std::vector<std::string> offered = {"1252", "950", "54936", "936"};
    const std::pair<const char*, const char*> codePages[] = {
        {"zh_CN", "54936"}, {"zh-cn", "54936"}, {"zh_TW", "950"}, {"zh_SG", "950"},
        {"en_US", "1252"},  {"de", ""},         {"", ""},
    };
    for (auto [locale, codePage] : codePages)
        EXPECT_EQ(CodePageOfLocale(offered, locale), codePage) << locale;
}

TEST(CodePageTest, DecodesAndEncodesLegacyCodePages) {
    const struct {
        int codePage;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {936, "\xB9\xFA", u"\u56FD"}, // 国
        {950, "\xB0\xEA", u"\u570B"}, // 國
        {1252, "caf\xE9", u"caf\u00E9"},    {1251, "\xC4\xE0", u"\u0414\u0430"},
        {932, "\x82\xA0", u"\u3042"}, // あ
        {65001, "\xE5\x9B\xBD", u"\u56FD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeText(c.bytes, c.codePage), c.text) << c.codePage;
        EXPECT_EQ(EncodeText(c.text, c.codePage), c.bytes) << c.codePage;
    }
}

TEST(CodePageTest, RefusesWhatCannotBeHeld) {
    try {
        EncodeText(u"A\u56FD", 1252);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Character U+56FD cannot be written in code page 1252");
    }
    EXPECT_FALSE(IsCodePageAvailable(12345));
    EXPECT_THROW(DecodeText("x", 12345), EConvertError);
    for (int codePage :
         {874,  932,  936,  949,  950,   1250,  1251,  1252,  1253,  1254,  1255, 1256,
          1257, 1258, 1200, 1201, 20127, 28591, 28605, 51936, 54936, 65000, 65001})
        EXPECT_TRUE(IsCodePageAvailable(codePage)) << codePage;
}

TEST(CodePageTest, SaysWhetherBytesMatchCharacters) {
    const struct {
        int codePage;
        bool stateless, ascii, aligned;
    } cases[] = {
        {1252, true, true, true},     {65001, true, true, true},    {28591, true, true, true},
        {936, true, true, false},     {950, true, true, false},     {932, true, true, false},
        {54936, true, true, false},   {37, true, false, false},     {1200, true, false, false},
        {50220, false, false, false}, {65000, false, false, false},
    };
    for (const auto& c : cases) {
        const TCodePageBytes form = CodePageBytes(c.codePage);
        EXPECT_EQ(form.Stateless, c.stateless) << c.codePage;
        EXPECT_EQ(form.Ascii, c.ascii) << c.codePage;
        EXPECT_EQ(form.Aligned, c.aligned) << c.codePage;
    }
    EXPECT_THROW(CodePageBytes(12345), EConvertError);
}

TEST(CodePageTest, DecodingTellsWhereEachCharacterStarts) {
    const struct {
        int codePage;
        std::string bytes;
        std::u16string text;
        std::vector<int32_t> starts;
    } cases[] = {
        {936,
         "a\xB9\xFA"
         "b",
         u"a\u56FDb",
         {0, 1, 3}},
        {65001, "\xF0\x9F\x98\x80x", u"\U0001F600x", {0, 0, 4}}, // a surrogate pair
        {936, "\xB9", u"\uFFFD", {0}},                           // a lead byte alone
        {1252, "", u"", {}},
    };
    std::u16string text;
    std::vector<int32_t> starts;
    for (const auto& c : cases) {
        DecodeTextTo(c.bytes, c.codePage, text, starts);
        EXPECT_EQ(text, c.text) << c.codePage;
        EXPECT_EQ(starts, c.starts) << c.codePage;
    }
}

} // namespace
} // namespace lex
