#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lex {

// Text crosses into the database as Unicode, so that a server holds readable
// text whatever code page a lexicon uses: lexicon bytes are decoded with their
// code page on the way in and encoded again on the way out. Either direction
// refuses, with EConvertError, text that would not come back as it was.

QString DatabaseText(std::string_view Bytes, int CodePage);
std::string LexiconText(const QString& Text, int CodePage);
// The same into Bytes, whose storage is kept: reading a million rows need
// not allocate for every value.
void LexiconTextTo(const QString& Text, int CodePage, std::string& Bytes);
// The same from UTF-8.
void Utf8LexiconTextTo(std::string_view Utf8, int CodePage, std::string& Bytes);

// A message of the data-access layer in the process's code page, with '?'
// for what it cannot hold: an error report must not fail itself.
std::string MessageText(const QString& Text);

} // namespace lex
