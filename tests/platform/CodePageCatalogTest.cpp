#include "platform/CodePageCatalog.h"

#include <gtest/gtest.h>
#include <map>

namespace lex {
namespace {

using Keys = std::map<std::string, std::optional<std::string>>;

// A registry key as a map: a name mapped to nullopt is a subkey that does
// not open.
class TMapSource final : public ICodePageSource {
public:
    explicit TMapSource(Keys keys) : keys_(std::move(keys)) {}
    std::vector<std::string> SubKeyNames() const override {
        std::vector<std::string> names;
        for (const auto& [name, description] : keys_)
            names.push_back(name);
        return names;
    }
    std::optional<std::string> Description(std::string_view name) const override {
        const auto found = keys_.find(std::string(name));
        return found == keys_.end() ? std::nullopt : found->second;
    }

private:
    Keys keys_;
};

std::vector<std::string> Names(const TCodePageList& list) {
    std::vector<std::string> names;
    for (const auto& entry : list)
        names.push_back(entry.Name);
    return names;
}

TEST(CodePageCatalogTest, SortedAsTextIgnoringCase) {
    const TMapSource source({{"936", "Chinese"},
                             {"1250", "Central"},
                             {"x-mac", "Mac"},
                             {"Y-Apple", "Apple"},
                             {"65001", "UTF-8"},
                             {"20127", ""}});
    const TCodePageList list(source);
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"1250", "20127", "65001", "936", "x-mac", "Y-Apple"}));

    EXPECT_EQ(list.IndexOf("936"), 3);
    EXPECT_EQ(list.IndexOf("X-MAC"), 4);
    EXPECT_EQ(list.IndexOf("y-apple"), 5);
    EXPECT_EQ(list.IndexOf("93"), -1);
    EXPECT_EQ(list.IndexOf("zzz"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    ASSERT_NE(list.Find("X-MAC"), nullptr);
    EXPECT_EQ(list.Find("X-MAC")->CodePage, "x-mac");
    EXPECT_EQ(list.Find("X-MAC")->Description, "Mac");
    EXPECT_EQ(list.Find("937"), nullptr);
}

TEST(CodePageCatalogTest, EntriesWithoutRecordAndDisplayText) {
    const TMapSource source({{"936", "Chinese Simplified (GB2312)"},
                             {"1252", std::nullopt}, // the subkey does not open
                             {"874", ""},            // opens, no Description
                             {"123456789012", "Long"}});
    const TCodePageList list(source);
    ASSERT_EQ(list.Count(), 4);
    const int noRecord = list.IndexOf("1252");
    EXPECT_EQ(list.Node(noRecord), nullptr);
    EXPECT_EQ(list.Find("1252"), nullptr);
    ASSERT_NE(list.Find("874"), nullptr);
    EXPECT_EQ(list.Find("874")->Description, "");

    EXPECT_EQ(list.DisplayText(list.IndexOf("936")), "936        Chinese Simplified (GB2312)");
    EXPECT_EQ(list.DisplayText(noRecord), "1252       ");
    EXPECT_EQ(list.DisplayText(list.IndexOf("123456789012")), "123456789012Long");
}

TEST(CodePageCatalogTest, EmptySourceGivesEmptyList) {
    const TCodePageList list(TMapSource(Keys{}));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.IndexOf("936"), -1);
}

TEST(CodePageCatalogTest, BuiltinCatalogue) {
    const TBuiltinCodePageSource source;
    const TCodePageList list(source);
    EXPECT_EQ(list.Count(), static_cast<int>(source.SubKeyNames().size()));
    for (const auto& entry : list) {
        ASSERT_NE(entry.Node, nullptr) << entry.Name;
        EXPECT_FALSE(entry.Node->Description.empty()) << entry.Name;
    }
    const std::pair<const char*, const char*> known[] = {
        {"1250", "Central European (Windows)"}, {"1251", "Cyrillic (Windows)"},
        {"1252", "Western European (Windows)"}, {"936", "Chinese Simplified (GB2312)"},
        {"950", "Chinese Traditional (Big5)"},  {"65001", "Unicode (UTF-8)"},
    };
    for (const auto& [name, description] : known) {
        ASSERT_NE(list.Find(name), nullptr) << name;
        EXPECT_EQ(list.Find(name)->Description, description);
    }
    EXPECT_EQ(source.Description("1252x"), std::nullopt);
    EXPECT_EQ(source.Description("9999"), std::nullopt);
}

// A second start-up replaces the list and a second finalisation does nothing:
// the sanitizers see neither a leak nor a double free.
TEST(CodePageCatalogTest, GlobalListLifetime) {
    InitializeCodePageList(TMapSource(Keys{{"950", "Big5"}}));
    ASSERT_NE(CodePageList, nullptr);
    EXPECT_EQ(Names(*CodePageList), std::vector<std::string>{"950"});
    InitializeCodePageList(TMapSource(Keys{{"936", "GB2312"}, {"1252", "Western"}}));
    ASSERT_NE(CodePageList, nullptr);
    EXPECT_EQ(Names(*CodePageList), (std::vector<std::string>{"1252", "936"}));
    FinalizeCodePageList();
    EXPECT_EQ(CodePageList, nullptr);
    FinalizeCodePageList();
    EXPECT_EQ(CodePageList, nullptr);
}

} // namespace
} // namespace lex
