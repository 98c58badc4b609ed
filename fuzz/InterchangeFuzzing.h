#pragma once

#include "interchange/TranslationCatalog.h"
#include "platform/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads a translator's file; whatever reads without error must write and
// read back as the same entries. Reporting malformed input as an Exception
// is fine; a crash, a hang or a read outside the input is what the fuzzer
// hunts.
inline int FuzzCatalog(lex::TTranslationCatalog (*Read)(std::string_view),
                       std::string (*Write)(const lex::TTranslationCatalog&), const uint8_t* data,
                       size_t size) {
    lex::TTranslationCatalog catalog;
    try {
        catalog = Read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const lex::Exception&) {
        return 0;
    }
    std::string written;
    try {
        written = Write(catalog);
    } catch (const lex::EConvertError&) {
        return 0; // a text the format cannot carry, refused by name
    }
    const lex::TTranslationCatalog again = Read(written);
    if (again.Units.size() != catalog.Units.size()) __builtin_trap();
    for (size_t i = 0; i < catalog.Units.size(); ++i) {
        const auto& a = catalog.Units[i];
        const auto& b = again.Units[i];
        const std::u16string valueA = a.Values.empty() ? u"" : a.Values[0];
        const std::u16string valueB = b.Values.empty() ? u"" : b.Values[0];
        if (a.Key != b.Key || valueA != valueB || a.ParentKey != b.ParentKey) __builtin_trap();
    }
    return 0;
}
