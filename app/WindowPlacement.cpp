#include "app/WindowPlacement.h"

#include <algorithm>

namespace lex {
namespace {

// What must show of a window for the user to reach its title bar.
constexpr int GrabWidth = 100;
constexpr int GrabHeight = 50;

bool Reachable(const QRect& Window, const QRect& Screen) {
    const QRect shown = Window.intersected(Screen);
    return shown.width() >= std::min(GrabWidth, Window.width()) &&
           shown.height() >= std::min(GrabHeight, Window.height());
}

// The window made to fit the screen and moved the least to lie inside it.
QRect Inside(QRect Window, const QRect& Screen) {
    Window.setSize(Window.size().boundedTo(Screen.size()));
    Window.moveLeft(std::clamp(Window.left(), Screen.left(), Screen.right() - Window.width() + 1));
    Window.moveTop(std::clamp(Window.top(), Screen.top(), Screen.bottom() - Window.height() + 1));
    return Window;
}

} // namespace

QRect PlaceWindow(const QRect& Saved, const QList<QRect>& Available) {
    if (Available.isEmpty()) return Saved;
    const QRect& primary = Available.front();
    if (!Saved.isValid()) {
        QRect window(QPoint(), primary.size() * 4 / 5);
        window.moveCenter(primary.center());
        return window;
    }
    for (const QRect& screen : Available)
        if (Reachable(Saved, screen))
            return Saved.size().boundedTo(screen.size()) == Saved.size() ? Saved
                                                                         : Inside(Saved, screen);
    return Inside(Saved, primary);
}

} // namespace lex
