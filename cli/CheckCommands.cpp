// The consistency checks of a lexicon, for build pipelines.
#include "checks/LexChecks.h"
#include "cli/LexToolSupport.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "platform/Exceptions.h"
#include "runtime/LexFiles.h"

#include <ostream>

namespace lex::cli {

namespace {

std::vector<TCheckRule> RulesOption(const Arguments& a) {
    if (!a.Has("rules")) return AllCheckRules();
    std::vector<TCheckRule> rules;
    for (const std::string& name : SplitList(a.Option("rules"))) {
        const std::optional<TCheckRule> rule = FindCheckRule(name);
        if (!rule) throw UsageError("unknown rule \"" + name + "\"");
        rules.push_back(*rule);
    }
    return rules;
}

// One finding a line: the rule, the key as JSON, the language and sequence,
// what is wrong. Findings make the exit code 1.
void Check(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    std::vector<TCheckRule> rules = RulesOption(a);
    const std::string& file = a.positional[0];
    const TLexEditorOptions options = EditorOptions(a);
    TLexDocument document(options);
    std::vector<TCheckFinding> findings;
    // A loaded document has made every parent a key: the file's records tell.
    const auto parent = std::find(rules.begin(), rules.end(), TCheckRule::Parent);
    if (parent != rules.end()) {
        rules.erase(parent);
        findings = CheckParentKeys(*OpenLexicon(a, file), options.CaseSensitive);
    }
    {
        const ScriptedAnswers answers(err);
        OpenFile(document, file, answers.Answerer());
    }
    for (TCheckFinding& finding : CheckLexicon(document, rules))
        findings.push_back(std::move(finding));
    for (const TCheckFinding& finding : findings) {
        out << CheckRuleName(finding.Rule) << ' ';
        WriteJsonString(out, finding.Key);
        if (!finding.CodePage.empty()) out << ' ' << finding.CodePage << '/' << finding.SeqNo;
        out << ": " << finding.Message << '\n';
    }
    if (!findings.empty()) throw EAbort();
}

} // namespace

const std::vector<Command>& CheckCommands() {
    static const std::vector<Command> commands = {
        {"check",
         "lextool check LEXICON [--rules RULE,RULE...] [--case-sensitive]  (rules: accelerator, "
         "placeholders, spaces, colon, ellipsis, missing, case-duplicate, encoding, parent)",
         {"rules"},
         {"case-sensitive", "lenient"},
         1,
         1,
         Check,
         "Checks every value against its key and every language against the others and\n"
         "prints one finding a line: the rule, the key, the language/sequence and what is\n"
         "wrong. Exits 1 when there is any finding.\n"
         "  --rules RULE,...  only these rules (default: all)\n"
         "  --case-sensitive  the lexicon's keys are case-sensitive: keys equal but for\n"
         "                    case are reported (case-duplicate)\n"},
    };
    return commands;
}

} // namespace lex::cli
