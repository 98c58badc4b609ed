#include "cli/LexTool.h"
#include "platform/FileUtil.h"
#include "runtime/LexFiles.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <sstream>

namespace lex {
namespace {

using ::testing::HasSubstr;

class InterchangeCommandsTest : public ::testing::Test {
protected:
    LexToolModules modules;
    int Run(std::vector<std::string> args) {
        std::istringstream in;
        std::ostringstream out, err;
        const int code = RunLexTool(args, in, out, err);
        errors = err.str();
        return code;
    }
    // A lexicon as lextool writes it, so that it compares byte for byte.
    std::string Lexicon() {
        TRecordListLexReader source(test::StandardFields,
                                    {{"&File", "1252", "0", "&Datei", ""},
                                     {"Open", "1252", "0",
                                      "\xD6"
                                      "ffnen",
                                      "&File"},
                                     {"Ctl", "1252", "0", "a\r\nb\x01", "&File"},
                                     {"Empty", "936", "0", "\xCE\xC4", ""}});
        WriteLexFile(source, dir / "raw.lxc");
        EXPECT_EQ(Run({"merge", dir / "raw.lxc", "-o", dir / "lex.lxc"}), 0) << errors;
        return dir / "lex.lxc";
    }
    test::TempDir dir;
    std::string errors;
};

TEST_F(InterchangeCommandsTest, ALanguageGoesOutAndComesBackByteForByte) {
    const std::string lexicon = Lexicon();
    for (const std::string format : {"po", "ts", "xliff"}) {
        SCOPED_TRACE(format);
        const std::string file = dir / ("out." + format);
        ASSERT_EQ(Run({format + "-export", lexicon, "1252", "0", file}), 0) << errors;
        ASSERT_EQ(Run({format + "-import", lexicon, "1252", "0", file, dir / "back.lxc"}), 0)
            << errors;
        EXPECT_EQ(ReadFileBytes(dir / "back.lxc"), ReadFileBytes(lexicon));
    }
}

TEST_F(InterchangeCommandsTest, WhatACodePageCannotHoldIsReportedAndTheRestWritten) {
    const std::string lexicon = Lexicon();
    WriteFileAtomically(dir / "in.po", [](OutputStream& s) {
        s.Write("msgid \"Open\"\nmsgstr \"Ouvrir\"\n\nmsgid \"New\"\nmsgstr \"\xE4\xB8\x80\"\n");
    });
    EXPECT_EQ(Run({"po-import", lexicon, "1252", "0", dir / "in.po", dir / "out.lxc"}), 1);
    EXPECT_THAT(errors, HasSubstr("in.po:4: \"New\": Character U+4E00 cannot be written"));
    EXPECT_THAT(errors, HasSubstr("1 entries not imported"));
    EXPECT_THAT(ReadFileBytes(dir / "out.lxc"), HasSubstr("\"Open\",\"1252\",\"0\",\"Ouvrir\""));
}

TEST_F(InterchangeCommandsTest, RefusesASwappedCommandLineAndMissingLanguages) {
    const std::string lexicon = Lexicon();
    EXPECT_EQ(Run({"po-import", lexicon, "1252", "0", dir / "out.lxc", dir / "in.po"}), 2);
    EXPECT_THAT(errors, HasSubstr("OUT names a translator's file"));
    EXPECT_EQ(Run({"ts-export", lexicon, "950", "0", dir / "x.ts"}), 1);
    EXPECT_THAT(errors, HasSubstr("no language 950"));
    EXPECT_EQ(Run({"xliff-export", lexicon, "1252", "7", dir / "x.xlf"}), 1);
    EXPECT_THAT(errors, HasSubstr("no sequence 7 in language 1252"));
}

} // namespace
} // namespace lex
