#include "cli/LexToolSupport.h"

#include "editor/LexDocument.h"
#include "platform/Exceptions.h"

#include <ostream>

namespace lex::cli {

void WriteJsonString(std::ostream& out, std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"') {
            text += "\\\"";
        } else if (b == '\\') {
            text += "\\\\";
        } else if (b < 0x20 || b >= 0x7F) {
            text += "\\u00";
            text += hex[b >> 4];
            text += hex[b & 0xF];
        } else {
            text += c;
        }
    }
    text += '"';
    out << text;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start < text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

ScriptedAnswers::ScriptedAnswers(int answer, std::ostream& err)
    : previous_(SetMessageBoxHook([answer, &err](TWindowHandle, const std::string& text,
                                                 const std::string& caption, unsigned flags) {
          if ((flags & 0x0F) == MB_YESNOCANCEL) return answer;
          err << caption << ": " << text << '\n';
          return DefaultMessageBoxAnswer(flags);
      })) {}

TLexBand& LanguageBand(TLexDocument& Document, const std::string& CodePage,
                       const std::string& FileName) {
    const TLexTree& tree = Document.Tree();
    for (int i = 1; i < tree.BandCount(); ++i)
        if (Document.CompareLexText(TLexDocument::BandCodePage(*tree.Band(i)), CodePage) == 0)
            return *tree.Band(i);
    throw Exception("no language " + CodePage + " in " + FileName);
}

} // namespace lex::cli
