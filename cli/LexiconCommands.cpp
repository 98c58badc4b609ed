// The commands over lexicon files: convert, dump, translate, Chinese
// conversion, merge, export and the tree.
#include "chinese/PhraseConverter.h"
#include "cli/LexToolSupport.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/NodeListLexReader.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/ChineseGbBig5.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <cstdint>
#include <iostream>
#include <iterator>

namespace lex::cli {

namespace {

void Convert(const Arguments& a, std::istream&, std::ostream&, std::ostream&) {
    const auto reader = OpenLexicon(a, a.positional[0]);
    WriteLexFile(*reader, a.positional[1]);
}

void Dump(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    const auto reader = OpenLexicon(a, a.positional[0]);
    ReadScope scope(*reader);
    const int fields = reader->FieldCount();
    out << "{\"fields\":[";
    for (int i = 0; i < fields; ++i) {
        if (i) out << ',';
        WriteJsonString(out, reader->FieldName(i));
    }
    out << "],\"recordCount\":" << reader->RecordCount() << "}\n";
    // For people, --text decodes a display value with its record's code page
    // and everything else with the process's.
    const bool text = a.Has("text");
    const int codePageField = FindFieldIndex(*reader, CodePageField);
    const int displayField = FindFieldIndex(*reader, DisplayValueField);
    for (reader->First(); !reader->Eof(); reader->Next()) {
        out << '[';
        for (int i = 0; i < fields; ++i) {
            if (i) out << ',';
            if (reader->IsNull(i))
                out << "null";
            else if (!text)
                WriteJsonString(out, reader->FieldValue(i));
            else
                WriteJsonText(out, reader->FieldValue(i),
                              i == displayField && codePageField >= 0
                                  ? TextCodePage(reader->FieldValue(codePageField))
                                  : ProcessCodePage());
        }
        out << "]\n";
    }
}

void Translate(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    const std::string& file = a.positional[0];
    TLumoMultiStreamLex lexicon;
    lexicon.LexReaderID = LexFileReaderID(file, a.Option("reader-id"));
    lexicon.Dictionary.ReadData(ReadLexiconBytes(a, file));
    const std::string& key = a.positional[1];
    const std::string& codePage = a.positional[2];
    const std::string& seqNo = a.positional[3];
    out << (a.Has("words") ? lexicon.TranslateWords(key, codePage, seqNo)
                           : lexicon.Translate(key, codePage, seqNo));
}

void Chinese(const Arguments& a, std::istream& in, std::ostream& out, std::ostream&) {
    const std::string& direction = a.positional[0];
    if (direction != "gb2big5" && direction != "big52gb")
        throw UsageError("direction must be gb2big5 or big52gb");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    const bool toBig5 = direction == "gb2big5";
    if (a.Has("phrases")) {
        out << (toBig5 ? PhraseGbToBig5(text) : PhraseBig5ToGb(text));
        return;
    }
    const TChineseGbBig5 converter;
    out << (toBig5 ? converter.GbToBig5(text) : converter.Big5ToGb(text));
}

TOverwriteAnswer ParseAnswer(const std::string& text) {
    if (text.empty() || text == "yes") return TOverwriteAnswer::Overwrite;
    if (text == "no") return TOverwriteAnswer::Keep;
    if (text == "cancel") return TOverwriteAnswer::OverwriteAll;
    throw UsageError("--answer must be yes, no or cancel");
}

// The output is named by an option, as msgcat and lconvert do: the old
// "merge OUT IN..." form silently replaced a file meant as an input.
void Merge(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    if (!a.Has("output"))
        throw UsageError("the output is named with -o: lextool merge IN [IN...] -o OUT", false);
    const TOverwriteAnswer answer = ParseAnswer(a.Option("answer"));
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err, answer, a.Has("strict"));
    OpenFile(document, a.positional[0], answers.Answerer());
    for (size_t i = 1; i < a.positional.size(); ++i)
        ImportFile(document, a.positional[i], answers.Answerer());
    WriteCopy(document, false, {}, {}, a.Option("output"));
    out << answers.Answered() << " overwrite questions answered\n";
}

void Export(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
    std::vector<TLexBand*> filter;
    for (const std::string& codePage : SplitList(a.Option("languages")))
        filter.push_back(&LanguageBand(document, codePage, a.positional[0]));
    const bool nodesOnly = a.Has("nodes");
    for (const std::string& key : SplitList(a.Option("nodes"))) {
        TTreeNode* node = document.FindNodeByKey(key);
        if (!node) throw Exception("no key \"" + key + "\" in " + a.positional[0]);
        document.Tree().Select(node);
    }
    if (nodesOnly && document.Tree().SelectionCount() == 0)
        throw UsageError("--nodes needs at least one key");
    WriteCopy(document, nodesOnly, filter, {}, a.positional[1]);
}

void Tree(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
    const TLexTree& tree = document.Tree();
    const bool text = a.Has("text");
    for (const TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        int depth = 0;
        for (const TTreeNode* up = node->Parent(); up; up = up->Parent())
            ++depth;
        out << std::string(static_cast<size_t>(depth) * 2, ' ');
        if (text)
            WriteJsonText(out, document.Key(node), ProcessCodePage());
        else
            WriteJsonString(out, document.Key(node));
        for (int c = 1; c < tree.ColumnCount(); ++c) {
            const std::string_view value = tree.Value(node, c);
            if (value.empty()) continue;
            const TLexBand& band = *tree.Column(c)->Band;
            out << ' ' << TLexDocument::BandCodePage(band) << '/' << tree.Column(c)->Caption << '=';
            if (text)
                WriteJsonText(out, value, TLexDocument::TextCodePage(band));
            else
                WriteJsonString(out, value);
        }
        out << '\n';
    }
}

} // namespace

