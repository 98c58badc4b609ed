#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lex {

enum class TFormToken { EndOfText, Symbol, String, WString, Integer, Float, Char };

// Reads form text (the readable notation of form files) token by token. The
// parser borrows the text, which must outlive it, and never reads past its end.
// Errors are EParserError "%s on line %d" with the current line.
class TFormTextParser {
public:
    explicit TFormTextParser(std::string_view Text);

    TFormToken NextToken();
    TFormToken Token() const { return token_; }
    // The token's characters as written in the text.
    std::string_view TokenText() const { return text_.substr(tokenStart_, end_ - tokenStart_); }
    // The character of a Char token.
    char TokenChar() const { return text_[tokenStart_]; }
    bool TokenIsChar(char C) const { return token_ == TFormToken::Char && TokenChar() == C; }
    // True for a Symbol equal to Word without regard to ASCII case.
    bool TokenSymbolIs(std::string_view Word) const;
    // The float type letter ("c", "d", "s", either case) of a Float, or 0.
    char FloatType() const { return floatType_; }

    // A String's bytes, and a WString's UTF-16 units: codes one unit each,
    // quoted bytes as the unit of the same number.
    const std::string& TokenBytes() const { return bytes_; }
    const std::u16string& TokenWide() const { return wide_; }

    // Extends the current Symbol over ".Symbol" parts that follow it directly
    // and returns the whole dotted name.
    std::string_view ReadDottedIdent();

    std::size_t TokenPosition() const { return tokenStart_; }
    // Offset just past the current token.
    std::size_t TokenEnd() const { return end_; }
    int TokenLine() const { return tokenLine_; }
    int Line() const { return line_; }

    [[noreturn]] void Error(std::string_view Message) const;

private:
    void ReadString();

    std::string_view text_;
    std::size_t end_ = 0; // where the next token's search starts
    std::size_t tokenStart_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    TFormToken token_ = TFormToken::EndOfText;
    char floatType_ = 0;
    std::string bytes_;
    std::u16string wide_;
};

// A string value that may be joined from several pieces by "+": wide pieces
// are joined as UTF-16 and the whole is converted to the process's code page
// once, so a character split over two pieces is not broken.
class TFormStringValue {
public:
    void Clear();
    // Adds the current String or WString token of the parser.
    void Append(const TFormTextParser& Parser);
    // The value in the process's code page; a character that code page cannot
    // hold becomes "?".
    std::string Text() const;

private:
    std::string bytes_;
    std::u16string wide_;
    bool isWide_ = false;
};

} // namespace lex
