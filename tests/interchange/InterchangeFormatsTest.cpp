#include "interchange/InterchangeTest.h"
#include "interchange/PoFormat.h"
#include "interchange/TsFormat.h"
#include "interchange/XliffFormat.h"
#include "platform/Exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace lex {
namespace {

using ::testing::HasSubstr;

TTranslationUnit Unit(std::u16string Key, std::u16string Value, std::u16string Parent = {}) {
    TTranslationUnit unit;
    unit.Key = std::move(Key);
    if (!Value.empty()) unit.Values.push_back(std::move(Value));
    unit.ParentKey = std::move(Parent);
    return unit;
}

// Texts that need every escape a format has.
TTranslationCatalog AwkwardCatalog(bool WithNul) {
    TTranslationCatalog catalog;
    catalog.Language = "zh_CN";
    catalog.SourceLanguage = "en";
    catalog.Units = {
        Unit(u"&File", u"文件(&F)"),
        Unit(u"Open...", u"打开(&O)…", u"&File"),
        Unit(u"<b>\"quoted\" & 'single'</b>", u"a\\b \"c\" <d> &amp;", u"&File"),
        Unit(u"lines\nand\r\nreturns\ttabs", u"\r\n", u"par\"ent\\\nkey"),
        Unit(u"control\x01\x1f", u"\x7f\x0b", u"&File"),
        Unit(u"untranslated", u""),
        Unit(u"  spaces  ", u" ", u"  spaces  "),
        Unit(u"", u"empty key"),
        Unit(u"open", u"duplicate of Open... in UTF-8"),
        Unit(u"open", u"the same key twice"),
        Unit(u"\U0001F600 astral", u"\u00e9\u00df\u4e2d"),
    };
    if (WithNul) catalog.Units.push_back(Unit(std::u16string(u"nul\0in key", 10), u"x"));
    return catalog;
}

struct FormatCase {
    const char* name;
    bool carriesNul;
};

class FormatRoundTrip : public test::InterchangeTest,
                        public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatRoundTrip, EveryTextReadsBackAsWritten) {
    const TInterchangeFormat* format = FindInterchangeFormat(GetParam().name);
    ASSERT_NE(format, nullptr);
    const TTranslationCatalog catalog = AwkwardCatalog(GetParam().carriesNul);
    const TTranslationCatalog back = format->Read(format->Write(catalog));
    EXPECT_EQ(back.Language, "zh_CN");
    ASSERT_EQ(back.Units.size(), catalog.Units.size());
    for (size_t i = 0; i < catalog.Units.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(back.Units[i].Key == catalog.Units[i].Key);
        EXPECT_TRUE(back.Units[i].ParentKey == catalog.Units[i].ParentKey);
        const std::u16string value = back.Units[i].Values.empty() ? u"" : back.Units[i].Values[0];
        const std::u16string expected =
            catalog.Units[i].Values.empty() ? u"" : catalog.Units[i].Values[0];
        EXPECT_TRUE(value == expected);
        EXPECT_GT(back.Units[i].Line, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatRoundTrip,
                         ::testing::Values(FormatCase{"po", false}, FormatCase{"ts", true},
                                           FormatCase{"xliff", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PoFormat, RefusesANulByNamingItsKey) {
    TTranslationCatalog catalog;
    catalog.Units = {Unit(u"Key", std::u16string(u"a\0b", 3))};
    try {
        WritePo(catalog);
        FAIL() << "written";
    } catch (const EConvertError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"Key\""));
    }
}

TEST(PoFormat, WritesTheHeaderAndContextsOnlyWhereKeysMeet) {
    const std::string po = WritePo(AwkwardCatalog(false));
    EXPECT_THAT(po, HasSubstr("\"Language: zh_CN\\n\""));
    EXPECT_THAT(po, HasSubstr("\"Content-Type: text/plain; charset=UTF-8\\n\""));
    EXPECT_THAT(po, HasSubstr("\"X-Generator: Lex Manager\\n\""));
    EXPECT_THAT(po, HasSubstr("#. parent key: \"&File\"\nmsgid \"Open...\""));
    EXPECT_THAT(po, HasSubstr("msgctxt \"1\"\nmsgid \"\"\nmsgstr \"empty key\""));
    EXPECT_THAT(po, HasSubstr("msgctxt \"2\"\nmsgid \"open\""));
    EXPECT_EQ(po.find("msgctxt \"1\"\nmsgid \"open\""), std::string::npos);
}

TEST(PoFormat, SkipsObsoleteEntriesAndReadsPluralsCharsetsAndLines) {
    const std::string po = "msgid \"\"\n"
                           "msgstr \"\"\n"
                           "\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n"
                           "\"Language: de\\n\"\n"
                           "\n"
                           "#, fuzzy\n"
                           "msgid \"Gr\xFC\xDF\"\n"
                           "msgstr \"\xC4rger\"\n"
                           "\n"
                           "#~ msgid \"gone\"\n"
                           "#~ msgstr \"weg\"\n"
                           "\n"
                           "msgid \"%d file\"\n"
                           "msgid_plural \"%d files\"\n"
                           "msgstr[0] \"%d Datei\"\n"
                           "msgstr[1] \"%d Dateien\"\n";
    const TTranslationCatalog catalog = ReadPo(po);
    EXPECT_EQ(catalog.Language, "de");
    ASSERT_EQ(catalog.Units.size(), 2u);
    EXPECT_TRUE(catalog.Units[0].Key == u"Grüß");
    EXPECT_TRUE(catalog.Units[0].Values == std::vector<std::u16string>{u"Ärger"});
    EXPECT_EQ(catalog.Units[0].Line, 7);
    EXPECT_TRUE(catalog.Units[1].Key == u"%d file");
    EXPECT_TRUE(
        (catalog.Units[1].Values == std::vector<std::u16string>{u"%d Datei", u"%d Dateien"}));
    EXPECT_EQ(catalog.Units[1].Line, 13);
}

TEST(TsFormat, SkipsObsoleteMessagesAndReadsNumerusForms) {
    const std::string ts = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="main.cpp" line="3"/>
        <source>&amp;Open</source>
        <extracomment>not a parent</extracomment>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Gone</source>
        <translation type="vanished">Weg</translation>
    </message>
    <message>
        <source>Old</source>
        <translation type="obsolete">Alt</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation><numerusform>%n Datei</numerusform><numerusform>%n Dateien</numerusform></translation>
    </message>
    <message>
        <source>Pending</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
)";
    const TTranslationCatalog catalog = ReadTs(ts);
    EXPECT_EQ(catalog.Language, "de_DE");
    ASSERT_EQ(catalog.Units.size(), 3u);
    EXPECT_TRUE(catalog.Units[0].Key == u"&Open");
    EXPECT_TRUE(catalog.Units[0].ParentKey == u"MainWindow");
    EXPECT_TRUE(catalog.Units[0].Values == std::vector<std::u16string>{u"Ö&ffnen"});
    EXPECT_EQ(catalog.Units[0].Line, 6);
    EXPECT_TRUE(
        (catalog.Units[1].Values == std::vector<std::u16string>{u"%n Datei", u"%n Dateien"}));
    EXPECT_TRUE(catalog.Units[2].Values == std::vector<std::u16string>{u""});
}

TEST(XliffFormat, ReadsTheTextOfMarkupButNotItsCodesNorAlternatives) {
    const std::string xliff = R"(<?xml version="1.0"?>
<xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">
 <file original="a" source-language="en-US" target-language="fr-FR" datatype="plaintext">
  <header><note>ignored</note></header>
  <body>
   <group id="g">
    <trans-unit id="1" resname="id.save">
     <source>Save <g id="b">all</g><x id="x"/></source>
     <target state="translated">Tout <mrk mtype="term">enregistrer</mrk><ph id="p">&lt;br&gt;</ph></target>
     <alt-trans><source>other</source><target>autre</target></alt-trans>
    </trans-unit>
   </group>
  </body>
 </file>
</xliff>
)";
    const TTranslationCatalog catalog = ReadXliff(xliff);
    EXPECT_EQ(catalog.Language, "fr_FR");
    ASSERT_EQ(catalog.Units.size(), 1u);
    EXPECT_TRUE(catalog.Units[0].Key == u"Save all");
    EXPECT_TRUE(catalog.Units[0].Values == std::vector<std::u16string>{u"Tout enregistrer"});
    EXPECT_EQ(catalog.Units[0].Line, 7);
}

