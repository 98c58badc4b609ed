#include "app/EditorExport.h"

#include "app/FormExport_U.h"
#include "app/GuiText.h"
#include "app/InterchangeFlows.h"
#include "editor/NodeListLexReader.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "interchange/InterchangeFormats.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "runtime/qt/QtText.h"

#include <QFile>

namespace lex {

void ExportToFile(TFormLexEditor& Editor, bool NodesOnly, const TLexProgressEvent& OnProgress,
                  QWidget* Parent) {
    TLexDocument& doc = Editor.Document();
    const TLexTree& tree = doc.Tree();
    TFormExport dialog(Parent);
    // A band left without columns has nothing to export.
    for (int i = 1; i < tree.BandCount(); ++i)
        if (tree.Band(i)->ColumnCount() > 0)
            dialog.AddLanguage(ToQString(tree.Band(i)->Caption), tree.Band(i), true);
    dialog.SetNodesOnly(NodesOnly);
    if (NodesOnly) {
        if (tree.SelectionCount() > 0) {
            for (int i = 0; i < tree.SelectionCount(); ++i)
                dialog.AddNode(ToQString(doc.Key(tree.SelectedNode(i))));
        } else if (tree.FocusedNode()) {
            dialog.AddNode(ToQString(doc.Key(tree.FocusedNode())));
        }
    }
    if (dialog.exec() != QDialog::Accepted) return;
    const std::vector<TLexBand*> bands = dialog.CheckedBands();
    const std::string fileName = QFile::encodeName(dialog.FileName()).toStdString();
    if (InterchangeFormatOf(fileName)) {
        // A translator's file holds every key of one language; a part of the
        // tree would come back as a tree without the rest.
        if (NodesOnly) {
            GuiMessageBox(Parent, "A translator's file takes a whole language: use Export To File.",
                          "Error", MB_OK | MB_ICONERROR);
            throw EAbort();
        }
        ExportTranslations(Editor, bands, fileName, dialog.Replacing(), Parent);
        return;
    }
    TWaitCursor wait;
    WriteCopy(doc, NodesOnly, bands, OnProgress, fileName, &dialog.Replacing());
}

} // namespace lex
