// The tool in the language of the system it runs on: its menus, bars,
// dialogs and message boxes from "Lex_GUI", with the texts that are data left
// alone. Built once per interface code page, since a process reads its code
// page once.
#include "app/AppModules.h"
#include "app/FormAbout_U.h"
#include "app/FormCodePage_U.h"
#include "app/FormExport_U.h"
#include "app/FormLexDM_U.h"
#include "app/FormLexMain_U.h"
#include "app/FormReplace_U.h"
#include "app/GuiText.h"
#include "app/HistoryFiles.h"
#include "app/LumoOption.h"
#include "database/ui/FormOpenDB_U.h"
#include "editor/LexDocument.h"
#include "formfiles/ui/FormDFM2Lex_U.h"
#include "formfiles/ui/FromGrabData_U.h"
#include "platform/MessageBox.h"
#include "runtime/qt/LumoMultiScreen.h"
#include "runtime/qt/QtMessageBox.h"
#include "support/TempDir.h"
#include "support/TestCodePage.h"
#include "support/WhenModal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace lex::test {
namespace {

// A text as the interface shows it in each language.
struct TShown {
    const char* English;
    const char* Simplified;
    const char* Traditional;

    QString Expected() const {
        return QString::fromUtf8(TestCodePage == "936"   ? Simplified
                                 : TestCodePage == "950" ? Traditional
                                                         : English);
    }
};

const TShown FileMenu{"&File", "文件(&F)", "檔案(&F)"};
const TShown SaveItem{"&Save", "保存(&S)", "儲存(&S)"};
const TShown SaveHint{"Save", "保存", "儲存"};
const TShown DeleteLanguage{"Delete &Language", "删除语言(&L)", "刪除語言(&L)"};
const TShown Minimize{"Minimize", "最小化", "最小化"};
const TShown TotalNodes{"Total Nodes:", "节点总数：", "節點總數："};
const TShown SearchBand{"Search", "搜索", "搜尋"};
const TShown HistoryFile{"&History File", "历史文件(&H)", "歷史檔案(&H)"};
const TShown AddNewLanguage{"Add New Language", "添加新语言", "新增語言"};
const TShown DataModified{"Data modified, Save?", "数据已修改，是否保存？",
                          "資料已修改，是否儲存？"};
const TShown Confirm{"Confirm", "确认", "確認"};
const TShown Cancel{"Cancel", "取消", "取消"};
const TShown Yes{"&Yes", "是(&Y)", "是(&Y)"};
const TShown Ok{"OK", "确定", "確定"};
const TShown ExportToDFM{"Export LexKey to DFM File...", "导出词条键到 DFM 文件...",
                         "匯出詞條鍵至 DFM 檔案..."};
const TShown ExportTab{"Export", "导出", "匯出"};
const TShown SkipClasses{"Skip Classes", "跳过类", "略過類別"};
const TShown DFMFile{"DFM File", "DFM 文件", "DFM 檔案"};
const TShown Suggestion{"Suggestion : Please Backup DFM Files before Exporting.",
                        "建议：导出前请先备份 DFM 文件。", "建議：匯出前請先備份 DFM 檔案。"};
const TShown DisplayValue{"Language Display Value", "语言显示值", "語言顯示值"};
const TShown AddFile{"Add File...", "添加文件...", "新增檔案..."};
const TShown Tables{"Tables", "数据表", "資料表"};
const TShown ClearTable{"Clear Table Before Save", "保存前清空数据表", "儲存前清空資料表"};
const TShown EmbeddedTable{
    "Table the tool creates in its embedded database:", "本工具在内置数据库中创建的数据表：",
    "本工具在內建資料庫中建立的資料表："};

const TShown NextUntranslated{"Next &Untranslated", "下一个未翻译(&U)", "下一個未翻譯(&U)"};
const TShown UntranslatedOnlyHint{"Untranslated Only", "仅显示未翻译", "僅顯示未翻譯"};
const TShown Translated{"Translated:", "已翻译：", "已翻譯："};
const TShown ReplaceCaption{"Replace", "替换", "取代"};
const TShown FindWhat{"Fi&nd what:", "查找内容(&N)：", "尋找目標(&N)："};
const TShown WholeCell{"&Whole cell", "整个单元格匹配(&W)", "整個儲存格相符(&W)"};

class SelfTranslationTest : public ::testing::Test {
protected:
    SelfTranslationTest()
        : modules(dir / "LexManager.ini"), dm(nullptr, LumoOption->CodePage, LumoOption->SeqNo) {}

    ~SelfTranslationTest() override {
        window.reset();
        Settle();
    }

    TFormLexMain& Start() {
        window = std::make_unique<TFormLexMain>();
        window->resize(900, 700);
        window->show();
        QApplication::setActiveWindow(window.get());
        Settle();
        return *window;
    }

    QMenu* Menu(const char* Name) { return window->findChild<QMenu*>(QString::fromLatin1(Name)); }

