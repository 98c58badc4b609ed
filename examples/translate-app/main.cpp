// A small Qt Widgets application translated by lexruntime. Its lexicon is
// embedded as a resource; a screen eye translates each window when it first
// becomes active, into the language (code page) given on the command line.
//
//   translate-app [--dump-texts] [CODEPAGE]
//
// --dump-texts shows the windows, lets the eye translate them, prints their
// texts and exits, so that a script can check a translation offscreen.

#include "ExampleWindows.h"
#include "WindowTexts.h"
#include "platform/CodePage.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/qt/LumoMultiScreen.h"
#include "runtime/qt/QtRuntimeModules.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <iostream>
#include <string>

namespace {

constexpr const char* LexiconResource = ":/translate-app.lxc";
constexpr const char* LexiconName = "TranslateApp";

// Shows Window and runs the event loop until Qt makes it the active window,
// which is when the screen eye translates it.
bool ShowActive(QWidget& Window) {
    Window.show();
    Window.activateWindow();
    QElapsedTimer timer;
    timer.start();
    while (QApplication::activeWindow() != &Window && timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return QApplication::activeWindow() == &Window;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    bool dumpTexts = false;
    for (const QString& argument : app.arguments().mid(1)) {
        bool isNumber = false;
        argument.toInt(&isNumber);
        if (argument == "--dump-texts") {
            dumpTexts = true;
        } else if (isNumber) {
            // Interface texts are bytes in the process's code page, as on a
            // system of that language: the language asked for becomes it.
            qputenv("LEXMANAGER_CODEPAGE", argument.toLatin1());
        } else {
            std::cerr << "Usage: translate-app [--dump-texts] [CODEPAGE]\n";
            return 2;
        }
    }

    // The registries live as long as this object; the dictionary, declared
    // after them, leaves its registry first.
    const lex::QtRuntimeModules modules;
    lex::TLumoMultiStreamLex lexicon;
    lexicon.SetLexName(LexiconName);
    QFile file(LexiconResource);
    if (!file.open(QIODevice::ReadOnly)) {
        std::cerr << "Cannot open " << LexiconResource << '\n';
        return 1;
    }
    const QByteArray bytes = file.readAll();
    // CSV-style text is the dictionary's default format (LexReaderID).
    lexicon.Dictionary.ReadData({bytes.constData(), static_cast<size_t>(bytes.size())});

    lex::TLumoMultiScreenEye eye;
    eye.DefaultReplaceOption.LexName = LexiconName;
    eye.DefaultReplaceOption.CodePage = std::to_string(lex::ProcessCodePage());
    eye.DefaultReplaceOption.SeqNo = "0";
    eye.StartWatching();

    example::TMainWindow window;
    if (!dumpTexts) {
        window.show();
        return app.exec();
    }
    example::TItemsDialog dialog; // not the window's child: each lists its own texts
    for (QWidget* form : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&dialog)}) {
        if (!ShowActive(*form) || !eye.Replaced(form)) {
            std::cerr << "The window " << form->objectName().toStdString()
                      << " was not translated\n";
            return 1;
        }
        example::DumpTexts(*form);
    }
    return 0;
}
