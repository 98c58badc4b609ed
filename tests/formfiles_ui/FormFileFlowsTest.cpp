// Importing form-file strings and writing keys back, from the main window's
// actions through the dialog into the active editor and the files.
#include "editor/view/FormLexEditor_U.h"
#include "formfiles/ui/FormDFM2Lex_U.h"
#include "platform/FileUtil.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/WhenModal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

// Forms are text in the process's code page, western here.
const char* const Form = "object Form1: TForm1\n"
                         "  Caption = 'Main Form'\n"
                         "  Font.Name = 'Tahoma'\n"
                         "  object Button1: TButton\n"
                         "    Caption = 'OK'\n"
                         "    Hint = 'It'#39's ok'\n"
                         "  end\n"
                         "  object Edit1: TEdit\n"
                         "    Text = 'typed'\n"
                         "  end\n"
                         "end\n";

class FormFileFlowsTest : public MainWindowTest {
protected:
    FormFileFlowsTest() {
        std::ofstream(formPath, std::ios::binary) << Form;
        Start();
    }

    // The key and the values of every top-level node, "key[value ...]".
    std::vector<std::string> Nodes() {
        const TLexTree& tree = Document().Tree();
        std::vector<std::string> nodes;
        for (const TTreeNode* n = tree.FirstNode(); n; n = n->NextSibling()) {
            std::string node(Document().Key(n));
            for (int c = 1; c < tree.ColumnCount(); ++c)
                if (!tree.Value(n, c).empty())
                    node += "[" + TLexDocument::BandCodePage(*tree.Column(c)->Band) + "=" +
                            std::string(tree.Value(n, c)) + "]";
            nodes.push_back(node);
        }
        return nodes;
    }

    // Imports the form file as keys, or as values of CodePage.
    void Import(const char* CodePage = nullptr) {
        test::WhenModal<TFormDFM2Lex>([this, CodePage](TFormDFM2Lex& dialog) {
            dialog.AddFiles({QString::fromStdString(formPath)});
            if (CodePage) {
                dialog.RadioButton_DisplayValue->click();
                dialog.ComboBox_CodePage->setCurrentIndex(dialog.ComboBox_CodePage->findText(
                    QString::fromLatin1(CodePage) + u' ', Qt::MatchStartsWith));
            }
            EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
            dialog.BitBtn_OK->click();
        });
        window->Action_DFM2Lex->trigger();
    }

    const std::string formPath = dir / "Main.dfm";
};

TEST_F(FormFileFlowsTest, ImportAsKeysAddsTheNewStringsOnce) {
    ASSERT_TRUE(ForcedCodePage);
    Import();
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Main Form", "OK", "It's ok"}));
    EXPECT_EQ(Document().NodeCount(), 3);
    EXPECT_TRUE(Document().Modified());
    EXPECT_EQ(window->Gauge_Load->value(), 100);

    // A second import of the same file finds everything there already.
    SetModified(Document(), false);
    Import();
    EXPECT_EQ(Nodes().size(), 3u);
    EXPECT_FALSE(Document().Modified());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
}

// The round trip a user makes: the strings become values of a language the
// editor lacks, under generated keys, and those keys go back into the form.
TEST_F(FormFileFlowsTest, ValuesOfANewLanguageAndTheirKeysWrittenBack) {
    const int bands = Document().Tree().BandCount();
    Import("1251");
    ASSERT_EQ(Document().Tree().BandCount(), bands + 1);
    const TLexBand* band = Document().Tree().Band(bands);
    EXPECT_EQ(band->Caption, "Cyrillic (Windows)");
    ASSERT_EQ(band->ColumnCount(), 1);
    EXPECT_EQ(band->Column(0)->Caption, "0");
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"LexKey1[1251=Main Form]", "LexKey2[1251=OK]",
                                                 "LexKey3[1251=It's ok]"}));
    EXPECT_TRUE(Document().Modified());

    // Cancel leaves the file alone.
    test::WhenModal<TFormDFM2Lex>([](TFormDFM2Lex& dialog) { dialog.BitBtn_Cancel->click(); });
    window->Action_Lex2DFM->trigger();
    EXPECT_EQ(ReadFileBytes(formPath), Form);

    // Into another folder first, which OK waits for once chosen; the form
    // stays as it was.
    const std::string copy = dir / "translated/Main.dfm";
    test::WhenModal<TFormDFM2Lex>([this](TFormDFM2Lex& dialog) {
        dialog.AddFiles({QString::fromStdString(formPath)});
        dialog.ComboBox_Lang->setCurrentIndex(dialog.ComboBox_Lang->count() - 1);
        dialog.CheckBox_OutputDir->click();
        EXPECT_TRUE(dialog.Edit_OutputDir->isEnabled());
        EXPECT_FALSE(dialog.BitBtn_OK->isEnabled());
        dialog.Edit_OutputDir->setText(QString::fromStdString(dir / "translated"));
        EXPECT_TRUE(dialog.BitBtn_OK->isEnabled());
        dialog.BitBtn_OK->click();
    });
    window->Action_Lex2DFM->trigger();
    EXPECT_EQ(ReadFileBytes(formPath), Form);

    test::WhenModal<TFormDFM2Lex>([this](TFormDFM2Lex& dialog) {
        EXPECT_TRUE(dialog.GroupBox_Target->isHidden());
        dialog.AddFiles({QString::fromStdString(formPath)});
        dialog.ComboBox_Lang->setCurrentIndex(dialog.ComboBox_Lang->count() - 1);
        EXPECT_EQ(dialog.ComboBox_Lang->currentText(),
                  QStringLiteral("1251       Cyrillic (Windows)"));
        dialog.BitBtn_OK->click();
    });
    window->Action_Lex2DFM->trigger();
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(formPath));
    EXPECT_EQ(ReadFileBytes(formPath), "object Form1: TForm1\n"
                                       "  Caption = 'LexKey1'\n"
                                       "  Font.Name = 'Tahoma'\n"
                                       "  object Button1: TButton\n"
                                       "    Caption = 'LexKey2'\n"
                                       "    Hint = 'LexKey3'\n"
                                       "  end\n"
                                       "  object Edit1: TEdit\n"
                                       "    Text = 'typed'\n"
                                       "  end\n"
                                       "end\n");
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
}

// The flows leave failures to the main window, which shows them and goes on.
TEST_F(FormFileFlowsTest, AFileThatCannotBeReadIsReported) {
    std::filesystem::remove(formPath);
    Import();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].find("Cannot open file"), std::string::npos) << boxes.shown[0];
    EXPECT_NE(boxes.shown[0].find(formPath), std::string::npos) << boxes.shown[0];
    EXPECT_TRUE(Nodes().empty());
}

} // namespace
} // namespace lex::test
