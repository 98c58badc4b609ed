#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lex {

// The edge between byte strings and Qt's text: a lexicon value decodes with
// its language's code page, keys and interface texts with the process's.

QString ToQString(std::string_view bytes, int codePage);
QString ToQString(std::string_view bytes); // in the process's code page

// Raises EConvertError naming the first character the code page cannot hold.
std::string FromQString(const QString& text, int codePage);
std::string FromQString(const QString& text); // in the process's code page

} // namespace lex
