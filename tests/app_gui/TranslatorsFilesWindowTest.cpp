// Translators' files and the consistency checks from the main window: the
// file types, the language questions, the import's report and the panel of
// findings, on real widgets.
#include "app/CheckPanel.h"
#include "app/FormExport_U.h"
#include "app/FormTranslationLanguage_U.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexTreeModel.h"
#include "interchange/LexInterchange.h"
#include "platform/FileUtil.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/WhenModal.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTreeView>
#include <fstream>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

// Plays the language question: records what it proposes, then picks the
// code page and sequence (typed, for an import's new sequence).
void PlayLanguageDialog(const std::string& CodePage, const QString& SeqNo,
                        std::string* Proposed = nullptr) {
    WhenModal<TFormTranslationLanguage>([=](TFormTranslationLanguage& dialog) {
        if (Proposed) *Proposed = dialog.CodePage();
        dialog.SelectCodePage(CodePage);
        if (dialog.ComboBox_Sequence->isEditable())
            dialog.ComboBox_Sequence->setEditText(SeqNo);
        else
            dialog.ComboBox_Sequence->setCurrentText(SeqNo);
        dialog.accept();
    });
}

class TranslatorsFilesWindowTest : public MainWindowTest {
protected:
    TranslatorsFilesWindowTest() { Start(); }

    // "File" with "&Open" and "Save" under it, in French (1252) and in a
    // second language (936) whose values are plain ASCII.
    TFormLexEditor& OpenSample() {
        const std::string path = dir / "sample.lxc";
        std::ofstream out(path, std::ios::binary);
        out << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
               "\"File\",\"1252\",\"0\",\"Fichier\",,\r\n"
               "\"File\",\"936\",\"0\",\"WenJian\",,\r\n"
               "\"&Open\",\"1252\",\"0\",\"Ouvrir\",\"File\",\r\n"
               "\"&Open\",\"936\",\"0\",\"&DaKai\",\"File\",\r\n"
               "\"Save\",\"1252\",\"0\",\"Enregistrer\",\"File\",\r\n"
               "\"Save\",\"936\",\"0\",\"BaoCun\",\"File\",\r\n";
        out.close();
        window->OpenLexiconFile(path);
        Settle();
        window->ApplicationEvents1Idle();
        return *window->ActiveEditor();
    }

    std::string Value(const std::string& Key, const std::string& CodePage,
                      const std::string& SeqNo) {
        TLexDocument& doc = window->ActiveEditor()->Document();
        const TTreeNode* node = doc.FindNodeByKey(Key);
        if (!node) return "(no key)";
        return std::string(doc.Tree().Value(node, LanguageColumn(doc, CodePage, SeqNo).Index()));
    }
};

// Each format goes out from a two-language editor (the language asked, the
// editor left unmodified) and comes back into a new sequence, where the
// import proposes the file's language.
TEST_F(TranslatorsFilesWindowTest, ALanguageGoesOutAndComesBackIntoAnotherSequence) {
    for (const char* name : {"out.po", "out.ts", "out.xlf"}) {
        SCOPED_TRACE(name);
        TFormLexEditor& editor = OpenSample();
        const std::string file = dir / name;
        PlayExportDialog(file);
        PlayLanguageDialog("1252", QStringLiteral("0"));
        window->Action_Export->trigger();
        const std::string written = ReadFileBytes(file);
        EXPECT_NE(written.find("Enregistrer"), std::string::npos) << written;
        EXPECT_EQ(written.find("BaoCun"), std::string::npos) << written;
        EXPECT_FALSE(editor.Document().Modified());

        QStringList types;
        std::string proposed;
        PlayOpenDialog(file, &types);
        PlayLanguageDialog("1252", QStringLiteral("1"), &proposed);
        window->Action_Import->trigger();
        EXPECT_TRUE(types.contains(QStringLiteral("gettext PO (*.po *.pot)")))
            << types.join(u',').toStdString();
        EXPECT_EQ(proposed, "1252");
        for (const char* key : {"File", "&Open", "Save"})
            EXPECT_EQ(Value(key, "1252", "1"), Value(key, "1252", "0")) << key;
        EXPECT_EQ(window->ActiveEditor()->Document().FindNodeByKey("Save")->Parent(),
                  window->ActiveEditor()->Document().FindNodeByKey("File"));
        EXPECT_TRUE(editor.Document().Modified());
        EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
        SetModified(editor.Document(), false);
        window->SubWindowOf(editor)->close();
        Settle();
    }
}

