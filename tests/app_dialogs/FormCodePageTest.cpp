#include "app/FormCodePage_U.h"
#include "app_dialogs/DialogTestSupport.h"
#include "runtime/qt/QtText.h"
#include "support/ScriptedMessageBoxes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace lex {
namespace {

class FormCodePageTest : public test::DialogTest {
protected:
    // Filled as the add-language flow fills it: every catalogue entry.
    void Fill(TFormCodePage& dialog) {
        for (int i = 0; i < CodePageList->Count(); ++i)
            dialog.AddEntry(ToQString(CodePageList->DisplayText(i)), CodePageList->Node(i));
    }

    static void ClickEntry(TFormCodePage& dialog, const QString& codePage) {
        QListWidget& list = *dialog.CheckListBox_Lang;
        const QList<QListWidgetItem*> found =
            list.findItems(codePage + QLatin1Char(' '), Qt::MatchStartsWith);
        ASSERT_EQ(found.size(), 1);
        list.scrollToItem(found[0]);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(found[0]).center());
    }
};

TEST_F(FormCodePageTest, OkIsEnabledExactlyWhileTheCodePageIsNotEmpty) {
    TFormCodePage dialog;
    dialog.show();
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
    const struct {
        const char* text;
        bool enabled;
    } steps[] = {{"9", true}, {"", false}, {" ", true}, {"not a number", true}, {"", false}};
    for (const auto& step : steps) {
        dialog.Edit_CodePage->setText(QString::fromLatin1(step.text));
        EXPECT_EQ(dialog.BitBtn_OK->isEnabled(), step.enabled) << '"' << step.text << '"';
    }
}

TEST_F(FormCodePageTest, PickingAnEntryTakesItsCodePageWithoutTheDescription) {
    TFormCodePage dialog;
    Fill(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QString shown = ToQString(CodePageList->DisplayText(CodePageList->IndexOf("936")));
    ASSERT_TRUE(shown.startsWith(QLatin1String("936        Chinese")));

    ClickEntry(dialog, QStringLiteral("936"));
    EXPECT_EQ(dialog.Edit_CodePage->text(), QStringLiteral("936"));
    EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
    EXPECT_EQ(dialog.SelectedCodePage(), "936");

    // Moving through the list with the keys picks as well.
    QTest::keyClick(dialog.CheckListBox_Lang, Qt::Key_Down);
    EXPECT_EQ(dialog.Edit_CodePage->text(),
              ToQString(CodePageList->Name(CodePageList->IndexOf("936") + 1)));

    // A typed text stays until an entry is picked again.
    dialog.Edit_CodePage->setText(QStringLiteral("1250"));
    dialog.CheckListBox_Lang->clearSelection();
    emit dialog.CheckListBox_Lang->clicked(QModelIndex());
    EXPECT_EQ(dialog.SelectedCodePage(), "1250");
}

// A typed code page counts by its number, and only when the catalogue has it.
TEST_F(FormCodePageTest, ATypedCodePageMustBeOneOfTheCatalogue) {
    TFormCodePage dialog;
    const struct {
        const char* typed;
        const char* codePage;
    } cases[] = {{"936", "936"}, {" 1252\t", "1252"}, {"0950", "950"}, {"Cyr", ""}, {"12x", ""},
                 {"99999", ""},  {"4294967297", ""},  {"-936", ""},    {" ", ""},   {"", ""}};
    for (const auto& c : cases) {
        dialog.Edit_CodePage->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(dialog.SelectedCodePage(), c.codePage) << '"' << c.typed << '"';
    }
}

// OK on a code page the catalogue lacks says so and keeps the dialog open.
TEST_F(FormCodePageTest, OkRefusesAnUnknownCodePage) {
    test::ScriptedMessageBoxes boxes;
    TFormCodePage dialog;
    dialog.Edit_CodePage->setText(QStringLiteral("Cyr"));
    bool stayed = false;
    test::WhenModal<TFormCodePage>([&](TFormCodePage& shown) {
        shown.BitBtn_OK->click();
        stayed = shown.isVisible();
        shown.Edit_CodePage->setText(QStringLiteral("1251"));
        shown.BitBtn_OK->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{
                               "Error|Code page \"Cyr\" is unknown. Choose one of the list."});
    EXPECT_EQ(dialog.SelectedCodePage(), "1251");
}

TEST_F(FormCodePageTest, AnEntryWithoutACodePageRecordLeavesTheTextAlone) {
    TFormCodePage dialog;
    dialog.AddEntry(QStringLiteral("99999      "), nullptr);
    dialog.show();
    dialog.Edit_CodePage->setText(QStringLiteral("950"));
    dialog.CheckListBox_Lang->setCurrentRow(0);
    EXPECT_EQ(dialog.Edit_CodePage->text(), QStringLiteral("950"));
}

TEST_F(FormCodePageTest, OkAndCancelEndTheDialog) {
    for (const bool ok : {true, false}) {
        TFormCodePage dialog;
        dialog.Edit_CodePage->setText(QStringLiteral("1252"));
        test::WhenModal<TFormCodePage>(
            [ok](TFormCodePage& shown) { (ok ? shown.BitBtn_OK : shown.BitBtn_Cancel)->click(); });
        EXPECT_EQ(dialog.exec(), ok ? QDialog::Accepted : QDialog::Rejected);
    }
}

} // namespace
} // namespace lex
