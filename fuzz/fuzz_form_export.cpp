#include "editor/LexDocument.h"
#include "formfiles/FormExport.h"
#include "platform/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writing keys into any form text that walks gives a text that walks the same
// way: one value for each value before, each non-empty one now a key. The keys
// hold quotes and control characters, which must come back as written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    static const lex::TFormSkipLists skip{lex::TFormSkipList(lex::DefaultSkipIdents()),
                                          lex::TFormSkipList(lex::DefaultSkipClasses())};
    std::vector<std::string> values;
    try {
        lex::WalkFormText(text, skip,
                          [&](const lex::TFormValue& Value, const lex::TFormTextParser&) {
                              values.push_back(Value.Text);
                          });
    } catch (const lex::EParserError&) {
        return 0;
    }

    lex::TLexDocument doc;
    lex::TLexBand* band = doc.AddLanguage("1252");
    for (std::size_t i = 0; i < values.size(); ++i) {
        lex::TTreeNode* node = doc.AppendNode("K'" + std::to_string(i) + "\r\n");
        doc.Tree().SetValue(node, band->Column(0)->Index(), values[i]);
    }
    int replaced = 0;
    const std::string edited =
        lex::TFormKeyExport(doc, *band, skip).ExportKeysToFormText(text, replaced);

    std::size_t index = 0;
    lex::WalkFormText(edited, skip, [&](const lex::TFormValue& Value, const lex::TFormTextParser&) {
        if (index >= values.size()) __builtin_trap();
        const bool isKey = Value.Text.starts_with("K'") && Value.Text.ends_with("\r\n");
        if (values[index].empty() ? !Value.Text.empty() : !isKey) __builtin_trap();
        ++index;
    });
    if (index != values.size()) __builtin_trap();
    return 0;
}
