#include "runtime/qt/ComponentWalk.h"

#include "TranslationFixture.h"

#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <stdexcept>

namespace lex {
namespace {

using test::TranslationTest;
using Keys = std::vector<std::string>;

// A widget whose only text is its tool tip, so the keys asked give the order
// in which the walk handles the widgets.
QWidget* Marked(const char* Name, QWidget* Parent) {
    auto* widget = new QWidget(Parent);
    widget->setObjectName(Name);
    widget->setToolTip(Name);
    return widget;
}

class WalkTest : public TranslationTest {
protected:
    test::TBracketLex& lex = NewLex({"W", "A", "A1", "A2", "M", "B", "Title", "File", "Open", "Tip",
                                     "Panel", "Ok", "Ready", "Hint", "Page", "Item"});
};

TEST_F(WalkTest, VisitsInChildOrderThroughTheObjectAndWidgetTrees) {
    QWidget window;
    QWidget* a = Marked("A", &window);
    Marked("A1", a);
    Marked("A2", a);
    auto* popup = new QMenu(&window); // owned by the window, not one of its child controls
    Marked("B", &window);
    const std::pair<QWidget*, const char*> tips[] = {{&window, "W"}, {popup, "M"}};

    const struct {
        bool self, owned, son;
        Keys asked;
    } cases[] = {
        {true, true, true, {"W", "A", "A1", "A2", "M", "B"}},
        {true, false, true, {"W", "A", "A1", "A2", "B"}},
        {false, true, false, {"A", "A1", "A2", "M", "B"}},
        {true, false, false, {"W"}},
    };
    for (const auto& c : cases) {
        for (auto* widget : window.findChildren<QWidget*>(Qt::FindChildrenRecursively))
            widget->setToolTip(widget->objectName());
        for (const auto& [widget, tip] : tips)
            widget->setToolTip(tip);
        lex.Asked.clear();
        ReplaceTree(&lex, &window, "1252", "0", nullptr, c.self, c.owned, c.son, false);
        EXPECT_EQ(lex.Asked, c.asked) << c.self << c.owned << c.son;
    }
    EXPECT_EQ(window.toolTip(), "<W>");
}

TEST_F(WalkTest, HandlesAComponentOnceAndNotWhatHasNoParent) {
    QWidget window;
    auto* label = new QLabel("Title", &window);
    label->setToolTip("Tip");
    TVisitedSet visited;
    EXPECT_TRUE(ReplaceComponent(&lex, label, "1252", "0", nullptr, false, visited));
    EXPECT_FALSE(ReplaceComponent(&lex, label, "1252", "0", nullptr, false, visited));
    EXPECT_FALSE(ReplaceComponent(&lex, nullptr, "1252", "0", nullptr, false, visited));
    // The hint goes before the class's own texts.
    EXPECT_EQ(lex.Asked, (Keys{"Tip", "Title"}));
    EXPECT_EQ(label->text(), "<Title>");

    // A widget that is neither a window nor inside one is neither handled nor marked.
    QLabel orphan("Title");
    orphan.setToolTip("Tip");
    orphan.overrideWindowFlags(Qt::Widget);
    ASSERT_FALSE(orphan.isWindow());
    EXPECT_FALSE(ReplaceComponent(&lex, &orphan, "1252", "0", nullptr, false, visited));
    EXPECT_FALSE(visited.contains(&orphan));
    EXPECT_EQ(orphan.toolTip(), "Tip");
    EXPECT_EQ(orphan.text(), "Title");

    // Non-widget components get their class's handler only; actions have none.
    QAction action("Title");
    action.setToolTip("Tip");
    EXPECT_TRUE(ReplaceComponent(&lex, &action, "1252", "0", nullptr, false, visited));
    EXPECT_EQ(action.text(), "Title");
    EXPECT_TRUE(visited.contains(&action));
}

// A main window with a menu, a tool bar sharing its action, a status bar, a
// panel of controls, and a dialog of its own with a list and tabs.
struct TSmallForm {
    TSmallForm() {
        window.setWindowTitle("Title");
        window.setToolTip("Hint");
        QMenu* file = window.menuBar()->addMenu("File");
        open = file->addAction("Open");
        open->setToolTip("Tip");
        window.addToolBar("B")->addAction(open);
        ready = new QLabel("Ready");
        window.statusBar()->addWidget(ready);
        panel = new QGroupBox("Panel");
        panel->setObjectName("Panel");
        auto* layout = new QVBoxLayout(panel);
        ok = new QPushButton("Ok");
        ok->setToolTip("Hint");
        layout->addWidget(ok);
        window.setCentralWidget(panel);
        dialog = new QDialog(&window);
        dialog->setWindowTitle("Title");
        list = new QListWidget(dialog);
        list->addItem("Item");
        tabs = new QTabWidget(dialog);
        tabs->addTab(new QWidget, "Page");
    }
    QMainWindow window;
    QAction* open;
    QLabel* ready;
    QGroupBox* panel;
    QPushButton* ok;
    QDialog* dialog;
    QListWidget* list;
    QTabWidget* tabs;
};

TEST_F(WalkTest, TranslatesAFormOnceAndLeavesItsDialogsToThemselves) {
    TSmallForm form;
    ReplaceTree(&lex, &form.window, "1252", "0", nullptr, true, true, true, false);
    EXPECT_EQ(form.window.windowTitle(), "<Title>");
    EXPECT_EQ(form.window.toolTip(), "<Hint>");
    EXPECT_EQ(form.window.menuBar()->actions()[0]->text(), "<File>");
    EXPECT_EQ(form.open->text(), "<Open>");
    EXPECT_EQ(form.open->toolTip(), "<Tip>");
    EXPECT_EQ(form.ready->text(), "<Ready>");
    EXPECT_EQ(form.panel->title(), "<Panel>");
    EXPECT_EQ(form.ok->text(), "<Ok>");
    EXPECT_EQ(form.ok->toolTip(), "<Hint>");
    EXPECT_EQ(form.dialog->windowTitle(), "Title");
    EXPECT_EQ(form.list->item(0)->text(), "Item");

    ReplaceTree(&lex, form.dialog, "1252", "0", nullptr, true, true, true, false);
    EXPECT_EQ(form.dialog->windowTitle(), "<Title>");
    EXPECT_EQ(form.list->item(0)->text(), "<Item>");
    EXPECT_EQ(form.tabs->tabText(0), "<Page>");
}

class RefuseByName : public IReplaceFilter {
public:
    explicit RefuseByName(QString Name) : name_(std::move(Name)) {}
    bool CanReplace(const QObject* Component) const override {
        return Component->objectName() != name_;
    }

private:
    QString name_;
};

TEST_F(WalkTest, ARefusedComponentIsSkippedWithEverythingBelowIt) {
    const RefuseByName filter("Panel");
    for (const bool owned : {true, false}) {
        TSmallForm form;
        TVisitedSet visited;
        if (owned)
            ReplaceOwnedComponents(&lex, &form.window, "1252", "0", nullptr, false, &filter,
                                   visited);
        else
            ReplaceChildControls(&lex, &form.window, "1252", "0", nullptr, false, &filter, visited);
        EXPECT_EQ(form.panel->title(), "Panel") << owned;
        EXPECT_EQ(form.ok->text(), "Ok") << owned;
        EXPECT_EQ(form.ok->toolTip(), "Hint") << owned;
        EXPECT_FALSE(visited.contains(form.ok)) << owned;
        EXPECT_EQ(form.ready->text(), "<Ready>") << owned;
        EXPECT_EQ(form.window.windowTitle(), "Title") << owned; // the root itself is not walked
    }
}

TEST_F(WalkTest, FontsChangeOnlyWhenAskedAndGiven) {
    const TLexFont font{"Courier", 21, fsBold | fsItalic};
    const struct {
        bool replaceFont;
        const TLexFont* font;
        bool changed;
    } cases[] = {{true, &font, true}, {false, &font, false}, {true, nullptr, false}};
    for (const auto& c : cases) {
        TSmallForm form;
        const QFont before = form.ok->font();
        ReplaceTree(&lex, &form.window, "1252", "0", c.font, true, true, true, c.replaceFont);
        for (QWidget* widget : std::initializer_list<QWidget*>{&form.window, form.ok, form.ready}) {
            EXPECT_EQ(widget->font().pointSize() == 21, c.changed);
            EXPECT_EQ(widget->font().bold() && widget->font().italic(), c.changed);
            EXPECT_EQ(widget->font().family() == "Courier", c.changed);
        }
        EXPECT_NE(form.dialog->font().pointSize(), 21);
        if (!c.changed) {
            EXPECT_EQ(form.ok->font(), before);
        }
    }
}

TEST_F(WalkTest, ReplaceFormTakesTheDictionaryByName) {
    lex.SetLexName("Menus");
    TMultiReplaceOption option;
    option.CodePage = "1252";
    option.SeqNo = "0";
    TSmallForm form;
    ReplaceForm("Nothing", &form.window, option);
    EXPECT_EQ(form.window.windowTitle(), "Title");
    EXPECT_TRUE(lex.Asked.empty());
    ReplaceForm("menus", &form.window, option);
    EXPECT_EQ(form.window.windowTitle(), "<Title>");
    EXPECT_EQ(form.ok->text(), "<Ok>");
}

// Fails on one key; every other key comes back in brackets.
class TFailingLex : public ILexTranslator {
public:
    std::string Translate(std::string_view Key, std::string_view, std::string_view) override {
        if (Key == "Boom") throw std::runtime_error("lexicon failed");
        return "<" + std::string(Key) + ">";
    }
};

TEST_F(WalkTest, AFailingLookUpEndsTheWalkAndKeepsWhatWasDone) {
    QWidget window;
    auto* first = new QLabel("First", &window);
    new QLabel("Boom", &window);
    auto* last = new QLabel("Last", &window);
    TFailingLex failing;
    EXPECT_THROW(ReplaceTree(&failing, &window, "1252", "0", nullptr, true, true, true, false),
                 std::runtime_error);
    EXPECT_EQ(first->text(), "<First>");
    EXPECT_EQ(last->text(), "Last");
}

} // namespace
} // namespace lex
