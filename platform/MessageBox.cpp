#include "platform/MessageBox.h"

#include <cstdio>

namespace lex {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

int DefaultMessageBoxAnswer(unsigned flags) {
    static const int buttons[][3] = {
        {IDOK, IDOK, IDOK},            // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},    // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},  // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},       // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},           // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL}, // MB_RETRYCANCEL
    };
    const unsigned kind = flags & 0x0F;
    const unsigned button = (flags >> 8) & 0x0F;
    if (kind > MB_RETRYCANCEL) return IDOK;
    return buttons[kind][button > 2 ? 0 : button];
}

int ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                   unsigned flags) {
    if (const MessageBoxHook& hook = Hook()) return hook(owner, text, caption, flags);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DefaultMessageBoxAnswer(flags);
}

} // namespace lex
