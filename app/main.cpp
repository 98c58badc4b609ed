// Lex Manager: the multi-document lexicon editor.
#include "app/AppModules.h"
#include "app/CommandLine.h"
#include "app/FormLexDM_U.h"
#include "app/FormLexMain_U.h"
#include "app/LumoOption.h"
#include "runtime/qt/QtMessageBox.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

bool DisplayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// LEXMANAGER_SCREENSHOT=file.png: once the command line has been applied,
// save a picture of the main window there and end. Used to prove that the
// window draws on a headless machine; nothing may wait for a user then, so
// message boxes go to standard error.
void ArrangeScreenshot(lex::TFormLexMain& Window, const QString& FileName) {
    QObject::connect(&Window, &lex::TFormLexMain::CommandLineApplied, &Window, [&Window, FileName] {
        QTimer::singleShot(500, &Window, [&Window, FileName] {
            const bool saved = Window.grab().save(FileName, "PNG");
            if (!saved) std::fprintf(stderr, "Lex Manager: cannot save %s\n", qPrintable(FileName));
            Window.close();
            QApplication::exit(saved ? 0 : 1);
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "Lex Manager needs a graphical display, and none was found (DISPLAY and "
                     "WAYLAND_DISPLAY are not set).\n"
                     "On a machine without one, run it under a virtual X server:\n"
                     "    xvfb-run ./run.sh [NAME /F]\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lex Manager"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lex Manager"));
    // QApplication has taken its own options out of argv by now.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const QString screenshot = qEnvironmentVariable("LEXMANAGER_SCREENSHOT");

    try {
        // Declared in start-up order, so they go in reverse: the window, then
        // the data module, then the modules, whose end writes the options.
        lex::AppModules modules(lex::DefaultOptionsPath());
        if (screenshot.isEmpty()) lex::InstallQtMessageBoxHook();
        lex::TLexDM dataModule(nullptr, lex::LumoOption->CodePage, lex::LumoOption->SeqNo);
        lex::TFormLexMain window(lex::ParseCommandLine(args));
        if (!screenshot.isEmpty()) ArrangeScreenshot(window, screenshot);
        window.ShowPlaced();
        return QApplication::exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Lex Manager: %s\n", error.what());
        return 1;
    }
}
