// Grabbing from another lexicon through the main window: the dialog's rules,
// a grab by key from a lexicon file and one by display value from a table.
#include "database/DBSchema.h"
#include "database/ui/EditorDataSets.h"
#include "editor/view/FormLexEditor_U.h"
#include "formfiles/ui/FromGrabData_U.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/SQLiteFile.h"
#include "support/WhenModal.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

class GrabDataTest : public MainWindowTest {
protected:
    // The options name the database, relative to their own folder.
    GrabDataTest() : MainWindowTest("[DataBase]\nDatabase=lex.db\n"), db(dir / "lex.db") {
        db.Exec(QString::fromLatin1(PortableSchemaScript.data(), PortableSchemaScript.size()));
        Start();
    }

    // A top-level node with a value in the language of CodePage.
    TTreeNode* AddNode(const char* Key, const char* CodePage, const char* Value) {
        TLexDocument& doc = Document();
        TTreeNode* node = doc.AppendNode(Key);
        doc.SetNodeValue(node, Column(CodePage), Value);
        return node;
    }
    int Column(const char* CodePage) {
        return Document().AddLanguage(CodePage)->Column(0)->Index();
    }
    std::string_view Value(const char* Key, const char* CodePage) {
        return Document().Tree().Value(Document().FindNodeByKey(Key), Column(CodePage));
    }

    SQLiteFile db;
};

TEST_F(GrabDataTest, TheDialogOffersOkOnlyForASourceAndAComparison) {
    WhenModal<TFormGrabData>([](TFormGrabData& dialog) {
        EXPECT_TRUE(dialog.RadioButton_File->isChecked());
        EXPECT_TRUE(dialog.RadioButton_LexKey->isChecked());
        EXPECT_FALSE(dialog.Edit_Table->isEnabled());
        EXPECT_FALSE(dialog.SpeedButton_Table->isEnabled());
        EXPECT_FALSE(dialog.ComboBox_CodePage->isEnabled());
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        // The start-up editor's three languages, none chosen.
        EXPECT_EQ(dialog.ComboBox_CodePage->count(), 3);
        EXPECT_EQ(dialog.ComboBox_CodePage->currentIndex(), -1);

        dialog.Edit_File->setText(QStringLiteral("other.lxc"));
        EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
        dialog.RadioButton_DisplayValue->click();
        EXPECT_TRUE(dialog.ComboBox_CodePage->isEnabled());
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        dialog.ComboBox_CodePage->setCurrentIndex(2);
        EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
        dialog.RadioButton_Table->click();
        EXPECT_FALSE(dialog.Edit_File->isEnabled());
        EXPECT_TRUE(dialog.Edit_Table->isEnabled());
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        dialog.Edit_Table->setText(QStringLiteral("FORMLEX"));
        EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
        dialog.BitBtn_Cancel->click();
    });
    window->Action_GrabData->trigger();
    EXPECT_FALSE(Document().Modified());
}

// Empty cells are filled, full ones kept, and a missing language added.
TEST_F(GrabDataTest, ByKeyFromALexiconFile) {
    ASSERT_TRUE(ForcedCodePage);
    const std::string source = dir / "source.lxc";
    std::ofstream(source) << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
                             "\"Open\",\"1252\",\"0\",\"Oeffnen\",,\r\n"
                             "\"Open\",\"1250\",\"0\",\"Otevrit\",,\r\n"
                             "\"Save\",\"1252\",\"0\",\"Speichern\",,\r\n"
                             "\"Elsewhere\",\"1252\",\"0\",\"Anderswo\",,\r\n";
    AddNode("Open", "1252", "Already");
    AddNode("Save", "936", "");
    SetModified(Document(), false);
    const int bands = Document().Tree().BandCount();

    WhenModal<TFormGrabData>([&](TFormGrabData& dialog) {
        dialog.Edit_File->setText(QString::fromStdString(source));
        dialog.BitBtn_OK->click();
    });
    window->Action_GrabData->trigger();
    EXPECT_EQ(Value("Open", "1252"), "Already");
    EXPECT_EQ(Value("Save", "1252"), "Speichern");
    EXPECT_EQ(Document().Tree().BandCount(), bands + 1);
    EXPECT_EQ(Value("Open", "1250"), "Otevrit");
    EXPECT_EQ(Document().FindNodeByKey("Elsewhere"), nullptr);
    EXPECT_TRUE(Document().Modified());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
}

// The table chosen through the table dialog; a key another node has is
// passed over, and the user told so.
TEST_F(GrabDataTest, ByDisplayValueFromATable) {
    db.Exec(QStringLiteral("insert into FORMLEX values ('&File', 1252, 0, 'File', ''), "
                           "('Taken', 1252, 0, 'Other', ''), ('&Edit', 1250, 0, 'Edit', '')"));
    AddNode("LexKey1", "1252", "File");
    AddNode("LexKey2", "1252", "Other");
    AddNode("Taken", "1252", "Something");
    AddNode("LexKey3", "1252", "Edit");

    WhenModal<TFormGrabData>([](TFormGrabData& dialog) {
        dialog.RadioButton_Table->click();
        WhenModal<TFormOpenDB>([](TFormOpenDB& tables) {
            tables.CheckListBox_Tables->findItems(QStringLiteral("FORMLEX"), Qt::MatchExactly)
                .front()
                ->setCheckState(Qt::Checked);
            tables.BitBtn_OK->click();
        });
        dialog.SpeedButton_Table->click();
        EXPECT_EQ(dialog.Edit_Table->text(), QStringLiteral("FORMLEX"));
        dialog.RadioButton_DisplayValue->click();
        dialog.ComboBox_CodePage->setCurrentIndex(
            dialog.ComboBox_CodePage->findText(QStringLiteral("1252 "), Qt::MatchStartsWith));
        dialog.BitBtn_OK->click();
    });
    window->Action_GrabData->trigger();
    EXPECT_NE(Document().FindNodeByKey("&File"), nullptr);
    EXPECT_EQ(Document().FindNodeByKey("LexKey1"), nullptr);
    EXPECT_NE(Document().FindNodeByKey("LexKey2"), nullptr);
    EXPECT_NE(Document().FindNodeByKey("LexKey3"), nullptr); // another language's value
    EXPECT_EQ(boxes.shown,
              std::vector<std::string>{
                  "Warning|Keys passed over because other nodes already have them: 1"});
    EXPECT_FALSE(TEditorDataSets::Of(*window->ActiveEditor()).CDS_Import.Active());
}

} // namespace
} // namespace lex::test
