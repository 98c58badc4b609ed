#pragma once

#include "editor/view/ShowHelp.h"
#include "formfiles/FormTokenWalk.h"
#include "runtime/LumoMultiLexReader.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace lex {

class TFormLexEditor;
class TLexTree;
struct TLexBand;

// The form-file dialog of the import and the export: the files, what the
// import makes of their strings or which language the export writes keys
// for, and the two skip lists. Its English texts are keys of "Lex_GUI"; the
// screen eye translates them when the dialog first becomes active.
class TFormDFM2Lex : public QDialog {
    Q_OBJECT
public:
    explicit TFormDFM2Lex(QWidget* Parent = nullptr);

    // Set-ups before exec(): the import shows "Import AS"; the export shows
    // "DFM File" with one entry per language band of Tree.
    void SetUpForImport();
    void SetUpForExport(const TLexTree& Tree);

    // Adds each path that the list does not hold yet, ignoring case.
    void AddFiles(const QStringList& Paths);
    // The listed paths in order, as bytes of the file system.
    std::vector<std::string> Files() const;
    // The memos' lines; blank lines and the blanks around a name are left out.
    TFormSkipLists SkipLists() const;
    // The import's code page: empty for an import as keys; otherwise the
    // catalogue's code page of the chosen entry, or the text as typed.
    std::string ImportCodePage() const;
    // The export's language band, or null while none is chosen.
    TLexBand* ChosenBand() const;
    // The folder the export writes into, as bytes of the file system; empty
    // for writing the files in place.
    std::string OutputDir() const;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QLabel* Label1;
    QTreeWidget* TreeView_File;
    QPushButton* BitBtn1;
    QPushButton* BitBtn_Delete;
    QGroupBox* GroupBox_Target;
    QRadioButton* RadioButton_LexKey;
    QRadioButton* RadioButton_DisplayValue;
    QComboBox* ComboBox_CodePage;
    QGroupBox* GroupBox_DFM;
    QLabel* Label2;
    QComboBox* ComboBox_Lang;
    QCheckBox* CheckBox_OutputDir;
    QLineEdit* Edit_OutputDir;
    QPushButton* BitBtn_OutputDir;
    QLabel* Label_Suggestion;
    QPlainTextEdit* Memo_Ident;
    QPlainTextEdit* Memo_Class;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Help;
    // What Help does; without it the button is disabled.
    TShowHelp OnHelp;

    void UpdateOkButton();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void RadioButton_DisplayValueClick();
    void BitBtn1Click();
    void BitBtn_DeleteClick();
    void TreeView_FileChange();
    void CheckBox_OutputDirClick();
    void BitBtn_OutputDirClick();

    QString helpTopic_;
};

// The window-level flows on the active editor. Each ends an open edit first
// (a refused text stops it there), runs the dialog and, on OK, works under
// the hourglass with progress once per file. A failure propagates; what
// earlier files got stays.
// Import: the strings of the files become keys, or values of a language
// (its band added when the editor lacks it) under generated keys.
void ImportFromFormFiles(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress,
                         const TShowHelp& ShowHelp = {});
// Export: the values of the chosen language in the files become their keys.
void ExportKeysToFormFiles(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress,
                           const TShowHelp& ShowHelp = {});

} // namespace lex
