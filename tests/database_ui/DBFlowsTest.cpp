// Opening, importing and saving tables from the main window's actions and
// the command line, through the table dialog, into SQLite files named by the
// options file.
#include "database/DBSchema.h"
#include "database/ui/EditorDataSets.h"
#include "database/ui/FormOpenDB_U.h"
#include "editor/view/FormLexEditor_U.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/SQLiteFile.h"
#include "support/WhenModal.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

const QString FormLexSchema =
    QString::fromLatin1(PortableSchemaScript.data(), PortableSchemaScript.size());
const char* const RowsQuery = "select LEXKEY, CODEPAGE, SEQNO, DISPLAYVALUE, CATALOGID from %1 "
                              "order by LEXKEY, CODEPAGE, SEQNO";

// Chooses Table in the next table dialog, checking "Clear Table Before Save"
// when asked, and records the dialog's caption.
void PlayTableDialog(const QString& Table, bool Clear = false, QString* Caption = nullptr) {
    WhenModal<TFormOpenDB>([=](TFormOpenDB& dialog) {
        if (Caption) *Caption = dialog.windowTitle();
        const QList<QListWidgetItem*> items =
            dialog.CheckListBox_Tables->findItems(Table, Qt::MatchExactly);
        if (items.size() != 1) {
            ADD_FAILURE() << "no table " << Table.toStdString();
            dialog.reject();
            return;
        }
        items[0]->setCheckState(Qt::Checked);
        if (Clear) dialog.CheckBox_Clear->setChecked(true);
        dialog.BitBtn_OK->click();
    });
}

class DBFlowsTest : public MainWindowTest {
protected:
    // The options name the database, relative to their own folder.
    DBFlowsTest() : MainWindowTest("[DataBase]\nDatabase=lex.db\n"), db(dir / "lex.db") {
        db.Exec(FormLexSchema);
        db.Exec(QString::fromUtf8("insert into FORMLEX values ('Open', 1252, 0, 'Oeffnen', ''), "
                                  "('Open', 936, 0, '打开', ''), "
                                  "('Save', 1252, 0, 'Speichern', '')"));
    }

    std::vector<std::string> Rows(const char* Table = "FORMLEX") {
        return db.Rows(QString::fromLatin1(RowsQuery).arg(QString::fromLatin1(Table)));
    }

    // A top-level node with a value in the language of CodePage.
    static TTreeNode* AddNode(TLexDocument& Doc, const char* Key, const char* CodePage,
                              const char* Value) {
        TLexBand* band = Doc.AddLanguage(CodePage);
        TTreeNode* node = Doc.AppendNode(Key);
        Doc.SetNodeValue(node, band->Column(0)->Index(), Value);
        return node;
    }

    // Save as the user reaches it: enabled by the idle turn first.
    void Save() {
        window->ApplicationEvents1Idle();
        ASSERT_TRUE(window->Action_Save->isEnabled());
        window->Action_Save->trigger();
    }

    void OpenTable(const char* Table) {
        QString caption;
        PlayTableDialog(QString::fromLatin1(Table), false, &caption);
        window->Action_OpenDB->trigger();
        Settle();
        EXPECT_EQ(caption, QStringLiteral("Open From DB..."));
    }

    SQLiteFile db;
};

// The round trip a user makes: the table into the fresh window, edits, Save.
TEST_F(DBFlowsTest, OpenEditAndSaveGoToTheTable) {
    ASSERT_TRUE(ForcedCodePage);
    Start();
    TFormLexEditor* startUp = window->ActiveEditor();
    OpenTable("FORMLEX");
    ASSERT_EQ(window->Editors().size(), 1);
    ASSERT_EQ(window->ActiveEditor(), startUp);
    TLexDocument& doc = Document();
    EXPECT_EQ(doc.TableName(), "FORMLEX");
    EXPECT_EQ(Editor().windowTitle(), QStringLiteral(" : lex.db : FORMLEX"));
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(doc.NodeCount(), 2);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(window->Gauge_Load->value(), 100);
    // The languages are the table's; Chinese arrives in its own code page.
    ASSERT_EQ(doc.Tree().BandCount(), 3);
    TTreeNode* open = doc.FindNodeByKey("Open");
    ASSERT_NE(open, nullptr);
    TLexBand* chinese = doc.AddLanguage("936");
    EXPECT_EQ(doc.Tree().Value(open, chinese->Column(0)->Index()), "\xB4\xF2\xBF\xAA");

    doc.SetNodeValue(doc.FindNodeByKey("Save"), doc.AddLanguage("1252")->Column(0)->Index(),
                     "Sichern");
    AddNode(doc, "New", "1252", "Neu");
    doc.DeleteNode(doc.FindNodeByKey("Open"));
    Save();
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"New|1252|0|Neu|", "Save|1252|0|Sichern|"}));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();

    // The Chinese value goes back as the text it came as.
    AddNode(doc, "Open", "936", "\xB4\xF2\xBF\xAA");
    Save();
    EXPECT_EQ(db.Rows("select DISPLAYVALUE from FORMLEX where CODEPAGE = 936"),
              std::vector<std::string>{"打开"});
}