// The merge's question comes for a value that differs, and its answer holds;
// an entry the code page cannot hold is named with its line in one message
// and the rest arrives. A language the document lacks is proposed from the
// catalogue of code pages.
// An export onto an existing file asks first; No leaves the dialog open and
// the file alone. A file another program changes after the user agreed (here
// while the language is asked) is refused and kept as that program left it.
TEST_F(TranslatorsFilesWindowTest, AnExportAsksBeforeReplacingAFileAndKeepsOneChangedSince) {
    enum class Then { Decline, Agree, ChangedMeanwhile };
    for (const Then then : {Then::Decline, Then::Agree, Then::ChangedMeanwhile}) {
        SCOPED_TRACE(static_cast<int>(then));
        OpenSample();
        const std::string file = dir / "theirs.po";
        WriteFileAtomically(file, [](OutputStream& Out) { Out.Write("theirs"); });
        boxes.shown.clear();
        boxes.answers = {then == Then::Decline ? IDNO : IDYES};
        bool stayedOpen = false;
        WhenModal<TFormExport>([&](TFormExport& dialog) {
            dialog.Edit_FileName->setText(QString::fromStdString(file));
            dialog.accept();
            stayedOpen = dialog.isVisible();
            if (stayedOpen) dialog.reject();
        });
        if (then != Then::Decline)
            WhenModal<TFormTranslationLanguage>([&](TFormTranslationLanguage& dialog) {
                if (then == Then::ChangedMeanwhile)
                    WriteFileAtomically(file,
                                        [](OutputStream& Out) { Out.Write("theirs, later"); });
                dialog.accept();
            });
        window->Action_Export->trigger();
        Settle();

        ASSERT_GE(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0], "Confirm|File \"" + file + "\" already exists. Replace it?");
        EXPECT_EQ(stayedOpen, then == Then::Decline);
        const std::string onDisk = ReadFileBytes(file);
        switch (then) {
        case Then::Decline:
            EXPECT_EQ(onDisk, "theirs");
            EXPECT_EQ(boxes.shown.size(), 1u);
            break;
        case Then::Agree:
            EXPECT_NE(onDisk.find("Enregistrer"), std::string::npos) << onDisk;
            EXPECT_EQ(boxes.shown.size(), 1u);
            break;
        case Then::ChangedMeanwhile:
            EXPECT_EQ(onDisk, "theirs, later");
            ASSERT_EQ(boxes.shown.size(), 2u);
            EXPECT_NE(boxes.shown[1].find("was changed by another program"), std::string::npos)
                << boxes.shown[1];
            break;
        }
    }
}

