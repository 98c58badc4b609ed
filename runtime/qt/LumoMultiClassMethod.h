#pragma once

#include "runtime/LumoMultiLex.h"

#include <QMetaObject>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QObject;
class QTreeWidget;

namespace lex {

// Translates the texts that only one kind of control has (its items, tabs,
// panels, menu entries); the common part of every widget is the walk's.
using TTranslateHandler = void (*)(ILexTranslator* Translator, QObject* Component,
                                   std::string_view CodePage, std::string_view SeqNo,
                                   const TLexFont* Font);

// One registered class. A node owns its first child and its next sibling, so
// destroying a node destroys the subtree under it and the siblings after it.
struct TClassMethod {
    TClassMethod(const QMetaObject* Class, TTranslateHandler Method)
        : ControlClass(Class), Handler(Method) {}
    ~TClassMethod();
    TClassMethod(const TClassMethod&) = delete;
    TClassMethod& operator=(const TClassMethod&) = delete;

    const QMetaObject* ControlClass;
    TTranslateHandler Handler;
    std::unique_ptr<TClassMethod> FirstChild;
    std::unique_ptr<TClassMethod> NextSibling;
    TClassMethod* Parent = nullptr;
};

// The handlers by class, kept as a tree by inheritance: the children of a
// node are the registered classes whose nearest registered ancestor is the
// node's class, and the roots are the classes without one, in the order they
// became roots. A look-up gives the most derived registered class.
class TMultiClassMethodStorage {
public:
    TMultiClassMethodStorage() = default;
    ~TMultiClassMethodStorage() { Clear(); }
    TMultiClassMethodStorage(const TMultiClassMethodStorage&) = delete;
    TMultiClassMethodStorage& operator=(const TMultiClassMethodStorage&) = delete;

    // A class registered already only gets the new handler.
    void RegisterHandler(const QMetaObject* ControlClass, TTranslateHandler Handler);
    // Removes exactly that class; its children take its place.
    void UnregisterHandler(const QMetaObject* ControlClass);
    TClassMethod* FindHandler(const QMetaObject* ControlClass) const;
    TClassMethod* FindExactHandler(const QMetaObject* ControlClass) const;
    void Clear();
    // Fills TreeView with the class names, a top-level item per root.
    void ShowClassTree(QTreeWidget* TreeView) const;

    int Count() const { return static_cast<int>(roots_.size()); }
    TClassMethod* Items(int Index) const { return roots_[Index].get(); }

private:
    std::vector<std::unique_ptr<TClassMethod>> roots_;
};

// An empty text stays empty without a look-up; any other is the translator's.
std::string TranslateText(ILexTranslator* Translator, std::string_view Text,
                          std::string_view CodePage, std::string_view SeqNo);
// The same for a widget's text, looked up as bytes in the process's code page
// and shown decoded with it; a text that code page cannot hold stays as it is.
QString TranslateQString(ILexTranslator* Translator, const QString& Text, std::string_view CodePage,
                         std::string_view SeqNo);
// The action's text, then its tool tip and status tip, then the actions of
// its submenu, recursively.
void TranslateMenuItem(ILexTranslator* Translator, QAction* Item, std::string_view CodePage,
                       std::string_view SeqNo);

// The global registry, alive between InitializeLumoMultiClassMethod() (which
// registers the standard handlers) and FinalizeLumoMultiClassMethod(). A
// second start-up keeps the registry it finds with the handlers applications
// registered in it.
extern std::unique_ptr<TMultiClassMethodStorage> MultiClassMethodStorage;
void InitializeLumoMultiClassMethod();
void FinalizeLumoMultiClassMethod();

} // namespace lex
