#include "runtime/qt/LumoMultiClassMethod.h"

#include "platform/Exceptions.h"
#include "runtime/qt/QtText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <unordered_set>

namespace lex {

std::unique_ptr<TMultiClassMethodStorage> MultiClassMethodStorage;

TClassMethod::~TClassMethod() {
    // Siblings go one by one: a long chain must not recurse as deep as it is long.
    while (NextSibling)
        NextSibling = std::move(NextSibling->NextSibling);
}

namespace {

bool DerivesFrom(const QMetaObject* Class, const QMetaObject* Base) {
    return Class->inherits(Base);
}

void PushFrontChild(TClassMethod& Parent, std::unique_ptr<TClassMethod> Child) {
    Child->Parent = &Parent;
    Child->NextSibling = std::move(Parent.FirstChild);
    Parent.FirstChild = std::move(Child);
}

TClassMethod* FindExactBelow(TClassMethod* Node, const QMetaObject* Class) {
    for (; Node; Node = Node->NextSibling.get()) {
        if (Node->ControlClass == Class) return Node;
        if (TClassMethod* found = FindExactBelow(Node->FirstChild.get(), Class)) return found;
    }
    return nullptr;
}

void AddItems(QTreeWidgetItem* Item, const TClassMethod* Child) {
    for (; Child; Child = Child->NextSibling.get())
        AddItems(new QTreeWidgetItem(Item, {QString::fromLatin1(Child->ControlClass->className())}),
                 Child->FirstChild.get());
}

} // namespace

void TMultiClassMethodStorage::RegisterHandler(const QMetaObject* ControlClass,
                                               TTranslateHandler Handler) {
    if (!ControlClass) return;
    if (TClassMethod* existing = FindExactHandler(ControlClass)) {
        existing->Handler = Handler;
        return;
    }
    auto node = std::make_unique<TClassMethod>(ControlClass, Handler);
    for (size_t i = roots_.size(); i-- > 0;) {
        if (DerivesFrom(roots_[i]->ControlClass, ControlClass)) {
            std::unique_ptr<TClassMethod> root = std::move(roots_[i]);
            roots_.erase(roots_.begin() + static_cast<std::ptrdiff_t>(i));
            PushFrontChild(*node, std::move(root));
        }
    }
    TClassMethod* parent = FindHandler(ControlClass);
    if (!parent) {
        roots_.push_back(std::move(node));
        return;
    }
    std::unique_ptr<TClassMethod>* link = &parent->FirstChild;
    while (*link) {
        if (DerivesFrom((*link)->ControlClass, ControlClass)) {
            std::unique_ptr<TClassMethod> child = std::move(*link);
            *link = std::move(child->NextSibling);
            PushFrontChild(*node, std::move(child));
        } else {
            link = &(*link)->NextSibling;
        }
    }
    PushFrontChild(*parent, std::move(node));
}

void TMultiClassMethodStorage::UnregisterHandler(const QMetaObject* ControlClass) {
    TClassMethod* found = FindHandler(ControlClass);
    if (!found || found->ControlClass != ControlClass) return;
    TClassMethod* parent = found->Parent;
    std::unique_ptr<TClassMethod> children = std::move(found->FirstChild);
    if (parent) {
        std::unique_ptr<TClassMethod>* link = &parent->FirstChild;
        while (link->get() != found)
            link = &(*link)->NextSibling;
        std::unique_ptr<TClassMethod> removed = std::move(*link);
        std::unique_ptr<TClassMethod> next = std::move(removed->NextSibling);
        if (!children) {
            *link = std::move(next);
            return;
        }
        TClassMethod* last = children.get();
        for (TClassMethod* child = last; child; child = child->NextSibling.get()) {
            child->Parent = parent;
            last = child;
        }
        last->NextSibling = std::move(next);
        *link = std::move(children);
        return;
    }
    while (children) {
        std::unique_ptr<TClassMethod> child = std::move(children);
        children = std::move(child->NextSibling);
        child->Parent = nullptr;
        roots_.push_back(std::move(child));
    }
    std::erase_if(roots_, [found](const auto& Root) { return Root.get() == found; });
}

TClassMethod* TMultiClassMethodStorage::FindHandler(const QMetaObject* ControlClass) const {
    if (!ControlClass) return nullptr;
    for (const auto& root : roots_) {
        TClassMethod* found = nullptr;
        for (TClassMethod* node = root.get(); node;) {
            if (DerivesFrom(ControlClass, node->ControlClass)) {
                found = node;
                node = node->FirstChild.get();
            } else {
                node = node->NextSibling.get();
            }
        }
        if (found) return found;
    }
    return nullptr;
}

TClassMethod* TMultiClassMethodStorage::FindExactHandler(const QMetaObject* ControlClass) const {
    for (const auto& root : roots_)
        if (TClassMethod* found = FindExactBelow(root.get(), ControlClass)) return found;
    return nullptr;
}

void TMultiClassMethodStorage::Clear() {
    while (!roots_.empty())
        roots_.pop_back();
}

void TMultiClassMethodStorage::ShowClassTree(QTreeWidget* TreeView) const {
    const bool updates = TreeView->updatesEnabled();
    TreeView->setUpdatesEnabled(false);
    TreeView->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& root : roots_) {
        auto* item = new QTreeWidgetItem({QString::fromLatin1(root->ControlClass->className())});
        AddItems(item, root->FirstChild.get());
        items.append(item);
    }
    TreeView->addTopLevelItems(items);
    TreeView->setUpdatesEnabled(updates);
}

