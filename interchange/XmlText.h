#pragma once

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <functional>
#include <string>
#include <string_view>

namespace lex {

// Text in the two XML formats. XML holds no C0 control character but tab,
// line feed and carriage return, and a reader turns a written carriage
// return into a line feed: carriage returns go out as a character reference,
// the other control characters as the format's own inline element.
void WriteXmlText(QXmlStreamWriter& Writer, std::u16string_view Text,
                  const std::function<void(char16_t)>& WriteControl);

// Handles one inline element at its start, reading it to its end, and says
// whether it did; an element it leaves is skipped with its content.
using TInlineElementReader = std::function<bool(QXmlStreamReader&, std::u16string& Text)>;

// The text of the current element up to its end. Depth counts the inline
// elements around it, so that nesting is bounded.
std::u16string ReadXmlText(QXmlStreamReader& Reader, const TInlineElementReader& ReadInline,
                           int Depth = 0);

// The control character of an inline element's number ("x1f" hexadecimal,
// "31" decimal); none for a number that is not one.
std::u16string ControlCharacter(std::u16string_view Number, int Base);

// EParserError with the reader's message and line, when it has one.
void ThrowIfXmlError(const QXmlStreamReader& Reader);
[[noreturn]] void ThrowXmlError(const QXmlStreamReader& Reader, const std::string& Message);

// Writes the bytes of a document through Write, which fills it.
std::string WriteXmlDocument(const std::function<void(QXmlStreamWriter&)>& Write);

} // namespace lex