TEST_F(DBFlowsTest, OpeningWhileTheActiveEditorHoldsNodesMakesANewEditor) {
    Start();
    TFormLexEditor* startUp = window->ActiveEditor();
    AddNode(startUp->Document(), "Mine", "1252", "Meins");
    OpenTable("FORMLEX");
    ASSERT_EQ(window->Editors().size(), 2);
    ASSERT_NE(window->ActiveEditor(), startUp);
    EXPECT_EQ(Document().TableName(), "FORMLEX");
    EXPECT_EQ(Document().Tree().BandCount(), 3); // the key and the table's two languages
    EXPECT_EQ(Document().NodeCount(), 2);
    EXPECT_EQ(startUp->Document().TableName(), "");
    EXPECT_EQ(startUp->Document().NodeCount(), 1);
}

// Cleared first, the table gets every record appended: a row the editor
// also has loses what the editor does not hold (here, a note).
TEST_F(DBFlowsTest, SaveToDBClearsTheTableOnlyWhenAsked) {
    for (const bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "cleared" : "kept");
        db.Exec(QStringLiteral("drop table if exists NOTED"));
        db.Exec(QStringLiteral("create table NOTED (LEXKEY varchar(200) not null, CODEPAGE int "
                               "not null, SEQNO int not null, DISPLAYVALUE varchar(200), CATALOGID "
                               "varchar(200), NOTE varchar(200), primary key (LEXKEY, CODEPAGE, "
                               "SEQNO))"));
        db.Exec(QStringLiteral("insert into NOTED values ('Open', 1252, 0, 'Oeffnen', '', "
                               "'checked'), ('Gone', 1252, 0, 'Weg', '', '')"));
        Start();
        TLexDocument& doc = Document();
        AddNode(doc, "Open", "1252", "Oeffnen");
        AddNode(doc, "Close", "1252", "Schliessen");
        QString caption;
        PlayTableDialog(QStringLiteral("NOTED"), clear, &caption);
        window->Action_SaveDB->trigger();
        EXPECT_EQ(caption, QStringLiteral("Save To DB..."));
        EXPECT_EQ(Rows("NOTED"),
                  (std::vector<std::string>{"Close|1252|0|Schliessen|", "Open|1252|0|Oeffnen|"}));
        EXPECT_EQ(db.Rows("select NOTE from NOTED where LEXKEY = 'Open'"),
                  std::vector<std::string>{clear ? "(null)" : "checked"});
        EXPECT_EQ(doc.TableName(), "NOTED");
        EXPECT_EQ(Editor().windowTitle(), QStringLiteral(" : lex.db : NOTED"));
        EXPECT_FALSE(doc.Modified());
        EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
        SetModified(doc, false);
        window.reset();
    }
}

// Clearing and writing are one transaction: a refused row leaves the table
// as it was, the editor modified and unbound.
TEST_F(DBFlowsTest, ClearTableBeforeSaveIsAllOrNothing) {
    db.Exec(QStringLiteral("create table STRICT (LEXKEY varchar(200) primary key, CODEPAGE int, "
                           "SEQNO int, DISPLAYVALUE varchar(200) check (length(DISPLAYVALUE) <= "
                           "3), CATALOGID varchar(200))"));
    db.Exec(QStringLiteral("insert into STRICT values ('Old', 1252, 0, 'old', '')"));
    Start();
    TLexDocument& doc = Document();
    AddNode(doc, "A", "1252", "ok");
    AddNode(doc, "B", "1252", "too long");
    PlayTableDialog(QStringLiteral("STRICT"), true);
    window->Action_SaveDB->trigger();
    Settle();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].find("Nothing was saved: the database refused the row LEXKEY=B"),
              std::string::npos)
        << boxes.shown[0];
    EXPECT_EQ(Rows("STRICT"), std::vector<std::string>{"Old|1252|0|old|"});
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.TableName().empty());
}

TEST_F(DBFlowsTest, ATableThatIsNotThereYetIsMadeWhenTheUserWants) {
    boxes.answers = {IDYES};
    Start({TCommandLine::Kind::Table, "FRESH"});
    Settle();
    ASSERT_EQ(boxes.shown.size(), 1u);
    TLexDocument& doc = Document();
    EXPECT_EQ(doc.TableName(), "FRESH");
    AddNode(doc, "Key", "1252", "Wert");
    Save();
    EXPECT_EQ(Rows("FRESH"), std::vector<std::string>{"Key|1252|0|Wert|"});
    EXPECT_FALSE(doc.Modified());
}