    // The options' database, which is the embedded one beside them.
    TDBSource DBSource() {
        TDBSource source;
        source.ReadSettings = [] { return LumoOption->DBSettings(); };
        source.EditConnection = &dm.SQLConnection_Edit;
        source.ShowError = [](QWidget*, const std::string& Message) { ADD_FAILURE() << Message; };
        return source;
    }

    TempDir dir;
    AppModules modules;
    TLexDM dm;
    std::unique_ptr<TFormLexMain> window;
};

TEST_F(SelfTranslationTest, TheProcessRunsInTheLanguageUnderTest) {
    ASSERT_FALSE(TestCodePage.empty()) << "LEX_TEST_CODEPAGE names the code page under test";
    EXPECT_EQ(LumoOption->CodePage, TestCodePage);
}

TEST_F(SelfTranslationTest, MainWindowShowsItsMenusBarsAndPanelsInTheInterfaceLanguage) {
    Start();
    EXPECT_TRUE(window->LumoMultiScreenEye_Main->Replaced(window.get()));
    EXPECT_EQ(Menu("Menu_File")->title(), FileMenu.Expected());
    EXPECT_EQ(window->Action_Save->text(), SaveItem.Expected());
    EXPECT_EQ(window->Action_Save->toolTip(), SaveHint.Expected());
    // Reached through the editor's context menu and the child-window bar.
    EXPECT_EQ(window->Menu_DeleteLanguage->text(), DeleteLanguage.Expected());
    EXPECT_EQ(window->Action_Min->text(), Minimize.Expected());
    EXPECT_EQ(window->Menu_HistoryFile->title(), HistoryFile.Expected());
    EXPECT_EQ(window->StatusPanels[0]->text(), TotalNodes.Expected());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label_Search"))->text(),
              SearchBand.Expected());
    // The panel widens to its translated caption rather than cutting it.
    EXPECT_GE(window->StatusPanels[0]->width(),
              window->StatusPanels[0]->fontMetrics().horizontalAdvance(TotalNodes.Expected()));
}

TEST_F(SelfTranslationTest, SettingsNameTheWindowsAndWidgetsThatExist) {
    Start();
    TFormAbout about(window.get());
    TFormCodePage codePage(window.get());
    TFormExport exportDialog(window.get());
    TFormDFM2Lex formFiles(window.get());
    TFormOpenDB tables(DBSource(), window.get());
    TFormGrabData grab(DBSource(), {}, window.get());
    for (QWidget* form : std::initializer_list<QWidget*>{
             window.get(), &about, &codePage, &exportDialog, &formFiles, &tables, &grab}) {
        const std::string className = FormClassName(*form);
        const TMultiReplaceDatum* datum =
            window->LumoMultiScreenEye_Main->ReplaceData.FindFormClass(className);
        ASSERT_NE(datum, nullptr) << className;
        const TMultiReplaceForm& item = datum->ReplaceForms[0];
        EXPECT_EQ(item.FormName, "Self");
        std::vector<std::string> names;
        for (int i = 0; i < item.UnReplaceComs.Count(); ++i)
            names.push_back(item.UnReplaceComs[i]);
        for (int i = 0; i < item.ReplaceComs.Count(); ++i)
            names.push_back(item.ReplaceComs[i].ComName());
        for (const std::string& name : names)
            EXPECT_NE(form->findChild<QObject*>(QString::fromStdString(name)), nullptr)
                << className << " has no " << name;
    }
}

TEST_F(SelfTranslationTest, SearchCommandsAndTheReplaceDialogSpeakTheInterfaceLanguage) {
    Start();
    EXPECT_EQ(window->Action_NextUntranslated->text(), NextUntranslated.Expected());
    EXPECT_EQ(window->Action_UntranslatedOnly->toolTip(), UntranslatedOnlyHint.Expected());
    EXPECT_EQ(window->Label_Translated->text(), Translated.Expected());
    TFormReplace replace(window.get());
    EXPECT_EQ(replace.windowTitle(), ReplaceCaption.Expected());
    const auto* form = qobject_cast<QFormLayout*>(replace.Edit_Find->parentWidget()->layout());
    ASSERT_NE(form, nullptr);
    const auto* label = qobject_cast<QLabel*>(form->labelForField(replace.Edit_Find));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), FindWhat.Expected());
    EXPECT_EQ(replace.CheckBox_WholeCell->text(), WholeCell.Expected());
}

TEST_F(SelfTranslationTest, HistoryEntriesKeepTheirFileNames) {
    // Names that are keys of the lexicon, so a look-up would change them.
    LumoOption->HistoryFiles = {"Save", "Cancel"};
    Start();
    // The settings of the main window once more, now that the menus hold the
    // entries: the popup is excluded, the submenu holds captions, not keys.
    window->LumoMultiScreenEye_Main->ReplaceData.FindFormClass("TFormLexMain")
        ->ReplaceForms[0]
        .ApplyTo(window.get());
    for (QMenu* menu : {window->PopupMenu_HistoryFile, window->Menu_HistoryFile}) {
        ASSERT_EQ(menu->actions().size(), 2) << menu->objectName().toStdString();
        EXPECT_EQ(menu->actions()[0]->text(), HistoryCaption(0, "Save"));
        EXPECT_EQ(menu->actions()[1]->text(), HistoryCaption(1, "Cancel"));
    }
}

