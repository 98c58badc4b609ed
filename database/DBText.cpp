#include "database/DBText.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <algorithm>
#include <unordered_map>

namespace lex {
namespace {

std::u16string_view Utf16(const QString& Text) {
    return {reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<size_t>(Text.size())};
}

bool Printable(unsigned Char) {
    return Char >= 0x20 && Char < 0x7F;
}

// Whether printable ASCII is its own bytes in the code page, both ways: most
// text of a lexicon then crosses without the converter. Asked once a code page.
bool AsciiCodePage(int CodePage) {
    static std::unordered_map<int, bool> known;
    auto it = known.find(CodePage);
    if (it == known.end()) {
        bool ascii = false;
        try {
            ascii = CodePageBytes(CodePage).Ascii;
        } catch (const EConvertError&) {
        }
        it = known.emplace(CodePage, ascii).first;
    }
    return it->second;
}

} // namespace

QString DatabaseText(std::string_view Bytes, int CodePage) {
    if (std::all_of(Bytes.begin(), Bytes.end(),
                    [](char C) { return Printable(static_cast<unsigned char>(C)); }) &&
        AsciiCodePage(CodePage))
        return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    const std::u16string text = DecodeText(Bytes, CodePage);
    // Decoding never fails; bytes the code page does not define show up as a
    // text that does not encode back to them.
    bool same = false;
    try {
        same = EncodeText(text, CodePage) == Bytes;
    } catch (const EConvertError&) {
    }
    if (!same)
        throw EConvertError("The text is not valid in code page " + std::to_string(CodePage));
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

std::string LexiconText(const QString& Text, int CodePage) {
    std::string bytes;
    LexiconTextTo(Text, CodePage, bytes);
    return bytes;
}

void LexiconTextTo(const QString& Text, int CodePage, std::string& Bytes) {
    if (std::all_of(Text.begin(), Text.end(), [](QChar C) { return Printable(C.unicode()); }) &&
        AsciiCodePage(CodePage)) {
        Bytes.resize(static_cast<size_t>(Text.size()));
        std::transform(Text.begin(), Text.end(), Bytes.begin(),
                       [](QChar C) { return static_cast<char>(C.unicode()); });
    } else {
        Bytes = EncodeText(Utf16(Text), CodePage);
    }
}

void Utf8LexiconTextTo(std::string_view Utf8, int CodePage, std::string& Bytes) {
    if (std::all_of(Utf8.begin(), Utf8.end(),
                    [](char C) { return Printable(static_cast<unsigned char>(C)); }) &&
        AsciiCodePage(CodePage))
        Bytes = Utf8;
    else
        LexiconTextTo(QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Utf8.size())), CodePage,
                      Bytes);
}

std::string MessageText(const QString& Text) {
    const int codePage = ProcessCodePage();
    try {
        return LexiconText(Text, codePage);
    } catch (const EConvertError&) {
    }
    std::string result;
    for (const QChar c : Text) {
        try {
            result += LexiconText(QString(c), codePage);
        } catch (const EConvertError&) {
            result += '?';
        }
    }
    return result;
}

} // namespace lex
