#pragma once

#include "runtime/LumoMultiLex.h"
#include "runtime/qt/ComponentWalk.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QObject;
class QWidget;

namespace lex {

// The screen eye's stored settings: per form class, per form name, per
// component, with a list of components to leave alone. Names compare
// ignoring case.

// The name settings know a component by: its objectName, in the process's
// code page. None for an unnamed object or a name the code page cannot hold,
// since Qt leaves most objects unnamed and no setting should match them all.
std::optional<std::string> ComponentName(const QObject& Component);

// The class name settings know a form by: the Qt class name without its
// namespace ("lex::TFormAbout" is "TFormAbout"), as forms are designed.
std::string FormClassName(const QObject& Form);

// Items live behind pointers so that references to them survive additions.
template <class TItem>
class TCollection {
public:
    TCollection() = default;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TItem& operator[](int Index) const { return *items_[Index]; }
    void Delete(int Index) { items_.erase(items_.begin() + Index); }
    void Clear() { items_.clear(); }

protected:
    std::vector<std::unique_ptr<TItem>> items_;
};

// Component names kept sorted ignoring case, each once.
class TComponentNameList {
public:
    TComponentNameList() = default;
    TComponentNameList(std::initializer_list<std::string_view> Names);

    // A name held already (ignoring case) is not added again.
    void Add(std::string_view Name);
    bool Contains(std::string_view Name) const;
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& operator[](int Index) const { return names_[Index]; }
    void Clear() { names_.clear(); }

private:
    std::vector<std::string> names_;
};

class TMultiReplaceComs2;
class TMultiReplaceForm;
class TMultiReplaceData;

// Settings of one component of a form, taking precedence over the form's.
class TMultiReplaceCom2 {
public:
    TMultiReplaceOption ReplaceOption;

    const std::string& ComName() const { return comName_; }
    // Unique in the collection and not in the form item's UnReplaceComs,
    // both ignoring case; the same name in another case changes nothing.
    void SetComName(std::string_view Value);
    std::string DisplayName() const { return comName_; }

private:
    friend class TMultiReplaceComs2;
    explicit TMultiReplaceCom2(TMultiReplaceComs2& Collection) : collection_(Collection) {}

    TMultiReplaceComs2& collection_;
    std::string comName_;
};

class TMultiReplaceComs2 : public TCollection<TMultiReplaceCom2> {
public:
    explicit TMultiReplaceComs2(const TMultiReplaceForm& Owner) : owner_(Owner) {}

    TMultiReplaceCom2& Add();
    // Copies the items of Source, names as they are.
    void Assign(const TMultiReplaceComs2& Source);
    TMultiReplaceCom2* FindComName(std::string_view ComName) const;
    const TMultiReplaceForm& Owner() const { return owner_; }

private:
    const TMultiReplaceForm& owner_;
};

// Settings of the forms of one class that carry one name, or of every form
// of the class without an item of its own when the name is "Self".
class TMultiReplaceForm final : public IReplaceFilter {
public:
    std::string FormName;
    TMultiReplaceOption ReplaceOption;
    TMultiReplaceComs2 ReplaceComs{*this};
    TComponentNameList UnReplaceComs;

    void Assign(const TMultiReplaceForm& Source);
    std::string DisplayName() const;

    // False for no component and for one named in UnReplaceComs.
    bool CanReplace(const QObject* Component) const override;
    // Translates Form: first the components with settings of their own, then
    // what lies under them, then the form with the item's own settings, all
    // in one walk, so nothing is handled twice.
    void ApplyTo(QWidget* Form) const;

private:
    friend class TMultiReplaceForms;
    TMultiReplaceForm() = default;

    using TComponentSettings = std::vector<std::pair<QObject*, const TMultiReplaceOption*>>;
    void CollectSettings(const QObject* Component, TComponentSettings& Found) const;
};

class TMultiReplaceForms : public TCollection<TMultiReplaceForm> {
public:
    TMultiReplaceForm& Add();
    void Assign(const TMultiReplaceForms& Source);
    TMultiReplaceForm* FindFormName(std::string_view FormName) const;
};

// Settings of the forms of one class.
class TMultiReplaceDatum {
public:
    TMultiReplaceForms ReplaceForms;

    const std::string& FormClassName() const { return formClassName_; }
    // Unique in the collection ignoring case; the same name in another case
    // changes nothing.
    void SetFormClassName(std::string_view Value);
    std::string DisplayName() const;

private:
    friend class TMultiReplaceData;
    explicit TMultiReplaceDatum(TMultiReplaceData& Collection) : collection_(Collection) {}

    TMultiReplaceData& collection_;
    std::string formClassName_;
};

class TMultiReplaceData : public TCollection<TMultiReplaceDatum> {
public:
    TMultiReplaceDatum& Add();
    void Assign(const TMultiReplaceData& Source);
    TMultiReplaceDatum* FindFormClass(std::string_view FormClassName) const;
};

} // namespace lex
