#pragma once

// What the programs that measure work on a lexicon document share: a lexicon
// made from records, the document loaded from it, and loading it as the
// baseline their ratios divide by.
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "platform/CodePageCatalog.h"
#include "platform/Streams.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/RecordListLexReader.h"
#include "runtime/RuntimeModules.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lexbench {

// The records as a binary lexicon file.
inline std::string BinaryLexicon(std::vector<lex::TLexRecord> Records) {
    lex::TRecordListLexReader reader({"LexKey", "CodePage", "SeqNo", "DisplayValue", "CatalogID"},
                                     std::move(Records));
    std::string bytes;
    lex::StringOutputStream stream(bytes);
    lex::WriteBinaryLex(reader, stream);
    return bytes;
}

struct DocumentFixture {
    lex::RuntimeModules Modules;
    std::string Lexicon;
    lex::TLexDocument Document;

    explicit DocumentFixture(std::string LexiconBytes) : Lexicon(std::move(LexiconBytes)) {
        lex::InitializeCodePageList();
        lex::TBinaryStreamLexReader reader(Lexicon);
        LoadFromReader(Document, reader, {});
    }
    ~DocumentFixture() { lex::FinalizeCodePageList(); }
};

// Loading Lexicon into a new document; its destruction is not timed.
inline void LoadDocument(benchmark::State& State, const std::string& Lexicon) {
    for (auto _ : State) {
        auto document = std::make_unique<lex::TLexDocument>();
        lex::TBinaryStreamLexReader reader(Lexicon);
        LoadFromReader(*document, reader, {});
        State.PauseTiming();
        document.reset();
        State.ResumeTiming();
    }
}

} // namespace lexbench
