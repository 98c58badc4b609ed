#include "formfiles/FormTextParser.h"

#include "platform/Exceptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lex {
namespace {

// A token as the tests write it: kind, value (the characters for most kinds,
// the bytes of a String), line and position.
struct Tok {
    TFormToken Kind;
    std::string Value;
    int Line;
    std::size_t Position;
    bool operator==(const Tok&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const Tok& T) {
    return Out << static_cast<int>(T.Kind) << " '" << T.Value << "' line " << T.Line << " at "
               << T.Position;
}

std::vector<Tok> Tokens(std::string_view Text) {
    std::vector<Tok> tokens;
    TFormTextParser parser(Text);
    for (; parser.Token() != TFormToken::EndOfText; parser.NextToken()) {
        const bool isString = parser.Token() == TFormToken::String;
        tokens.push_back({parser.Token(),
                          isString ? parser.TokenBytes() : std::string(parser.TokenText()),
                          parser.TokenLine(), parser.TokenPosition()});
    }
    return tokens;
}

using K = TFormToken;

TEST(FormTextParser, ReadsTokensWithTheirLinesAndPositions) {
    struct Case {
        std::string Text;
        std::vector<Tok> Expected;
    };
    const std::vector<Case> cases{
        {"object Form1: TForm1\r\n  Left = -12\nend",
         {{K::Symbol, "object", 1, 0},
          {K::Symbol, "Form1", 1, 7},
          {K::Char, ":", 1, 12},
          {K::Symbol, "TForm1", 1, 14},
          {K::Symbol, "Left", 2, 24},
          {K::Char, "=", 2, 29},
          {K::Integer, "-12", 2, 31},
          {K::Symbol, "end", 3, 35}}},
        {"_a1 9x", {{K::Symbol, "_a1", 1, 0}, {K::Integer, "9", 1, 4}, {K::Symbol, "x", 1, 5}}},
        {"1.5 2e-3 3.0s 4C 7d $1aF $",
         {{K::Float, "1.5", 1, 0},
          {K::Float, "2e-3", 1, 4},
          {K::Float, "3.0s", 1, 9},
          {K::Float, "4C", 1, 14},
          {K::Float, "7d", 1, 17},
          {K::Integer, "$1aF", 1, 20},
          {K::Char, "$", 1, 25}}},
        {"'it''s' 'a'#13#10'b' #65'' ''",
         {{K::String, "it's", 1, 0},
          {K::String, "a\r\nb", 1, 8},
          {K::String, "A", 1, 21},
          {K::String, "", 1, 27}}},
        {"[a, b] (\n'x'\n'y') <\nitem\nend>{0A}",
         {{K::Char, "[", 1, 0},
          {K::Symbol, "a", 1, 1},
          {K::Char, ",", 1, 2},
          {K::Symbol, "b", 1, 4},
          {K::Char, "]", 1, 5},
          {K::Char, "(", 1, 7},
          {K::String, "x", 2, 9},
          {K::String, "y", 3, 13},
          {K::Char, ")", 3, 16},
          {K::Char, "<", 3, 18},
          {K::Symbol, "item", 4, 20},
          {K::Symbol, "end", 5, 25},
          {K::Char, ">", 5, 28},
          {K::Char, "{", 5, 29},
          {K::Integer, "0", 5, 30},
          {K::Symbol, "A", 5, 31},
          {K::Char, "}", 5, 32}}},
        // Control characters and NUL are white space; bytes above 127 are
        // tokens of their own outside strings.
        {std::string("a\0\x01\tb\xC3", 6),
         {{K::Symbol, "a", 1, 0}, {K::Symbol, "b", 1, 4}, {K::Char, "\xC3", 1, 5}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.Text), c.Expected) << c.Text;
}

TEST(FormTextParser, KeepsQuotedBytesAndFloatTypes) {
    TFormTextParser parser("'\xE4\xB8\xAD' 1.5c");
    EXPECT_EQ(parser.Token(), TFormToken::String);
    EXPECT_EQ(parser.TokenBytes(), "\xE4\xB8\xAD"); // bytes as they are, whatever they mean
    parser.NextToken();
    EXPECT_EQ(parser.FloatType(), 'c');
}

TEST(FormTextParser, ACodeOf128OrMoreMakesAWideString) {
    TFormTextParser parser("'a'#20013'\xE9''' #127");
    EXPECT_EQ(parser.Token(), TFormToken::WString);
    // Each quoted byte is the unit of its own number, each code one unit.
    EXPECT_EQ(parser.TokenWide(), (std::u16string{u'a', 0x4E2D, 0xE9, u'\''}));
    parser.NextToken();
    EXPECT_EQ(parser.Token(), TFormToken::String);
    EXPECT_EQ(parser.TokenBytes(), "\x7F");
}

TEST(FormTextParser, ReadsDottedIdentifiers) {
    TFormTextParser parser("Font.Name = x\n  Items.Strings.Count=a. b");
    EXPECT_EQ(parser.ReadDottedIdent(), "Font.Name");
    EXPECT_EQ(parser.NextToken(), TFormToken::Char);
    parser.NextToken();
    EXPECT_EQ(parser.ReadDottedIdent(), "x"); // nothing dotted follows
    parser.NextToken();
    EXPECT_EQ(parser.ReadDottedIdent(), "Items.Strings.Count");
    EXPECT_EQ(parser.NextToken(), TFormToken::Char);
    parser.NextToken();
    try {
        parser.ReadDottedIdent();
        FAIL();
    } catch (const EParserError& e) {
        EXPECT_STREQ(e.what(), "Identifier expected on line 2");
    }
}

TEST(FormTextParser, MalformedStringsAreErrorsWithTheirLine) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a\nb = 'open\nc", "Invalid string constant on line 2"},
        {"a = 'open\r\n", "Invalid string constant on line 1"},
        {"\n\n'end of text", "Invalid string constant on line 3"},
        {"'tail''", "Invalid string constant on line 1"},
        {"x = #", "Invalid string constant on line 1"},
        {"x = 'a'#b", "Invalid string constant on line 1"},
        {"x = #65536", "Invalid string constant on line 1"},
        {"x = #99999999999999999999", "Invalid string constant on line 1"},
    };
    for (const auto& [text, message] : cases) {
        try {
            TFormTextParser parser(text);
            while (parser.NextToken() != TFormToken::EndOfText) {
            }
            ADD_FAILURE() << text;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.what(), message) << text;
        }
    }
}

TEST(FormTextParser, StopsAtTheEndOfTheBuffer) {
    // The views end inside larger texts: nothing past the end may be read.
    const std::string text = "ab 12 'x' $F.Name";
    for (std::size_t n = 0; n <= text.size(); ++n) {
        const std::vector<char> exact(text.begin(), text.begin() + static_cast<long>(n));
        const std::string_view part(exact.data(), n);
        try {
            TFormTextParser parser(part);
            while (parser.NextToken() != TFormToken::EndOfText)
                EXPECT_LE(parser.TokenEnd(), n);
        } catch (const EParserError&) {
            EXPECT_EQ(part.find('\''), part.rfind('\'')) << part; // only an open string
        }
    }
}

} // namespace
} // namespace lex
