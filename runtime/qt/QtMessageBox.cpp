#include "runtime/qt/QtMessageBox.h"

#include "runtime/qt/QtText.h"

#include <QApplication>
#include <QGuiApplication>
#include <array>

namespace lex {
namespace {

using Buttons = std::array<QMessageBox::StandardButton, 3>;

// The buttons of each kind; NoButton pads.
const Buttons& KindButtons(unsigned kind) {
    static const Buttons table[] = {
        {QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::NoButton},
        {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoButton},
        {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
        {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
        {QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton},
        {QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::NoButton},
    };
    // An unknown kind shows OK alone, as DefaultMessageBoxAnswer assumes.
    return kind < std::size(table) ? table[kind] : table[0];
}

// A long operation may have set the hourglass; the question needs the arrow.
class ArrowCursorWhileAsking {
public:
    ArrowCursorWhileAsking() : active(QGuiApplication::overrideCursor() != nullptr) {
        if (active) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursorWhileAsking() {
        if (active) QGuiApplication::restoreOverrideCursor();
    }
    ArrowCursorWhileAsking(const ArrowCursorWhileAsking&) = delete;
    ArrowCursorWhileAsking& operator=(const ArrowCursorWhileAsking&) = delete;

private:
    bool active;
};

} // namespace

TQtMessageBoxLayout QtMessageBoxLayout(unsigned Flags) {
    TQtMessageBoxLayout layout;
    const Buttons& buttons = KindButtons(Flags & 0x0F);
    for (QMessageBox::StandardButton button : buttons)
        if (button != QMessageBox::NoButton) layout.Buttons |= button;
    // Enter must give what a box without a user answers, so the default
    // follows the platform's rule for defaults past the last button.
    const int answer = DefaultMessageBoxAnswer(Flags);
    for (QMessageBox::StandardButton button : buttons)
        if (button != QMessageBox::NoButton && MessageBoxResultOf(button) == answer)
            layout.DefaultButton = button;
    switch (Flags & 0xF0) {
    case MB_ICONERROR:
        layout.Icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        layout.Icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        layout.Icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        layout.Icon = QMessageBox::Information;
        break;
    default:
        layout.Icon = QMessageBox::NoIcon;
        break;
    }
    return layout;
}

int MessageBoxResultOf(QMessageBox::StandardButton Button) {
    switch (Button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return 0;
    }
}

int QtMessageBox(TWindowHandle Owner, const std::string& Text, const std::string& Caption,
                 unsigned Flags) {
    const TQtMessageBoxLayout layout = QtMessageBoxLayout(Flags);
    QWidget* owner = Owner ? static_cast<QWidget*>(Owner) : QApplication::activeWindow();
    const auto decode = [Flags](const std::string& Bytes) {
        return Flags & MB_UTF8TEXT ? QString::fromStdString(Bytes) : ToQString(Bytes);
    };
    TMessageForm box(layout.Icon, decode(Caption), decode(Text), layout.Buttons, owner);
    // Lexicon texts may hold "<" and "&"; they are never markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(layout.DefaultButton);
    ArrowCursorWhileAsking arrow;
    box.exec();
    // Escape and the close button press the box's escape button, so a button
    // is always known; a box closed some other way counts as declined.
    if (const int result = MessageBoxResultOf(box.standardButton(box.clickedButton())))
        return result;
    if (layout.Buttons & QMessageBox::Cancel) return IDCANCEL;
    if (layout.Buttons & QMessageBox::No) return IDNO;
    return DefaultMessageBoxAnswer(Flags);
}

void InstallQtMessageBoxHook() {
    SetMessageBoxHook(&QtMessageBox);
}

} // namespace lex
