// Form files that nobody here wrote: the text, binary and resource-wrapped
// forms of two Debian source packages, which ./test.sh fetches and unpacks
// into the folder LEX_REAL_FORMS_DIR names. Exports write only to copies in a
// temporary folder.

#include "editor/LexDocument.h"
#include "formfiles/BinaryFormText.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/TextCompare.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <unordered_map>

namespace lex {
namespace {

// UTF-8, as these files hold their strings: every value reads and writes
// back without loss, so the token comparisons below are exact.
const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "65001", 1) == 0;

struct FormFile {
    std::string Path;
    std::string Text; // the form text, binary forms converted
    bool Binary = false;
};

// A binary form and where it came from.
struct BinaryForm {
    std::string Name;
    std::string Data;
};

// One binary form in the packages is broken: each of its CR bytes became an
// LF on the way into the package, and a name length of 13 with them.
const char* const BrokenBinaryForm = "/examples/treeview/TV_Add_Remove_U1.dfm";

TFormSkipLists DefaultLists() {
    return {TFormSkipList(DefaultSkipIdents()), TFormSkipList(DefaultSkipClasses())};
}

bool IsFormFile(const std::filesystem::path& Path) {
    std::string extension = Path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".lfm" || extension == ".dfm";
}

// The binary forms that Lazarus resource files hold as string constants,
// LazarusResources.Add('Name','FORMDATA',['TPF0'#10'TAboutForm'+...]): the
// same quoting as form text, with each byte past 127 written as a code.
std::vector<BinaryForm> ResourceForms(const std::string& Path) {
    const std::string text = ReadFileBytes(Path);
    std::vector<BinaryForm> forms;
    TFormTextParser parser(text);
    std::string name;
    for (; parser.Token() != TFormToken::EndOfText; parser.NextToken()) {
        if (parser.Token() != TFormToken::String) continue;
        if (parser.TokenBytes() != "FORMDATA") {
            name = parser.TokenBytes();
            continue;
        }
        while (parser.Token() != TFormToken::EndOfText && !parser.TokenIsChar('['))
            parser.NextToken();
        BinaryForm& form = forms.emplace_back(BinaryForm{Path + ":" + name, {}});
        for (; parser.Token() != TFormToken::EndOfText && !parser.TokenIsChar(']');
             parser.NextToken()) {
            if (parser.Token() == TFormToken::String) form.Data += parser.TokenBytes();
            if (parser.Token() == TFormToken::WString)
                for (const char16_t unit : parser.TokenWide())
                    form.Data += static_cast<char>(unit);
        }
    }
    return forms;
}

// Every token of a form text as the checks compare it: its kind and text, a
// string by its value in the process's code page, so that a string written
// again in other quoting is still the same token.
std::vector<std::string> Tokens(std::string_view Text, std::vector<std::size_t>* Positions = {}) {
    std::vector<std::string> tokens;
    TFormTextParser parser(Text);
    TFormStringValue value;
    for (; parser.Token() != TFormToken::EndOfText; parser.NextToken()) {
        if (Positions) Positions->push_back(parser.TokenPosition());
        if (parser.Token() == TFormToken::String || parser.Token() == TFormToken::WString) {
            value.Clear();
            value.Append(parser);
            tokens.push_back("string " + value.Text());
        } else {
            tokens.push_back(std::to_string(static_cast<int>(parser.Token())) + " " +
                             std::string(parser.TokenText()));
        }
    }
    return tokens;
}

// The tokens of Text once the walk's non-empty string values (their pieces
// and the "+" between them) are each replaced by one string, Replace(value).
std::vector<std::string>
TokensReplaced(std::string_view Text,
               const std::function<std::string(const std::string&)>& Replace) {
    std::vector<TFormValue> values;
    WalkFormText(Text, DefaultLists(), [&](const TFormValue& Value, const TFormTextParser&) {
        if (!Value.Text.empty()) values.push_back(Value);
    });
    std::vector<std::size_t> positions;
    const std::vector<std::string> tokens = Tokens(Text, &positions);
    std::vector<std::string> replaced;
    std::size_t next = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (next < values.size() && positions[i] == values[next].Position) {
            replaced.push_back("string " + Replace(values[next].Text));
            while (i + 1 < tokens.size() && positions[i + 1] < values[next].End)
                ++i;
            ++next;
        } else {
            replaced.push_back(tokens[i]);
        }
    }
    return replaced;
}

// Where two token lists first differ, or nothing when they are the same.
std::string FirstDifference(const std::vector<std::string>& Actual,
                            const std::vector<std::string>& Expected) {
    const auto [a, e] =
        std::mismatch(Actual.begin(), Actual.end(), Expected.begin(), Expected.end());
    if (a == Actual.end() && e == Expected.end()) return {};
    return "token " + std::to_string(a - Actual.begin()) + " is [" +
           (a == Actual.end() ? "end" : *a) + "], expected [" + (e == Expected.end() ? "end" : *e) +
           "]";
}

