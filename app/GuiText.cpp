#include "app/GuiText.h"

#include "app/FormLexDM_U.h"
#include "platform/CodePage.h"
#include "runtime/qt/QtText.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <charconv>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitHelpResource() {
    Q_INIT_RESOURCE(help);
}

namespace lex {

void InitDialogResources() {
    static const bool done = (InitHelpResource(), true);
    (void)done;
}

QString TranslateGUIText(std::string_view Text) {
    if (!LexDM) return ToQString(Text);
    // "Lex_GUI" holds only the interface language's records, so its bytes are
    // in that code page even when the process runs in another one.
    const std::string& name = LexDM->CodePage();
    int codePage = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), codePage);
    if (error != std::errc() || end != name.data() + name.size() || !IsCodePageAvailable(codePage))
        codePage = ProcessCodePage();
    return ToQString(LexDM->TranslateGUI(Text), codePage);
}

void CentreOnScreen(QWidget& Window) {
    const QScreen* screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = Window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    Window.move(frame.topLeft());
}

} // namespace lex
