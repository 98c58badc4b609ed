// The table dialog on real widgets: what it lists and shows, the single
// check and the OK rule, and a database it cannot reach.
#include "database/DBSchema.h"
#include "database/SQLConnection.h"
#include "database/ui/FormOpenDB_U.h"
#include "support/SQLiteFile.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

class FormOpenDBTest : public ::testing::Test {
protected:
    TDBSource Source() {
        TDBSource source;
        source.ReadSettings = [this] { return settings; };
        source.EditConnection = &edit;
        source.ShowError = [this](QWidget*, const std::string& Message) {
            errors.push_back(Message);
        };
        return source;
    }

    static std::vector<std::string> Listed(const TFormOpenDB& Dialog) {
        std::vector<std::string> names;
        for (int i = 0; i < Dialog.CheckListBox_Tables->count(); ++i)
            names.push_back(Dialog.CheckListBox_Tables->item(i)->text().toStdString());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    TDBSettings settings{{}, {}, {}, {}, dir / "LexManager.ini"};
    TSQLConnection edit;
    std::vector<std::string> errors;
};

// With nothing set up, the tables come from the embedded database beside
// the options file, which gets the default table.
TEST_F(FormOpenDBTest, WithoutSettingsListsTheEmbeddedDatabase) {
    TFormOpenDB dialog(Source());
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(Listed(dialog), std::vector<std::string>{"FORMLEX"});
    EXPECT_TRUE(std::filesystem::exists(dir / "LexManager.db"));
    EXPECT_TRUE(dialog.ComboBox_Connection->currentText().contains(
        QString::fromStdString(dir / "LexManager.db")))
        << dialog.ComboBox_Connection->currentText().toStdString();
    EXPECT_TRUE(dialog.Memo_Params->toPlainText().isEmpty());
    EXPECT_FALSE(edit.Connected());

    // The schema page: the script as the tool shows it, then the table it makes.
    const QStringList script = dialog.Memo1->toPlainText().split(u'\n');
    ASSERT_EQ(script.size(), 21);
    EXPECT_EQ(script[9], QStringLiteral("[CATALOGID] [varchar] (200) NOT NULL "));
    EXPECT_EQ(script[20], QStringLiteral("GO"));
    EXPECT_EQ(dialog.Memo_Portable->toPlainText().toStdString(), PortableSchemaScript);
    EXPECT_TRUE(dialog.Memo1->isReadOnly());
}

TEST_F(FormOpenDBTest, ChecksOneTableAtMostAndOffersOkForIt) {
    settings.Params = {"Database=lex.db", "VendorLib=none"};
    {
        SQLiteFile db(dir / "lex.db");
        db.Exec(QString::fromLatin1(PortableSchemaScript.data(), PortableSchemaScript.size()));
        db.Exec(QStringLiteral("CREATE TABLE OTHERLEX (LEXKEY varchar(200))"));
    }
    TFormOpenDB dialog(Source());
    dialog.show();
    EXPECT_EQ(Listed(dialog), (std::vector<std::string>{"FORMLEX", "OTHERLEX"}));
    EXPECT_EQ(dialog.Memo_Params->toPlainText(), QStringLiteral("Database=lex.db\nVendorLib=none"));
    EXPECT_FALSE(dialog.CheckBox_Clear->isEnabled());
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
    EXPECT_EQ(dialog.CheckedTableIndex(), -1);

    QListWidgetItem* first = dialog.CheckListBox_Tables->item(0);
    QListWidgetItem* second = dialog.CheckListBox_Tables->item(1);
    first->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
    EXPECT_EQ(dialog.CheckedTableIndex(), 0);
    second->setCheckState(Qt::Checked);
    EXPECT_EQ(first->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.CheckedTableIndex(), 1);
    EXPECT_EQ(dialog.CheckedTable(), second->text().toStdString());
    second->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
    EXPECT_EQ(dialog.CheckedTable(), "");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The error is shown once and the dialog opens all the same, with nothing
// to choose: only Cancel leaves it.
TEST_F(FormOpenDBTest, AnUnreachableDatabaseIsReportedOnceWithAnEmptyList) {
    const std::vector<std::vector<std::string>> cases = {
        {"DriverName=SQLite", "Database=" + dir / "missing/lex.db"},
        {"DriverName=PostgreSQL", "HostName=127.0.0.1", "Port=1", "Database=lex"},
        {"DriverName=Paradox"},
    };
    for (const std::vector<std::string>& params : cases) {
        SCOPED_TRACE(params[0]);
        settings.Params = params;
        errors.clear();
        TFormOpenDB dialog(Source());
        dialog.show();
        EXPECT_EQ(errors.size(), 1u);
        EXPECT_EQ(dialog.CheckListBox_Tables->count(), 0);
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        EXPECT_TRUE(dialog.BitBtn_Cancel->isEnabled());
        EXPECT_FALSE(edit.Connected());
    }
}

} // namespace
} // namespace lex::test