// The string properties of a form text that the default lists skip, by name
// as written, with their first piece.
std::vector<std::pair<std::string, std::string>> SkippedValues(std::string_view Text) {
    const TFormSkipList idents(DefaultSkipIdents());
    std::vector<std::pair<std::string, std::string>> values;
    std::string name;
    for (TFormTextParser parser(Text); parser.Token() != TFormToken::EndOfText;
         parser.NextToken()) {
        if (parser.Token() == TFormToken::Symbol) {
            name = parser.ReadDottedIdent();
        } else if ((parser.Token() == TFormToken::String ||
                    parser.Token() == TFormToken::WString) &&
                   idents.Contains(name)) {
            TFormStringValue value;
            value.Append(parser);
            values.emplace_back(name, value.Text());
            name.clear();
        }
    }
    return values;
}

// Value to key through the band's first column, equal ignoring case as the
// export matches them.
std::unordered_map<std::string, std::string> KeysByValue(const TLexDocument& Document,
                                                         const TLexBand& Band) {
    std::unordered_map<std::string, std::string> keys;
    const TLexTree& tree = Document.Tree();
    for (const TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        keys.emplace(AnsiSortKey(tree.Value(node, Band.Column(0)->Index()), false),
                     std::string(Document.Key(node)));
    return keys;
}

class RealFormFilesTest : public test::RuntimeTest {
protected:
    static void SetUpTestSuite() {
        const std::string folder = LEX_REAL_FORMS_DIR;
        if (folder.empty() || !std::filesystem::is_directory(folder)) {
            missing_ = "no folder of real form files (LEX_REAL_FORMS_DIR=\"" + folder +
                       "\"): ./test.sh fetches them and configures the build with it";
            return;
        }
        std::vector<std::string> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) paths.push_back(entry.path().string());
        std::sort(paths.begin(), paths.end());
        for (const std::string& path : paths) {
            if (path.ends_with(".lrs")) {
                for (BinaryForm& form : ResourceForms(path))
                    binaryForms_.push_back(std::move(form));
                continue;
            }
            if (!IsFormFile(path)) continue;
            const std::string data = ReadFileBytes(path);
            const TFormStreamFormat format = TestFormStreamFormat(data);
            const bool binary =
                format == TFormStreamFormat::Binary || format == TFormStreamFormat::Resource;
            if (binary) binaryForms_.push_back({path, data});
            if (binary && path.ends_with(BrokenBinaryForm)) continue;
            FormFile file{path, binary ? FormDataToText(data) : data, binary};
            files_.push_back(std::move(file));
        }
        if (files_.empty()) missing_ = "no form files in " + folder;
    }

    void SetUp() override {
        ASSERT_TRUE(ForcedCodePage);
        if (missing_.empty()) return;
        // ./test.sh sets this: there the files must be checked, not skipped.
        if (std::getenv("LEX_REAL_FORMS_REQUIRED")) FAIL() << missing_;
        GTEST_SKIP() << missing_;
    }

    // Every form file that converts, in path order.
    static const std::vector<FormFile>& Files() { return files_; }
    static const std::vector<BinaryForm>& BinaryForms() { return binaryForms_; }
    static std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (const FormFile& file : Files())
            paths.push_back(file.Path);
        return paths;
    }

    // Copies of every file in a temporary folder, in the order of Files().
    std::vector<std::string> CopyFiles() const {
        std::vector<std::string> copies;
        for (std::size_t i = 0; i < Files().size(); ++i) {
            copies.push_back(dir / (std::to_string(i) + ".dfm"));
            std::filesystem::copy_file(Files()[i].Path, copies.back());
        }
        return copies;
    }

    test::TempDir dir;

private:
    static inline std::vector<FormFile> files_;
    static inline std::vector<BinaryForm> binaryForms_;
    static inline std::string missing_;
};

