#include "WindowTexts.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <iostream>

namespace example {

namespace {

void Print(const QObject& Object, const QString& Property, const QString& Text) {
    if (!Text.isEmpty())
        std::cout << (Object.objectName() + '.' + Property + ": " + Text).toStdString() << '\n';
}

void PrintMenu(const QMenu& Menu) {
    Print(Menu, "title", Menu.title());
    for (const QAction* action : Menu.actions()) {
        if (action->isSeparator() || action->menu()) continue; // a submenu prints itself
        Print(*action, "text", action->text());
        Print(*action, "statusTip", action->statusTip());
    }
}

} // namespace

void DumpTexts(const QWidget& Window) {
    Print(Window, "windowTitle", Window.windowTitle());
    for (const QWidget* widget : Window.findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty()) continue;
        Print(*widget, "toolTip", widget->toolTip());
        if (auto* label = qobject_cast<const QLabel*>(widget)) {
            Print(*label, "text", label->text());
        } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            Print(*button, "text", button->text());
        } else if (auto* menu = qobject_cast<const QMenu*>(widget)) {
            PrintMenu(*menu);
        } else if (auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                Print(*tabs, QString("tab%1").arg(i), tabs->tabText(i));
        } else if (auto* list = qobject_cast<const QListWidget*>(widget)) {
            for (int i = 0; i < list->count(); ++i)
                Print(*list, QString("item%1").arg(i), list->item(i)->text());
        }
    }
}

} // namespace example
