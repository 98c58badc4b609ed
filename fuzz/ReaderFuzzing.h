#pragma once

#include "platform/Exceptions.h"
#include "runtime/LumoMultiLexReader.h"
#include "runtime/TextLexCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads every record twice (First rewinds) through the operations consumers
// use. Reporting malformed input as an Exception is fine; anything else (a
// crash, a read outside the buffer, a hang) is what the fuzzer hunts.
template <typename Reader>
int FuzzReader(const uint8_t* data, size_t size) {
    try {
        Reader reader(std::string(reinterpret_cast<const char*>(data), size));
        if (!reader.Eof()) reader.FieldValueByName("lexkey");
        // What consumers reserve from must follow the data, not the header.
        if (static_cast<size_t>(reader.ReservableRecordCount()) > size) __builtin_trap();
        for (int pass = 0; pass < 2; ++pass) {
            size_t bytes = 0;
            for (reader.First(); !reader.Eof(); reader.Next()) {
                for (int i = 0; i < reader.FieldCount(); ++i) {
                    bytes += reader.FieldValue(i).size();
                    if (reader.IsNull(i) && !reader.FieldValue(i).empty())
                        __builtin_trap(); // a null field reads as empty
                }
                const double fraction = lex::LexFraction(reader.RecNo(), reader.RecordCount());
                if (!(fraction >= 0.0 && fraction <= 1.0)) __builtin_trap();
            }
            // Every value is decoded from its own stretch of the input.
            if (bytes > size) __builtin_trap();
        }
    } catch (const lex::Exception&) {
    }
    return 0;
}

// What the structure check finds sound, the text reader reads without an
// error, delivering the records it counts (one more when the last record
// lacks its line end).
template <typename Reader>
int FuzzTextCheck(const uint8_t* data, size_t size, bool HashCodes) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!lex::FindTextLexDamage(bytes, ',', '"', HashCodes).empty()) return 0;
    Reader reader(bytes);
    int records = 0;
    for (reader.First(); !reader.Eof(); reader.Next())
        ++records;
    const int extra = records - reader.RecordCount();
    if (extra != 0 && extra != 1) __builtin_trap();
    return 0;
}
