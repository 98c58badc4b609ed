#include "runtime/qt/LumoMultiClassMethod.h"

#include "TranslationFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sstream>

namespace lex {
namespace {

using test::TranslationTest;

void Ignore(ILexTranslator*, QObject*, std::string_view, std::string_view, const TLexFont*) {}
void Other(ILexTranslator*, QObject*, std::string_view, std::string_view, const TLexFont*) {}

void Render(std::ostream& Out, const TClassMethod* Node) {
    for (const TClassMethod* node = Node; node; node = node->NextSibling.get()) {
        if (node != Node) Out << ' ';
        Out << node->ControlClass->className();
        EXPECT_EQ(node->FirstChild ? node->FirstChild->Parent : node, node);
        if (node->FirstChild) {
            Out << '(';
            Render(Out, node->FirstChild.get());
            Out << ')';
        }
    }
}

// Roots separated by spaces, each node's children in brackets.
std::string Render(const TMultiClassMethodStorage& Storage) {
    std::ostringstream out;
    for (int i = 0; i < Storage.Count(); ++i) {
        if (i > 0) out << ' ';
        EXPECT_EQ(Storage.Items(i)->Parent, nullptr);
        EXPECT_EQ(Storage.Items(i)->NextSibling, nullptr);
        Render(out, Storage.Items(i));
    }
    return out.str();
}

const QMetaObject* ClassNamed(std::string_view Name) {
    static const QMetaObject* const classes[] = {
        &QObject::staticMetaObject,     &QAction::staticMetaObject,
        &QWidget::staticMetaObject,     &QFrame::staticMetaObject,
        &QLabel::staticMetaObject,      &QAbstractButton::staticMetaObject,
        &QPushButton::staticMetaObject, &QTabBar::staticMetaObject,
        &QTabWidget::staticMetaObject,  &QListWidget::staticMetaObject,
    };
    for (const QMetaObject* meta : classes)
        if (Name == meta->className()) return meta;
    ADD_FAILURE() << "no class " << Name;
    return nullptr;
}

// "+C" registers C, "-C" unregisters it.
void Apply(TMultiClassMethodStorage& Storage, std::string_view Steps) {
    std::istringstream in{std::string(Steps)};
    for (std::string step; in >> step;) {
        const QMetaObject* meta = ClassNamed(std::string_view(step).substr(1));
        if (step[0] == '+')
            Storage.RegisterHandler(meta, Ignore);
        else
            Storage.UnregisterHandler(meta);
    }
}

TEST(ClassMethodStorageTest, KeepsTheClassesAsATreeByInheritance) {
    const struct {
        const char *steps, *tree;
    } cases[] = {
        {"+QWidget +QAbstractButton", "QWidget(QAbstractButton)"},
        // A base registered later gathers the roots deriving from it, in order.
        {"+QAbstractButton +QWidget", "QWidget(QAbstractButton)"},
        {"+QPushButton +QLabel +QTabBar +QWidget", "QWidget(QPushButton QLabel QTabBar)"},
        {"+QPushButton +QLabel +QAbstractButton", "QLabel QAbstractButton(QPushButton)"},
        // New children go first; the ones taken from the parent end up reversed.
        {"+QWidget +QPushButton +QLabel", "QWidget(QLabel QPushButton)"},
        {"+QWidget +QPushButton +QLabel +QFrame", "QWidget(QFrame(QLabel) QPushButton)"},
        {"+QWidget +QLabel +QListWidget +QFrame", "QWidget(QFrame(QLabel QListWidget))"},
        {"+QWidget +QPushButton +QAbstractButton", "QWidget(QAbstractButton(QPushButton))"},
        {"+QWidget +QAction +QObject", "QObject(QWidget QAction)"},
        {"+QWidget +QLabel +QLabel", "QWidget(QLabel)"},
        // Children take the removed node's place, followed by its next siblings.
        {"+QWidget +QPushButton +QFrame +QLabel +QTabBar -QFrame",
         "QWidget(QTabBar QLabel QPushButton)"},
        {"+QWidget +QPushButton +QAbstractButton -QAbstractButton", "QWidget(QPushButton)"},
        {"+QWidget +QLabel +QTabBar +QPushButton -QTabBar", "QWidget(QPushButton QLabel)"},
        {"+QWidget +QLabel +QTabBar -QLabel", "QWidget(QTabBar)"},
        // A root's children are appended to the roots.
        {"+QWidget +QLabel +QTabBar +QAction -QWidget", "QAction QTabBar QLabel"},
        {"+QAbstractButton +QPushButton +QTabBar -QAbstractButton", "QTabBar QPushButton"},
        // Only a registered class itself can be removed.
        {"+QWidget +QLabel -QFrame -QPushButton -QAction", "QWidget(QLabel)"},
        {"+QLabel -QLabel +QLabel", "QLabel"},
    };
    for (const auto& c : cases) {
        TMultiClassMethodStorage storage;
        Apply(storage, c.steps);
        EXPECT_EQ(Render(storage), c.tree) << c.steps;
    }
}

TEST(ClassMethodStorageTest, FindsTheMostDerivedRegisteredClass) {
    TMultiClassMethodStorage storage;
    Apply(storage, "+QWidget +QPushButton +QAction");
    storage.RegisterHandler(&QAbstractButton::staticMetaObject, Other);
    EXPECT_EQ(storage.FindHandler(&QCheckBox::staticMetaObject)->Handler, Other);
    EXPECT_EQ(storage.FindHandler(&QPushButton::staticMetaObject)->ControlClass,
              &QPushButton::staticMetaObject);
    EXPECT_EQ(storage.FindHandler(&QLabel::staticMetaObject)->ControlClass,
              &QWidget::staticMetaObject);
    EXPECT_EQ(storage.FindHandler(&QObject::staticMetaObject), nullptr);
    EXPECT_EQ(storage.FindHandler(nullptr), nullptr);
    EXPECT_EQ(storage.FindExactHandler(&QLabel::staticMetaObject), nullptr);
    EXPECT_EQ(storage.FindExactHandler(&QAbstractButton::staticMetaObject)->Handler, Other);

    // A new handler for a registered class leaves the tree as it was.
    const std::string before = Render(storage);
    storage.RegisterHandler(&QPushButton::staticMetaObject, Other);
    EXPECT_EQ(Render(storage), before);
    EXPECT_EQ(storage.FindHandler(&QPushButton::staticMetaObject)->Handler, Other);
    storage.RegisterHandler(nullptr, Other);
    EXPECT_EQ(Render(storage), before);

    storage.Clear();
    EXPECT_EQ(storage.Count(), 0);
    EXPECT_EQ(storage.FindHandler(&QPushButton::staticMetaObject), nullptr);
}

TEST(ClassMethodStorageTest, ShowsTheTreeOfClassNames) {
    TMultiClassMethodStorage storage;
    Apply(storage, "+QWidget +QPushButton +QFrame +QLabel +QAction");
    QTreeWidget view;
    view.addTopLevelItem(new QTreeWidgetItem({"stale"}));
    storage.ShowClassTree(&view);
    ASSERT_EQ(view.topLevelItemCount(), 2);
    const QTreeWidgetItem* widget = view.topLevelItem(0);
    EXPECT_EQ(widget->text(0), "QWidget");
    ASSERT_EQ(widget->childCount(), 2);
    EXPECT_EQ(widget->child(0)->text(0), "QFrame");
    EXPECT_EQ(widget->child(0)->child(0)->text(0), "QLabel");
    EXPECT_EQ(widget->child(1)->text(0), "QPushButton");
    EXPECT_EQ(view.topLevelItem(1)->text(0), "QAction");
}

TEST(ClassMethodStorageTest, ALongSiblingChainIsDestroyedWithoutDeepRecursion) {
    auto root = std::make_unique<TClassMethod>(&QWidget::staticMetaObject, Ignore);
    TClassMethod* last = root.get();
    for (int i = 0; i < 1'000'000; ++i) {
        last->NextSibling = std::make_unique<TClassMethod>(&QLabel::staticMetaObject, Ignore);
        last = last->NextSibling.get();
    }
    root.reset();
}

class StandardHandlersTest : public TranslationTest {};

TEST_F(StandardHandlersTest, AreRegisteredUnderTheFormClass) {
    EXPECT_EQ(Render(*MultiClassMethodStorage),
              "QWidget(QMenu QMenuBar QGroupBox QTabBar QTabWidget "
              "QAbstractButton(QToolButton) QComboBox QTreeWidget QTableWidget QListWidget "
              "QHeaderView QStatusBar QLabel QToolBar QDockWidget)");
    // A second start-up keeps the registry and what applications added to it.
    MultiClassMethodStorage->RegisterHandler(&QLineEdit::staticMetaObject, Other);
    TMultiClassMethodStorage* first = MultiClassMethodStorage.get();
    InitializeLumoMultiClassMethod();
    EXPECT_EQ(MultiClassMethodStorage.get(), first);
    EXPECT_EQ(MultiClassMethodStorage->FindHandler(&QLineEdit::staticMetaObject)->Handler, Other);

    // A common base registered afterwards gathers what derives from it.
    MultiClassMethodStorage->RegisterHandler(&QFrame::staticMetaObject, Other);
    TClassMethod* frame = MultiClassMethodStorage->FindExactHandler(&QFrame::staticMetaObject);
    std::ostringstream under;
    Render(under, frame->FirstChild.get());
    EXPECT_EQ(under.str(), "QLabel QHeaderView QListWidget QTableWidget QTreeWidget");
    EXPECT_EQ(MultiClassMethodStorage->FindHandler(&QLabel::staticMetaObject)->ControlClass,
              &QLabel::staticMetaObject);
    EXPECT_EQ(MultiClassMethodStorage->FindHandler(&QCheckBox::staticMetaObject)->ControlClass,
              &QAbstractButton::staticMetaObject);
    EXPECT_EQ(MultiClassMethodStorage->FindHandler(&QAction::staticMetaObject), nullptr);
}

class HandlerTest : public TranslationTest {
protected:
    void Handle(QObject* Component) {
        const TClassMethod* method = MultiClassMethodStorage->FindHandler(Component->metaObject());
        ASSERT_NE(method, nullptr);
        method->Handler(&lex, Component, "1252", "0", nullptr);
    }
    test::TBracketLex& lex = NewLex({"Alpha", "Beta", "Gamma", "Tip", "Status"});
};

TEST_F(HandlerTest, TranslateTextLooksUpOnlyWhatIsThere) {
    EXPECT_EQ(TranslateText(&lex, "", "1252", "0"), "");
    EXPECT_TRUE(lex.Asked.empty());
    EXPECT_EQ(TranslateText(&lex, "Alpha", "1252", "0"), "<Alpha>");
    EXPECT_EQ(TranslateText(&lex, "Alpha", "936", "0"), "Alpha");
    EXPECT_EQ(TranslateText(nullptr, "Alpha", "1252", "0"), "Alpha");
    EXPECT_EQ(TranslateQString(&lex, QString("Alpha"), "1252", "0"), "<Alpha>");
    // Not a key of any lexicon for this process: no look-up, no failure.
    lex.Asked.clear();
    EXPECT_EQ(TranslateQString(&lex, QString::fromUtf8("Alpha \u2192"), "1252", "0"),
              QString::fromUtf8("Alpha \u2192"));
    EXPECT_TRUE(lex.Asked.empty());
}

TEST_F(HandlerTest, CaptionsOfSingleTextControls) {
    QWidget window;
    window.setWindowTitle("Alpha");
    auto* group = new QGroupBox("Beta", &window);
    auto* check = new QCheckBox("Gamma", &window);
    auto* label = new QLabel("Alpha", &window);
    auto* tool = new QToolButton(&window);
    tool->setText("Beta");
    auto* dock = new QDockWidget("Gamma", &window);
    auto* inner = new QWidget(&window);
    inner->setWindowTitle("Alpha"); // not a window: no caption of its own
    for (QObject* component :
         std::initializer_list<QObject*>{&window, group, check, label, tool, dock, inner})
        Handle(component);
    EXPECT_EQ(window.windowTitle(), "<Alpha>");
    EXPECT_EQ(group->title(), "<Beta>");
    EXPECT_EQ(check->text(), "<Gamma>");
    EXPECT_EQ(label->text(), "<Alpha>");
    EXPECT_EQ(tool->text(), "<Beta>");
    EXPECT_EQ(dock->windowTitle(), "<Gamma>");
    EXPECT_EQ(inner->windowTitle(), "Alpha");
}

TEST_F(HandlerTest, ItemsOfListsCombosAndTabs) {
    QListWidget list;
    list.addItems({"Alpha", "", "Other"});
    Handle(&list);
    EXPECT_EQ(list.item(0)->text(), "<Alpha>");
    EXPECT_EQ(list.item(1)->text(), "");
    EXPECT_EQ(list.item(2)->text(), "Other");

    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({"Alpha", "Beta"});
    combo.setEditText("Gamma");
    Handle(&combo);
    EXPECT_EQ(combo.itemText(0), "<Alpha>");
    EXPECT_EQ(combo.itemText(1), "<Beta>");
    EXPECT_EQ(combo.currentText(), "Gamma");

    QTabBar bar;
    bar.addTab("Alpha");
    bar.addTab("");
    Handle(&bar);
    EXPECT_EQ(bar.tabText(0), "<Alpha>");
    EXPECT_EQ(bar.tabText(1), "");

    // The tab widget's own bar is translated through the tab widget only.
    QTabWidget pages;
    pages.addTab(new QWidget, "Beta");
    pages.addTab(new QWidget, "Gamma");
    Handle(&pages);
    Handle(pages.tabBar());
    EXPECT_EQ(pages.tabText(0), "<Beta>");
    EXPECT_EQ(pages.tabText(1), "<Gamma>");
    EXPECT_EQ(std::count(lex.Asked.begin(), lex.Asked.end(), ""), 0);
}

TEST_F(HandlerTest, TreeAndTableTextsWithTheirHeaders) {
    QTreeWidget tree;
    tree.setHeaderLabels({"Alpha", "Beta"});
    auto* top = new QTreeWidgetItem(&tree, {"Gamma", "Alpha"});
    auto* child = new QTreeWidgetItem(top, {"Beta"});
    auto* grandChild = new QTreeWidgetItem(child, {"Alpha", ""});
    Handle(&tree);
    Handle(tree.header()); // the tree's header belongs to the tree
    EXPECT_EQ(tree.headerItem()->text(0), "<Alpha>");
    EXPECT_EQ(tree.headerItem()->text(1), "<Beta>");
    EXPECT_EQ(top->text(0), "<Gamma>");
    EXPECT_EQ(top->text(1), "<Alpha>");
    EXPECT_EQ(child->text(0), "<Beta>");
    EXPECT_EQ(grandChild->text(0), "<Alpha>");
    EXPECT_EQ(grandChild->text(1), "");

    QTableWidget table(2, 2);
    table.setHorizontalHeaderLabels({"Alpha", "Beta"});
    table.setItem(0, 0, new QTableWidgetItem("Gamma"));
    table.setItem(1, 1, new QTableWidgetItem("Beta"));
    lex.Asked.clear();
    Handle(&table);
    Handle(table.horizontalHeader());
    Handle(table.verticalHeader());
    EXPECT_EQ(lex.Asked, (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Beta"}));
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), "<Beta>");
    EXPECT_EQ(table.item(0, 0)->text(), "<Gamma>");
    EXPECT_EQ(table.item(1, 1)->text(), "<Beta>");

    // A header over a model of its own translates its sections.
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels({"Alpha", "", "Gamma"});
    QHeaderView header(Qt::Horizontal);
    header.setModel(&model);
    Handle(&header);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "<Alpha>");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "<Gamma>");
}

