#pragma once

#include <string>
#include <string_view>

namespace lex {

// The first fault in the line and field structure of a text lexicon, in the
// words the tool shows ("line 3: the quoted value that starts here is never
// closed"), or empty when every line has the shape the readers assume: a
// header of separator-terminated fields, then records of as many fields, each
// line ending as the header's does (CR LF, or LF alone); the last record may
// lack its line end. HashCodes: form notation, whose "#" codes outside quotes
// must be numbers that fit 32 bits. The readers themselves never check; the
// tool and lextool do before they trust what was read.
std::string FindTextLexDamage(std::string_view Bytes, char Separator, char Quote, bool HashCodes);

} // namespace lex
