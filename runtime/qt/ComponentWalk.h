#pragma once

#include "runtime/LumoMultiLex.h"

#include <QFont>
#include <QObjectList>
#include <string_view>
#include <unordered_set>

class QObject;
class QWidget;

namespace lex {

// How the walk sees Qt's object tree:
// - the components a component owns are its QObject children (actions,
//   layouts, popup menus, child widgets, any other object), except child
//   windows that are forms of their own (dialogs, other main windows), which
//   are translated when they are shown;
// - the child controls of a widget are its child widgets that are not
//   windows, in the order of its children.
// Both keep the order of QObject::children(), so a walk is deterministic.
QObjectList OwnedComponents(const QObject* Component);
QObjectList ChildControls(const QWidget* Control);

// The components handled in one walk; one set may serve several walks.
using TVisitedSet = std::unordered_set<const QObject*>;

// Decides which components a walk may handle; a refused component is skipped
// together with everything below it.
class IReplaceFilter {
public:
    virtual ~IReplaceFilter() = default;
    virtual bool CanReplace(const QObject* Component) const = 0;
};

// Handles one component: a widget's tool tip and status tip, its font when
// ReplaceFont is set and a font is given, then the handler of its class.
// False when it was not handled now: none, visited already, or a widget that
// is neither a window nor inside one.
bool ReplaceComponent(ILexTranslator* Lex, QObject* Component, std::string_view CodePage,
                      std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                      TVisitedSet& Visited);

// Walks the components Component owns, and what they own, in order.
void ReplaceOwnedComponents(ILexTranslator* Lex, QObject* Component, std::string_view CodePage,
                            std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                            const IReplaceFilter* Filter, TVisitedSet& Visited);

// Walks the child controls of Control, and theirs, in order.
void ReplaceChildControls(ILexTranslator* Lex, QWidget* Control, std::string_view CodePage,
                          std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                          const IReplaceFilter* Filter, TVisitedSet& Visited);

// Translates Root and what lies under it in one walk without a filter.
void ReplaceTree(ILexTranslator* Lex, QObject* Root, std::string_view CodePage,
                 std::string_view SeqNo, const TLexFont* Font, bool ReplaceSelf, bool ReplaceOwned,
                 bool ReplaceSon, bool ReplaceFont);

// The registry's form translation: ReplaceTree with the dictionary that
// MultiLexStorage lists under LexName and the other values of Option; nothing
// when there is no such dictionary.
void ReplaceForm(std::string_view LexName, QObject* Form, const TMultiReplaceOption& Option);

// The font of a control given the settings' font: an empty name or a zero
// size keeps what Base has.
QFont ToQFont(const TLexFont& Font, QFont Base);

} // namespace lex
