#pragma once

#include "platform/FileUtil.h"
#include "runtime/LexFormats.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <utility>

class QWidget;

namespace lex {

// The lexicon types (LexDialogFilter) followed by one per translators' format
// (gettext PO, Qt TS, XLIFF): the types of File > Import and Export To File.
std::string ExchangeFileFilter();

// A "Text|patterns|Text|patterns" filter as Qt name filters, "Text (p1 p2)".
// "*.*" becomes "*", so that names without a dot are listed as well.
QStringList QtNameFilters(std::string_view Filter);

// The default extension a save dialog takes when the user picks a file type:
// the first extension of the type's format (".lxc" for 2, ".lxd" for 3,
// ".lxb" for 4, ".po" for the first translators' type), none for "All" and
// "ANY".
QString DefaultExtForFileType(int Type);

// FileName, with Ext appended when its last path component has no dot.
QString AppendDefaultExt(const QString& FileName, const QString& Ext);

// Whether a file may be written at FileName: yes when none is there, else the
// user's answer to the replace question. Replacing receives what the file
// held when the user agreed (the empty identity for no file).
bool AgreeToReplace(QWidget* Parent, const QString& FileName, FileIdentity& Replacing);

// The data module's lexicon save dialog. There is one per run (LexSaveDialog),
// so the file type the user picked and the default extension it implies carry
// over to the next use.
class TLexSaveDialog {
public:
    TLexSaveDialog() = default;
    explicit TLexSaveDialog(std::string Filter) : Filter(std::move(Filter)) {}

    std::string Filter = LexDialogFilter();
    QString FileName;
    int FilterIndex = 1; // 1-based, into Filter
    QString DefaultExt;  // with its dot; empty for none
    // After Execute: the file the user agreed to replace as it was when asked
    // (the empty identity when there was none), so that a writer can refuse
    // a file someone else changed or created since.
    FileIdentity Replacing;

    // Runs a modal save dialog. On OK, FileName is the chosen name, with the
    // default extension (or else FallbackExt) appended when the user typed
    // none. An existing file of that final name is replaced only when the
    // user agrees; No shows the dialog again.
    bool Execute(QWidget* Parent, const QString& FallbackExt = {});

    // The user picked a file type.
    void SDTypeChange(int Type);
};

// The data module's lexicon open dialog: one file that must exist.
class TLexOpenDialog {
public:
    TLexOpenDialog() = default;
    explicit TLexOpenDialog(std::string Filter) : Filter(std::move(Filter)) {}

    std::string Filter = LexDialogFilter();
    QString FileName;
    int FilterIndex = 1;

    bool Execute(QWidget* Parent);
};

TLexSaveDialog& LexSaveDialog();
TLexOpenDialog& LexOpenDialog();
// The same over ExchangeFileFilter, each remembering its own pick, so that a
// translators' type never becomes the default of a lexicon save.
TLexSaveDialog& ExchangeSaveDialog();
TLexOpenDialog& ExchangeOpenDialog();

} // namespace lex
