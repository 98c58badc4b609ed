#include "formfiles/FormTextParser.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <unicode/utf16.h>

namespace lex {

namespace {
constexpr std::string_view SInvalidString = "Invalid string constant";
constexpr std::string_view SIdentifierExpected = "Identifier expected";

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}
bool IsLetter(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
bool IsHexDigit(char C) {
    return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}
char AsciiLower(char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}
} // namespace

TFormTextParser::TFormTextParser(std::string_view Text) : text_(Text) {
    NextToken();
}

void TFormTextParser::Error(std::string_view Message) const {
    throw EParserError(FormatText(SParserError, {Message, std::to_string(line_)}));
}

bool TFormTextParser::TokenSymbolIs(std::string_view Word) const {
    if (token_ != TFormToken::Symbol) return false;
    const std::string_view symbol = TokenText();
    if (symbol.size() != Word.size()) return false;
    for (std::size_t i = 0; i < symbol.size(); ++i)
        if (AsciiLower(symbol[i]) != AsciiLower(Word[i])) return false;
    return true;
}

TFormToken TFormTextParser::NextToken() {
    const std::size_t size = text_.size();
    std::size_t p = end_;
    while (p < size && static_cast<unsigned char>(text_[p]) <= 32) {
        if (text_[p] == '\n') ++line_;
        ++p;
    }
    tokenStart_ = p;
    tokenLine_ = line_;
    floatType_ = 0;
    if (p >= size) {
        end_ = p;
        return token_ = TFormToken::EndOfText;
    }
    const char c = text_[p];
    if (IsLetter(c)) {
        ++p;
        while (p < size && (IsLetter(text_[p]) || IsDigit(text_[p])))
            ++p;
        token_ = TFormToken::Symbol;
    } else if (c == '\'' || c == '#') {
        end_ = p;
        ReadString();
        return token_;
    } else if (c == '-' || IsDigit(c)) {
        ++p;
        while (p < size && IsDigit(text_[p]))
            ++p;
        token_ = TFormToken::Integer;
        while (p < size && (IsDigit(text_[p]) || text_[p] == '.' || text_[p] == 'e' ||
                            text_[p] == 'E' || text_[p] == '+' || text_[p] == '-')) {
            ++p;
            token_ = TFormToken::Float;
        }
        if (p < size) {
            const char type = AsciiLower(text_[p]);
            if (type == 'c' || type == 'd' || type == 's') {
                floatType_ = text_[p++];
                token_ = TFormToken::Float;
            }
        }
    } else if (c == '$' && p + 1 < size && IsHexDigit(text_[p + 1])) {
        p += 2;
        while (p < size && IsHexDigit(text_[p]))
            ++p;
        token_ = TFormToken::Integer;
    } else {
        ++p;
        token_ = TFormToken::Char;
    }
    end_ = p;
    return token_;
}

// One pass finds the token's end and whether it is wide, the second builds its
// value in the one representation it needs.
void TFormTextParser::ReadString() {
    const std::size_t size = text_.size();
    bool wide = false;
    std::size_t p = end_;
    for (;;) {
        if (p < size && text_[p] == '\'') {
            ++p;
            for (;;) {
                if (p >= size || text_[p] == '\n' || text_[p] == '\r') Error(SInvalidString);
                if (text_[p] == '\'') {
                    if (p + 1 < size && text_[p + 1] == '\'') {
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                ++p;
            }
        } else if (p < size && text_[p] == '#') {
            ++p;
            if (p >= size || !IsDigit(text_[p])) Error(SInvalidString);
            unsigned code = 0;
            while (p < size && IsDigit(text_[p])) {
                code = code * 10 + static_cast<unsigned>(text_[p] - '0');
                if (code > 0xFFFF) Error(SInvalidString);
                ++p;
            }
            if (code >= 128) wide = true;
        } else {
            break;
        }
    }
    const std::size_t stop = p;
    bytes_.clear();
    wide_.clear();
    p = end_;
    while (p < stop) {
        if (text_[p] == '\'') {
            ++p;
            for (;;) {
                const char ch = text_[p++];
                if (ch == '\'') {
                    if (p >= stop || text_[p] != '\'') break;
                    ++p; // a doubled quote stands for one
                }
                if (wide)
                    wide_.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
                else
                    bytes_.push_back(ch);
            }
        } else { // "#" and digits, checked above
            unsigned code = 0;
            for (++p; p < stop && IsDigit(text_[p]); ++p)
                code = code * 10 + static_cast<unsigned>(text_[p] - '0');
            if (wide)
                wide_.push_back(static_cast<char16_t>(code));
            else
                bytes_.push_back(static_cast<char>(code));
        }
    }
    end_ = stop;
    token_ = wide ? TFormToken::WString : TFormToken::String;
}

std::string_view TFormTextParser::ReadDottedIdent() {
    const std::size_t size = text_.size();
    std::size_t p = end_;
    while (p < size && text_[p] == '.') {
        ++p;
        if (p >= size || !IsLetter(text_[p])) Error(SIdentifierExpected);
        while (p < size && (IsLetter(text_[p]) || IsDigit(text_[p])))
            ++p;
    }
    end_ = p;
    return TokenText();
}

void TFormStringValue::Clear() {
    bytes_.clear();
    wide_.clear();
    isWide_ = false;
}

void TFormStringValue::Append(const TFormTextParser& Parser) {
    const bool pieceWide = Parser.Token() == TFormToken::WString;
    if (!isWide_ && !pieceWide) {
        bytes_ += Parser.TokenBytes();
        return;
    }
    if (!isWide_) {
        wide_ = DecodeText(bytes_, ProcessCodePage());
        bytes_.clear();
        isWide_ = true;
    }
    if (pieceWide)
        wide_ += Parser.TokenWide();
    else
        wide_ += DecodeText(Parser.TokenBytes(), ProcessCodePage());
}

std::string TFormStringValue::Text() const {
    if (!isWide_) return bytes_;
    const int codePage = ProcessCodePage();
    try {
        return EncodeText(wide_, codePage);
    } catch (const EConvertError&) {
        // Only a value with a character the code page lacks comes here: take it
        // character by character, as the platform's own conversion would.
    }
    std::string text;
    for (std::size_t i = 0; i < wide_.size();) {
        std::size_t n = 1;
        if (U16_IS_LEAD(wide_[i]) && i + 1 < wide_.size() && U16_IS_TRAIL(wide_[i + 1])) n = 2;
        try {
            text += EncodeText(std::u16string_view(wide_).substr(i, n), codePage);
        } catch (const EConvertError&) {
            text += '?';
        }
        i += n;
    }
    return text;
}

} // namespace lex
