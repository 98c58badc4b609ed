#pragma once

#include "database/DBSettings.h"
#include "editor/view/ShowHelp.h"

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace lex {

class TSQLConnection;

// What the database dialogs and flows take from the application.
struct TDBSource {
    // The options' "DataBase" section as the options file holds it now, so
    // that a change made while the tool runs takes effect.
    std::function<TDBSettings()> ReadSettings;
    // The data module's edit connection: it lists the tables, and its
    // settings go to the editors' datasets.
    TSQLConnection* EditConnection = nullptr;
    // The application's report of an error that the work goes on after.
    std::function<void(QWidget* Owner, const std::string& Message)> ShowError;
    TShowHelp ShowHelp;
};

// The table-choice dialog: the connection parameters, the database's tables
// with at most one checked, "Clear Table Before Save" and the name of a new
// table (for the save flow to enable) and the default table's schema. Creating it reads the
// settings and lists the tables through the edit connection; a database that cannot be reached is
// reported once and leaves the list empty. Its English texts are keys of "Lex_GUI"; the screen eye
// translates them when it first becomes active.
class TFormOpenDB : public QDialog {
    Q_OBJECT
public:
    TFormOpenDB(const TDBSource& Source, QWidget* Parent = nullptr);

    // The first checked entry, or -1.
    int CheckedTableIndex() const;
    // Its name as the database lists it, ready for a statement; empty for none.
    std::string CheckedTable() const;
    // The checked table, else the new table's name as typed; empty for none.
    std::string ChosenTable() const;
    // Lets the save flow name a table that is not there yet.
    void OfferNewTable();

    QTabWidget* PageControl1;
    QWidget* TabSheet_Tables;
    QWidget* TabSheet_Schema;
    QLabel* Image1;
    QLabel* Label_Params;
    QComboBox* ComboBox_Connection; // where the tables come from
    QPlainTextEdit* Memo_Params;
    QLabel* Label_Tables;
    QListWidget* CheckListBox_Tables;
    QCheckBox* CheckBox_Clear;
    QLabel* Label_NewTable;
    QLineEdit* Edit_NewTable;
    QPlainTextEdit* Memo1;
    QLabel* Label_Portable;
    QPlainTextEdit* Memo_Portable;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Help;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void ListTables(const TDBSource& Source, const TDBSettings& Settings);
    void CheckListBox_TablesClickCheck(QListWidgetItem* Item);
    void UpdateOkButton();

    bool checking_ = false;
    TShowHelp showHelp_;
};

} // namespace lex
