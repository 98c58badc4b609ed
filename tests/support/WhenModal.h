#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace lex::test {

// Lets the event loop deliver what the last step posted (repaints, queued
// signals, deferred deletes).
inline void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Plays the user in the next modal Dialog once it is up; a dialog that never
// comes is a failure. Works for dialogs opened from inside another.
template <class Dialog>
void WhenModal(std::function<void(Dialog&)> Play) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, Play] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 300) return;
        timer->stop();
        timer->deleteLater();
        if (dialog)
            Play(*dialog);
        else
            ADD_FAILURE() << "no modal " << Dialog::staticMetaObject.className();
    });
    timer->start(10);
}

} // namespace lex::test
