// The form-file dialog on real widgets: its rules for OK, the file list, the
// two set-ups and what it hands to the import and the export.
#include "app_dialogs/DialogTestSupport.h"
#include "editor/LexDocument.h"
#include "formfiles/ui/FormDFM2Lex_U.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

namespace lex::test {
namespace {

QStringList Listed(const TFormDFM2Lex& Dialog) {
    QStringList paths;
    for (int i = 0; i < Dialog.TreeView_File->topLevelItemCount(); ++i)
        paths << Dialog.TreeView_File->topLevelItem(i)->text(0);
    return paths;
}

int FindEntry(const QComboBox& Box, const char* CodePage) {
    return Box.findText(QString::fromLatin1(CodePage) + u' ', Qt::MatchStartsWith);
}

using FormDFM2LexTest = DialogTest;

TEST_F(FormDFM2LexTest, OkNeedsFilesAndATargetOrALanguage) {
    struct TCase {
        const char* Name;
        bool Export;
        bool File;
        bool DisplayValue; // import: "Language Display Value" instead of "LexKey"
        const char* Text;  // the code page typed, or the language chosen ("" none)
        bool Ok;
    };
    const TCase cases[] = {
        {"import without files", false, false, false, "", false},
        {"import as keys", false, true, false, "", true},
        {"values without a code page", false, true, true, "", false},
        {"values of a typed code page", false, true, true, "1251", true},
        {"typed code page, no file", false, false, true, "1251", false},
        {"export, no language chosen", true, true, false, "", false},
        {"export to a language", true, true, false, "936", true},
        {"export without files", true, false, false, "936", false},
    };
    TLexDocument doc;
    doc.AddDefaultLanguages();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFormDFM2Lex dialog;
        if (c.Export)
            dialog.SetUpForExport(doc.Tree());
        else
            dialog.SetUpForImport();
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        if (c.File) dialog.AddFiles({QStringLiteral("/forms/Main.dfm")});
        if (c.DisplayValue) dialog.RadioButton_DisplayValue->click();
        EXPECT_EQ(dialog.ComboBox_CodePage->isEnabled(), c.DisplayValue);
        if (c.Export && *c.Text)
            dialog.ComboBox_Lang->setCurrentIndex(FindEntry(*dialog.ComboBox_Lang, c.Text));
        else if (*c.Text)
            dialog.ComboBox_CodePage->setEditText(QString::fromLatin1(c.Text));
        EXPECT_EQ(dialog.BitBtn_OK->isEnabled(), c.Ok);
        // The rule looks at the groups, not at the tab the user is on.
        dialog.PageControl1->setCurrentWidget(dialog.TabSheet3);
        dialog.show();
        EXPECT_EQ(dialog.BitBtn_OK->isEnabled(), c.Ok);
    }
}

TEST_F(FormDFM2LexTest, APathListedInAnyCaseIsNotAddedAgain) {
    TFormDFM2Lex dialog;
    dialog.SetUpForImport();
    dialog.AddFiles({QStringLiteral("/forms/Main.dfm"), QStringLiteral("/forms/MAIN.DFM"),
                     QStringLiteral("/forms/About.dfm")});
    dialog.AddFiles({QStringLiteral("/Forms/about.dfm"), QStringLiteral("/forms/Main.lfm")});
    EXPECT_EQ(Listed(dialog),
              (QStringList{QStringLiteral("/forms/Main.dfm"), QStringLiteral("/forms/About.dfm"),
                           QStringLiteral("/forms/Main.lfm")}));
    EXPECT_EQ(dialog.Files(),
              (std::vector<std::string>{"/forms/Main.dfm", "/forms/About.dfm", "/forms/Main.lfm"}));
}

// "Add File..." through the open dialog: several files at once, form files
// first, any file as the second choice.
TEST_F(FormDFM2LexTest, AddFileTakesSeveralFilesFromTheOpenDialog) {
    TempDir dir;
    for (const char* name : {"Main.dfm", "Other.lfm"})
        std::ofstream(dir / name) << "object F: TF\nend\n";
    TFormDFM2Lex dialog;
    dialog.SetUpForImport();
    dialog.AddFiles({QString::fromStdString(dir / "MAIN.DFM")});
    QStringList filters;
    WhenModal<QFileDialog>([&](QFileDialog& od) {
        filters = od.nameFilters();
        EXPECT_EQ(od.objectName(), QStringLiteral("OD"));
        EXPECT_EQ(od.fileMode(), QFileDialog::ExistingFiles);
        od.selectNameFilter(filters[1]);
        od.setDirectory(QString::fromStdString(dir.path().string()));
        // Typed once the folder is listed, as a user sees it: the dialog
        // takes the names it can find in the list.
        const QListView* list = od.findChild<QListView*>(QStringLiteral("listView"));
        for (int i = 0; i < 500 && list->model()->rowCount(list->rootIndex()) < 2; ++i)
            QTest::qWait(5);
        od.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"Main.dfm\" \"Other.lfm\""));
        static_cast<QDialog&>(od).accept();
    });
    dialog.BitBtn1->click();
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Borland Delphi DFM (*.dfm)"),
                                    QStringLiteral("All files (*)")}));
    EXPECT_EQ(Listed(dialog), (QStringList{QString::fromStdString(dir / "MAIN.DFM"),
                                           QString::fromStdString(dir / "Other.lfm")}));
    EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
}

