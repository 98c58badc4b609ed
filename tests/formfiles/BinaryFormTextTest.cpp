#include "formfiles/BinaryFormText.h"

#include "formfiles/FormTextParser.h"
#include "platform/Exceptions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <type_traits>

using namespace lex;

namespace {

// Writes binary form streams the way the designer lays them out, value by value.
class FormWriter {
public:
    FormWriter() : bytes_("TPF0") {}

    FormWriter& Byte(uint8_t b) { return bytes_ += static_cast<char>(b), *this; }
    FormWriter& Le(uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            Byte(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    FormWriter& Short(const std::string& s) { return Byte(static_cast<uint8_t>(s.size())).Raw(s); }
    FormWriter& Raw(const std::string& s) { return bytes_ += s, *this; }
    FormWriter& End() { return Byte(0); }

    FormWriter& Object(const std::string& cls, const std::string& name) {
        return Short(cls).Short(name);
    }
    FormWriter& Prop(const std::string& name) { return Short(name); }
    FormWriter& Ident(const std::string& s) { return Byte(7).Short(s); }
    FormWriter& Str(const std::string& s) { return Byte(6).Short(s); }
    FormWriter& LStr(const std::string& s) { return Byte(12).Le(s.size(), 4).Raw(s); }
    FormWriter& Utf8(const std::string& s) { return Byte(20).Le(s.size(), 4).Raw(s); }
    FormWriter& WStr(const std::u16string& s) {
        Byte(18).Le(s.size(), 4);
        for (char16_t c : s)
            Le(c, 2);
        return *this;
    }
    FormWriter& Int8(int8_t v) { return Byte(2).Le(static_cast<uint8_t>(v), 1); }

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// One root object holding one property whose value the test writes.
template <typename WriteValue>
std::string OneProperty(WriteValue write) {
    FormWriter w;
    w.Object("TForm", "Form1").Prop("P");
    write(w);
    w.End().End();
    return w.Bytes();
}

std::string Wrap(const std::string& value) {
    return "object Form1: TForm\n  P = " + value + "\nend\n";
}

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

TEST(BinaryFormText, EveryValueType) {
    struct Case {
        const char* name;
        std::function<void(FormWriter&)> write;
        std::string text;
    };
    const Case cases[] = {
        {"int8", [](FormWriter& w) { w.Int8(-5); }, "-5"},
        {"int16", [](FormWriter& w) { w.Byte(3).Le(static_cast<uint16_t>(-300), 2); }, "-300"},
        {"int32", [](FormWriter& w) { w.Byte(4).Le(70000, 4); }, "70000"},
        {"int64", [](FormWriter& w) { w.Byte(19).Le(static_cast<uint64_t>(-5000000000LL), 8); },
         "-5000000000"},
        // 1.5 as 80-bit extended: mantissa 0xC000..., exponent 16383.
        {"extended", [](FormWriter& w) { w.Byte(5).Le(0xC000000000000000ULL, 8).Le(0x3FFF, 2); },
         "1.5"},
        {"extended negative tiny",
         [](FormWriter& w) { w.Byte(5).Le(0x8000000000000000ULL, 8).Le(0x8000 | (16383 - 20), 2); },
         "-9.5367431640625E-7"},
        {"extended large",
         [](FormWriter& w) { w.Byte(5).Le(0x8000000000000000ULL, 8).Le(16383 + 70, 2); },
         "1.1805916207174113E21"},
        {"single", [](FormWriter& w) { w.Byte(15).Le(0x40200000, 4); }, "2.5s"},
        {"currency", [](FormWriter& w) { w.Byte(16).Le(12345, 8); }, "12345.0c"},
        {"date", [](FormWriter& w) { w.Byte(17).Le(Bits(36526.25), 8); }, "36526.25d"},
        {"ident", [](FormWriter& w) { w.Ident("alClient"); }, "alClient"},
        {"false", [](FormWriter& w) { w.Byte(8); }, "False"},
        {"true", [](FormWriter& w) { w.Byte(9); }, "True"},
        {"nil", [](FormWriter& w) { w.Byte(13); }, "nil"},
        {"null", [](FormWriter& w) { w.Byte(0); }, "Null"},
        {"set", [](FormWriter& w) { w.Byte(11).Short("akLeft").Short("akTop").Byte(0); },
         "[akLeft, akTop]"},
        {"empty set", [](FormWriter& w) { w.Byte(11).Byte(0); }, "[]"},
        {"empty string", [](FormWriter& w) { w.Str(""); }, "''"},
        {"string with quote and controls", [](FormWriter& w) { w.Str("it's\r\nok"); },
         "'it'#39's'#13#10'ok'"},
        // Code-page bytes of short and long strings stay as they are.
        {"ansi bytes", [](FormWriter& w) { w.LStr("caf\xE9"); }, "'caf\xE9'"},
        {"wide", [](FormWriter& w) { w.WStr(u"Gr\u00FC\u00DFe \u4E2D"); },
         "'Gr'#252#223'e '#20013"},
        {"utf8", [](FormWriter& w) { w.Utf8("\xC3\xBC\xF0\x9F\x98\x80!"); }, "#252#55357#56832'!'"},
        {"utf8 malformed", [](FormWriter& w) { w.Utf8("a\xC3"); }, "'a'#65533"},
        {"binary", [](FormWriter& w) { w.Byte(10).Le(3, 4).Raw("\x01\xAB\xFF"); }, "{01ABFF}"},
        {"empty list", [](FormWriter& w) { w.Byte(1).End(); }, "()"},
        {"list", [](FormWriter& w) { w.Byte(1).Str("a").Int8(1).Byte(1).Str("b").End().End(); },
         "(\n    'a'\n    1\n    (\n      'b'))"},
        {"empty collection", [](FormWriter& w) { w.Byte(14).End(); }, "<>"},
        {"collection",
         [](FormWriter& w) {
             w.Byte(14).Byte(1).Prop("Caption").Str("x").End(); // item without index
             w.Int8(3).Byte(1).Prop("Width").Int8(9).Prop("Items").Byte(14).End().End();
             w.End();
         },
         "<\n    item\n      Caption = 'x'\n    end\n    item [3]\n      Width = 9\n"
         "      Items = <>\n    end>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BinaryFormToText(OneProperty(c.write)), Wrap(c.text));
    }
}

// An 80-bit extended's bytes, from a long double that holds it (x86).
std::string ExtendedBytes(long double value) {
    char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof value);
    return std::string(bytes, 10);
}

// The value of a float token as the form compiler reads it, into T. Long
// double goes through strtold, which unlike from_chars gives denormals too.
template <typename T>
T ReadBack(const std::string& text) {
    T value{};
    const char* end = text.data();
    if constexpr (std::is_same_v<T, long double>) {
        char* parsed = nullptr;
        value = std::strtold(text.c_str(), &parsed);
        end = parsed;
    } else {
        end = std::from_chars(text.data(), text.data() + text.size(), value).ptr;
    }
    EXPECT_EQ(end, text.data() + text.size()) << text;
    return value;
}

std::string ConvertedValue(const std::function<void(FormWriter&)>& write) {
    const std::string text = BinaryFormToText(OneProperty(write));
    const size_t start = text.find("P = ") + 4;
    return text.substr(start, text.find('\n', start) - start);
}

TEST(BinaryFormText, FloatsReadBackToTheSameValueWithADecimalPoint) {
    if constexpr (std::numeric_limits<long double>::digits != 64) GTEST_SKIP();
    const auto extended = [](long double v) {
        return [v](FormWriter& w) { w.Byte(5).Raw(ExtendedBytes(v)); };
    };
    const std::pair<std::function<void(FormWriter&)>, std::string> cases[] = {
        {extended(255), "255.0"},
        {extended(-0.0L), "-0.0"},
        {extended(1e20L), "1.0E20"},
        {extended(1e-6L), "1.0E-6"},
        {extended(0.00012L), "0.00012"},
        // A text compiled into an extended gives back its digits...
        {extended(38114.95606434028L), "38114.95606434028"},
        {extended(0.1L), "0.1"},
        // ...and so does a double property written as an extended.
        {extended(0.1), "0.1"},
        {extended(1.0L / 3), "0.33333333333333333334"},
        {extended(1e4000L), "1.0E4000"},
        {[](FormWriter& w) { w.Byte(15).Le(0x3DCCCCCD, 4); }, "0.1s"},
        {[](FormWriter& w) { w.Byte(17).Le(Bits(44197.0), 8); }, "44197.0d"},
        {[](FormWriter& w) { w.Byte(16).Le(static_cast<uint64_t>(INT64_MIN), 8); },
         "-9223372036854775808.0c"},
    };
    for (const auto& [write, text] : cases)
        EXPECT_EQ(ConvertedValue(write), text);

    // Any value at all: an extended reads back exactly, as an extended or,
    // when a double holds it, as that double; a date as a double, a single
    // as a single.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const uint64_t bits = random();
        const auto exponent = static_cast<uint16_t>(random() % 0x7FFF);
        const uint64_t mantissa = exponent ? bits | 0x8000000000000000ULL : bits >> 1;
        long double value;
        std::string bytes(10, '\0');
        for (int k = 0; k < 8; ++k)
            bytes[k] = static_cast<char>(mantissa >> (8 * k));
        bytes[8] = static_cast<char>(exponent);
        bytes[9] = static_cast<char>((exponent >> 8) | (i % 2 ? 0x80 : 0));
        std::memcpy(&value, bytes.data(), 10);
        const std::string text = ConvertedValue([&](FormWriter& w) { w.Byte(5).Raw(bytes); });
        ASSERT_NE(text.find('.'), std::string::npos) << text;
        if (std::fabs(value) <= std::numeric_limits<double>::max() &&
            static_cast<long double>(static_cast<double>(value)) == value) {
            ASSERT_EQ(ReadBack<double>(text), static_cast<double>(value)) << text;
        } else {
            ASSERT_EQ(ReadBack<long double>(text), value) << text;
        }

        const std::string date = ConvertedValue([&](FormWriter& w) { w.Byte(17).Le(bits, 8); });
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isnan(d)) {
            ASSERT_EQ(ReadBack<double>(date.substr(0, date.size() - 1)), d) << date;
        }

        const std::string single =
            ConvertedValue([&](FormWriter& w) { w.Byte(15).Le(bits & 0xFFFFFFFF, 4); });
        float f;
        const auto low = static_cast<uint32_t>(bits);
        std::memcpy(&f, &low, sizeof f);
        if (!std::isnan(f)) {
            ASSERT_EQ(ReadBack<float>(single.substr(0, single.size() - 1)), f) << single;
        }
    }
}

TEST(BinaryFormText, LongStringsAndBinarySplitIntoLines) {
    const std::string a64(64, 'a');
    EXPECT_EQ(BinaryFormToText(OneProperty([&](FormWriter& w) { w.LStr(a64); })),
              Wrap("'" + a64 + "'"));
    // Past 64 characters the string starts on its own line and breaks every 64,
    // counting #nn codes as one character each.
    const std::string text = a64 + "b\tc" + std::string(70, 'd');
    EXPECT_EQ(
        BinaryFormToText(OneProperty([&](FormWriter& w) { w.LStr(text); })),
        Wrap("\n    '" + a64 + "' +\n    'b'#9'c" + std::string(61, 'd') + "' +\n    'ddddddddd'"));

    std::string data(40, '\x11');
    EXPECT_EQ(BinaryFormToText(OneProperty([&](FormWriter& w) { w.Byte(10).Le(40, 4).Raw(data); })),
              Wrap("{\n    " + std::string(64, '1') + "\n    " + std::string(16, '1') + "}"));
}

TEST(BinaryFormText, NestedInheritedAndInlineObjects) {
    FormWriter w;
    w.Byte(0xF1).Object("TForm2", "Form2").Prop("Caption").Str("Main").End();
    w.Object("TPanel", "Panel1").Prop("Left").Int8(8).End();
    w.Byte(0xF2).Int8(4).Object("TButton", "").End().End();            // unnamed, child position
    w.End();                                                           // end of Panel1's children
    w.Byte(0xF4).Object("TFrame1", "Frame").End().End();               // inline
    w.Byte(0xF3).Byte(3).Le(300, 2).Object("TLabel", "L").End().End(); // inherited at position
    w.End();
    EXPECT_EQ(BinaryFormToText(w.Bytes()), "inherited Form2: TForm2\n"
                                           "  Caption = 'Main'\n"
                                           "  object Panel1: TPanel\n"
                                           "    Left = 8\n"
                                           "    object TButton [4]\n"
                                           "    end\n"
                                           "  end\n"
                                           "  inline Frame: TFrame1\n"
                                           "  end\n"
                                           "  inherited L: TLabel [300]\n"
                                           "  end\n"
                                           "end\n");
}

TEST(BinaryFormText, StreamFormatAndResourceHeader) {
    const std::string form = OneProperty([](FormWriter& w) { w.Str("x"); });
    const std::string header = std::string("\xFF\x0A\x00", 3) + "FORM1" + std::string(1, '\0') +
                               std::string("\x30\x10", 2) + std::string("\x20\x00\x00\x00", 4);
    EXPECT_EQ(TestFormStreamFormat(header + form), TFormStreamFormat::Resource);
    EXPECT_EQ(TestFormStreamFormat(form), TFormStreamFormat::Binary);
    for (const char* text :
         {"object A: T", "inherited", "\tx", " x", "\rx", "\vx", "Object", "Inline"})
        EXPECT_EQ(TestFormStreamFormat(text), TFormStreamFormat::Text) << text;
    for (const char* other : {"", "TPF", "\nobject", "x"})
        EXPECT_EQ(TestFormStreamFormat(other), TFormStreamFormat::Unknown) << other;

    EXPECT_EQ(FormDataToText(header + form), Wrap("'x'"));
    EXPECT_EQ(FormDataToText(form), Wrap("'x'"));
    EXPECT_EQ(FormDataToText("\nanything"), "\nanything");

    struct Bad {
        std::string data;
        const char* message;
    };
    const Bad bad[] = {
        {std::string("\xFF\x0B\x00", 3) + "N" + header.substr(9) + form,
         "resource type is not 10 at byte offset 1"},
        {std::string("\xFF\x0A\x00NAME", 7), "unterminated resource name at byte offset 3"},
        {header.substr(0, 10), "truncated resource header"},
        {header + "TPX0", "missing signature TPF0 at byte offset 15"},
        {header + form.substr(0, 9), "truncated class name at byte offset 20"},
    };
    for (const Bad& b : bad)
        EXPECT_THAT([&] { FormDataToText(b.data); },
                    testing::ThrowsMessage<EReadError>(testing::HasSubstr(b.message)));
}

TEST(BinaryFormText, MalformedStreamsRaiseReadError) {
    FormWriter w;
    w.Object("TForm", "F").Prop("A").Byte(1).Str("s").WStr(u"w").End();
    w.Prop("B").Byte(14).Int8(0).Byte(1).Prop("C").Byte(10).Le(2, 4).Raw("ab").End().End();
    w.Prop("D").Byte(11).Short("x").Byte(0).Prop("E").Byte(5).Le(1, 8).Le(1, 2).End();
    w.Object("TEdit", "E").End().End().End();
    const std::string valid = w.Bytes();
    ASSERT_NO_THROW(BinaryFormToText(valid));
    for (size_t n = 0; n < valid.size(); ++n)
        EXPECT_THROW(BinaryFormToText(valid.substr(0, n)), EReadError) << "cut at " << n;

    const std::string message = "Invalid stream format: ";
    struct Bad {
        std::string data;
        const char* message;
    };
    const Bad bad[] = {
        {OneProperty([](FormWriter& v) { v.Byte(42); }), "unknown value type 42 at byte offset 18"},
        {OneProperty([](FormWriter& v) { v.Byte(12).Le(0x80000000, 4); }), "negative length"},
        {OneProperty([](FormWriter& v) { v.Byte(18).Le(0x7FFFFFFF, 4); }), "truncated wide string"},
        {OneProperty([](FormWriter& v) { v.Byte(10).Le(1000, 4); }), "truncated binary data"},
        {OneProperty([](FormWriter& v) { v.Byte(14).Byte(2); }), "an item list expected"},
        {FormWriter().Byte(0xF2).Ident("x").Bytes(), "an integer expected for child position"},
    };
    for (const Bad& b : bad)
        EXPECT_THAT([&] { BinaryFormToText(b.data); },
                    testing::ThrowsMessage<EReadError>(testing::HasSubstr(message + b.message)))
            << b.message;
}

TEST(BinaryFormText, DeepNestingIsBoundedNotFatal) {
    for (bool objects : {true, false}) {
        FormWriter w;
        w.Object("T", "R");
        if (objects) {
            w.End();
            for (int i = 0; i < 100000; ++i)
                w.Object("T", "C").End();
        } else {
            w.Prop("P");
            for (int i = 0; i < 100000; ++i)
                w.Byte(1);
        }
        EXPECT_THAT([&] { BinaryFormToText(w.Bytes()); },
                    testing::ThrowsMessage<EReadError>(testing::HasSubstr("nesting deeper than")));
    }
}

// The tokenizer must read every converted string back unit for unit, however
// it was split into quoted runs, #nn codes and " +" continuations.
std::u16string ReadBackString(const std::string& text) {
    TFormTextParser parser(text);
    while (!parser.TokenIsChar('='))
        parser.NextToken();
    std::u16string value;
    do {
        parser.NextToken();
        if (parser.Token() == TFormToken::WString)
            value += parser.TokenWide();
        else
            for (char c : parser.TokenBytes())
                value += static_cast<unsigned char>(c);
        parser.NextToken();
    } while (parser.TokenIsChar('+'));
    return value;
}

TEST(BinaryFormText, TokenizerReadsConvertedStringsBack) {
    std::string ansi;
    for (int i = 0; i < 300; ++i)
        ansi += static_cast<char>(i % 7 == 0 ? '\'' : i % 11 == 0 ? '\n' : 'a' + i % 26);
    EXPECT_EQ(ReadBackString(BinaryFormToText(OneProperty([&](FormWriter& w) { w.LStr(ansi); }))),
              std::u16string(ansi.begin(), ansi.end()));

    std::u16string wide;
    for (int i = 0; i < 300; ++i)
        wide += i % 5 == 0 ? u'\u4E2D' : i % 13 == 0 ? u'\'' : char16_t(u'A' + i % 26);
    EXPECT_EQ(ReadBackString(BinaryFormToText(OneProperty([&](FormWriter& w) { w.WStr(wide); }))),
              wide);
}

TEST(BinaryFormText, ReadFormTextOfFiles) {
    EXPECT_EQ(ReadFormText(LEX_TEST_DATA "/forms/binary_resource.dfm"),
              "object Form1: TForm1\n"
              "  Caption = 'It'#39's a form'\n"
              "  Width = 640\n"
              "  Visible = True\n"
              "  object Button1: TButton\n"
              "    Anchors = [akLeft, akTop]\n"
              "    Hint = #20013#25991\n"
              "  end\n"
              "end\n");
    EXPECT_THROW(ReadFormText(LEX_TEST_DATA "/forms/no such form.dfm"), EFOpenError);
}

} // namespace
