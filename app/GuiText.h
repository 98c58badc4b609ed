#pragma once

#include <QString>
#include <string_view>

class QWidget;

namespace lex {

// An interface text in the interface language: LexDM->TranslateGUI decoded
// with the interface code page, or the text itself while no data module
// exists (tests, early start-up).
QString TranslateGUIText(std::string_view Text);

// Registers the bundled pages and pictures (":/help/..."). The dialogs and
// the help window call it; it pulls the resources out of the static library.
void InitDialogResources();

// Centres a top-level window on the screen it is on (the primary screen
// before it is shown).
void CentreOnScreen(QWidget& Window);

} // namespace lex