TEST_F(FormDFM2LexTest, DeleteRemovesTheSelectedEntries) {
    TFormDFM2Lex dialog;
    dialog.SetUpForImport();
    EXPECT_FALSE(dialog.BitBtn_Delete->isEnabled());
    dialog.AddFiles({QStringLiteral("/a.dfm"), QStringLiteral("/b.dfm"), QStringLiteral("/c.dfm"),
                     QStringLiteral("/d.dfm")});
    EXPECT_EQ(dialog.TreeView_File->selectionMode(), QAbstractItemView::ExtendedSelection);
    dialog.TreeView_File->topLevelItem(3)->setSelected(true);
    dialog.TreeView_File->topLevelItem(0)->setSelected(true);
    dialog.TreeView_File->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(dialog.BitBtn_Delete->isEnabled());
    dialog.BitBtn_Delete->click();
    EXPECT_EQ(Listed(dialog), QStringList{QStringLiteral("/b.dfm")});
    EXPECT_FALSE(dialog.BitBtn_Delete->isEnabled());
    EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());

    dialog.TreeView_File->topLevelItem(0)->setSelected(true);
    dialog.BitBtn_Delete->click();
    EXPECT_TRUE(Listed(dialog).isEmpty());
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
}

TEST_F(FormDFM2LexTest, TheImportTakesKeysOrTheCodePageChosenOrTyped) {
    TFormDFM2Lex dialog;
    dialog.SetUpForImport();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import Data From DFM File..."));
    EXPECT_EQ(dialog.PageControl1->tabText(0), QStringLiteral("Import"));
    EXPECT_FALSE(dialog.GroupBox_Target->isHidden());
    EXPECT_TRUE(dialog.GroupBox_DFM->isHidden());
    EXPECT_TRUE(dialog.RadioButton_LexKey->isChecked());
    EXPECT_EQ(dialog.ImportCodePage(), "");

    // Every code page of the catalogue, in its order, none chosen yet.
    ASSERT_EQ(dialog.ComboBox_CodePage->count(), CodePageList->Count());
    EXPECT_EQ(dialog.ComboBox_CodePage->currentIndex(), -1);
    const int cyrillic = FindEntry(*dialog.ComboBox_CodePage, "1251");
    ASSERT_GE(cyrillic, 0);
    EXPECT_EQ(dialog.ComboBox_CodePage->itemText(cyrillic),
              QStringLiteral("1251       Cyrillic (Windows)"));

    dialog.RadioButton_DisplayValue->click();
    dialog.ComboBox_CodePage->setCurrentIndex(cyrillic);
    EXPECT_EQ(dialog.ImportCodePage(), "1251");
    dialog.ComboBox_CodePage->setEditText(QStringLiteral(" 20127 "));
    EXPECT_EQ(dialog.ImportCodePage(), "20127");
    dialog.RadioButton_LexKey->click();
    EXPECT_EQ(dialog.ImportCodePage(), "");
}

TEST_F(FormDFM2LexTest, TheExportOffersTheEditorsLanguages) {
    TLexDocument doc;
    doc.AddDefaultLanguages();
    TLexBand* unknown = doc.AddLanguageBand("777");
    TFormDFM2Lex dialog;
    dialog.SetUpForExport(doc.Tree());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export LexKey to DFM File..."));
    EXPECT_EQ(dialog.PageControl1->tabText(0), QStringLiteral("Export"));
    EXPECT_TRUE(dialog.GroupBox_Target->isHidden());
    EXPECT_FALSE(dialog.GroupBox_DFM->isHidden());
    EXPECT_EQ(dialog.Label_Suggestion->text(),
              QStringLiteral("Suggestion : Please Backup DFM Files before Exporting."));
    EXPECT_EQ(dialog.Label_Suggestion->palette().color(QPalette::WindowText), QColor(Qt::red));

    QStringList items;
    for (int i = 0; i < dialog.ComboBox_Lang->count(); ++i)
        items << dialog.ComboBox_Lang->itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("936        Chinese Simplified (GB2312)"),
                                  QStringLiteral("950        Chinese Traditional (Big5)"),
                                  QStringLiteral("1252       Western European (Windows)"),
                                  QStringLiteral("777")}));
    EXPECT_EQ(dialog.ChosenBand(), nullptr);
    dialog.ComboBox_Lang->setCurrentIndex(3);
    EXPECT_EQ(dialog.ChosenBand(), unknown);
    dialog.ComboBox_Lang->setCurrentIndex(0);
    EXPECT_EQ(dialog.ChosenBand(), doc.Band936());
}

TEST_F(FormDFM2LexTest, SkipListsAreTheMemosLines) {
    TFormDFM2Lex dialog;
    EXPECT_EQ(dialog.Memo_Ident->toPlainText().split(u'\n').size(),
              static_cast<qsizetype>(DefaultSkipIdents().size()));
    EXPECT_EQ(dialog.Memo_Class->toPlainText().split(u'\n').size(), 37);
    EXPECT_EQ(dialog.Memo_Ident->lineWrapMode(), QPlainTextEdit::NoWrap);
    const TFormSkipLists defaults = dialog.SkipLists();
    EXPECT_TRUE(defaults.Idents.Contains("font.name"));
    EXPECT_TRUE(defaults.Idents.Contains("OKButton.Name"));
    EXPECT_TRUE(defaults.Classes.Contains("TShellComboBox"));
    EXPECT_FALSE(defaults.Classes.Contains("TButton"));

    dialog.Memo_Ident->setPlainText(QStringLiteral("\n  Caption \n\nHint"));
    dialog.Memo_Class->setPlainText(QString());
    const TFormSkipLists edited = dialog.SkipLists();
    EXPECT_TRUE(edited.Idents.Contains("Caption"));
    EXPECT_TRUE(edited.Idents.Contains("Hint"));
    EXPECT_FALSE(edited.Idents.Contains(""));
    EXPECT_FALSE(edited.Idents.Contains("Font.Name"));
    EXPECT_FALSE(edited.Classes.Contains("TEdit"));
}

} // namespace
} // namespace lex::test
