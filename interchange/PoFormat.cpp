#include "interchange/PoFormat.h"

#include "interchange/MemoryFile.h"
#include "platform/Exceptions.h"

#include <QString>
#include <QStringDecoder>
#include <cctype>
#include <gettext-po.h>
#include <memory>
#include <unordered_map>

// The library keeps the partial catalogue of a file with syntax errors when
// it returns; that is its leak, not ours, so the sanitizers' leak checker is
// told to look away from it.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEX_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(LEX_ASAN)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgettextpo\n";
}
#endif

namespace lex {
namespace {

constexpr std::string_view ParentPrefix = "parent key: \"";

// The library reports through plain functions without a context pointer;
// one read runs at a time on a thread, so the thread holds the collector.
struct PoErrors {
    std::string message;
    size_t line = 0;
};
thread_local PoErrors* currentErrors = nullptr;

void Record(int severity, size_t line, const char* text) {
    if (severity == PO_SEVERITY_WARNING || !currentErrors) return;
    if (currentErrors->message.empty()) {
        currentErrors->message = text ? text : "syntax error";
        while (!currentErrors->message.empty() && currentErrors->message.back() == '\n')
            currentErrors->message.pop_back();
        currentErrors->line = line == static_cast<size_t>(-1) ? 0 : line;
    }
    // A fatal error must not return to the library.
    if (severity == PO_SEVERITY_FATAL_ERROR)
        throw EParserError(FormatText(
            SParserError, {currentErrors->message, std::to_string(currentErrors->line)}));
}

void XError(int severity, po_message_t, const char*, size_t line, size_t, int, const char* text) {
    Record(severity, line, text);
}

void XError2(int severity, po_message_t, const char*, size_t line, size_t, int, const char* text,
             po_message_t, const char*, size_t, size_t, int, const char*) {
    Record(severity, line, text);
}

const po_xerror_handler Handler = {XError, XError2};

struct PoFileCloser {
    void operator()(po_file_t file) const { po_file_free(file); }
};
using PoFile = std::unique_ptr<std::remove_pointer_t<po_file_t>, PoFileCloser>;

struct IteratorCloser {
    void operator()(po_message_iterator_t iterator) const { po_message_iterator_free(iterator); }
};
using PoIterator = std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, IteratorCloser>;

struct FreeDeleter {
    void operator()(char* text) const { free(text); }
};

[[noreturn]] void ThrowAtLine(const std::string& Message, int Line) {
    throw EParserError(FormatText(SParserError, {Message, std::to_string(Line)}));
}

// The line of every message's msgid in file order, obsolete ones included,
// as the library delivers the messages; it does not tell them itself.
std::vector<int> MessageLines(std::string_view Bytes) {
    std::vector<int> lines;
    int line = 1;
    for (size_t start = 0; start < Bytes.size(); ++line) {
        const size_t end = std::min(Bytes.find('\n', start), Bytes.size());
        std::string_view text = Bytes.substr(start, end - start);
        start = end + 1;
        const auto skipBlanks = [&text] {
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
                text.remove_prefix(1);
        };
        skipBlanks();
        if (text.starts_with("#~")) {
            text.remove_prefix(2);
            skipBlanks();
        }
        if (text.starts_with("msgid") && text.size() > 5 && (text[5] == ' ' || text[5] == '\t'))
            lines.push_back(line);
    }
    return lines;
}

// "charset=X" of the header's Content-Type; empty when none.
std::string HeaderCharset(const char* Header) {
    if (!Header) return {};
    std::unique_ptr<char, FreeDeleter> type(po_header_field(Header, "Content-Type"));
    if (!type) return {};
    const std::string text(type.get());
    const size_t at = text.find("charset=");
    if (at == std::string::npos) return {};
    const size_t begin = at + 8;
    size_t end = begin;
    while (end < text.size() && text[end] != ';' && text[end] != ' ')
        ++end;
    return text.substr(begin, end - begin);
}

// A locale name as a header holds it: letters, digits and "_-.@" alone, so
// that no value can break the header it goes into.
std::string LocaleText(std::string_view Text) {
    std::string name;
    for (const char c : Text)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
            c == '@')
            name += c;
    return name;
}

std::string HeaderField(const char* Header, const char* Field) {
    if (!Header) return {};
    std::unique_ptr<char, FreeDeleter> value(po_header_field(Header, Field));
    return value ? std::string(value.get()) : std::string();
}

class TextDecoder {
public:
    explicit TextDecoder(const std::string& Charset) {
        // "CHARSET" is the placeholder of an untouched template.
        const bool utf8 = Charset.empty() || Charset == "CHARSET";
        decoder_ = QStringDecoder(utf8 ? "UTF-8" : Charset.c_str());
        if (!decoder_.isValid()) ThrowAtLine("unknown charset \"" + Charset + "\"", 1);
    }
    std::u16string operator()(const char* Text, int Line) {
        if (!Text) return {};
        decoder_.resetState();
        const QString text = decoder_.decode(QByteArrayView(Text));
        if (decoder_.hasError()) ThrowAtLine("text not valid in the file's charset", Line);
        return text.toStdU16String();
    }

private:
    QStringDecoder decoder_;
};

// 'parent key: "..."' with the escapes of PO strings, so any key fits one line.
int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::u16string ParentKeyOf(const std::u16string& Comments) {
    const std::u16string prefix(ParentPrefix.begin(), ParentPrefix.end());
    size_t at = 0;
    while (Comments.compare(at, prefix.size(), prefix) != 0) {
        at = Comments.find(u'\n', at);
        if (at == std::u16string::npos) return {};
        ++at;
    }
    std::u16string key;
    for (size_t i = at + prefix.size(); i < Comments.size() && Comments[i] != u'"'; ++i) {
        if (Comments[i] != u'\\' || i + 1 == Comments.size()) {
            key += Comments[i];
            continue;
        }
        const char16_t escaped = Comments[++i];
        const int high = i + 2 < Comments.size() ? HexDigit(Comments[i + 1]) : -1;
        const int low = i + 2 < Comments.size() ? HexDigit(Comments[i + 2]) : -1;
        if (escaped == u'n') {
            key += u'\n';
        } else if (escaped == u'r') {
            key += u'\r';
        } else if (escaped == u't') {
            key += u'\t';
        } else if (escaped == u'x' && high >= 0 && low >= 0) {
            key += static_cast<char16_t>(high * 16 + low);
            i += 2;
        } else {
            key += escaped;
        }
    }
    return key;
}

std::string EscapeParentKey(const std::u16string& Key) {
    static const char hex[] = "0123456789abcdef";
    std::u16string text;
    for (const char16_t c : Key) {
        if (c == u'\\' || c == u'"') {
            text += u'\\';
            text += c;
        } else if (c == u'\n') {
            text += u"\\n";
        } else if (c == u'\r') {
            text += u"\\r";
        } else if (c == u'\t') {
            text += u"\\t";
        } else if (c < 0x20) {
            text += u"\\x";
            text += static_cast<char16_t>(hex[c >> 4]);
            text += static_cast<char16_t>(hex[c & 0xF]);
        } else {
            text += c;
        }
    }
    return std::string(ParentPrefix) + QString::fromStdU16String(text).toStdString() + '"';
}

// UTF-8 for the library, which takes C strings: a NUL would cut the text.
std::string Utf8(const std::u16string& Text, const std::u16string& Key) {
    if (Text.find(u'\0') != std::u16string::npos)
        throw EConvertError("\"" + QString::fromStdU16String(Key).toStdString() +
                            "\": a PO file cannot hold a NUL character");
    return QString::fromStdU16String(Text).toStdString();
}

} // namespace

