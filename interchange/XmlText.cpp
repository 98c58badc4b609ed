#include "interchange/XmlText.h"

#include "platform/Exceptions.h"

#include <QBuffer>

namespace lex {
namespace {

constexpr int MaxInlineDepth = 64;

bool IsXmlControl(char16_t c) {
    return c < 0x20 && c != u'\t' && c != u'\n';
}

} // namespace

void WriteXmlText(QXmlStreamWriter& Writer, std::u16string_view Text,
                  const std::function<void(char16_t)>& WriteControl) {
    size_t run = 0;
    for (size_t i = 0; i <= Text.size(); ++i) {
        if (i < Text.size() && !IsXmlControl(Text[i])) continue;
        if (i > run)
            Writer.writeCharacters(
                QString::fromUtf16(Text.data() + run, static_cast<qsizetype>(i - run)));
        run = i + 1;
        if (i == Text.size()) break;
        if (Text[i] == u'\r')
            Writer.writeEntityReference(QStringLiteral("#xd"));
        else
            WriteControl(Text[i]);
    }
}

std::u16string ReadXmlText(QXmlStreamReader& Reader, const TInlineElementReader& ReadInline,
                           int Depth) {
    if (Depth > MaxInlineDepth) ThrowXmlError(Reader, "inline elements nested too deeply");
    std::u16string text;
    while (!Reader.atEnd()) {
        switch (Reader.readNext()) {
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            text += Reader.text().toString().toStdU16String();
            break;
        case QXmlStreamReader::StartElement:
            if (!ReadInline(Reader, text)) Reader.skipCurrentElement();
            break;
        case QXmlStreamReader::EndElement:
            return text;
        default:
            break;
        }
    }
    ThrowIfXmlError(Reader);
    return text;
}

std::u16string ControlCharacter(std::u16string_view Number, int Base) {
    bool ok = false;
    const uint value =
        QString::fromUtf16(Number.data(), static_cast<qsizetype>(Number.size())).toUInt(&ok, Base);
    if (!ok || value >= 0x20) return {};
    return std::u16string(1, static_cast<char16_t>(value));
}

void ThrowIfXmlError(const QXmlStreamReader& Reader) {
    if (Reader.hasError()) ThrowXmlError(Reader, Reader.errorString().toStdString());
}

void ThrowXmlError(const QXmlStreamReader& Reader, const std::string& Message) {
    throw EParserError(FormatText(SParserError, {Message, std::to_string(Reader.lineNumber())}));
}

std::string WriteXmlDocument(const std::function<void(QXmlStreamWriter&)>& Write) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter writer(&buffer);
    writer.writeStartDocument();
    Write(writer);
    writer.writeEndDocument();
    // A buffer cannot fail to take bytes: the writer's only error is a text
    // UTF-8 cannot encode, a lone surrogate read from a damaged file.
    if (writer.hasError())
        throw EConvertError("A text holds a lone UTF-16 surrogate, which XML cannot carry");
    return bytes.toStdString();
}

} // namespace lex
