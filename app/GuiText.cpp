#include "app/GuiText.h"

#include "app/FormLexDM_U.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/qt/QtText.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
    return ToQString(LexDM->TranslateGUI(Text), TextCodePage(LexDM->CodePage()));
}

QString FileNameText(std::string_view FileName) {
    return QFile::decodeName(QByteArray(FileName.data(), static_cast<qsizetype>(FileName.size())));
}

std::string MessageBoxBytes(const QString& Text) {
    try {
        return FromQString(Text);
    } catch (const EConvertError&) {
    }
    // Character by character only on this rare path: a message must show,
    // whatever it names.
    std::string bytes;
    for (const char32_t codePoint : Text.toUcs4()) {
        try {
            bytes += FromQString(QString::fromUcs4(&codePoint, 1));
        } catch (const EConvertError&) {
            bytes += '?';
        }
    }
    return bytes;
}

namespace {
std::string InterfaceCodePage() {
    return LexDM ? LexDM->CodePage() : std::to_string(ProcessCodePage());
}
std::string InterfaceSeqNo() {
    return LexDM ? LexDM->SeqNo() : std::string("0");
}
} // namespace

int GuiMessageBox(QWidget* Owner, std::string_view Text, std::string_view Caption, unsigned Flags) {
    return LexMessageBox(Owner, Text, Caption, Flags, InterfaceCodePage(), InterfaceSeqNo(),
                         GUILexName);
}

int GuiMessageBoxFmt(QWidget* Owner, std::string_view Text, std::string_view Caption,
                     unsigned Flags, const QString& Arg) {
    const std::string arg = MessageBoxBytes(Arg);
    return LexMessageBoxFmt(Owner, Text, Caption, Flags, InterfaceCodePage(), {arg}, {},
                            InterfaceSeqNo(), GUILexName);
}

void CentreOnScreen(QWidget& Window) {
    const QScreen* screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = Window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    Window.move(frame.topLeft());
}

} // namespace lex