TEST_F(TranslatorsFilesWindowTest, ImportAsksBeforeOverwritingAndReportsWhatItLeftOut) {
    const std::string file = dir / "in.po";
    std::ofstream(file, std::ios::binary) << "msgid \"\"\n"
                                             "msgstr \"\"\n"
                                             "\"Language: zh_TW\\n\"\n"
                                             "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                                             "\n"
                                             "msgid \"&Open\"\n"
                                             "msgstr \"Ouvrir...\"\n"
                                             "\n"
                                             "msgid \"Save\"\n"
                                             "msgstr \"Enregistrer\"\n"
                                             "\n"
                                             "msgid \"Close\"\n"
                                             "msgstr \"\xE4\xB8\xAD\"\n"
                                             "\n"
                                             "msgid \"New\"\n"
                                             "msgstr \"Nouveau\"\n";
    const struct {
        int answer;
        const char* open;
    } cases[] = {{IDYES, "Ouvrir..."}, {IDNO, "Ouvrir"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.open);
        TFormLexEditor& editor = OpenSample();
        boxes.shown.clear();
        boxes.answers = {c.answer};
        std::string proposed;
        PlayOpenDialog(file);
        PlayLanguageDialog("1252", QStringLiteral("0"), &proposed);
        window->Action_Import->trigger();
        EXPECT_EQ(proposed, "950");
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].rfind("Confirm|Value Already Exists!", 0), 0u) << boxes.shown[0];
        EXPECT_NE(boxes.shown[0].find("Ouvrir..."), std::string::npos) << boxes.shown[0];
        EXPECT_EQ(boxes.shown[1].rfind("Warning|These entries were not imported; the rest was: \n"
                                       "in.po:12: \"Close\": ",
                                       0),
                  0u)
            << boxes.shown[1];
        EXPECT_EQ(Value("&Open", "1252", "0"), c.open);
        EXPECT_EQ(Value("Save", "1252", "0"), "Enregistrer");
        EXPECT_EQ(Value("New", "1252", "0"), "Nouveau");
        EXPECT_EQ(editor.Document().FindNodeByKey("Close"), nullptr);
        SetModified(editor.Document(), false);
        window->SubWindowOf(editor)->close();
        Settle();
    }
}

// A finding opens its cell, its parent expanded; once its key or its editor
// is gone, a double click says so instead.
TEST_F(TranslatorsFilesWindowTest, CheckLexiconListsFindingsThatFocusTheirCell) {
    for (TFormLexEditor* each : window->Editors()) // the start-up lexicon
        window->SubWindowOf(*each)->close();
    Settle();
    window->ApplicationEvents1Idle();
    EXPECT_FALSE(window->Action_CheckLex->isEnabled());
    TFormLexEditor& editor = OpenSample();
    EXPECT_TRUE(window->Action_CheckLex->isEnabled());
    editor.TreeView()->collapseAll();
    window->Action_CheckLex->trigger();
    auto* panel = window->findChild<TCheckPanel*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    QAbstractItemModel* findings = panel->TreeView_Findings->model();
    const auto cell = [&](int Row, int Column) {
        return findings->index(Row, Column).data().toString().toStdString();
    };
    int row = -1;
    for (int r = 0; r < findings->rowCount(); ++r)
        if (cell(r, 0) == "&Open" && cell(r, 1).ends_with("(1252)") && cell(r, 2) == "0" &&
            cell(r, 3) == "accelerator")
            row = r;
    ASSERT_GE(row, 0);

    const QModelIndex finding = findings->index(row, 0);
    emit panel->TreeView_Findings->activated(finding);
    TLexDocument& doc = editor.Document();
    TTreeNode* node = doc.FindNodeByKey("&Open");
    const QModelIndex target =
        editor.Model()->IndexOf(node, LanguageColumn(doc, "1252", "0").Index());
    EXPECT_EQ(editor.TreeView()->currentIndex(), target);
    EXPECT_TRUE(editor.TreeView()->isExpanded(target.parent()));
    EXPECT_EQ(doc.Tree().FocusedNode(), node);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();

    boxes.answers = {IDYES};
    doc.DeleteNodes();
    ASSERT_EQ(doc.FindNodeByKey("&Open"), nullptr);
    boxes.shown.clear();
    emit panel->TreeView_Findings->activated(finding);
    EXPECT_EQ(boxes.shown,
              std::vector<std::string>{"Warning|Key \"&Open\" is no longer in the lexicon."});

    SetModified(doc, false);
    window->SubWindowOf(editor)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    boxes.shown.clear();
    emit panel->TreeView_Findings->activated(finding);
    EXPECT_EQ(boxes.shown,
              std::vector<std::string>{"Warning|The editor of these findings has been closed."});
}

} // namespace
} // namespace lex::test