// Someone else changed the rows the editor read: Save shows each with both
// values. Yes writes the editor's over theirs, No takes theirs into the
// editor, Cancel leaves both, and the editor modified, until the next Save.
TEST_F(DBFlowsTest, RowsSomeoneElseChangedAreAskedAboutWithBothValues) {
    Start();
    OpenTable("FORMLEX");
    TLexDocument& doc = Document();
    const int column = doc.AddLanguage("1252")->Column(0)->Index();
    for (const char* key : {"Open", "Save"})
        doc.SetNodeValue(doc.FindNodeByKey(key), column, "Mine");
    db.Exec(QStringLiteral("update FORMLEX set DISPLAYVALUE = 'Theirs' where CODEPAGE = 1252"));

    boxes.answers = {IDNO, IDCANCEL};
    Save();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].rfind("Conflict|Someone else changed this entry", 0), 0u)
        << boxes.shown[0];
    EXPECT_NE(boxes.shown[0].find(
                  "Key: Open\r\nLanguage: 1252, sequence 0\r\nTheirs: Theirs\r\nYours: Mine"),
              std::string::npos)
        << boxes.shown[0];
    EXPECT_EQ(doc.Tree().Value(doc.FindNodeByKey("Open"), column), "Theirs");
    EXPECT_EQ(doc.Tree().Value(doc.FindNodeByKey("Save"), column), "Mine");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Open|936|0|打开|", "Open|1252|0|Theirs|",
                                                "Save|1252|0|Theirs|"}));

    boxes.shown.clear();
    boxes.answers = {IDYES};
    Save();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Open|936|0|打开|", "Open|1252|0|Theirs|",
                                                "Save|1252|0|Mine|"}));
}

TEST_F(DBFlowsTest, ImportIntoAnEditorBoundToAnotherTableKeepsTitleAndBinding) {
    db.Exec(QString(FormLexSchema).replace(QStringLiteral("FORMLEX"), QStringLiteral("OTHERLEX")));
    db.Exec(QStringLiteral("insert into OTHERLEX values ('Extra', 1251, 0, 'Dop', '')"));
    Start();
    OpenTable("FORMLEX");
    PlayTableDialog(QStringLiteral("OTHERLEX"));
    window->Action_ImportDB->trigger();
    TLexDocument& doc = Document();
    EXPECT_EQ(doc.NodeCount(), 3);
    EXPECT_NE(doc.FindNodeByKey("Extra"), nullptr);
    EXPECT_EQ(doc.Tree().BandCount(), 4);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.TableName(), "FORMLEX");
    EXPECT_EQ(Editor().windowTitle(), QStringLiteral(" : lex.db : FORMLEX"));
    EXPECT_FALSE(TEditorDataSets::Of(Editor()).CDS_Import.Active());

    // Save still goes to the bound table, which now holds the import.
    Save();
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(Rows("OTHERLEX").size(), 1u);
}

// Save To DB may name a table that is not there yet: it is offered to be
// made and then holds the editor's records. Only the save flow offers a name.
TEST_F(DBFlowsTest, SaveToDBMakesANewTableTheUserNames) {
    Start();
    TLexDocument& doc = Document();
    AddNode(doc, "Open", "1252", "Oeffnen");
    boxes.answers = {IDYES};
    bool offered = false;
    WhenModal<TFormOpenDB>([&](TFormOpenDB& dialog) {
        offered = dialog.Edit_NewTable->isEnabled();
        dialog.CheckListBox_Tables->item(0)->setCheckState(Qt::Checked);
        dialog.Edit_NewTable->setText(QStringLiteral("TEAMLEX"));
        emit dialog.Edit_NewTable->textEdited(dialog.Edit_NewTable->text());
        dialog.BitBtn_OK->click();
    });
    window->Action_SaveDB->trigger();
    EXPECT_TRUE(offered);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0],
              "Confirm|The table TEAMLEX does not exist. Create it with the default columns?");
    EXPECT_EQ(Rows("TEAMLEX"), std::vector<std::string>{"Open|1252|0|Oeffnen|"});
    EXPECT_EQ(Rows().size(), 3u); // the table that was unchecked for the name
    EXPECT_EQ(doc.TableName(), "TEAMLEX");
    EXPECT_FALSE(doc.Modified());

    WhenModal<TFormOpenDB>([&](TFormOpenDB& dialog) {
        offered = dialog.Edit_NewTable->isEnabled();
        dialog.reject();
    });
    window->Action_OpenDB->trigger();
    EXPECT_FALSE(offered);
}