TEST_F(SelfTranslationTest, DialogsAreTranslatedWhenTheyBecomeActive) {
    Start();
    TFormCodePage dialog(window.get());
    dialog.AddEntry(QStringLiteral("OK"), nullptr); // data: stays as it is
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Settle();
    EXPECT_TRUE(window->LumoMultiScreenEye_Main->Replaced(&dialog));
    EXPECT_EQ(dialog.windowTitle(), AddNewLanguage.Expected());
    EXPECT_EQ(dialog.BitBtn_OK->text(), Ok.Expected());
    EXPECT_EQ(dialog.CheckListBox_Lang->item(0)->text(), QStringLiteral("OK"));
}

// Its texts are the lexicon's keys as they stand, set up before it shows.
TEST_F(SelfTranslationTest, FormFileDialogIsTranslatedWhenItBecomesActive) {
    Start();
    TLexDocument doc;
    doc.AddDefaultLanguages();
    TFormDFM2Lex dialog(window.get());
    dialog.SetUpForExport(doc.Tree());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Settle();
    EXPECT_TRUE(window->LumoMultiScreenEye_Main->Replaced(&dialog));
    EXPECT_EQ(dialog.windowTitle(), ExportToDFM.Expected());
    EXPECT_EQ(dialog.PageControl1->tabText(0), ExportTab.Expected());
    EXPECT_EQ(dialog.PageControl1->tabText(2), SkipClasses.Expected());
    EXPECT_EQ(dialog.GroupBox_DFM->title(), DFMFile.Expected());
    EXPECT_EQ(dialog.Label_Suggestion->text(), Suggestion.Expected());
    EXPECT_EQ(dialog.RadioButton_DisplayValue->text(), DisplayValue.Expected());
    EXPECT_EQ(dialog.BitBtn1->text(), AddFile.Expected());
    EXPECT_EQ(dialog.BitBtn_Cancel->text(), Cancel.Expected());
}

// Its table names are data and stay as they are.
TEST_F(SelfTranslationTest, TableDialogIsTranslatedButNotItsTables) {
    Start();
    TFormOpenDB dialog(DBSource(), window.get());
    ASSERT_EQ(dialog.CheckListBox_Tables->count(), 1);
    dialog.CheckListBox_Tables->item(0)->setText(QStringLiteral("Tables"));
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Settle();
    EXPECT_TRUE(window->LumoMultiScreenEye_Main->Replaced(&dialog));
    EXPECT_EQ(dialog.PageControl1->tabText(0), Tables.Expected());
    EXPECT_EQ(dialog.CheckBox_Clear->text(), ClearTable.Expected());
    EXPECT_EQ(dialog.Label_Portable->text(), EmbeddedTable.Expected());
    EXPECT_EQ(dialog.BitBtn_Cancel->text(), Cancel.Expected());
    EXPECT_EQ(dialog.CheckListBox_Tables->item(0)->text(), QStringLiteral("Tables"));
}

TEST_F(SelfTranslationTest, AboutBoxHasOnlyItsOkButtonTranslatedByTheEye) {
    Start();
    TFormAbout about(window.get());
    // English keys where the box's own code put its texts: the eye must
    // translate the button and leave the rest.
    about.BitBtn_OK->setText(QStringLiteral("OK"));
    about.Label_Version->setText(QStringLiteral("Save"));
    about.setWindowTitle(QStringLiteral("Cancel"));
    window->LumoMultiScreenEye_Main->TranslateForm(&about);
    EXPECT_EQ(about.BitBtn_OK->text(), Ok.Expected());
    EXPECT_EQ(about.Label_Version->text(), QStringLiteral("Save"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Cancel"));
}

TEST_F(SelfTranslationTest, MessageBoxesShowTheirTextsAndButtonsTranslated) {
    Start();
    const MessageBoxHook previous = SetMessageBoxHook(&QtMessageBox);
    QString text, caption, yes, cancel;
    bool translated = false;
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [&, timer, tries] {
        auto* box = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
        const bool ready = box && window->LumoMultiScreenEye_Main->Replaced(box);
        if (!ready && ++*tries < 300) return;
        timer->stop();
        timer->deleteLater();
        if (!box) return;
        translated = ready;
        text = box->text();
        caption = box->windowTitle();
        yes = box->button(QMessageBox::Yes)->text();
        cancel = box->button(QMessageBox::Cancel)->text();
        box->reject();
    });
    timer->start(10);
    const int answer = GuiMessageBox(window.get(), "Data modified, Save?", "Confirm",
                                     MB_YESNOCANCEL | MB_ICONQUESTION);
    SetMessageBoxHook(previous);
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(translated);
    EXPECT_EQ(text, DataModified.Expected());
    EXPECT_EQ(caption, Confirm.Expected());
    EXPECT_EQ(yes, Yes.Expected());
    EXPECT_EQ(cancel, Cancel.Expected());
}

} // namespace
} // namespace lex::test
