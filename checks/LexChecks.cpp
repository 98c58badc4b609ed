#include "checks/LexChecks.h"

#include "editor/LexDocument.h"
#include "editor/LexKeyList.h"
#include "editor/LexLoader.h"
#include "platform/CodePage.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace lex {
namespace {

struct RuleName {
    TCheckRule rule;
    std::string_view name;
};

constexpr RuleName RuleNames[] = {
    {TCheckRule::Accelerator, "accelerator"},
    {TCheckRule::Placeholders, "placeholders"},
    {TCheckRule::Spaces, "spaces"},
    {TCheckRule::Colon, "colon"},
    {TCheckRule::Ellipsis, "ellipsis"},
    {TCheckRule::Missing, "missing"},
    {TCheckRule::CaseDuplicate, "case-duplicate"},
    {TCheckRule::Encoding, "encoding"},
    {TCheckRule::Parent, "parent"},
};

// A decoded text is damaged where the converter put U+FFFD for bytes the
// code page does not define; only UTF-8 can hold that character itself.
bool Decodes(std::string_view Bytes, int CodePage, const std::u16string& Text) {
    if (Text.find(u'\xFFFD') == std::u16string::npos) return true;
    return CodePage == 65001 && Bytes.find("\xEF\xBF\xBD") != std::string_view::npos;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\x3000';
}

bool HasAccelerator(std::u16string_view Text) {
    for (size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != u'&') continue;
        if (Text[i + 1] != u'&') return true;
        ++i; // "&&" is an ampersand
    }
    return false;
}

// The printf conversions in order: "s", "d", "2$s" ...; "%%" is none.
std::vector<std::u16string> Placeholders(std::u16string_view Text) {
    static const std::u16string_view conversions = u"diouxXeEfFgGaAcspn";
    std::vector<std::u16string> found;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != u'%') continue;
        size_t j = i + 1;
        if (j < Text.size() && Text[j] == u'%') {
            i = j;
            continue;
        }
        const size_t start = j;
        while (j < Text.size() &&
               (std::u16string_view(u"0123456789$-+ #'.*hlLqjzt").find(Text[j]) !=
                std::u16string_view::npos))
            ++j;
        if (j < Text.size() && conversions.find(Text[j]) != std::u16string_view::npos) {
            // Only the position and the conversion matter, not width or flags.
            std::u16string position;
            const size_t dollar = Text.substr(start, j - start).find(u'$');
            if (dollar != std::u16string_view::npos) position = Text.substr(start, dollar + 1);
            found.push_back(position + Text[j]);
            i = j;
        }
    }
    // Numbered placeholders may stand in any order.
    if (!found.empty() && std::all_of(found.begin(), found.end(), [](const std::u16string& s) {
            return s.find(u'$') != std::u16string::npos;
        }))
        std::sort(found.begin(), found.end());
    return found;
}

// The text without trailing blanks and a trailing accelerator "(&F)".
std::u16string_view Ending(std::u16string_view Text) {
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    if (Text.size() >= 4 && Text.back() == u')' && Text[Text.size() - 4] == u'(' &&
        Text[Text.size() - 3] == u'&')
        Text.remove_suffix(4);
    return Text;
}

bool EndsWithColon(std::u16string_view Text) {
    const std::u16string_view end = Ending(Text);
    return !end.empty() && (end.back() == u':' || end.back() == u'\xFF1A');
}

bool EndsWithEllipsis(std::u16string_view Text) {
    const std::u16string_view end = Ending(Text);
    return end.ends_with(u"...") || end.ends_with(u"\x2026");
}

class Checker {
public:
    Checker(TLexDocument& Document, const std::vector<TCheckRule>& Rules)
        : document_(Document), tree_(Document.Tree()) {
        for (const TCheckRule rule : Rules)
            on_[static_cast<int>(rule)] = true;
    }

    std::vector<TCheckFinding> Run() {
        const int columns = tree_.ColumnCount();
        codePages_.resize(columns);
        textCodePages_.resize(columns);
        sequenceOf_.resize(columns);
        std::map<std::string_view, int> sequences;
        for (int c = 1; c < columns; ++c) {
            codePages_[c] = TLexDocument::BandCodePage(*tree_.Column(c)->Band);
            textCodePages_[c] = TLexDocument::TextCodePage(*tree_.Column(c)->Band);
            sequenceOf_[c] =
                sequences.emplace(tree_.Column(c)->Caption, static_cast<int>(sequences.size()))
                    .first->second;
        }
        filled_.resize(sequences.size());
        const bool duplicates = On(TCheckRule::CaseDuplicate) && document_.Options().CaseSensitive;
        TLexKeyList keysIgnoringCase(tree_, false);
        const int keyCodePage = ProcessCodePage();
        for (TTreeNode* node = tree_.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
            const std::string_view key = document_.Key(node);
            DecodeTextTo(key, keyCodePage, keyText_);
            if (On(TCheckRule::Encoding) && !Decodes(key, keyCodePage, keyText_))
                Add(TCheckRule::Encoding, node, 0,
                    "the key does not decode in code page " + std::to_string(keyCodePage));
            if (duplicates) {
                const TTreeNode* first = keysIgnoringCase.FindOrAdd(key, [node] { return node; });
                if (first != node)
                    Add(TCheckRule::CaseDuplicate, node, 0,
                        "the key differs only in case from \"" + std::string(document_.Key(first)) +
                            "\"");
            }
            CheckValues(node);
        }
        return std::move(findings_);
    }

private:
    bool On(TCheckRule Rule) const { return on_[static_cast<int>(Rule)]; }

