#pragma once

#include "runtime/LumoMultiLexReader.h"

class QWidget;

namespace lex {

class TFormLexEditor;

// The export flow: the export dialog offers every language of the editor
// (all checked) and, for an export of nodes, lists the selected nodes (or the
// focused one); on OK the chosen languages of all or of those nodes go to the
// file typed there. The editor's file name and title stay as they were. A
// translator's file (PO, TS, XLIFF) takes one language of the whole tree.
void ExportToFile(TFormLexEditor& Editor, bool NodesOnly, const TLexProgressEvent& OnProgress,
                  QWidget* Parent);

} // namespace lex
