#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace lex {

// An interface text in the interface language: LexDM->TranslateGUI decoded
// with the interface code page, or the text itself while no data module
// exists (tests, early start-up).
QString TranslateGUIText(std::string_view Text);

// A file name as the user reads it. Names are bytes of the file system and
// decode with its encoding, never with the interface code page.
QString FileNameText(std::string_view FileName);

// Text as bytes of a message box, which reads them in the interface code
// page; a character that code page cannot hold shows as '?'.
std::string MessageBoxBytes(const QString& Text);

// The tool's own message boxes: Text and Caption translated through
// "Lex_GUI", then Text's "%s" filled with Arg (a file name, say).
int GuiMessageBox(QWidget* Owner, std::string_view Text, std::string_view Caption, unsigned Flags);
int GuiMessageBoxFmt(QWidget* Owner, std::string_view Text, std::string_view Caption,
                     unsigned Flags, const QString& Arg);

// Registers the bundled pages and pictures (":/help/..."). The dialogs and
// the help window call it; it pulls the resources out of the static library.
void InitDialogResources();

// Centres a top-level window on the screen it is on (the primary screen
// before it is shown).
void CentreOnScreen(QWidget& Window);

} // namespace lex
