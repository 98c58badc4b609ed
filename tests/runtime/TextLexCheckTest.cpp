#include "runtime/TextLexCheck.h"

#include "platform/Streams.h"
#include "runtime/TextLexFormat.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

using namespace std::string_literals;

const std::string Header = "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n";
const std::string Open = "\"Open\",\"1252\",\"0\",\"Offnen\",,\r\n";
const std::string Save = "\"Save\",\"1252\",\"0\",\"Sichern\",\"File\",\r\n";

struct DamageCase {
    const char* Name;
    std::string Bytes;
    std::string Damage; // empty: sound
    bool FormNotation = false;
};

void PrintTo(const DamageCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class TextLexCheckTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(TextLexCheckTest, NamesTheFirstFaultyLine) {
    const DamageCase& c = GetParam();
    EXPECT_EQ(FindTextLexDamage(c.Bytes, ',', '"', c.FormNotation), c.Damage);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextLexCheckTest,
    ::testing::Values(
        DamageCase{"empty_file", "", ""}, DamageCase{"header_only", Header, ""},
        DamageCase{"header_without_line_end", Header.substr(0, Header.size() - 2), ""},
        DamageCase{"healthy", Header + Open + Save, ""},
        DamageCase{"no_final_line_end", Header + Open + Save.substr(0, Save.size() - 2), ""},
        DamageCase{"lf_throughout", "\"LexKey\",\"DisplayValue\",\n\"a\",\"b\",\n,\"c\",\n", ""},
        DamageCase{"quotes_separators_and_cr_inside_values",
                   Header + "\"a,\"\"b\"\"\",\"1252\",\"0\",\"x\ry\",,\r\n", ""},
        DamageCase{"unclosed_quote_swallowing_the_rest",
                   Header + Open + "\"Save\",\"1252\",\"0\",\"Sichern,,\r\n" + Open,
                   "line 3: the quoted value that starts here is never closed"},
        DamageCase{"unclosed_quote_at_the_end", Header + Open + "\"Save\",\"1252",
                   "line 3: the quoted value that starts here is never closed"},
        DamageCase{"short_record", Header + Open + "\"Save\",\"1252\",\"0\",\r\n" + Open,
                   "line 3: 3 fields where the header has 5"},
        DamageCase{"short_record_cut_at_the_end", Header + Open + "\"Save\",\"1252\"",
                   "line 3: 2 fields where the header has 5"},
        DamageCase{"long_record", Header + Open + Open + "\"Save\",\"1252\",\"0\",\"S\",,,\r\n",
                   "line 4: 6 fields where the header has 5"},
        DamageCase{"last_field_without_separator",
                   Header + "\"Save\",\"1252\",\"0\",\"S\",\"File\"\r\n",
                   "line 2: the line's last field does not end with a separator"},
        DamageCase{"header_without_final_separator",
                   "\"LexKey\",\"DisplayValue\"\r\n\"a\",\"b\",\r\n",
                   "line 1: the line's last field does not end with a separator"},
        DamageCase{"blank_header", "\r\n" + Open, "line 1: the header line names no field"},
        DamageCase{"trailing_junk", Header + Open + Save + "\x1a",
                   "line 4: bytes after the last record form no record"},
        DamageCase{"blank_line", Header + Open + "\r\n" + Save, "line 3: the line is empty"},
        DamageCase{"blank_line_at_the_end", Header + Open + "\r\n", "line 3: the line is empty"},
        DamageCase{"bare_lf_in_a_crlf_file", Header + Open + "\"Save\",\"1252\",\"0\",\"S\",,\n",
                   "line 3: the line ends in LF alone where the header's ends in CR LF"},
        DamageCase{"crlf_in_an_lf_file", "\"LexKey\",\n\"a\",\n\"b\",\r\n",
                   "line 3: the line ends in CR LF where the header's ends in LF alone"},
        DamageCase{"bare_cr", Header + "\"Save\",\"1252\",\r\"0\",\"S\",,\r\n",
                   "line 2: a CR without the LF of a line end"},
        DamageCase{"value_spanning_lines", Header + "\"Sa\nve\",\"1252\",\"0\",\"S\",,\r\n",
                   "line 2: the quoted value that starts here is never closed"},
        DamageCase{"form_notation_codes", Header + "\"a\"#13#10\"b\",#9,\"0\",\"#x\",,\r\n", "",
                   true},
        DamageCase{"form_notation_hash_without_digits",
                   Header + Open + "\"a\"#,\"1252\",\"0\",\"x\",,\r\n",
                   "line 3: '' is not a valid integer value", true},
        DamageCase{"form_notation_code_too_large", Header + "\"a\",#4294967296,\"0\",\"x\",,\r\n",
                   "line 2: '4294967296' is not a valid integer value", true},
        DamageCase{"hash_is_plain_in_the_csv_style", Header + "a#,b,c,d,e,\r\n", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

// Whatever the writers make reads as sound, the awkward values included.
TEST(TextLexCheck, FindsNothingInWhatTheWritersMake) {
    for (const auto& [escaper, formNotation] : {std::pair{&EscapeCSV, false}, {&EscapeDFM, true}}) {
        auto lexicon = test::AwkwardLexicon();
        std::string bytes;
        StringOutputStream stream(bytes);
        WriteTextLex(lexicon, stream, escaper, ',', '"');
        EXPECT_EQ(FindTextLexDamage(bytes, ',', '"', formNotation), "") << bytes;
    }
}

} // namespace
} // namespace lex
