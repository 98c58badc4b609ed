#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace lex {

// How a form file's bytes are to be read, decided from its first four bytes.
enum class TFormStreamFormat { Unknown, Binary, Text, Resource };

TFormStreamFormat TestFormStreamFormat(std::string_view Data);

// Converts a binary form stream (starting with "TPF0") to the text notation
// the designer writes for the same form. Malformed input raises EReadError
// naming what was wrong and its byte offset.
std::string BinaryFormToText(std::string_view Data);

// The form text of a file's bytes: resource-wrapped and bare binary forms are
// converted, everything else is taken unchanged.
std::string FormDataToText(std::string_view Data);

// Reads a form file and returns its form text.
std::string ReadFormText(const std::string& Path);

// Runs Work on the form file Path, naming the file in a fault found in its
// contents (EReadError, EParserError keep their kind); a file that cannot be
// opened or written names itself already.
void NameFormFileInErrors(const std::string& Path, const std::function<void()>& Work);

} // namespace lex
