#pragma once

#include "editor/LexLoader.h"
#include "runtime/LexDataSet.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace lex {

class TLexDocument;
struct TLexBand;

// A document and a database table. The table must be open; these neither
// open nor close it.

// Empties the document and loads the table's rows.
void OpenDataSet(TLexDocument& Document, TLexDataSet& Table, const TOverwriteAnswerer& Answer,
                 const TLexProgressEvent& OnProgress = {});

// Sends a table's pending changes to the server, telling OnProgress.
using TTableApply = std::function<TApplyCounts(const TLexProgressEvent& OnProgress)>;

// Makes the table's rows equal to the document's records (those NodesOnly
// and BandFilter choose, as an export does): rows are updated where a field
// differs, deleted where no record has their "LexKey, CodePage, SeqNo", and
// records no row has are appended. The changes are made on the table's
// cached rows and then sent by Apply; Modified clears only when every change
// reached the server.
TApplyCounts SaveToTable(TLexDocument& Document, TLexDataSet& Table, const TTableApply& Apply,
                         bool NodesOnly, const std::vector<TLexBand*>& BandFilter,
                         const TLexProgressEvent& OnProgress = {});

// Takes a value someone else wrote into the table in place of the
// document's (one undo step): the key, language and sequence are made where
// missing; no value empties the cell.
void TakeTableValue(TLexDocument& Document, std::string_view Key, std::string_view CodePage,
                    std::string_view SeqNo, std::optional<std::string_view> Value);

} // namespace lex
