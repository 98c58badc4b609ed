#pragma once

#include "database/ui/FormOpenDB_U.h"
#include "runtime/LumoMultiLexReader.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace lex {

class TFormLexEditor;
class TLexTree;
struct TLexBand;

// Runs the application's lexicon open dialog starting at FileName; on OK,
// FileName is the chosen file.
using TChooseLexiconFile = std::function<bool(QWidget* Owner, QString& FileName)>;

// The grab dialog: the other lexicon, a file or a table, and what is
// compared, the keys or the display values of one of the editor's
// languages. Its English texts are keys of "Lex_GUI"; the screen eye
// translates them when it first becomes active.
class TFormGrabData : public QDialog {
    Q_OBJECT
public:
    TFormGrabData(const TDBSource& Source, TChooseLexiconFile ChooseFile,
                  QWidget* Parent = nullptr);

    // One entry per language band of Tree, none chosen.
    void SetLanguages(const TLexTree& Tree);
    // The language whose display values are compared, or null while none is chosen.
    TLexBand* ChosenBand() const;
    // The file as bytes of the file system; the table as the process's code page holds it.
    std::string FileName() const;
    std::string TableName() const;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QGroupBox* GroupBox_Lexicon;
    QRadioButton* RadioButton_File;
    QRadioButton* RadioButton_Table;
    QLineEdit* Edit_File;
    QToolButton* SpeedButton_File;
    QLineEdit* Edit_Table;
    QToolButton* SpeedButton_Table;
    QGroupBox* GroupBox_Compare;
    QRadioButton* RadioButton_LexKey;
    QRadioButton* RadioButton_DisplayValue;
    QComboBox* ComboBox_CodePage;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Help;

    void UpdateOkButton();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void SpeedButton_FileClick();
    void SpeedButton_TableClick();
    void RadioButton_FileClick();
    void RadioButton_LexKeyClick();

    TDBSource source_;
    TChooseLexiconFile chooseFile_;
};

// Grab Data From Dictionary on the editor: ends an open edit, runs the
// dialog and, on OK, fills the editor from the file or the table under the
// hourglass (the table read through the editor's import dataset, closed
// afterwards on every path). When a grab by display value passed over keys
// that other nodes have, the user is told how many.
void GrabData(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress, const TDBSource& Source,
              const TChooseLexiconFile& ChooseFile);

} // namespace lex
