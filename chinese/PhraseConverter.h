#pragma once

#include <string>
#include <string_view>

namespace lex {

// Simplified/Traditional conversion that knows words, over OpenCC: GB2312
// (936) text is decoded, converted with the Simplified-to-Taiwan phrases
// ("s2twp") and encoded in Big5 (950), and back with "tw2sp". A character
// the target code page cannot hold takes the character tables' answer for
// its source character; bytes that are no character of the source stay as
// they were, as in the table converter. OpenCC's converters are loaded once
// per direction, on first use; a missing configuration raises Exception.
std::string PhraseGbToBig5(std::string_view Text);
std::string PhraseBig5ToGb(std::string_view Text);

// Where the OpenCC configurations are looked for: LEXMANAGER_OPENCC_DIR when
// set, otherwise the data folders of the usual installations.
std::string OpenCCDataDir();

} // namespace lex
