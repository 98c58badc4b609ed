#include "cli/LexToolSupport.h"

#include "editor/LexDocument.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/LexFiles.h"

#include <algorithm>
#include <ostream>

namespace lex::cli {

namespace {
// A JSON string of Text: with BytesAsCodePoints every byte from 0x7F up is
// the code point of its number; otherwise Text is UTF-8 and such bytes stay.
void WriteJson(std::ostream& out, std::string_view Text, bool BytesAsCodePoints) {
    static const char hex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : Text) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"') {
            json += "\\\"";
        } else if (b == '\\') {
            json += "\\\\";
        } else if (b < 0x20 || (BytesAsCodePoints && b >= 0x7F)) {
            json += "\\u00";
            json += hex[b >> 4];
            json += hex[b & 0xF];
        } else {
            json += c;
        }
    }
    json += '"';
    out << json;
}
} // namespace

void WriteJsonString(std::ostream& out, std::string_view bytes) {
    WriteJson(out, bytes, true);
}

void WriteJsonText(std::ostream& out, std::string_view bytes, int codePage) {
    WriteJson(out, EncodeText(DecodeText(bytes, codePage), 65001), false);
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start < text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        std::string item = text.substr(start, comma - start);
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        items.push_back(std::move(item));
        start = comma + 1;
    }
    return items;
}

ScriptedAnswers::ScriptedAnswers(std::ostream& err, TOverwriteAnswer answer, bool strict)
    : answerer_([this, answer, strict](const TOverwriteQuestion& Question) {
          if (strict) {
              const TLexColumn& column = Question.Column;
              throw Exception(FormatText("--strict: a value would overwrite another: key \"%s\", "
                                         "%s/%s: \"%s\" over \"%s\"",
                                         {Question.NewKey, TLexDocument::BandCodePage(*column.Band),
                                          column.Caption, Question.NewValue, Question.OldValue}));
          }
          ++answered_;
          return answer;
      }),
      previous_(SetMessageBoxHook([&err](TWindowHandle, const std::string& text,
                                         const std::string& caption, unsigned flags) {
          err << caption << ": " << text << '\n';
          return DefaultMessageBoxAnswer(flags);
      })) {}

TLexEditorOptions EditorOptions(const Arguments& a) {
    TLexEditorOptions options;
    options.CaseSensitive = a.Has("case-sensitive");
    options.Lenient = a.Has("lenient");
    return options;
}

std::string ReadLexiconBytes(const Arguments& a, const std::string& FileName) {
    std::string bytes = ReadFileBytes(FileName);
    if (a.Has("lenient")) return bytes;
    const std::string damage =
        LexFileDamage(bytes, LexFileReaderID(FileName, a.Option("reader-id")));
    if (!damage.empty()) throw LexFileError(FileName, damage);
    return bytes;
}

std::unique_ptr<TCustomStreamLexReader> OpenLexicon(const Arguments& a,
                                                    const std::string& FileName) {
    return LexFileReaderClass(FileName, a.Option("reader-id"))(ReadLexiconBytes(a, FileName));
}

TLexBand& LanguageBand(TLexDocument& Document, const std::string& CodePage,
                       const std::string& FileName) {
    const TLexTree& tree = Document.Tree();
    for (int i = 1; i < tree.BandCount(); ++i)
        if (Document.CompareLexText(TLexDocument::BandCodePage(*tree.Band(i)), CodePage) == 0)
            return *tree.Band(i);
    throw Exception("no language " + CodePage + " in " + FileName);
}

} // namespace lex::cli