TTranslationCatalog ReadPo(std::string_view Bytes) {
    const TMemoryFile file(Bytes);
    PoErrors errors;
    currentErrors = &errors;
    PoFile po;
    try {
        po.reset(po_file_read(file.Path().c_str(), &Handler));
    } catch (...) {
        currentErrors = nullptr;
        throw;
    }
    currentErrors = nullptr;
    if (!errors.message.empty()) ThrowAtLine(errors.message, static_cast<int>(errors.line));
    if (!po) throw EReadError("Cannot read the PO file");

    const std::vector<int> lines = MessageLines(Bytes);
    TTranslationCatalog catalog;
    size_t index = 0;
    for (const char* const* domain = po_file_domains(po.get()); *domain; ++domain) {
        const char* header = po_file_domain_header(po.get(), *domain);
        TextDecoder decode(HeaderCharset(header));
        if (catalog.Language.empty())
            catalog.Language = LocaleText(HeaderField(header, "Language"));
        const PoIterator messages(po_message_iterator(po.get(), *domain));
        while (const po_message_t message = po_next_message(messages.get())) {
            const int line = index < lines.size() ? lines[index] : 0;
            ++index;
            const char* msgid = po_message_msgid(message);
            if (po_message_is_obsolete(message)) continue;
            if (*msgid == '\0' && !po_message_msgctxt(message)) continue; // the header
            TTranslationUnit& unit = catalog.Units.emplace_back();
            unit.Line = line;
            unit.Key = decode(msgid, line);
            if (po_message_msgid_plural(message)) {
                for (int form = 0; const char* text = po_message_msgstr_plural(message, form);
                     ++form)
                    unit.Values.push_back(decode(text, line));
            } else {
                unit.Values.push_back(decode(po_message_msgstr(message), line));
            }
            unit.ParentKey = ParentKeyOf(decode(po_message_extracted_comments(message), line));
        }
    }
    return catalog;
}

