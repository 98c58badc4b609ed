#include "chinese/PhraseConverter.h"

#include "platform/CodePage.h"
#include "runtime/ChineseGbBig5.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

std::string Gb(std::u16string_view Text) {
    return EncodeText(Text, 936);
}
std::string Big5(std::u16string_view Text) {
    return EncodeText(Text, 950);
}

// Words whose traditional form depends on the word, and words of a user
// interface. Each direction speaks its own region's vocabulary, so a word
// need not come back as it went: Taiwan's 複製 is the mainland's 拷贝.
TEST(PhraseConverterTest, InterfaceWordsBothWays) {
    const struct {
        std::u16string_view Simplified, Traditional, Back;
    } words[] = {
        {u"复制", u"複製", u"拷贝"},
        {u"头发", u"頭髮", u"头发"},
        {u"干燥", u"乾燥", u"干燥"},
        {u"文件", u"檔案", u"文件"},
        {u"打开文件", u"開啟檔案", u"打开文件"},
        {u"保存", u"儲存", u"保存"},
        {u"删除", u"刪除", u"删除"},
        {u"粘贴", u"貼上", u"粘贴"},
        {u"撤销", u"撤銷", u"撤销"},
        {u"设置", u"設定", u"设置"},
        {u"帮助", u"幫助", u"帮助"},
        {u"系统", u"系統", u"系统"},
        {u"注释", u"註釋", u"注释"},
        {u"窗口", u"視窗", u"窗口"},
        {u"程序", u"程式", u"程序"},
        {u"信息", u"資訊", u"信息"},
        {u"默认", u"預設", u"缺省"},
        {u"选项", u"選項", u"选项"},
        {u"发布", u"釋出", u"发布"},
        {u"网络", u"網路", u"网络"},
        {u"只读", u"只讀", u"只读"},
        {u"数据库", u"資料庫", u"数据库"},
        {u"复制文件(&C)", u"複製檔案(&C)", u"拷贝文件(&C)"},
    };
    for (const auto& w : words) {
        EXPECT_EQ(PhraseGbToBig5(Gb(w.Simplified)), Big5(w.Traditional)) << Gb(w.Simplified);
        EXPECT_EQ(PhraseBig5ToGb(Big5(w.Traditional)), Gb(w.Back)) << Gb(w.Simplified);
    }
}

// What the text holds besides Chinese stays: ASCII, NULs, bytes that are no
// character of the source, a lead byte cut off at the end.
TEST(PhraseConverterTest, KeepsWhatIsNoCharacterOfTheSource) {
    EXPECT_EQ(PhraseGbToBig5(""), "");
    EXPECT_EQ(PhraseGbToBig5("Copy &File\t1"), "Copy &File\t1");
    const std::string nul("a\0b", 3);
    EXPECT_EQ(PhraseGbToBig5(nul), nul);
    // 0x80 alone, a lead before a byte that cannot follow it, a lone lead;
    // in Big5 also a pair the code page leaves undefined.
    const std::string gb = Gb(u"复制") + "\x80" + "\xB9\x7F" + Gb(u"头发") + "\xB9";
    EXPECT_EQ(PhraseGbToBig5(gb), Big5(u"複製") + "\x80" + "\xB9\x7F" + Big5(u"頭髮") + "\xB9");
    const std::string big5 = Big5(u"頭髮") + "\xFF" + "\x81\x40" + Big5(u"乾燥") + "\xA4";
    EXPECT_EQ(PhraseBig5ToGb(big5), Gb(u"头发") + "\xFF" + "\x81\x40" + Gb(u"干燥") + "\xA4");
}

// A character that the target code page cannot hold takes the tables' answer
// for its source character, never "?" and never nothing.
TEST(PhraseConverterTest, UnencodableCharactersTakeTheTablesAnswer) {
    const TChineseGbBig5 tables;
    // GBK characters outside Big5 and without a traditional form in it: the
    // Japanese kana and a GBK-only ideograph.
    for (std::u16string_view text : {u"\u3042", u"\u4E2B", u"\u9FA5"}) {
        const std::string gb = EncodeText(text, 936);
        EXPECT_EQ(PhraseGbToBig5(gb), tables.GbToBig5(gb)) << gb;
    }
    // A user-defined character of one set is no character of the other.
    for (const std::string gb : {"\xAA\xA1", "\xF8\xA1", "\xA1\x40"}) {
        EXPECT_EQ(PhraseGbToBig5(gb), tables.GbToBig5(gb));
    }
    EXPECT_EQ(PhraseBig5ToGb("\xFA\x40"), tables.Big5ToGb("\xFA\x40"));
    // Big5's traditional characters whose simplified form lies outside GB2312
    // but inside GBK stay the way the tables give them, not "?".
    const std::string big5 = Big5(u"\u7881");
    const std::string gb = PhraseBig5ToGb(big5);
    EXPECT_EQ(gb.find('?'), std::string::npos);
    EXPECT_EQ(gb.size(), 2u);
}

// Every GB2312 character with a counterpart goes to Big5 and back: always
// into characters of the other set, never "?", and as itself unless OpenCC
// knows it as a word of its own (埠 comes back as 端口) or its traditional
// form stands for several simplified ones (髮 and 發 both give 发).
TEST(PhraseConverterTest, RoundTripOfTheGb2312Codes) {
    const TChineseGbBig5 tables;
    int same = 0, counterparts = 0;
    for (int lead = 0xA1; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const std::string code = {static_cast<char>(lead), static_cast<char>(trail)};
            if (tables.GbToBig5(code) == "  ") continue;
            ++counterparts;
            const std::string big5 = PhraseGbToBig5(code);
            const std::string back = PhraseBig5ToGb(big5);
            for (const std::string& text : {big5, back}) {
                ASSERT_FALSE(text.empty()) << code;
                ASSERT_EQ(text.find('?'), std::string::npos) << code;
            }
            ASSERT_EQ(DecodeText(big5, 950).find(u'\uFFFD'), std::u16string::npos) << code;
            same += back == code;
        }
    }
    EXPECT_EQ(counterparts, 6784);                    // as the tables give them
    EXPECT_GT(same, counterparts * 99 / 100) << same; // 6742 with OpenCC 1.1.6
}

} // namespace
} // namespace lex