TEST_F(RealFormFilesTest, EveryFileTokenizesAndTheWalkSeesEveryString) {
    std::map<std::string, int> counts;
    std::size_t values = 0, bytes = 0;
    for (const FormFile& file : Files()) {
        const std::string extension = std::filesystem::path(file.Path).extension().string();
        ++counts[extension + (file.Binary ? " binary" : " text")];
        bytes += file.Text.size();
        EXPECT_NO_THROW(WalkFormText(file.Text, DefaultLists(),
                                     [&](const TFormValue&, const TFormTextParser&) { ++values; }))
            << file.Path;
        // With nothing to skip, every string token is a piece of a value.
        std::vector<std::size_t> positions;
        const std::vector<std::string> tokens = Tokens(file.Text, &positions);
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        WalkFormText(file.Text, {}, [&](const TFormValue& Value, const TFormTextParser&) {
            spans.emplace_back(Value.Position, Value.End);
        });
        std::size_t span = 0;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (!tokens[i].starts_with("string ")) continue;
            while (span < spans.size() && spans[span].second <= positions[i])
                ++span;
            ASSERT_TRUE(span < spans.size() && spans[span].first <= positions[i])
                << file.Path << ": the walk passed over the " << tokens[i] << " at offset "
                << positions[i];
        }
    }
    std::printf("Real form files checked: %zu (%.1f MB of form text, %zu string values)\n",
                Files().size(), static_cast<double>(bytes) / 1e6, values);
    for (const auto& [kind, count] : counts)
        std::printf("  %-12s %d\n", kind.c_str(), count);
    EXPECT_GT(counts[".lfm text"], 800);
    EXPECT_GT(counts[".dfm text"], 0);
}

TEST_F(RealFormFilesTest, EveryBinaryFormConverts) {
    int converted = 0;
    for (const BinaryForm& form : BinaryForms()) {
        if (form.Name.ends_with(BrokenBinaryForm)) {
            // Refused with the place of the fault, not read past its end.
            try {
                FormDataToText(form.Data);
                ADD_FAILURE() << form.Name << " is no longer broken: check it as the others";
            } catch (const EReadError& e) {
                EXPECT_STREQ(e.what(), "Invalid stream format: unknown value type 110 at byte "
                                       "offset 301");
            }
            continue;
        }
        std::string text;
        ASSERT_NO_THROW(text = FormDataToText(form.Data)) << form.Name;
        EXPECT_TRUE(text.starts_with("object ") || text.starts_with("inherited ") ||
                    text.starts_with("inline "))
            << form.Name << "\n"
            << text.substr(0, 200);
        EXPECT_NO_THROW(Tokens(text)) << form.Name;
        EXPECT_NO_THROW(WalkFormText(text, {}, [](const TFormValue&, const TFormTextParser&) {}))
            << form.Name;
        ++converted;
    }
    std::printf("Binary forms converted: %d of %zu (from .dfm files and .lrs resources)\n",
                converted, BinaryForms().size());
    EXPECT_GE(converted, 2);
}

// The bytes of a float token's value as a binary form holds it: its type
// byte, then an extended (the form compiler reads untyped floats into one), a
// single, a date's double or a currency's scaled integer.
std::string FloatValueBytes(const TFormTextParser& Parser) {
    std::string digits(Parser.TokenText());
    if (Parser.FloatType()) digits.pop_back();
    const auto bytesOf = [](char Type, const auto& Value, std::size_t Size) {
        std::string bytes(1, Type);
        bytes.append(reinterpret_cast<const char*>(&Value), Size);
        return bytes;
    };
    switch (std::tolower(static_cast<unsigned char>(Parser.FloatType()))) {
    case 's':
        return bytesOf(15, std::strtof(digits.c_str(), nullptr), 4);
    case 'd':
        return bytesOf(17, std::strtod(digits.c_str(), nullptr), 8);
    case 'c':
        return bytesOf(16, static_cast<int64_t>(std::strtold(digits.c_str(), nullptr)), 8);
    default:
        return bytesOf(5, std::strtold(digits.c_str(), nullptr), 10);
    }
}

// Every float the real forms hold, compiled into a binary form as the form
// compiler would, comes back as text that reads back to the same value: an
// extended to the same extended or, when a double holds it, to that double.
// (The binary forms of the packages hold no floats of their own.)
TEST_F(RealFormFilesTest, FloatsComeBackFromBinaryFormsWithTheirValue) {
    if constexpr (std::numeric_limits<long double>::digits != 64)
        GTEST_SKIP() << "long double is no 80-bit extended here";
    int floats = 0, sameDigits = 0;
    for (const FormFile& file : Files()) {
        for (TFormTextParser parser(file.Text); parser.Token() != TFormToken::EndOfText;
             parser.NextToken()) {
            // Binary data in braces may read as numbers.
            if (parser.TokenIsChar('{'))
                while (parser.Token() != TFormToken::EndOfText && !parser.TokenIsChar('}'))
                    parser.NextToken();
            if (parser.Token() != TFormToken::Float) continue;
            const std::string value = FloatValueBytes(parser);
            const std::string text =
                BinaryFormToText(std::string("TPF0\5TForm\1F\1P", 14) + value + '\0' + '\0');
            const std::size_t start = text.find("P = ") + 4;
            const std::string written = text.substr(start, text.find('\n', start) - start);
            ASSERT_NE(written.find('.'), std::string::npos) << file.Path << ": " << written;
            TFormTextParser back(written);
            ASSERT_EQ(back.Token(), TFormToken::Float) << written;
            std::string readBack = FloatValueBytes(back);
            if (value[0] == 5 && readBack != value) {
                // A value a double holds comes back as the double's digits.
                long double extended;
                std::memcpy(&extended, value.data() + 1, 10);
                const auto narrow = static_cast<double>(extended);
                ASSERT_EQ(static_cast<long double>(narrow), extended)
                    << file.Path << ": " << parser.TokenText() << " came back as " << written;
                ASSERT_EQ(std::strtod(written.c_str(), nullptr), narrow) << written;
                readBack = value;
            }
            ASSERT_EQ(readBack, value)
                << file.Path << ": " << parser.TokenText() << " came back as " << written;
            ++floats;
            sameDigits += written == parser.TokenText();
        }
    }
    std::printf("Floats through binary and back: %d, %d of them written as before\n", floats,
                sameDigits);
    EXPECT_GT(floats, 50);
}

