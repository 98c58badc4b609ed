#include "interchange/XliffFormat.h"

#include "interchange/XmlText.h"
#include "platform/Exceptions.h"

namespace lex {
namespace {

constexpr std::u16string_view ParentContext = u"x-parent-key";
constexpr std::u16string_view ControlType = u"x-ch-0x";

bool ReadInline(QXmlStreamReader& Reader, std::u16string& Text, int Depth) {
    const auto name = Reader.name();
    if (name == u"g" || name == u"mrk") {
        Text += ReadXmlText(
            Reader,
            [Depth](QXmlStreamReader& inner, std::u16string& out) {
                return ReadInline(inner, out, Depth + 1);
            },
            Depth + 1);
        return true;
    }
    const QString type = Reader.attributes().value(QLatin1String("ctype")).toString();
    if (name != u"ph" || !type.startsWith(QStringView(ControlType))) return false;
    Text +=
        ControlCharacter(QStringView(type).mid(ControlType.size()).toString().toStdU16String(), 16);
    Reader.skipCurrentElement();
    return true;
}

std::u16string ReadInlineText(QXmlStreamReader& Reader) {
    return ReadXmlText(Reader, [](QXmlStreamReader& inner, std::u16string& out) {
        return ReadInline(inner, out, 1);
    });
}

void ReadUnit(QXmlStreamReader& Reader, TTranslationCatalog& Catalog) {
    TTranslationUnit& unit = Catalog.Units.emplace_back();
    unit.Line = static_cast<int>(Reader.lineNumber());
    while (Reader.readNextStartElement()) {
        const auto name = Reader.name();
        if (name == u"source") {
            unit.Key = ReadInlineText(Reader);
        } else if (name == u"target") {
            unit.Values = {ReadInlineText(Reader)};
        } else if (name == u"context-group") {
            while (Reader.readNextStartElement()) {
                if (Reader.name() == u"context" &&
                    Reader.attributes().value(QLatin1String("context-type")) == ParentContext)
                    unit.ParentKey = Reader.readElementText().toStdU16String();
                else
                    Reader.skipCurrentElement();
            }
        } else {
            Reader.skipCurrentElement(); // alternatives, notes, segmented source
        }
    }
}

// xml:lang takes BCP 47 names: "zh-CN" for the locale name "zh_CN".
QString LanguageTag(const std::string& Locale) {
    return QString::fromStdString(Locale).replace(u'_', u'-');
}

std::string LocaleName(QStringView Tag) {
    return Tag.toString().replace(u'-', u'_').toStdString();
}

void CheckContextText(const TTranslationUnit& Unit) {
    for (const char16_t c : Unit.ParentKey)
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            throw EConvertError("\"" + QString::fromStdU16String(Unit.Key).toStdString() +
                                "\": an XLIFF context cannot hold the control characters of its "
                                "parent key");
}

} // namespace

TTranslationCatalog ReadXliff(std::string_view Bytes) {
    QXmlStreamReader reader(QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    TTranslationCatalog catalog;
    if (!reader.readNextStartElement() || reader.name() != u"xliff") {
        ThrowIfXmlError(reader);
        ThrowXmlError(reader, "not an XLIFF file");
    }
    // Files, bodies and groups nest the units; only the units matter.
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const auto name = reader.name();
        if (name == u"trans-unit") {
            ReadUnit(reader, catalog);
        } else if (name == u"file") {
            if (catalog.Language.empty())
                catalog.Language =
                    LocaleName(reader.attributes().value(QLatin1String("target-language")));
            if (catalog.SourceLanguage.empty())
                catalog.SourceLanguage =
                    LocaleName(reader.attributes().value(QLatin1String("source-language")));
        } else if (name == u"header" || name == u"bin-unit") {
            reader.skipCurrentElement();
        }
    }
    ThrowIfXmlError(reader);
    return catalog;
}

std::string WriteXliff(const TTranslationCatalog& Catalog) {
    const auto writeControl = [](QXmlStreamWriter& writer, char16_t c) {
        writer.writeEmptyElement(QStringLiteral("ph"));
        writer.writeAttribute(QStringLiteral("id"), QStringLiteral("c%1").arg(int(c)));
        writer.writeAttribute(QStringLiteral("ctype"),
                              QString::fromUtf16(ControlType.data(), ControlType.size()) +
                                  QString::number(int(c), 16));
    };
    return WriteXmlDocument([&](QXmlStreamWriter& writer) {
        writer.writeCharacters(QStringLiteral("\n"));
        writer.writeStartElement(QStringLiteral("xliff"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1.2"));
        writer.writeDefaultNamespace(QStringLiteral("urn:oasis:names:tc:xliff:document:1.2"));
        writer.writeCharacters(QStringLiteral("\n  "));
        writer.writeStartElement(QStringLiteral("file"));
        writer.writeAttribute(QStringLiteral("original"), QStringLiteral("lexicon"));
        writer.writeAttribute(QStringLiteral("datatype"), QStringLiteral("plaintext"));
        writer.writeAttribute(QStringLiteral("source-language"),
                              Catalog.SourceLanguage.empty() ? QStringLiteral("und")
                                                             : LanguageTag(Catalog.SourceLanguage));
        if (!Catalog.Language.empty())
            writer.writeAttribute(QStringLiteral("target-language"), LanguageTag(Catalog.Language));
        writer.writeCharacters(QStringLiteral("\n    "));
        writer.writeStartElement(QStringLiteral("body"));
        int id = 0;
        for (const TTranslationUnit& unit : Catalog.Units) {
            CheckContextText(unit);
            // An attribute holds no control character; the key is whole in <source>.
            std::u16string resname;
            for (const char16_t c : unit.Key)
                if (c >= 0x20) resname += c;
            writer.writeCharacters(QStringLiteral("\n      "));
            writer.writeStartElement(QStringLiteral("trans-unit"));
            writer.writeAttribute(QStringLiteral("id"), QString::number(++id));
            writer.writeAttribute(QStringLiteral("resname"), QString::fromStdU16String(resname));
            writer.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            writer.writeCharacters(QStringLiteral("\n        "));
            writer.writeStartElement(QStringLiteral("source"));
            WriteXmlText(writer, unit.Key, [&](char16_t c) { writeControl(writer, c); });
            writer.writeEndElement();
            // An export carries one value per key.
            const std::u16string value = unit.Values.empty() ? u"" : unit.Values[0];
            writer.writeCharacters(QStringLiteral("\n        "));
            writer.writeStartElement(QStringLiteral("target"));
            writer.writeAttribute(QStringLiteral("state"), value.empty()
                                                               ? QStringLiteral("needs-translation")
                                                               : QStringLiteral("translated"));
            WriteXmlText(writer, value, [&](char16_t c) { writeControl(writer, c); });
            writer.writeEndElement();
            if (!unit.ParentKey.empty()) {
                writer.writeCharacters(QStringLiteral("\n        "));
                writer.writeStartElement(QStringLiteral("context-group"));
                writer.writeAttribute(QStringLiteral("purpose"), QStringLiteral("information"));
                writer.writeStartElement(QStringLiteral("context"));
                writer.writeAttribute(
                    QStringLiteral("context-type"),
                    QString::fromUtf16(ParentContext.data(), ParentContext.size()));
                WriteXmlText(writer, unit.ParentKey, [](char16_t) {});
                writer.writeEndElement();
                writer.writeEndElement();
            }
            writer.writeCharacters(QStringLiteral("\n      "));
            writer.writeEndElement();
        }
        writer.writeCharacters(QStringLiteral("\n    "));
        writer.writeEndElement();
        writer.writeCharacters(QStringLiteral("\n  "));
        writer.writeEndElement();
        writer.writeCharacters(QStringLiteral("\n"));
        writer.writeEndElement();
        writer.writeCharacters(QStringLiteral("\n"));
    });
}

} // namespace lex
