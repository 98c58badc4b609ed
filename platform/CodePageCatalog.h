#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// Where the code pages and their descriptions come from: the shape of a
// registry key whose subkeys are named by code page and carry a
// "Description" value.
class ICodePageSource {
public:
    virtual ~ICodePageSource() = default;
    // The subkey names; none when the key does not open.
    virtual std::vector<std::string> SubKeyNames() const = 0;
    // Opens the subkey of a name: nullopt when it does not open, otherwise its
    // "Description" value, empty when the value is missing.
    virtual std::optional<std::string> Description(std::string_view Name) const = 0;
};

// The compiled-in catalogue: the code pages the desktop platform knows, with
// its English descriptions.
class TBuiltinCodePageSource final : public ICodePageSource {
public:
    std::vector<std::string> SubKeyNames() const override;
    std::optional<std::string> Description(std::string_view Name) const override;
};

struct TCodePageNode {
    std::string CodePage;
    std::string Description;
};

// Code pages sorted by name in the locale's order ignoring case ("1250"
// before "936"), each with its node, or none when its subkey did not open.
class TCodePageList {
public:
    struct TEntry {
        std::string Name;
        std::unique_ptr<TCodePageNode> Node;
    };

    TCodePageList() = default;
    explicit TCodePageList(const ICodePageSource& Source) { Fill(Source); }

    // Replaces the entries by those of the source.
    void Fill(const ICodePageSource& Source);

    int Count() const { return static_cast<int>(Entries.size()); }
    const std::string& Name(int Index) const { return Entries.at(Index).Name; }
    const TCodePageNode* Node(int Index) const { return Entries.at(Index).Node.get(); }
    // How the language dialogs show an entry: the name padded with spaces to
    // 11 characters, then the description (none without a node).
    std::string DisplayText(int Index) const;

    // Binary search ignoring case: the entry's index, or -1.
    int IndexOf(std::string_view Name) const;
    // The node of the entry of that name; null when there is no such entry or
    // it has no node.
    const TCodePageNode* Find(std::string_view Name) const;

    auto begin() const { return Entries.cbegin(); }
    auto end() const { return Entries.cend(); }

private:
    std::vector<TEntry> Entries;
};

// The global list, alive between InitializeCodePageList() (which fills it from
// the compiled-in catalogue, or the source given, replacing any earlier list)
// and FinalizeCodePageList(); either may run again.
extern std::unique_ptr<TCodePageList> CodePageList;
void InitializeCodePageList();
void InitializeCodePageList(const ICodePageSource& Source);
void FinalizeCodePageList();

} // namespace lex
