#include "database/PackedValues.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace std::string_literals;
using TValues = TPackedValues::TValues;

TEST(PackedValuesTest, KeepsEveryValueAndEveryNull) {
    for (const TValues& values :
         std::vector<TValues>{{},
                              {std::nullopt},
                              {""},
                              {std::nullopt, "abc", std::nullopt, "", "d\0e"s, std::nullopt},
                              {"first", std::nullopt, std::nullopt, "last"},
                              {"", "", std::nullopt, ""}}) {
        const TPackedValues packed(values);
        ASSERT_EQ(packed.size(), values.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(packed[i], values[i]) << i;
        EXPECT_EQ(packed.Unpack(), values);
        EXPECT_TRUE(packed == values);
    }
    const TPackedValues packed(TValues{"a", std::nullopt});
    EXPECT_FALSE(packed == (TValues{"a", ""}));
    EXPECT_FALSE(packed == (TValues{"a"}));
    EXPECT_EQ(TPackedValues().size(), 0u);
}

} // namespace
} // namespace lex
