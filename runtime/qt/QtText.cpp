#include "runtime/qt/QtText.h"

#include "platform/CodePage.h"

namespace lex {

QString ToQString(std::string_view bytes, int codePage) {
    const std::u16string text = DecodeText(bytes, codePage);
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

QString ToQString(std::string_view bytes) {
    return ToQString(bytes, ProcessCodePage());
}

std::string FromQString(const QString& text, int codePage) {
    return EncodeText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<size_t>(text.size())),
                      codePage);
}

std::string FromQString(const QString& text) {
    return FromQString(text, ProcessCodePage());
}

} // namespace lex
