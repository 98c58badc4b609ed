#pragma once

#include "runtime/LumoMultiLexReader.h"

namespace lex {

class TLexDocument;
struct TLexBand;

// What a grab changed: cells filled (by key) or keys taken (by display value),
// and keys passed over because another node already has them.
struct TGrabCounts {
    int Changed = 0;
    int KeyConflicts = 0;
};

// Fills the document's empty cells from another lexicon: each source record
// whose key is a key of the document gives its display value to that node's
// cell of its language and sequence, adding the band and column when the
// document lacks them. Nothing else changes. The reader is walked from the
// record it stands on.
TGrabCounts GrabByKey(TLexDocument& Document, ILexReader& Reader,
                      const TLexProgressEvent& OnProgress = {});

// Gives document nodes the keys of another lexicon: a node whose value in
// Band equals a source record's display value of that language takes the
// record's key, its children following. A key another node already has is
// passed over, so that keys stay unique.
TGrabCounts GrabByDisplayValue(TLexDocument& Document, ILexReader& Reader, TLexBand& Band,
                               const TLexProgressEvent& OnProgress = {});

} // namespace lex
