#include "runtime/qt/ComponentWalk.h"

#include "runtime/qt/LumoMultiClassMethod.h"

#include <QPointer>
#include <QToolButton>
#include <QWidget>

namespace lex {
namespace {

// A window of its own kind (a dialog, another main window) is a form that is
// translated when it is shown, not as a part of its parent; popups and tool
// windows (menus, floating docks) belong to their parent's window.
bool IsFormOfItsOwn(const QObject* Object) {
    const auto* widget = qobject_cast<const QWidget*>(Object);
    if (!widget || !widget->isWindow()) return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet;
}

void TranslateTip(ILexTranslator* Lex, QWidget* Widget, std::string_view CodePage,
                  std::string_view SeqNo) {
    // A tool button showing an action copies the action's tips whenever the
    // action changes; the action's own menu or tool bar translates them.
    if (const auto* button = qobject_cast<const QToolButton*>(Widget);
        button && button->defaultAction())
        return;
    // Most widgets have no tips; they are not told of a change that is none.
    if (!Widget->toolTip().isEmpty())
        Widget->setToolTip(TranslateQString(Lex, Widget->toolTip(), CodePage, SeqNo));
    if (!Widget->statusTip().isEmpty())
        Widget->setStatusTip(TranslateQString(Lex, Widget->statusTip(), CodePage, SeqNo));
}

// The walk goes on through QPointer copies: handlers are application code and
// may delete what they were given.
QList<QPointer<QObject>> Guarded(const QObjectList& Objects) {
    QList<QPointer<QObject>> guarded;
    guarded.reserve(Objects.size());
    for (QObject* object : Objects)
        guarded.append(object);
    return guarded;
}

} // namespace

QObjectList OwnedComponents(const QObject* Component) {
    QObjectList owned;
    for (QObject* child : Component->children())
        if (!IsFormOfItsOwn(child)) owned.append(child);
    return owned;
}

QObjectList ChildControls(const QWidget* Control) {
    QObjectList controls;
    for (QObject* child : Control->children())
        if (const auto* widget = qobject_cast<const QWidget*>(child); widget && !widget->isWindow())
            controls.append(child);
    return controls;
}

QFont ToQFont(const TLexFont& Font, QFont Base) {
    if (!Font.Name.empty()) Base.setFamily(QString::fromStdString(Font.Name));
    if (Font.Size > 0) Base.setPointSize(Font.Size);
    Base.setBold(Font.Style & fsBold);
    Base.setItalic(Font.Style & fsItalic);
    Base.setUnderline(Font.Style & fsUnderline);
    Base.setStrikeOut(Font.Style & fsStrikeOut);
    return Base;
}

bool ReplaceComponent(ILexTranslator* Lex, QObject* Component, std::string_view CodePage,
                      std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                      TVisitedSet& Visited) {
    if (!Component || Visited.contains(Component)) return false;
    if (auto* widget = qobject_cast<QWidget*>(Component)) {
        if (!widget->isWindow() && !widget->parentWidget()) return false;
        TranslateTip(Lex, widget, CodePage, SeqNo);
        if (ReplaceFont && Font) widget->setFont(ToQFont(*Font, widget->font()));
    }
    if (MultiClassMethodStorage) {
        const TClassMethod* method = MultiClassMethodStorage->FindHandler(Component->metaObject());
        if (method && method->Handler) method->Handler(Lex, Component, CodePage, SeqNo, Font);
    }
    Visited.insert(Component);
    return true;
}

void ReplaceOwnedComponents(ILexTranslator* Lex, QObject* Component, std::string_view CodePage,
                            std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                            const IReplaceFilter* Filter, TVisitedSet& Visited) {
    if (!Component) return;
    for (const QPointer<QObject>& child : Guarded(OwnedComponents(Component))) {
        if (!child || (Filter && !Filter->CanReplace(child))) continue;
        if (ReplaceComponent(Lex, child, CodePage, SeqNo, Font, ReplaceFont, Visited))
            ReplaceOwnedComponents(Lex, child, CodePage, SeqNo, Font, ReplaceFont, Filter, Visited);
    }
}

void ReplaceChildControls(ILexTranslator* Lex, QWidget* Control, std::string_view CodePage,
                          std::string_view SeqNo, const TLexFont* Font, bool ReplaceFont,
                          const IReplaceFilter* Filter, TVisitedSet& Visited) {
    if (!Control) return;
    for (const QPointer<QObject>& child : Guarded(ChildControls(Control))) {
        if (!child || (Filter && !Filter->CanReplace(child))) continue;
        if (ReplaceComponent(Lex, child, CodePage, SeqNo, Font, ReplaceFont, Visited))
            ReplaceChildControls(Lex, static_cast<QWidget*>(child.data()), CodePage, SeqNo, Font,
                                 ReplaceFont, Filter, Visited);
    }
}

void ReplaceTree(ILexTranslator* Lex, QObject* Root, std::string_view CodePage,
                 std::string_view SeqNo, const TLexFont* Font, bool ReplaceSelf, bool ReplaceOwned,
                 bool ReplaceSon, bool ReplaceFont) {
    TVisitedSet visited;
    if (ReplaceSelf) ReplaceComponent(Lex, Root, CodePage, SeqNo, Font, ReplaceFont, visited);
    if (ReplaceOwned && Root)
        ReplaceOwnedComponents(Lex, Root, CodePage, SeqNo, Font, ReplaceFont, nullptr, visited);
    if (ReplaceSon)
        if (auto* control = qobject_cast<QWidget*>(Root))
            ReplaceChildControls(Lex, control, CodePage, SeqNo, Font, ReplaceFont, nullptr,
                                 visited);
}

void ReplaceForm(std::string_view LexName, QObject* Form, const TMultiReplaceOption& Option) {
    TCustomMultiLex* lex = MultiLexStorage ? MultiLexStorage->Find(LexName) : nullptr;
    if (!lex) return;
    ReplaceTree(lex, Form, Option.CodePage, Option.SeqNo, &Option.Font, Option.ReplaceSelf,
                Option.ReplaceOwned, Option.ReplaceSon, Option.ReplaceFont);
}

} // namespace lex
