#pragma once

#include "platform/MessageBox.h"

#include <QMessageBox>
#include <string>

namespace lex {

// How a box of classic flags looks in Qt. Kept apart from showing the box so
// that the mapping can be checked without a dialog on screen.
struct TQtMessageBoxLayout {
    QMessageBox::StandardButtons Buttons;
    QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

TQtMessageBoxLayout QtMessageBoxLayout(unsigned Flags);

// The classic result of a pressed button; 0 for a button no box of ours has.
int MessageBoxResultOf(QMessageBox::StandardButton Button);

// The message box the tool shows, under the class name its translation
// settings know it by: a screen eye translates it (its buttons too) when it
// becomes active, as any form of the application.
class TMessageForm : public QMessageBox {
    Q_OBJECT

public:
    using QMessageBox::QMessageBox;
};

// A modal TMessageForm owned by Owner (a QWidget*), or by the active window
// when Owner is null. Text and caption are bytes in the process's code page,
// or UTF-8 with MB_UTF8TEXT.
int QtMessageBox(TWindowHandle Owner, const std::string& Text, const std::string& Caption,
                 unsigned Flags);

// Routes every platform message box (and so every translated one) to
// QtMessageBox.
void InstallQtMessageBoxHook();

} // namespace lex
