#include "app/FormExport_U.h"
#include "app/LexFileDialog.h"
#include "app_dialogs/DialogTestSupport.h"
#include "editor/LexTree.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace lex {
namespace {

class FormExportTest : public test::DialogTest {
protected:
    void AddLanguages(TFormExport& dialog, std::initializer_list<bool> checked) {
        int i = 0;
        for (const bool check : checked) {
            dialog.AddLanguage(QStringLiteral("Language %1").arg(i), &bands[i], check);
            ++i;
        }
    }
    static void Check(TFormExport& dialog, int row, bool checked) {
        dialog.CheckListBox_Language->item(row)->setCheckState(checked ? Qt::Checked
                                                                       : Qt::Unchecked);
    }

    TLexBand bands[3];
};

TEST_F(FormExportTest, OkNeedsACheckedLanguageAndAFileName) {
    TFormExport dialog;
    AddLanguages(dialog, {true, false});
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
    dialog.show();
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled()) << "no file name yet";

    const struct {
        bool first, second;
        const char* fileName;
        bool enabled;
    } steps[] = {
        {true, false, "out.lxc", true},
        {false, false, "out.lxc", false}, // the last checked language unchecked
        {false, true, "out.lxc", true},
        {false, true, "", false}, // the name cleared
        {true, true, " ", true},
    };
    for (const auto& step : steps) {
        Check(dialog, 0, step.first);
        Check(dialog, 1, step.second);
        dialog.Edit_FileName->setText(QString::fromLatin1(step.fileName));
        EXPECT_EQ(dialog.BitBtn_OK->isEnabled(), step.enabled)
            << step.first << step.second << '"' << step.fileName << '"';
        EXPECT_EQ(dialog.AnyLanguageChecked(), step.first || step.second);
    }
}

TEST_F(FormExportTest, OkIsDecidedWhenShownForWhatTheCallerFilledIn) {
    TFormExport dialog;
    AddLanguages(dialog, {false, true});
    dialog.Edit_FileName->setText(QStringLiteral("ready.lxb"));
    dialog.show();
    EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
}

TEST_F(FormExportTest, CheckedBandsComeInListOrderNotCheckOrder) {
    TFormExport dialog;
    AddLanguages(dialog, {false, false, true});
    Check(dialog, 1, true);
    Check(dialog, 0, true);
    EXPECT_EQ(dialog.CheckedBands(), (std::vector<TLexBand*>{&bands[0], &bands[1], &bands[2]}));
    Check(dialog, 1, false);
    EXPECT_EQ(dialog.CheckedBands(), (std::vector<TLexBand*>{&bands[0], &bands[2]}));
}

TEST_F(FormExportTest, NodeLabelIsEnabledOnlyForAnExportOfNodes) {
    TFormExport dialog;
    EXPECT_FALSE(dialog.Panel_Nodes->isEnabled());
    dialog.SetNodesOnly(true);
    dialog.AddNode(QStringLiteral("&File"));
    dialog.AddNode(QStringLiteral("Open"));
    EXPECT_TRUE(dialog.Panel_Nodes->isEnabled());
    ASSERT_EQ(dialog.ListBox_Nodes->count(), 2);
    EXPECT_EQ(dialog.ListBox_Nodes->item(1)->text(), QStringLiteral("Open"));
    dialog.SetNodesOnly(false);
    EXPECT_FALSE(dialog.Panel_Nodes->isEnabled());
}

// The file types as the save dialog lists them, in Qt's own filter syntax.
using LexFileFilterTest = test::DialogTest;

TEST_F(LexFileFilterTest, BecomesQtNameFiltersOfTheFiveTypes) {
    EXPECT_EQ(QtNameFilters(LexDialogFilter()),
              (QStringList{QStringLiteral("All (*.lxc *.lng *.lxd *.lxb)"),
                           QStringLiteral("LumoTextCSV (*.lxc *.lng)"),
                           QStringLiteral("LumoTextDFM (*.lxd)"),
                           QStringLiteral("LumoBinary (*.lxb)"), QStringLiteral("ANY (*)")}));
}

// The "..." button, through the real save dialog. The dialog is kept for the
// whole run, so a type picked once stays picked: the rows run in order.
TEST_F(FormExportTest, BrowseAppendsTheDefaultExtensionOfThePickedType) {
    ExchangeSaveDialog() = TLexSaveDialog(ExchangeFileFilter());
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString dir = QDir(folder.path()).absolutePath() + QLatin1Char('/');
    const struct {
        int pick; // the file type the user picks, 0 for none
        const char* typed;
        const char* result; // relative to the folder; null: cancelled
    } steps[] = {
        {0, "plain", "plain"}, // no type picked yet: no default extension
        {3, "form", "form.lxd"},     {0, "again", "again.lxd"}, // the picked type is remembered
        {4, "mine.lxc", "mine.lxc"},                            // a typed extension wins
        {2, "csv", "csv.lxc"},       {5, "any", "any"},
        {1, "all", "all"},           {4, "dropped", nullptr},
    };
    TFormExport dialog;
    dialog.Edit_FileName->setText(dir + QStringLiteral("start"));
    for (const auto& step : steps) {
        SCOPED_TRACE(step.typed);
        const QString before = dialog.Edit_FileName->text();
        QString startedAt;
        test::WhenModal<QFileDialog>([&](QFileDialog& files) {
            startedAt = files.directory().absolutePath() + QLatin1Char('/');
            if (step.pick) {
                // As a user picks: from the first type down with the keys.
                auto* types = files.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                QTest::keyClick(types, Qt::Key_Home);
                for (int i = 1; i < step.pick; ++i)
                    QTest::keyClick(types, Qt::Key_Down);
            }
            files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromLatin1(step.typed));
            if (step.result)
                QMetaObject::invokeMethod(&files, "accept");
            else
                files.reject();
        });
        dialog.SpeedButton1->click();
        EXPECT_EQ(startedAt, dir);
        EXPECT_EQ(dialog.Edit_FileName->text(),
                  step.result ? dir + QString::fromLatin1(step.result) : before);
    }
    ExchangeSaveDialog() = TLexSaveDialog(ExchangeFileFilter());
}

// Showing a type is not picking it: the default extension changes only when
// the user picks, so a caller that preselects a type keeps its own fallback.
TEST_F(FormExportTest, APreselectedTypeLeavesTheDefaultExtensionAlone) {
    LexSaveDialog() = TLexSaveDialog{};
    QTemporaryDir folder;
    TLexSaveDialog& dialog = LexSaveDialog();
    dialog.FileName = folder.filePath(QStringLiteral("old.lxd"));
    dialog.FilterIndex = 3;
    QString shownType;
    test::WhenModal<QFileDialog>([&](QFileDialog& files) {
        shownType = files.selectedNameFilter();
        files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("bare"));
        QMetaObject::invokeMethod(&files, "accept");
    });
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(shownType, QStringLiteral("LumoTextDFM (*.lxd)"));
    EXPECT_EQ(dialog.FileName, folder.filePath(QStringLiteral("bare")));
    EXPECT_EQ(dialog.DefaultExt, QString());
    LexSaveDialog() = TLexSaveDialog{};
}

} // namespace
} // namespace lex