TEST(XliffFormat, WritesStatesAndResnames) {
    const std::string xliff = WriteXliff(AwkwardCatalog(false));
    EXPECT_THAT(xliff, HasSubstr("target-language=\"zh-CN\""));
    EXPECT_THAT(xliff, HasSubstr("resname=\"&amp;File\""));
    EXPECT_THAT(xliff, HasSubstr("<target state=\"translated\">文件(&amp;F)</target>"));
    EXPECT_THAT(xliff, HasSubstr("<target state=\"needs-translation\"/>"));
    EXPECT_THAT(xliff, HasSubstr("<ph id=\"c1\" ctype=\"x-ch-0x1\"/>"));
}

struct MalformedCase {
    const char* format;
    const char* text;
    const char* message;
};

class Malformed : public test::InterchangeTest,
                  public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(Malformed, IsAParserErrorWithItsLine) {
    const TInterchangeFormat* format = FindInterchangeFormat(GetParam().format);
    try {
        format->Read(GetParam().text);
        FAIL() << "read";
    } catch (const EParserError& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Malformed,
    ::testing::Values(
        MalformedCase{"po", "msgid \"a\"\nmsgstr \"b\n", "end-of-line within string"},
        MalformedCase{"po", "msgid \"a\"\nmsgstr \"b\"\nmsgid \"a\"\nmsgstr \"c\"\n", "on line 3"},
        MalformedCase{"po",
                      "msgid \"\"\nmsgstr \"Content-Type: text/plain; "
                      "charset=NOSUCH\\n\"\n\nmsgid \"a\"\nmsgstr \"b\"\n",
                      "charset"},
        MalformedCase{"ts", "<TS><context><message><source>a</sourc", "on line 1"},
        MalformedCase{"ts", "<?xml version=\"1.0\"?>\n<xliff/>", "not a TS file"},
        MalformedCase{"xliff", "<xliff>\n<file>\n<body>\n<trans-unit>\n</xliff>", "on line 5"},
        MalformedCase{"xliff", "", "Premature end of document"},
        MalformedCase{"xliff", "<?xml version=\"1.0\"?>\n<TS/>", "not an XLIFF file"}));

using InterchangeFormatsTest = test::InterchangeTest;

TEST_F(InterchangeFormatsTest, AreFoundByExtensionIgnoringCase) {
    EXPECT_EQ(InterchangeFormatOf("a/b.PO"), FindInterchangeFormat("po"));
    EXPECT_EQ(InterchangeFormatOf("x.pot"), FindInterchangeFormat("po"));
    EXPECT_EQ(InterchangeFormatOf("x.ts"), FindInterchangeFormat("ts"));
    EXPECT_EQ(InterchangeFormatOf("x.xlf"), FindInterchangeFormat("xliff"));
    EXPECT_EQ(InterchangeFormatOf("x.XLIFF"), FindInterchangeFormat("xliff"));
    EXPECT_EQ(InterchangeFormatOf("x.lxc"), nullptr);
    EXPECT_EQ(InterchangeFormatOf("dir.po/file"), nullptr);
}

} // namespace
} // namespace lex
