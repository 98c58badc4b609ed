#pragma once

#include "runtime/RecordListLexReader.h"
#include "runtime/qt/LumoMultiClassMethod.h"
#include "runtime/qt/QtRuntimeModules.h"
#include "support/TestSupport.h"

#include <QString>
#include <cstdlib>
#include <string>
#include <vector>

namespace lex::test {

// The texts are Western bytes; fix the process's code page before anything
// reads it.
inline const bool ForcedWesternCodePage = setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0;

// A dictionary for code page 1252, sequence 0, that turns each key K into
// "<K>" and "<K>" into "<<K>>", so a text translated twice shows it. It
// records every key it is asked, in order.
class TBracketLex : public TCustomMultiLex {
public:
    TBracketLex(std::vector<std::string> Keys, TComponent* Owner) : TCustomMultiLex(Owner) {
        for (const std::string& key : Keys) {
            records_.push_back({key, "1252", "0", "<" + key + ">", std::nullopt});
            records_.push_back({"<" + key + ">", "1252", "0", "<<" + key + ">>", std::nullopt});
        }
    }
    std::string Translate(std::string_view Key, std::string_view CodePage,
                          std::string_view SeqNo) override {
        Asked.emplace_back(Key);
        return TCustomMultiLex::Translate(Key, CodePage, SeqNo);
    }
    std::vector<std::string> Asked;

protected:
    void DoBuildLex() override {
        TRecordListLexReader reader(StandardFields, records_);
        BuildFromReader(reader);
    }

private:
    std::vector<TLexRecord> records_;
};

// The run-time registries and the handler registry, alive for one test.
class TranslationTest : public ::testing::Test {
protected:
    TBracketLex& NewLex(std::vector<std::string> Keys) {
        return *new TBracketLex(std::move(Keys), &owner);
    }
    QtRuntimeModules modules;
    TComponent owner;
};

} // namespace lex::test
