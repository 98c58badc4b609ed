#pragma once

#include "runtime/RecordListLexReader.h"
#include "runtime/RuntimeModules.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lex::test {

inline const std::vector<std::string> StandardFields = {"LexKey", "CodePage", "SeqNo",
                                                        "DisplayValue", "CatalogID"};

// Values that exercise every escape of every format: separators, quotes,
// percent, control bytes, Chinese bytes, the empty string and nulls.
inline std::vector<TLexRecord> AwkwardRecords() {
    using namespace std::string_literals;
    return {
        {"&File", "1252", "0", "Datei", std::nullopt},
        {"Open", "936", "0", "\xB4\xF2\xBF\xAA", "&File"},
        {"Open", "950", "0", "\xB6\x7D\xB1\xD2", "&File"},
        {"a,b", "1252", "1", "x\"y", "&File"},
        {"pct%", "1252", "0", "100%% %0 %c %n", ""},
        {"ctl", "1252", "0", "line1\r\nline2\0end\x01\x1F"s, std::nullopt},
        {"\"", "1252", "0", "\"\"", std::nullopt},
        {"quotes", "1252", "0", "\"", ""},
        {"empty", "1252", "0", "", ""},
        {"hash", "1252", "0", "#13#10 ##", std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"high", "1252", "0", "\x80\xFF\x7F", "x"},
    };
}

inline TRecordListLexReader AwkwardLexicon() {
    return TRecordListLexReader(StandardFields, AwkwardRecords());
}

// Every record of a reader, fields in order, nulls as nullopt.
inline std::vector<TLexRecord> ReadAll(ILexReader& reader) {
    std::vector<TLexRecord> records;
    for (reader.First(); !reader.Eof(); reader.Next()) {
        TLexRecord& record = records.emplace_back();
        for (int i = 0; i < reader.FieldCount(); ++i) {
            if (reader.IsNull(i))
                record.emplace_back(std::nullopt);
            else
                record.emplace_back(std::string(reader.FieldValue(i)));
        }
    }
    return records;
}

// The registries, alive for one test.
class RuntimeTest : public ::testing::Test {
protected:
    RuntimeModules modules;
};

} // namespace lex::test
