#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace lex {

// Opens the application's help at a topic, over the window Owner. The
// dialogs take it from the application, which owns the help window.
using TShowHelp = std::function<void(QWidget* Owner, const QString& Topic)>;

} // namespace lex