TEST_F(DBFlowsTest, TheCommandLineOpensATableAtStart) {
    Start({TCommandLine::Kind::Table, "FORMLEX"});
    Settle();
    ASSERT_EQ(window->Editors().size(), 1);
    TLexDocument& doc = Document();
    EXPECT_EQ(doc.TableName(), "FORMLEX");
    EXPECT_EQ(Editor().windowTitle(), QStringLiteral(" : lex.db : FORMLEX"));
    // The start-up languages make way for the table's.
    EXPECT_EQ(doc.Tree().BandCount(), 3);
    EXPECT_EQ(doc.NodeCount(), 2);
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
}

// A table that is not there is offered to be made. Declined, the table does
// not open; the editor is named after it, and a later Save is refused
// rather than reported done.
TEST_F(DBFlowsTest, ATableThatDoesNotOpenIsNotSavedTo) {
    Start({TCommandLine::Kind::Table, "NOSUCH"});
    Settle();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0],
              "Confirm|The table NOSUCH does not exist. Create it with the default columns?");
    EXPECT_NE(boxes.shown[1].find("NOSUCH"), std::string::npos) << boxes.shown[1];
    TLexDocument& doc = Document();
    EXPECT_EQ(doc.TableName(), "NOSUCH");
    AddNode(doc, "Key", "1252", "Wert");
    Save();
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_NE(boxes.shown[2].find("is not open"), std::string::npos) << boxes.shown[2];
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the hourglass went with the failures
}

// Each refused change asks whether to go on warning; No silences the rest of
// that apply, and the next apply asks again. The editor stays modified while
// any change has not reached the table.
TEST_F(DBFlowsTest, RefusedChangesAreReportedUntilTheUserSaysNo) {
    db.Exec(QStringLiteral("create table STRICT (LEXKEY varchar(200) primary key, CODEPAGE int, "
                           "SEQNO int, DISPLAYVALUE varchar(200) check (length(DISPLAYVALUE) <= "
                           "3), CATALOGID varchar(200))"));
    Start();
    OpenTable("STRICT");
    TLexDocument& doc = Document();
    for (const char* key : {"K1", "K2", "K3"})
        AddNode(doc, key, "1252", "too long");
    boxes.answers = {IDNO};
    Save();
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& report = boxes.shown[0];
    EXPECT_EQ(report.rfind("Error|", 0), 0u) << report;
    EXPECT_NE(report.find("CHECK constraint failed"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n\r\nLEXKEY : K1\r\nCODEPAGE : 1252\r\nSEQNO : 0\r\n"
                          "DISPLAYVALUE : too long\r\nCATALOGID : \r\n\r\nContinue warning?"),
              std::string::npos)
        << report;
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(Rows("STRICT").empty());

    // The refused changes are tried again with the next one, and asked about.
    AddNode(doc, "K4", "1252", "ok");
    boxes.shown.clear();
    boxes.answers = {IDYES, IDYES, IDYES};
    Save();
    EXPECT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(Rows("STRICT"), std::vector<std::string>{"K4|1252|0|ok|"});
}

// A No lasts for its batch of 200 changes: the next batch asks again.
TEST_F(DBFlowsTest, ANoLastsForOneApplyOnly) {
    db.Exec(QStringLiteral("create table STRICT (LEXKEY varchar(200) primary key, CODEPAGE int, "
                           "SEQNO int, DISPLAYVALUE varchar(200) check (length(DISPLAYVALUE) <= "
                           "3), CATALOGID varchar(200))"));
    Start();
    OpenTable("STRICT");
    TLexDocument& doc = Document();
    for (int i = 0; i < 201; ++i)
        AddNode(doc, ("K" + std::to_string(1000 + i)).c_str(), "1252", "too long");
    boxes.answers = {IDNO, IDNO};
    Save();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_NE(boxes.shown[0].find("LEXKEY : K1000\r\n"), std::string::npos) << boxes.shown[0];
    EXPECT_NE(boxes.shown[1].find("LEXKEY : K1200\r\n"), std::string::npos) << boxes.shown[1];
    EXPECT_TRUE(Rows("STRICT").empty());
}

// A value the table's field cannot take is shown, then ends the save.
TEST_F(DBFlowsTest, ARowTheDataSetRefusesToPostEndsTheSave) {
    Start();
    OpenTable("FORMLEX");
    TLexDocument& doc = Document();
    AddNode(doc, "Odd", "cp1252", "Wert");
    Save();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0], "Error|'cp1252' is not a valid integer value");
    EXPECT_NE(boxes.shown[1].find("'cp1252' is not a valid integer value"), std::string::npos);
    EXPECT_TRUE(doc.Modified());
}

} // namespace
} // namespace lex::test