std::string WritePo(const TTranslationCatalog& Catalog) {
    const PoFile po(po_file_create());
    {
        const PoIterator messages(po_message_iterator(po.get(), nullptr));
        const po_message_t header = po_message_create();
        po_message_set_msgid(header, "");
        const std::string headerText = "Project-Id-Version: \n"
                                       "PO-Revision-Date: \n"
                                       "Last-Translator: \n"
                                       "Language-Team: \n"
                                       "Language: " +
                                       LocaleText(Catalog.Language) +
                                       "\n"
                                       "MIME-Version: 1.0\n"
                                       "Content-Type: text/plain; charset=UTF-8\n"
                                       "Content-Transfer-Encoding: 8bit\n"
                                       "X-Generator: Lex Manager\n";
        po_message_set_msgstr(header, headerText.c_str());
        po_message_insert(messages.get(), header);

        // gettext tells entries apart by msgid alone, and the empty one is
        // the header's; a context keeps such keys apart.
        std::unordered_map<std::string, int> seen;
        for (const TTranslationUnit& unit : Catalog.Units) {
            const std::string key = Utf8(unit.Key, unit.Key);
            const po_message_t message = po_message_create();
            const int occurrence = ++seen[key];
            if (key.empty() || occurrence > 1)
                po_message_set_msgctxt(message, std::to_string(occurrence).c_str());
            po_message_set_msgid(message, key.c_str());
            // An export carries one value per key.
            const std::string value = unit.Values.empty() ? "" : Utf8(unit.Values[0], unit.Key);
            po_message_set_msgstr(message, value.c_str());
            if (!unit.ParentKey.empty())
                po_message_set_extracted_comments(message, EscapeParentKey(unit.ParentKey).c_str());
            po_message_insert(messages.get(), message);
        }
    }
    const TMemoryFile file;
    PoErrors errors;
    currentErrors = &errors;
    try {
        po_file_write(po.get(), file.Path().c_str(), &Handler);
    } catch (...) {
        currentErrors = nullptr;
        throw;
    }
    currentErrors = nullptr;
    if (!errors.message.empty()) throw EWriteError("Cannot write the PO file: " + errors.message);
    return file.Contents();
}

} // namespace lex
