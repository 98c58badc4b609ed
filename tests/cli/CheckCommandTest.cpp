#include "cli/LexTool.h"
#include "runtime/LexFiles.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <sstream>

namespace lex {
namespace {

class CheckCommandTest : public ::testing::Test {
protected:
    LexToolModules modules;
    int Run(std::vector<std::string> args) {
        std::istringstream in;
        std::ostringstream out, err;
        const int code = RunLexTool(args, in, out, err);
        output = out.str();
        errors = err.str();
        return code;
    }
    std::string Write(std::vector<TLexRecord> Records) {
        TRecordListLexReader source(test::StandardFields, std::move(Records));
        WriteLexFile(source, dir / "lex.lxc");
        return dir / "lex.lxc";
    }
    test::TempDir dir;
    std::string output, errors;
};

TEST_F(CheckCommandTest, PrintsOneFindingALineAndExits1) {
    const std::string lexicon =
        Write({{"&Open:", "1252", "0", "Oeffnen:", ""}, {"Child", "1252", "0", "Kind", "Nobody"}});
    EXPECT_EQ(Run({"check", lexicon}), 1);
    EXPECT_EQ(output, "parent \"Child\": the parent key \"Nobody\" names no key\n"
                      "accelerator \"&Open:\" 1252/0: the key has an accelerator and the value "
                      "has none\n");
    EXPECT_EQ(Run({"check", lexicon, "--rules", "colon,spaces"}), 0) << errors;
    EXPECT_EQ(output, "");
    EXPECT_EQ(Run({"check", lexicon, "--rules", "nonsense"}), 2);
}

} // namespace
} // namespace lex