TEST_F(HandlerTest, MenusTranslateEveryItemAndItsHintsOnce) {
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu("Alpha");
    QAction* open = file->addAction("Beta");
    open->setToolTip("Tip");
    open->setStatusTip("Status");
    QAction* implicitTip = file->addAction("Gamma");
    file->addSeparator();
    QMenu* recent = file->addMenu("Gamma");
    QAction* entry = recent->addAction("Alpha");
    recent->addMenu(file); // a menu reachable from itself
    QToolBar* bar = window.addToolBar("Beta");
    bar->addAction(open); // shown by the menu as well
    QAction* own = bar->addAction("Alpha");

    Handle(window.menuBar());
    Handle(file); // a submenu: done through the menu bar
    Handle(recent);
    Handle(bar);
    EXPECT_EQ(file->title(), "<Alpha>");
    EXPECT_EQ(open->text(), "<Beta>");
    EXPECT_EQ(open->toolTip(), "<Tip>");
    EXPECT_EQ(open->statusTip(), "<Status>");
    EXPECT_EQ(implicitTip->text(), "<Gamma>");
    EXPECT_EQ(implicitTip->toolTip(), "<Gamma>");
    EXPECT_EQ(recent->title(), "<Gamma>");
    EXPECT_EQ(entry->text(), "<Alpha>");
    EXPECT_EQ(bar->windowTitle(), "<Beta>");
    EXPECT_EQ(own->text(), "<Alpha>");

    // A popup menu of its own translates its items.
    QMenu popup;
    QAction* item = popup.addAction("Beta");
    Handle(&popup);
    EXPECT_EQ(item->text(), "<Beta>");
}

TEST_F(HandlerTest, StatusBarMessageAndActionButtons) {
    QStatusBar bar;
    bar.showMessage("Alpha");
    Handle(&bar);
    EXPECT_EQ(bar.currentMessage(), "<Alpha>");

    QAction action("Beta");
    QToolButton button;
    button.setDefaultAction(&action);
    Handle(&button); // takes its text from the action
    EXPECT_EQ(button.text(), "Beta");
}

} // namespace
} // namespace lex
