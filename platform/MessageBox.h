#pragma once

#include <functional>
#include <string>

namespace lex {

// The platform's modal message box, as a replaceable hook: the Qt layer
// installs real dialogs, tests install scripted answers, command-line tools
// answer from their flags. Flags and results keep the classic numeric values
// so that stored settings and callers agree on them.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ABORTRETRYIGNORE = 0x02,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_RETRYCANCEL = 0x05,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    // Not a classic flag: text and caption are UTF-8 rather than bytes of the
    // process's code page, for a text that holds values of several code pages.
    MB_UTF8TEXT = 0x80000000u,
};

enum MessageBoxResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// An owner window as the platform knows it (a QWidget* in the Qt layer).
using TWindowHandle = void*;

using MessageBoxHook = std::function<int(TWindowHandle owner, const std::string& text,
                                         const std::string& caption, unsigned flags)>;

// Installs a hook and returns the previous one; an empty hook removes it.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The answer a box would give if the user just pressed Enter: its default button.
int DefaultMessageBoxAnswer(unsigned flags);

// Shows a box through the hook. Without a hook nothing may block: the text
// goes to standard error and the default answer comes back.
int ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                   unsigned flags);

} // namespace lex