    void Add(TCheckRule Rule, TTreeNode* Node, int Column, std::string Message) {
        TCheckFinding& finding = findings_.emplace_back();
        finding.Rule = Rule;
        finding.Key = document_.Key(Node);
        if (Column > 0) {
            finding.CodePage = codePages_[Column];
            finding.SeqNo = tree_.Column(Column)->Caption;
        }
        finding.Message = std::move(Message);
        finding.Node = Node;
        finding.ColumnIndex = Column;
    }

    void Differ(TCheckRule Rule, TTreeNode* Node, int Column, bool InKey, bool InValue,
                const char* What) {
        if (!On(Rule) || InKey == InValue) return;
        Add(Rule, Node, Column,
            std::string(InKey ? "the key has " : "the value has ") + What + " and the " +
                (InKey ? "value" : "key") + " has none");
    }

    void CheckValues(TTreeNode* Node) {
        const int columns = tree_.ColumnCount();
        // Per sequence: whether some language has a value, and some has none.
        std::fill(filled_.begin(), filled_.end(), std::pair<bool, bool>());
        for (int c = 1; c < columns; ++c) {
            const std::string_view value = tree_.Value(Node, c);
            auto& [some, none] = filled_[sequenceOf_[c]];
            (value.empty() ? none : some) = true;
            if (value.empty()) continue;
            DecodeTextTo(value, textCodePages_[c], valueText_);
            if (On(TCheckRule::Encoding) && !Decodes(value, textCodePages_[c], valueText_))
                Add(TCheckRule::Encoding, Node, c,
                    "the value does not decode in code page " + std::to_string(textCodePages_[c]));
            const std::u16string_view key = keyText_, text = valueText_;
            Differ(TCheckRule::Accelerator, Node, c, HasAccelerator(key), HasAccelerator(text),
                   "an accelerator");
            if (On(TCheckRule::Placeholders) && Placeholders(key) != Placeholders(text))
                Add(TCheckRule::Placeholders, Node, c,
                    "the placeholders differ from the key's in count or order");
            if (On(TCheckRule::Spaces) &&
                ((!key.empty() && IsBlank(key.front())) != IsBlank(text.front()) ||
                 (!key.empty() && IsBlank(key.back())) != IsBlank(text.back())))
                Add(TCheckRule::Spaces, Node, c,
                    "leading or trailing blanks differ from the key's");
            Differ(TCheckRule::Colon, Node, c, EndsWithColon(key), EndsWithColon(text),
                   "a final colon");
            Differ(TCheckRule::Ellipsis, Node, c, EndsWithEllipsis(key), EndsWithEllipsis(text),
                   "a final ellipsis");
        }
        if (!On(TCheckRule::Missing)) return;
        for (int c = 1; c < columns; ++c) {
            const auto& [some, none] = filled_[sequenceOf_[c]];
            if (some && none && tree_.Value(Node, c).empty())
                Add(TCheckRule::Missing, Node, c,
                    "no value, while other languages have one in this sequence");
        }
    }

    TLexDocument& document_;
    const TLexTree& tree_;
    bool on_[std::size(RuleNames)] = {};
    std::vector<std::string> codePages_;
    std::vector<int> textCodePages_;
    std::vector<int> sequenceOf_; // a number per column caption
    std::vector<std::pair<bool, bool>> filled_;
    std::u16string keyText_, valueText_;
    std::vector<TCheckFinding> findings_;
};

} // namespace

const std::vector<TCheckRule>& AllCheckRules() {
    static const std::vector<TCheckRule> rules = [] {
        std::vector<TCheckRule> all;
        for (const RuleName& entry : RuleNames)
            all.push_back(entry.rule);
        return all;
    }();
    return rules;
}

std::string_view CheckRuleName(TCheckRule Rule) {
    for (const RuleName& entry : RuleNames)
        if (entry.rule == Rule) return entry.name;
    return {};
}

std::optional<TCheckRule> FindCheckRule(std::string_view Name) {
    for (const RuleName& entry : RuleNames)
        if (entry.name == Name) return entry.rule;
    return std::nullopt;
}

std::vector<TCheckFinding> CheckLexicon(TLexDocument& Document,
                                        const std::vector<TCheckRule>& Rules) {
    Document.PostEdit();
    return Checker(Document, Rules).Run();
}

std::vector<TCheckFinding> CheckParentKeys(ILexReader& Records, bool CaseSensitive) {
    const TRecordFields fields = LocateRecordFields(Records);
    const int keyField = fields.Index[0], parentField = fields.Index[4];
    std::vector<TCheckFinding> findings;
    if (keyField < 0 || parentField < 0) return findings;
    // Records of one key stand together as a rule: each key and parent is
    // taken once per run.
    std::unordered_set<std::string> known;                    // equality keys of the keys
    std::vector<std::pair<std::string, std::string>> parents; // key, parent
    std::string lastKey, lastParent;
    bool first = true;
    {
        ReadScope scope(Records);
        for (Records.First(); !Records.Eof(); Records.Next()) {
            const std::string_view key = Records.FieldValue(keyField);
            const std::string_view parent = Records.FieldValue(parentField);
            if (!first && key == lastKey && parent == lastParent) continue;
            first = false;
            if (key != lastKey) known.insert(AnsiEqualityKey(key, CaseSensitive));
            lastKey = key;
            lastParent = parent;
            if (!parent.empty()) parents.emplace_back(lastKey, lastParent);
        }
    }
    std::unordered_set<std::string> reported;
    for (const auto& [key, parent] : parents) {
        if (known.count(AnsiEqualityKey(parent, CaseSensitive)) || !reported.insert(key).second)
            continue;
        TCheckFinding& finding = findings.emplace_back();
        finding.Rule = TCheckRule::Parent;
        finding.Key = key;
        finding.Message = "the parent key \"" + parent + "\" names no key";
    }
    return findings;
}

} // namespace lex