// Everything imported, nothing skipped: the export with the default lists
// still writes keys only where texts were.
TEST_F(RealFormFilesTest, ValuesImportedAsALanguageExportBackAsTheirKeys) {
    TLexDocument document;
    ImportFormFiles(document, Paths(), {"1252", {}});
    const TLexBand& band = *document.Tree().Band(1);
    const auto keys = KeysByValue(document, band);
    ASSERT_GT(keys.size(), 1000u);

    const std::vector<std::string> copies = CopyFiles();
    const int replaced = ExportKeysToFormFiles(document, band, copies, DefaultLists());
    std::map<std::string, int> skipped;
    std::printf("%zu values imported as keys LexKey1..., %d strings replaced\n", keys.size(),
                replaced);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const std::string exported = ReadFormText(copies[i]);
        const auto expected = TokensReplaced(Files()[i].Text, [&](const std::string& Value) {
            const auto found = keys.find(AnsiSortKey(Value, false));
            return found == keys.end() ? "(not imported) " + Value : found->second;
        });
        EXPECT_EQ(FirstDifference(Tokens(exported), expected), "") << Files()[i].Path;
        // What the walk finds now is keys only, and the skipped properties
        // (versions, names) keep their values.
        WalkFormText(exported, DefaultLists(),
                     [&](const TFormValue& Value, const TFormTextParser&) {
                         EXPECT_TRUE(Value.Text.empty() || Value.Text.starts_with("LexKey"))
                             << Files()[i].Path << ": " << Value.Text;
                     });
        for (const auto& [name, value] : SkippedValues(exported)) {
            EXPECT_FALSE(value.starts_with("LexKey")) << Files()[i].Path << ": " << name;
            const std::size_t dot = name.rfind('.');
            ++skipped[dot == std::string::npos ? name : "*" + name.substr(dot)];
        }
    }
    std::printf("Skipped values kept:");
    for (const auto& [name, count] : skipped)
        std::printf(" %s %d", name.c_str(), count);
    std::printf("\n");
    EXPECT_GT(skipped["LCLVersion"], 600);
    EXPECT_GT(skipped["*.Name"], 900);
}

TEST_F(RealFormFilesTest, ExportingValuesEqualToTheirKeysKeepsEveryToken) {
    TLexDocument document;
    ImportFormFiles(document, Paths(), {"", DefaultLists()});
    TLexTree& tree = document.Tree();
    TLexBand* band = document.AddLanguageBand("65001");
    const int slot = document.AddSequenceColumn(band, "0")->Index();
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        tree.SetValue(node, slot, std::string(document.Key(node))); // the key may move

    const std::vector<std::string> copies = CopyFiles();
    ExportKeysToFormFiles(document, *band, copies, DefaultLists());
    int caseOnly = 0;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const std::vector<std::string> after = Tokens(ReadFormText(copies[i]));
        // A value joined from "+" pieces comes back as one piece, and one
        // that differs only in case from an earlier one as that one's key.
        const std::vector<std::string> joined =
            TokensReplaced(Files()[i].Text, [](const std::string& Value) { return Value; });
        ASSERT_EQ(after.size(), joined.size()) << Files()[i].Path;
        for (std::size_t t = 0; t < after.size(); ++t) {
            if (after[t] == joined[t]) continue;
            ASSERT_EQ(AnsiSortKey(after[t], false), AnsiSortKey(joined[t], false))
                << Files()[i].Path << " token " << t << ": " << joined[t] << " came back as "
                << after[t];
            ++caseOnly;
        }
    }
    std::printf("%d strings came back as a key that differs from them only in case\n", caseOnly);
}

} // namespace
} // namespace lex
