#include "runtime/qt/MultiReplaceData.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/qt/QtText.h"

#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <algorithm>

namespace lex {

std::optional<std::string> ComponentName(const QObject& Component) {
    const QString name = Component.objectName();
    if (name.isEmpty()) return std::nullopt;
    try {
        return FromQString(name);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

std::string FormClassName(const QObject& Form) {
    const std::string_view name = Form.metaObject()->className();
    const size_t colons = name.rfind("::");
    return std::string(colons == std::string_view::npos ? name : name.substr(colons + 2));
}

// --- TComponentNameList ---

TComponentNameList::TComponentNameList(std::initializer_list<std::string_view> Names) {
    for (std::string_view name : Names)
        Add(name);
}

namespace {

bool NameLess(const std::string& Held, std::string_view Name) {
    return AnsiCompareText(Held, Name) < 0;
}

} // namespace

void TComponentNameList::Add(std::string_view Name) {
    const auto at = std::lower_bound(names_.begin(), names_.end(), Name, NameLess);
    if (at == names_.end() || !AnsiSameText(*at, Name)) names_.emplace(at, Name);
}

bool TComponentNameList::Contains(std::string_view Name) const {
    const auto at = std::lower_bound(names_.begin(), names_.end(), Name, NameLess);
    return at != names_.end() && AnsiSameText(*at, Name);
}

// --- component items ---

void TMultiReplaceCom2::SetComName(std::string_view Value) {
    if (AnsiSameText(Value, comName_)) return;
    if (!Value.empty()) {
        if (collection_.Owner().UnReplaceComs.Contains(Value))
            throw Exception(
                FormatText("component: \"%s\" already added in unreplace list.", {Value}));
        if (collection_.FindComName(Value))
            throw Exception(FormatText("component: \"%s\" already added.", {Value}));
    }
    comName_ = Value;
}

TMultiReplaceCom2& TMultiReplaceComs2::Add() {
    return *items_.emplace_back(new TMultiReplaceCom2(*this));
}

void TMultiReplaceComs2::Assign(const TMultiReplaceComs2& Source) {
    if (&Source == this) return;
    std::vector<std::unique_ptr<TMultiReplaceCom2>> items;
    for (int i = 0; i < Source.Count(); ++i) {
        auto& item = *items.emplace_back(new TMultiReplaceCom2(*this));
        item.ReplaceOption = Source[i].ReplaceOption;
        item.comName_ = Source[i].comName_;
    }
    items_ = std::move(items);
}

TMultiReplaceCom2* TMultiReplaceComs2::FindComName(std::string_view ComName) const {
    for (const auto& item : items_)
        if (AnsiSameText(item->comName_, ComName)) return item.get();
    return nullptr;
}

// --- form items ---

void TMultiReplaceForm::Assign(const TMultiReplaceForm& Source) {
    if (&Source == this) return;
    FormName = Source.FormName;
    ReplaceOption = Source.ReplaceOption;
    ReplaceComs.Assign(Source.ReplaceComs);
    UnReplaceComs = Source.UnReplaceComs;
}

std::string TMultiReplaceForm::DisplayName() const {
    return FormName + " - " + std::to_string(ReplaceComs.Count()) + " - " +
           std::to_string(UnReplaceComs.Count());
}

bool TMultiReplaceForm::CanReplace(const QObject* Component) const {
    if (!Component) return false;
    const std::optional<std::string> name = ComponentName(*Component);
    return !name || !UnReplaceComs.Contains(*name);
}

namespace {

// The dictionary an option names, or none when there is no such dictionary.
TCustomMultiLex* DictionaryOf(const TMultiReplaceOption& Option) {
    return MultiLexStorage ? MultiLexStorage->Find(Option.LexName) : nullptr;
}

} // namespace

// The form's components that have settings of their own: what it owns at
// every depth, in the order of the owned walk, leaving out what the filter
// refuses together with everything below it.
void TMultiReplaceForm::CollectSettings(const QObject* Component, TComponentSettings& Found) const {
    for (QObject* component : OwnedComponents(Component)) {
        if (!CanReplace(component)) continue;
        const std::optional<std::string> name = ComponentName(*component);
        if (const TMultiReplaceCom2* item = name ? ReplaceComs.FindComName(*name) : nullptr)
            Found.emplace_back(component, &item->ReplaceOption);
        CollectSettings(component, Found);
    }
}

void TMultiReplaceForm::ApplyTo(QWidget* Form) const {
    if (!Form) return;
    TVisitedSet visited;
    TComponentSettings withSettings;
    if (ReplaceComs.Count() > 0) CollectSettings(Form, withSettings);

    for (const auto& [component, option] : withSettings)
        if (option->ReplaceSelf)
            if (TCustomMultiLex* lex = DictionaryOf(*option))
                ReplaceComponent(lex, component, option->CodePage, option->SeqNo, &option->Font,
                                 option->ReplaceFont, visited);

    for (const auto& [component, option] : withSettings) {
        TCustomMultiLex* lex = DictionaryOf(*option);
        if (!lex) continue;
        if (option->ReplaceOwned)
            ReplaceOwnedComponents(lex, component, option->CodePage, option->SeqNo, &option->Font,
                                   option->ReplaceFont, this, visited);
        if (option->ReplaceSon)
            if (auto* control = qobject_cast<QWidget*>(component))
                ReplaceChildControls(lex, control, option->CodePage, option->SeqNo, &option->Font,
                                     option->ReplaceFont, this, visited);
    }

    const TMultiReplaceOption& own = ReplaceOption;
    TCustomMultiLex* lex = DictionaryOf(own);
    if (!lex) return;
    if (own.ReplaceSelf)
        ReplaceComponent(lex, Form, own.CodePage, own.SeqNo, &own.Font, own.ReplaceFont, visited);
    if (own.ReplaceOwned)
        ReplaceOwnedComponents(lex, Form, own.CodePage, own.SeqNo, &own.Font, own.ReplaceFont, this,
                               visited);
    if (own.ReplaceSon)
        ReplaceChildControls(lex, Form, own.CodePage, own.SeqNo, &own.Font, own.ReplaceFont, this,
                             visited);
}

TMultiReplaceForm& TMultiReplaceForms::Add() {
    return *items_.emplace_back(new TMultiReplaceForm);
}

void TMultiReplaceForms::Assign(const TMultiReplaceForms& Source) {
    if (&Source == this) return;
    std::vector<std::unique_ptr<TMultiReplaceForm>> items;
    for (int i = 0; i < Source.Count(); ++i)
        items.emplace_back(new TMultiReplaceForm)->Assign(Source[i]);
    items_ = std::move(items);
}

TMultiReplaceForm* TMultiReplaceForms::FindFormName(std::string_view FormName) const {
    for (const auto& item : items_)
        if (AnsiSameText(item->FormName, FormName)) return item.get();
    return nullptr;
}

// --- form classes ---

void TMultiReplaceDatum::SetFormClassName(std::string_view Value) {
    if (AnsiSameText(Value, formClassName_)) return;
    if (!Value.empty() && collection_.FindFormClass(Value))
        throw Exception(FormatText("form class: \"%s\" already added.", {Value}));
    formClassName_ = Value;
}

std::string TMultiReplaceDatum::DisplayName() const {
    return formClassName_ + " : " + std::to_string(ReplaceForms.Count());
}

TMultiReplaceDatum& TMultiReplaceData::Add() {
    return *items_.emplace_back(new TMultiReplaceDatum(*this));
}

void TMultiReplaceData::Assign(const TMultiReplaceData& Source) {
    if (&Source == this) return;
    std::vector<std::unique_ptr<TMultiReplaceDatum>> items;
    for (int i = 0; i < Source.Count(); ++i) {
        auto& item = *items.emplace_back(new TMultiReplaceDatum(*this));
        item.formClassName_ = Source[i].formClassName_;
        item.ReplaceForms.Assign(Source[i].ReplaceForms);
    }
    items_ = std::move(items);
}

TMultiReplaceDatum* TMultiReplaceData::FindFormClass(std::string_view FormClassName) const {
    for (const auto& item : items_)
        if (AnsiSameText(item->formClassName_, FormClassName)) return item.get();
    return nullptr;
}

} // namespace lex