std::string TranslateText(ILexTranslator* Translator, std::string_view Text,
                          std::string_view CodePage, std::string_view SeqNo) {
    if (Text.empty() || !Translator) return std::string(Text);
    return Translator->Translate(Text, CodePage, SeqNo);
}

QString TranslateQString(ILexTranslator* Translator, const QString& Text, std::string_view CodePage,
                         std::string_view SeqNo) {
    if (Text.isEmpty() || !Translator) return Text;
    std::string key;
    try {
        key = FromQString(Text);
    } catch (const EConvertError&) {
        return Text; // a text the process's code page cannot hold is no lexicon's key
    }
    return ToQString(Translator->Translate(key, CodePage, SeqNo));
}

namespace {

// The items one TranslateMenuItem call has translated: a menu reachable from
// itself is translated once and the recursion ends.
using TItemSet = std::unordered_set<const QAction*>;

void TranslateItem(ILexTranslator* Translator, QAction* Item, std::string_view CodePage,
                   std::string_view SeqNo, TItemSet& Done) {
    if (!Done.insert(Item).second) return;
    // A tool tip never set follows the text; only one set of its own is a hint.
    const QString toolTip = Item->toolTip();
    Item->setText(TranslateQString(Translator, Item->text(), CodePage, SeqNo));
    if (Item->toolTip() == toolTip)
        Item->setToolTip(TranslateQString(Translator, toolTip, CodePage, SeqNo));
    Item->setStatusTip(TranslateQString(Translator, Item->statusTip(), CodePage, SeqNo));
    if (const QMenu* menu = Item->menu())
        for (QAction* action : menu->actions())
            TranslateItem(Translator, action, CodePage, SeqNo, Done);
}

} // namespace

void TranslateMenuItem(ILexTranslator* Translator, QAction* Item, std::string_view CodePage,
                       std::string_view SeqNo) {
    TItemSet done;
    TranslateItem(Translator, Item, CodePage, SeqNo, done);
}

namespace {

// The standard handlers and the texts each translates. The classes stand for
// the kinds of control the handlers were made for:
//
// | kind                | Qt class        | texts                                        |
// |---------------------|-----------------|----------------------------------------------|
// | custom control      | QGroupBox       | title                                        |
// | tab control         | QTabBar         | tab texts (not a tab widget's own bar)       |
// | page control        | QTabWidget      | tab texts, one per page                      |
// | button control      | QAbstractButton | text                                         |
// | combo box           | QComboBox       | item texts (the edit text stays)             |
// | tree view           | QTreeWidget     | header and item texts, every column, level   |
// | list view           | QTableWidget    | column header items, then each row's items   |
// | list box            | QListWidget     | item texts                                   |
// | header control      | QHeaderView     | section texts through the model (not the     |
// |                     |                 | header of a tree or table widget)            |
// | status bar          | QStatusBar      | current message (panels are QLabel children) |
// | label               | QLabel          | text                                         |
// | speed button        | QToolButton     | text (not one showing an action)             |
// | tool bar            | QToolBar        | its title, its actions' texts and tips       |
// | cool bar            | QDockWidget     | its title (the band's text)                  |
// | form                | QWidget         | window title of a window                     |
// | menu                | QMenuBar, QMenu | every action, with TranslateMenuItem         |
//
// A composite widget shows some of its texts through child widgets that the
// walk reaches as well; the exceptions above keep each text translated once.

void TranslateTabs(ILexTranslator* Translator, QTabBar* Bar, std::string_view CodePage,
                   std::string_view SeqNo) {
    for (int i = 0; i < Bar->count(); ++i)
        Bar->setTabText(i, TranslateQString(Translator, Bar->tabText(i), CodePage, SeqNo));
}

void TabControlHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                       std::string_view SeqNo, const TLexFont*) {
    auto* bar = static_cast<QTabBar*>(Component);
    if (auto* pages = qobject_cast<QTabWidget*>(bar->parentWidget());
        pages && pages->tabBar() == bar)
        return;
    TranslateTabs(Translator, bar, CodePage, SeqNo);
}

void PageControlHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                        std::string_view SeqNo, const TLexFont*) {
    TranslateTabs(Translator, static_cast<QTabWidget*>(Component)->tabBar(), CodePage, SeqNo);
}

void CustomControlHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                          std::string_view SeqNo, const TLexFont*) {
    auto* groupBox = static_cast<QGroupBox*>(Component);
    groupBox->setTitle(TranslateQString(Translator, groupBox->title(), CodePage, SeqNo));
}

void ButtonHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                   std::string_view SeqNo, const TLexFont*) {
    auto* button = static_cast<QAbstractButton*>(Component);
    button->setText(TranslateQString(Translator, button->text(), CodePage, SeqNo));
}

void ComboBoxHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                     std::string_view SeqNo, const TLexFont*) {
    auto* combo = static_cast<QComboBox*>(Component);
    const QString editText = combo->isEditable() ? combo->currentText() : QString();
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemText(i, TranslateQString(Translator, combo->itemText(i), CodePage, SeqNo));
    if (combo->isEditable()) combo->setEditText(editText);
}

void TranslateTreeItem(ILexTranslator* Translator, QTreeWidgetItem* Item, std::string_view CodePage,
                       std::string_view SeqNo) {
    for (int column = 0; column < Item->columnCount(); ++column)
        Item->setText(column, TranslateQString(Translator, Item->text(column), CodePage, SeqNo));
}

void TreeViewHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                     std::string_view SeqNo, const TLexFont*) {
    auto* tree = static_cast<QTreeWidget*>(Component);
    TranslateTreeItem(Translator, tree->headerItem(), CodePage, SeqNo);
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        TranslateTreeItem(Translator, *it, CodePage, SeqNo);
}

void ListViewHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                     std::string_view SeqNo, const TLexFont*) {
    auto* table = static_cast<QTableWidget*>(Component);
    for (int column = 0; column < table->columnCount(); ++column)
        if (QTableWidgetItem* item = table->horizontalHeaderItem(column))
            item->setText(TranslateQString(Translator, item->text(), CodePage, SeqNo));
    for (int row = 0; row < table->rowCount(); ++row)
        for (int column = 0; column < table->columnCount(); ++column)
            if (QTableWidgetItem* item = table->item(row, column))
                item->setText(TranslateQString(Translator, item->text(), CodePage, SeqNo));
}

void ListBoxHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                    std::string_view SeqNo, const TLexFont*) {
    auto* list = static_cast<QListWidget*>(Component);
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setText(
            TranslateQString(Translator, list->item(i)->text(), CodePage, SeqNo));
}

void HeaderControlHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                          std::string_view SeqNo, const TLexFont*) {
    auto* header = static_cast<QHeaderView*>(Component);
    QWidget* owner = header->parentWidget();
    if (qobject_cast<QTreeWidget*>(owner) || qobject_cast<QTableWidget*>(owner)) return;
    QAbstractItemModel* model = header->model();
    if (!model) return;
    for (int section = 0; section < header->count(); ++section) {
        const QVariant text = model->headerData(section, header->orientation());
        if (text.typeId() == QMetaType::QString)
            model->setHeaderData(section, header->orientation(),
                                 TranslateQString(Translator, text.toString(), CodePage, SeqNo));
    }
}

void StatusBarHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                      std::string_view SeqNo, const TLexFont*) {
    auto* bar = static_cast<QStatusBar*>(Component);
    if (!bar->currentMessage().isEmpty())
        bar->showMessage(TranslateQString(Translator, bar->currentMessage(), CodePage, SeqNo));
}

void LabelHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                  std::string_view SeqNo, const TLexFont*) {
    auto* label = static_cast<QLabel*>(Component);
    label->setText(TranslateQString(Translator, label->text(), CodePage, SeqNo));
}

void SpeedButtonHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                        std::string_view SeqNo, const TLexFont*) {
    auto* button = static_cast<QToolButton*>(Component);
    if (!button->defaultAction())
        button->setText(TranslateQString(Translator, button->text(), CodePage, SeqNo));
}

bool IsMenu(const QObject* Object) {
    return qobject_cast<const QMenu*>(Object) || qobject_cast<const QMenuBar*>(Object);
}

bool ShownInMenu(const QAction* Action) {
    const QObjectList holders = Action->associatedObjects();
    return std::any_of(holders.begin(), holders.end(), IsMenu);
}

// An action that a menu shows as well is translated through the menu.
void ToolBarHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                    std::string_view SeqNo, const TLexFont*) {
    auto* bar = static_cast<QToolBar*>(Component);
    bar->setWindowTitle(TranslateQString(Translator, bar->windowTitle(), CodePage, SeqNo));
    for (QAction* action : bar->actions())
        if (!ShownInMenu(action)) TranslateMenuItem(Translator, action, CodePage, SeqNo);
}

void CoolBarHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                    std::string_view SeqNo, const TLexFont*) {
    auto* dock = static_cast<QDockWidget*>(Component);
    dock->setWindowTitle(TranslateQString(Translator, dock->windowTitle(), CodePage, SeqNo));
}

void FormHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                 std::string_view SeqNo, const TLexFont*) {
    auto* widget = static_cast<QWidget*>(Component);
    if (widget->isWindow())
        widget->setWindowTitle(
            TranslateQString(Translator, widget->windowTitle(), CodePage, SeqNo));
}

// A submenu is translated through the menu that holds it.
void MenuHandler(ILexTranslator* Translator, QObject* Component, std::string_view CodePage,
                 std::string_view SeqNo, const TLexFont*) {
    auto* widget = static_cast<QWidget*>(Component);
    if (auto* menu = qobject_cast<QMenu*>(widget); menu && ShownInMenu(menu->menuAction())) return;
    for (QAction* action : widget->actions())
        TranslateMenuItem(Translator, action, CodePage, SeqNo);
}

} // namespace

void InitializeLumoMultiClassMethod() {
    if (MultiClassMethodStorage) return;
    auto storage = std::make_unique<TMultiClassMethodStorage>();
    const std::pair<const QMetaObject*, TTranslateHandler> standard[] = {
        {&QGroupBox::staticMetaObject, CustomControlHandler},
        {&QTabBar::staticMetaObject, TabControlHandler},
        {&QTabWidget::staticMetaObject, PageControlHandler},
        {&QAbstractButton::staticMetaObject, ButtonHandler},
        {&QComboBox::staticMetaObject, ComboBoxHandler},
        {&QTreeWidget::staticMetaObject, TreeViewHandler},
        {&QTableWidget::staticMetaObject, ListViewHandler},
        {&QListWidget::staticMetaObject, ListBoxHandler},
        {&QHeaderView::staticMetaObject, HeaderControlHandler},
        {&QStatusBar::staticMetaObject, StatusBarHandler},
        {&QLabel::staticMetaObject, LabelHandler},
        {&QToolButton::staticMetaObject, SpeedButtonHandler},
        {&QToolBar::staticMetaObject, ToolBarHandler},
        {&QDockWidget::staticMetaObject, CoolBarHandler},
        {&QWidget::staticMetaObject, FormHandler},
        {&QMenuBar::staticMetaObject, MenuHandler},
        {&QMenu::staticMetaObject, MenuHandler},
    };
    for (const auto& [controlClass, handler] : standard)
        storage->RegisterHandler(controlClass, handler);
    MultiClassMethodStorage = std::move(storage);
}

void FinalizeLumoMultiClassMethod() {
    MultiClassMethodStorage.reset();
}

} // namespace lex
