#include "interchange/TsFormat.h"

#include "interchange/XmlText.h"
#include "platform/Exceptions.h"

namespace lex {
namespace {

bool ReadByte(QXmlStreamReader& Reader, std::u16string& Text) {
    if (Reader.name() != u"byte") return false;
    const QString value = Reader.attributes().value(QLatin1String("value")).toString();
    const bool hex = value.startsWith(u'x');
    Text += ControlCharacter(QStringView(value).mid(hex ? 1 : 0).toString().toStdU16String(),
                             hex ? 16 : 10);
    Reader.skipCurrentElement();
    return true;
}

// The translation's text, or its numerus forms, or the first of its length
// variants.
std::vector<std::u16string> ReadTranslation(QXmlStreamReader& Reader) {
    std::vector<std::u16string> forms;
    bool variantRead = false;
    std::u16string text = ReadXmlText(Reader, [&](QXmlStreamReader& inner, std::u16string& out) {
        if (inner.name() == u"numerusform") {
            forms.push_back(ReadXmlText(inner, ReadByte, 1));
            return true;
        }
        if (inner.name() == u"lengthvariant") {
            if (variantRead) return false;
            variantRead = true;
            out += ReadXmlText(inner, ReadByte, 1);
            return true;
        }
        return ReadByte(inner, out);
    });
    if (forms.empty()) forms.push_back(std::move(text));
    return forms;
}

void ReadMessage(QXmlStreamReader& Reader, const std::u16string& Context,
                 TTranslationCatalog& Catalog) {
    TTranslationUnit unit;
    unit.Line = static_cast<int>(Reader.lineNumber());
    unit.ParentKey = Context;
    bool obsolete = false;
    while (Reader.readNextStartElement()) {
        if (Reader.name() == u"source") {
            unit.Key = ReadXmlText(Reader, ReadByte);
        } else if (Reader.name() == u"translation") {
            const auto type = Reader.attributes().value(QLatin1String("type"));
            obsolete = type == u"obsolete" || type == u"vanished";
            unit.Values = ReadTranslation(Reader);
        } else {
            Reader.skipCurrentElement();
        }
    }
    if (!obsolete) Catalog.Units.push_back(std::move(unit));
}

void ReadContext(QXmlStreamReader& Reader, TTranslationCatalog& Catalog) {
    std::u16string name;
    while (Reader.readNextStartElement()) {
        if (Reader.name() == u"name")
            name = ReadXmlText(Reader, ReadByte);
        else if (Reader.name() == u"message")
            ReadMessage(Reader, name, Catalog);
        else
            Reader.skipCurrentElement();
    }
}

void WriteByte(QXmlStreamWriter& Writer, char16_t c) {
    Writer.writeEmptyElement(QStringLiteral("byte"));
    Writer.writeAttribute(QStringLiteral("value"), QStringLiteral("x%1").arg(int(c), 0, 16));
}

void WriteText(QXmlStreamWriter& Writer, const QString& Element, const std::u16string& Text) {
    Writer.writeStartElement(Element);
    WriteXmlText(Writer, Text, [&Writer](char16_t c) { WriteByte(Writer, c); });
    Writer.writeEndElement();
}

} // namespace

TTranslationCatalog ReadTs(std::string_view Bytes) {
    QXmlStreamReader reader(QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    TTranslationCatalog catalog;
    if (!reader.readNextStartElement() || reader.name() != u"TS") {
        ThrowIfXmlError(reader);
        ThrowXmlError(reader, "not a TS file");
    }
    catalog.Language =
        reader.attributes().value(QLatin1String("language")).toString().toStdString();
    catalog.SourceLanguage =
        reader.attributes().value(QLatin1String("sourcelanguage")).toString().toStdString();
    while (reader.readNextStartElement()) {
        if (reader.name() == u"context")
            ReadContext(reader, catalog);
        else
            reader.skipCurrentElement();
    }
    ThrowIfXmlError(reader);
    return catalog;
}

std::string WriteTs(const TTranslationCatalog& Catalog) {
    return WriteXmlDocument([&](QXmlStreamWriter& writer) {
        writer.writeDTD(QStringLiteral("\n<!DOCTYPE TS>"));
        writer.writeCharacters(QStringLiteral("\n"));
        writer.writeStartElement(QStringLiteral("TS"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("2.1"));
        if (!Catalog.Language.empty())
            writer.writeAttribute(QStringLiteral("language"),
                                  QString::fromStdString(Catalog.Language));
        if (!Catalog.SourceLanguage.empty())
            writer.writeAttribute(QStringLiteral("sourcelanguage"),
                                  QString::fromStdString(Catalog.SourceLanguage));
        // A context per run of keys under one parent keeps the keys in order.
        const std::u16string* context = nullptr;
        for (const TTranslationUnit& unit : Catalog.Units) {
            if (!context || *context != unit.ParentKey) {
                if (context) writer.writeCharacters(QStringLiteral("\n"));
                if (context) writer.writeEndElement();
                for (const char16_t c : unit.ParentKey)
                    if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                        throw EConvertError("\"" +
                                            QString::fromStdU16String(unit.Key).toStdString() +
                                            "\": a TS context cannot hold the control characters "
                                            "of its parent key");
                context = &unit.ParentKey;
                writer.writeCharacters(QStringLiteral("\n"));
                writer.writeStartElement(QStringLiteral("context"));
                writer.writeCharacters(QStringLiteral("\n    "));
                WriteText(writer, QStringLiteral("name"), unit.ParentKey);
            }
            writer.writeCharacters(QStringLiteral("\n    "));
            writer.writeStartElement(QStringLiteral("message"));
            writer.writeCharacters(QStringLiteral("\n        "));
            WriteText(writer, QStringLiteral("source"), unit.Key);
            writer.writeCharacters(QStringLiteral("\n        "));
            // An export carries one value per key.
            const std::u16string value = unit.Values.empty() ? u"" : unit.Values[0];
            writer.writeStartElement(QStringLiteral("translation"));
            if (value.empty())
                writer.writeAttribute(QStringLiteral("type"), QStringLiteral("unfinished"));
            WriteXmlText(writer, value, [&writer](char16_t c) { WriteByte(writer, c); });
            writer.writeEndElement();
            writer.writeCharacters(QStringLiteral("\n    "));
            writer.writeEndElement();
        }
        if (context) {
            writer.writeCharacters(QStringLiteral("\n"));
            writer.writeEndElement();
        }
        writer.writeCharacters(QStringLiteral("\n"));
        writer.writeEndElement();
        writer.writeCharacters(QStringLiteral("\n"));
    });
}

} // namespace lex
