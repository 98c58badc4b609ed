#include "database/DBText.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace lex {
namespace {

std::u16string_view Utf16(const QString& Text) {
    return {reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<size_t>(Text.size())};
}

} // namespace

QString DatabaseText(std::string_view Bytes, int CodePage) {
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
    return EncodeText(Utf16(Text), CodePage);
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
