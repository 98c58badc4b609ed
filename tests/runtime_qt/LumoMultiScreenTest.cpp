#include "runtime/qt/LumoMultiScreen.h"

#include "runtime/qt/QtRuntimeModules.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>

namespace lex {

// Forms of the kinds the settings name, in our namespace as real forms are.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    TFormAbout() {
        setWindowTitle("About");
        Label_Title = new QLabel("About", this);
        Label_Title->setObjectName("Label_Title");
        BitBtn_OK = new QPushButton("OK", this);
        BitBtn_OK->setObjectName("BitBtn_OK");
        GroupBox_Links = new QGroupBox("File", this);
        GroupBox_Links->setObjectName("GroupBox_Links");
        Button_Open = new QPushButton("Open", GroupBox_Links);
        Button_Open->setObjectName("Button_Open");
    }
    QLabel* Label_Title;
    QPushButton* BitBtn_OK;
    QGroupBox* GroupBox_Links;
    QPushButton* Button_Open;
};

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    TFormMain() {
        setWindowTitle("Main");
        Menu_File = menuBar()->addMenu("File");
        Menu_File->setObjectName("Menu_File");
        Menu_File->addAction("Open");
        PopupMenu_HistoryFile = new QMenu("History", this);
        PopupMenu_HistoryFile->setObjectName("PopupMenu_HistoryFile");
        PopupMenu_HistoryFile->addAction("Open");
    }
    QMenu* Menu_File;
    QMenu* PopupMenu_HistoryFile;
};

namespace {

// Texts below are Western bytes; fix the process's code page before anything
// reads it.
const bool ForcedCodePage = [] { return setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0; }();

// "Text" translates to "Text#n" in sequence n of code page 1252.
std::vector<TLexRecord> Records() {
    std::vector<TLexRecord> records;
    for (const char* key : {"About", "OK", "Open", "File", "History", "Main"})
        for (const char* seqNo : {"0", "1"})
            records.push_back({key, "1252", seqNo, std::string(key) + "#" + seqNo, ""});
    return records;
}

TMultiReplaceOption Option(const char* SeqNo, bool Walks = true) {
    TMultiReplaceOption option;
    option.LexName = "Lex_Test";
    option.CodePage = "1252";
    option.SeqNo = SeqNo;
    option.ReplaceSelf = option.ReplaceOwned = option.ReplaceSon = Walks;
    return option;
}

class ScreenEyeTest : public ::testing::Test {
protected:
    ScreenEyeTest() {
        auto* lex = new TLumoMultiStreamLex(&owner);
        lex->SetLexName("Lex_Test");
        TRecordListLexReader reader(test::StandardFields, Records());
        lex->BuildFromReader(reader);
        eye.DefaultReplaceOption = Option("0");
        eye.OnBeforeReplace = [this](TLumoMultiScreenEye&, QWidget* Form, bool& Replace) {
            asked.push_back(Form);
            Replace = !refuse;
        };
        eye.OnAfterReplace = [this](TLumoMultiScreenEye&, QWidget* Form) { told.push_back(Form); };
        eye.StartWatching();
    }

    // A datum for the class with one form item of the given name.
    TMultiReplaceForm& AddForm(const char* ClassName, const char* FormName,
                               const TMultiReplaceOption& ReplaceOption) {
        TMultiReplaceDatum* datum = eye.ReplaceData.FindFormClass(ClassName);
        if (!datum) {
            datum = &eye.ReplaceData.Add();
            datum->SetFormClassName(ClassName);
        }
        TMultiReplaceForm& item = datum->ReplaceForms.Add();
        item.FormName = FormName;
        item.ReplaceOption = ReplaceOption;
        return item;
    }

    void Activate(QWidget* Form) {
        screen.SetActiveForm(nullptr);
        screen.SetActiveForm(Form);
    }

