#pragma once

class QWidget;

namespace example {

// Prints the window title and the texts of the window's named widgets (the
// application's own; Qt's internal widgets carry no name) as "where: text"
// lines in UTF-8, in a fixed order, so that a script can check a translation.
void DumpTexts(const QWidget& Window);

} // namespace example
