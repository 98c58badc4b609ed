#pragma once

namespace lex {

// The form-file library's start-up, after the run-time library's: registers
// form files (text, binary or resource-wrapped binary forms) with the file
// formats, as a kind the lexicon file dialogs do not list.
void RegisterFormFileFormats();

} // namespace lex