    QtRuntimeModules modules;
    TComponent owner;
    TScreen screen;
    TLumoMultiScreenEye eye{nullptr, &screen};
    bool refuse = false;
    std::vector<QWidget*> asked, told;
};

TEST_F(ScreenEyeTest, TranslatesAFormOnceInItsLife) {
    AddForm("TFormAbout", "Self", Option("0"));
    auto about = std::make_unique<TFormAbout>();
    Activate(about.get());
    EXPECT_EQ(about->windowTitle(), "About#0");
    EXPECT_EQ(about->Label_Title->text(), "About#0");
    EXPECT_EQ(told, std::vector<QWidget*>{about.get()});

    about->Label_Title->setText("About");
    Activate(about.get());
    eye.TranslateForm(about.get());
    EXPECT_EQ(about->Label_Title->text(), "About");
    EXPECT_EQ(told.size(), 1u);

    about.reset();
    about = std::make_unique<TFormAbout>(); // may well reuse the address
    EXPECT_FALSE(eye.Replaced(about.get()));
    Activate(about.get());
    EXPECT_EQ(about->Label_Title->text(), "About#0");
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(ScreenEyeTest, FormItemByNameThenSelfThenDefault) {
    AddForm("TFormAbout", "Self", Option("1"));
    AddForm("TFormAbout", "aboutbox", Option("0", true)).ReplaceOption.SeqNo = "0";
    AddForm("TFormMain", "SomeOtherMain", Option("1"));
    const struct {
        const char* formName;
        bool main;
        bool replaceNotRegister;
        const char* title; // after one activation
    } cases[] = {
        {"AboutBox", false, true, "About#0"}, // its own item, name ignoring case
        {"Another", false, true, "About#1"},  // the class's Self item
        {"", false, false, "About#1"},        // an unnamed form takes Self too
        {"Main", true, true, "Main#0"},       // no item of its name nor Self: default
        {"Main", true, false, "Main"},        // ... or left alone
    };
    for (const auto& c : cases) {
        eye.ReplaceNotRegister = c.replaceNotRegister;
        std::unique_ptr<QWidget> form;
        if (c.main)
            form = std::make_unique<TFormMain>();
        else
            form = std::make_unique<TFormAbout>();
        form->setObjectName(c.formName);
        Activate(form.get());
        EXPECT_EQ(form->windowTitle().toStdString(), c.title) << c.formName;
    }
}

TEST_F(ScreenEyeTest, WithoutSettingsOnlyWhenAskedUnlessReplaceNotRegister) {
    eye.ReplaceNotRegister = false;
    TFormAbout about;
    Activate(&about);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(asked.empty()); // not even asked
    EXPECT_FALSE(eye.Replaced(&about));

    eye.TranslateForm(&about);
    EXPECT_EQ(about.windowTitle(), "About#0");
    EXPECT_EQ(about.BitBtn_OK->text(), "OK#0");
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(eye.Replaced(&about));
}

TEST_F(ScreenEyeTest, RefusedFormIsTriedAgain) {
    AddForm("TFormAbout", "Self", Option("0"));
    TFormAbout about;
    refuse = true;
    Activate(&about);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(told.empty());

    refuse = false;
    Activate(&about);
    EXPECT_EQ(about.windowTitle(), "About#0");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(ScreenEyeTest, MissingDictionaryCountsAsDoneAndAFailingOneDoesNot) {
    TMultiReplaceOption missing = Option("0");
    missing.LexName = "Lex_None";
    AddForm("TFormAbout", "Self", missing);
    TFormAbout about;
    Activate(&about);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(eye.Replaced(&about));

    // A dictionary whose build fails: the error reaches the caller, the form
    // is not entered, and the next attempt fails the same way.
    auto* broken = new TLumoMultiStreamLex(&owner);
    broken->SetLexName("Lex_Broken");
    broken->LexReaderID = "NoSuchReader";
    eye.DefaultReplaceOption.LexName = "Lex_Broken";
    TFormMain main;
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(eye.TranslateForm(&main), Exception);
    EXPECT_FALSE(eye.Replaced(&main));
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(ScreenEyeTest, ExcludedComponentsKeepTheirTextsWithEverythingBelow) {
    AddForm("TFormMain", "Self", Option("0")).UnReplaceComs.Add("popupmenu_historyfile");
    TFormMain main;
    Activate(&main);
    EXPECT_EQ(main.windowTitle(), "Main#0");
    EXPECT_EQ(main.Menu_File->title(), "File#0");
    EXPECT_EQ(main.Menu_File->actions()[0]->text(), "Open#0");
    EXPECT_EQ(main.PopupMenu_HistoryFile->title(), "History");
    EXPECT_EQ(main.PopupMenu_HistoryFile->actions()[0]->text(), "Open");
}

TEST_F(ScreenEyeTest, ComponentSettingsComeFirstAndAreNotOverridden) {
    // The about box: nothing of the form but its OK button.
    TMultiReplaceForm& item = AddForm("TFormAbout", "Self", Option("0", false));
    item.ReplaceComs.Add().SetComName("BitBtn_OK");
    item.ReplaceComs[0].ReplaceOption = Option("1");
    TFormAbout about;
    Activate(&about);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.Label_Title->text(), "About");
    EXPECT_EQ(about.BitBtn_OK->text(), "OK#1");
    EXPECT_EQ(about.Button_Open->text(), "Open");

    // With the form's walks on, components keep the texts of their own
    // items, at any depth, unless something above them is excluded.
    item.ReplaceOption = Option("0");
    item.ReplaceComs.Add().SetComName("Button_Open");
    item.ReplaceComs[1].ReplaceOption = Option("1");
    const struct {
        const char* excluded;
        const char *group, *open;
    } cases[] = {{"", "File#0", "Open#1"}, {"GroupBox_Links", "File", "Open"}};
    for (const auto& c : cases) {
        item.UnReplaceComs.Clear();
        item.UnReplaceComs.Add(c.excluded);
        TFormAbout second;
        Activate(&second);
        EXPECT_EQ(second.Label_Title->text(), "About#0");
        EXPECT_EQ(second.BitBtn_OK->text(), "OK#1");
        EXPECT_EQ(second.GroupBox_Links->title().toStdString(), c.group);
        EXPECT_EQ(second.Button_Open->text().toStdString(), c.open);
    }
}

TEST_F(ScreenEyeTest, WatchingChainsToThePreviousHandlerAndGivesItBack) {
    TScreen own;
    int calls = 0;
    own.OnActiveFormChange = [&](TScreen&) { ++calls; };
    TFormAbout outliving; // translated by an eye that goes first
    {
        TLumoMultiScreenEye second(nullptr, &own);
        second.DefaultReplaceOption = Option("0");
        second.StartWatching();
        TFormAbout about;
        own.SetActiveForm(&about);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(about.windowTitle(), "About#0");
        own.SetActiveForm(&about); // no change, no call
        EXPECT_EQ(calls, 1);
        own.SetActiveForm(&outliving);
        EXPECT_TRUE(second.Replaced(&outliving));
        own.SetActiveForm(nullptr);
        EXPECT_EQ(calls, 3);
    } // a watching eye puts the handler back when it goes
    TFormAbout later;
    own.SetActiveForm(&later);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(later.windowTitle(), "About");

    eye.StopWatching();
    EXPECT_FALSE(screen.OnActiveFormChange);
    Activate(&later);
    EXPECT_EQ(later.windowTitle(), "About");
}

TEST_F(ScreenEyeTest, FollowsQtWindowActivation) {
    TLumoMultiScreenEye live;
    live.DefaultReplaceOption = Option("1");
    live.StartWatching();
    const auto show = [](QWidget& Form) {
        Form.show();
        Form.activateWindow();
        return QTest::qWaitForWindowActive(&Form) && Screen().ActiveForm() == &Form;
    };
    TFormAbout about;
    TFormMain main;
    ASSERT_TRUE(show(about));
    ASSERT_TRUE(show(main));
    EXPECT_EQ(about.windowTitle(), "About#1");
    EXPECT_EQ(main.windowTitle(), "Main#1");

    // A failure cannot travel through Qt's event loop: it is shown instead.
    auto* broken = new TLumoMultiStreamLex(&owner);
    broken->SetLexName("Lex_Broken");
    broken->LexReaderID = "NoSuchReader";
    live.DefaultReplaceOption.LexName = "Lex_Broken";
    test::ScriptedMessageBoxes boxes;
    TFormAbout failing;
    ASSERT_TRUE(show(failing));
    EXPECT_EQ(boxes.shown, std::vector<std::string>{
                               "Error|dictionary reader ID \"NoSuchReader\" ,not registered!"});
    EXPECT_FALSE(live.Replaced(&failing));
    live.StopWatching();
}

TEST(MultiReplaceDataTest, NamesAreUniqueIgnoringCase) {
    TMultiReplaceData data;
    TMultiReplaceDatum& about = data.Add();
    about.SetFormClassName("TFormAbout");
    TMultiReplaceDatum& other = data.Add();
    other.SetFormClassName("");
    data.Add().SetFormClassName(""); // empty names do not clash
    EXPECT_THROW(
        {
            try {
                other.SetFormClassName("TFORMABOUT");
            } catch (const Exception& error) {
                EXPECT_STREQ(error.what(), "form class: \"TFORMABOUT\" already added.");
                throw;
            }
        },
        Exception);
    EXPECT_EQ(other.FormClassName(), "");
    about.SetFormClassName("tformabout"); // its own name in another case
    EXPECT_EQ(about.FormClassName(), "TFormAbout");
    EXPECT_EQ(data.FindFormClass("TFORMABOUT"), &about);

    TMultiReplaceForm& form = about.ReplaceForms.Add();
    form.FormName = "Self";
    form.UnReplaceComs = {"ListBox_Nodes", "checklistbox_lang"};
    TMultiReplaceCom2& ok = form.ReplaceComs.Add();
    ok.SetComName("BitBtn_OK");
    TMultiReplaceCom2& second = form.ReplaceComs.Add();
    const struct {
        const char* name;
        const char* message;
    } refused[] = {
        {"CheckListBox_Lang", "component: \"CheckListBox_Lang\" already added in unreplace list."},
        {"bitbtn_ok", "component: \"bitbtn_ok\" already added."},
    };
    for (const auto& c : refused) {
        try {
            second.SetComName(c.name);
            ADD_FAILURE() << c.name;
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(second.ComName(), "");
    }
    ok.SetComName("BITBTN_OK");
    EXPECT_EQ(ok.ComName(), "BitBtn_OK");
    second.SetComName("Label_Title");

    EXPECT_EQ(about.DisplayName(), "TFormAbout : 1");
    EXPECT_EQ(form.DisplayName(), "Self - 2 - 2");
    EXPECT_EQ(ok.DisplayName(), "BitBtn_OK");
    EXPECT_EQ(form.UnReplaceComs[0], "checklistbox_lang"); // kept sorted
    EXPECT_EQ(form.ReplaceComs.FindComName("label_title"), &second);
}

TEST(MultiReplaceDataTest, AssignCopiesDeeplyAndSetCodePageTouchesOnlyCodePages) {
    TMultiReplaceData data;
    TMultiReplaceDatum& datum = data.Add();
    datum.SetFormClassName("TFormMain");
    TMultiReplaceForm& form = datum.ReplaceForms.Add();
    form.FormName = "Self";
    form.ReplaceOption = Option("0", false);
    form.UnReplaceComs.Add("PopupMenu_HistoryFile");
    form.ReplaceComs.Add().SetComName("Menu_File");
    form.ReplaceComs[0].ReplaceOption = Option("1");

    TScreen screen;
    TLumoMultiScreenEye eye(nullptr, &screen);
    eye.DefaultReplaceOption = Option("0");
    eye.ReplaceData.Assign(data);
    data[0].ReplaceForms[0].ReplaceComs[0].SetComName("Other");
    TMultiReplaceForm& copy = eye.ReplaceData[0].ReplaceForms[0];
    EXPECT_EQ(copy.ReplaceComs[0].ComName(), "Menu_File");
    EXPECT_TRUE(copy.UnReplaceComs.Contains("popupmenu_historyfile"));
    // The copy's components answer to the copy's exclusions.
    copy.UnReplaceComs.Add("Other");
    EXPECT_THROW(copy.ReplaceComs.Add().SetComName("Other"), Exception);

    eye.SetCodePage("936");
    TMultiReplaceOption expected = Option("0");
    expected.CodePage = "936";
    EXPECT_EQ(eye.DefaultReplaceOption, expected);
    expected = Option("0", false);
    expected.CodePage = "936";
    EXPECT_EQ(copy.ReplaceOption, expected);
    for (int i = 0; i < copy.ReplaceComs.Count(); ++i) {
        expected = i == 0 ? Option("1") : TMultiReplaceOption();
        expected.CodePage = "936";
        EXPECT_EQ(copy.ReplaceComs[i].ReplaceOption, expected);
    }
    EXPECT_EQ(data[0].ReplaceForms[0].ReplaceOption.CodePage, "1252"); // the source is apart
}

TEST(MultiReplaceDataTest, NamesOfFormsAndComponents) {
    TFormAbout about;
    QDialog plain;
    EXPECT_EQ(FormClassName(about), "TFormAbout");
    EXPECT_EQ(FormClassName(plain), "QDialog");
    EXPECT_EQ(ComponentName(*about.BitBtn_OK), "BitBtn_OK");
    EXPECT_EQ(ComponentName(plain), std::nullopt);
    plain.setObjectName(QString::fromUtf16(u"\u4e2d"));
    EXPECT_EQ(ComponentName(plain), std::nullopt); // 1252 cannot hold it
}

} // namespace
} // namespace lex

#include "LumoMultiScreenTest.moc"