const std::vector<Command>& LexiconCommands() {
    static const std::vector<Command> commands = {
        {"convert",
         "lextool convert IN OUT [--reader-id ID]",
         {"reader-id"},
         {"lenient"},
         2,
         2,
         Convert,
         "Writes lexicon IN again in the format OUT's extension names (.lxb binary, .lxd form\n"
         "notation, anything else CSV style), replacing OUT atomically.\n"
         "  --reader-id ID  read IN with that reader (LumoBinary, LumoTextCSV, LumoTextDFM)\n"},
        {"dump",
         "lextool dump FILE [--reader-id ID] [--text]",
         {"reader-id"},
         {"text", "lenient"},
         1,
         1,
         Dump,
         "Prints JSON Lines: the field names and record count, then one array per record\n"
         "(null for a null field).\n"
         "  --reader-id ID  read with that reader instead of the one the extension names\n"
         "  --text          values as UTF-8 text for people (display values decoded with\n"
         "                  their record's code page); by default each byte is the code\n"
         "                  point of its number, pure ASCII, for scripts\n"},
        {"translate",
         "lextool translate FILE KEY CODEPAGE SEQNO [--reader-id ID] [--words]",
         {"reader-id"},
         {"words", "lenient"},
         4,
         4,
         Translate,
         "Loads FILE as a dictionary and prints the display value of KEY in CODEPAGE and\n"
         "SEQNO as raw bytes without a line end (the key itself when there is none).\n"
         "  --reader-id ID  read with that reader instead of the one the extension names\n"
         "  --words         translate word by word\n"},
        {"chinese",
         "lextool chinese gb2big5|big52gb [--phrases]  (standard input to standard output)",
         {},
         {"phrases"},
         1,
         1,
         Chinese,
         "Converts GB2312 text to Big5 or back, character by character through the\n"
         "converter's tables.\n"
         "  --phrases  convert by words with OpenCC (Simplified to Taiwan phrases and\n"
         "             back); a character the target cannot hold takes the tables' answer\n"},
        {"merge",
         "lextool merge IN [IN...] -o|--output OUT [--answer yes|no|cancel] [--strict] "
         "[--case-sensitive]",
         {"output", "answer"},
         {"strict", "case-sensitive", "lenient"},
         1,
         SIZE_MAX,
         Merge,
         "Opens the first IN as the editor does, merges every further IN into it and saves\n"
         "the result to OUT; prints how many overwrite questions it answered.\n"
         "  -o, --output OUT  the lexicon written (it may be one of the inputs)\n"
         "  --answer A        the answer when a value would overwrite a different one:\n"
         "                    yes (default), no, or cancel (overwrite all)\n"
         "  --strict          fail instead of answering, writing nothing\n"
         "  --case-sensitive  keys differing in case are different keys\n"},
        {"export",
         "lextool export IN OUT [--languages CP,CP...] [--nodes KEY,KEY...]",
         {"languages", "nodes"},
         {"lenient"},
         2,
         2,
         Export,
         "Writes IN again through the editor, as its Export commands do.\n"
         "  --languages CP,CP  only these languages (code pages)\n"
         "  --nodes KEY,KEY    only these keys with their subtrees and ancestors\n"},
        {"tree",
         "lextool tree FILE [--case-sensitive] [--text]",
         {},
         {"case-sensitive", "text", "lenient"},
         1,
         1,
         Tree,
         "Prints the tree an editor shows: a key a line, indented two spaces a level, then\n"
         "each non-empty cell as codepage/seq=value.\n"
         "  --case-sensitive  keys differing in case are different keys\n"
         "  --text            keys and values as UTF-8 text for people (values decoded with\n"
         "                    their language's code page); by default as in dump\n"},

    };
    return commands;
}

} // namespace lex::cli
