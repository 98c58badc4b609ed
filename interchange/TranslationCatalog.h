#pragma once

#include <string>
#include <vector>

namespace lex {

// One entry of a translator's file, in Unicode: the key (the source text),
// its translations and the key of its parent in the lexicon's tree.
struct TTranslationUnit {
    std::u16string Key;
    // The translation, or its plural forms in order; an empty text is no
    // translation.
    std::vector<std::u16string> Values;
    std::u16string ParentKey;
    int Line = 0; // where the entry starts in its file, for reports; 0 unknown
};

// What every format reads and writes: one language of a lexicon. Obsolete
// entries are never part of it.
struct TTranslationCatalog {
    std::string SourceLanguage; // locale names such as "zh_CN"; empty when unknown
    std::string Language;
    std::vector<TTranslationUnit> Units;
};

} // namespace lex
