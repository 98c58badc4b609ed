#include "formfiles/FormTokenWalk.h"
#include "platform/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// The walk over any bytes ends with its values or an EParserError. Each value
// lies inside the text, after the one before it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    static const lex::TFormSkipLists skip{lex::TFormSkipList(lex::DefaultSkipIdents()),
                                          lex::TFormSkipList(lex::DefaultSkipClasses())};
    std::size_t last = 0;
    try {
        lex::WalkFormText(text, skip,
                          [&](const lex::TFormValue& Value, const lex::TFormTextParser& Parser) {
                              if (Value.Position < last || Value.End <= Value.Position ||
                                  Value.End > Size || Parser.TokenPosition() < Value.End)
                                  __builtin_trap();
                              last = Value.End;
                          });
    } catch (const lex::EParserError&) {
    }
    return 0;
}
