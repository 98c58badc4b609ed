#pragma once

#include "platform/MessageBox.h"
#include "platform/Streams.h"
#include "runtime/Component.h"
#include "runtime/HashList.h"
#include "runtime/LumoMultiLexReader.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The LexName of the program's own interface lexicon, the one its menus,
// dialogs and messages are translated through.
inline constexpr std::string_view GUILexName = "Lex_GUI";

// What a form translation asks of a dictionary: the text for a key in a
// language (code page) and sequence, or the key itself when there is none.
class ILexTranslator {
public:
    virtual ~ILexTranslator() = default;
    virtual std::string Translate(std::string_view Key, std::string_view CodePage,
                                  std::string_view SeqNo) = 0;
};

// Field names to use instead of the standard ones.
struct TLexFieldsOption {
    std::string LexKeyField;
    std::string CodePageField;
    std::string SeqNoField;
    std::string DisplayValueField;
};

// The lexicon bytes embedded in a program: a complete lexicon file in the
// format of the dictionary's reader ID.
class TMultiDictionary {
public:
    std::string Stream;
    size_t Position = 0;

    // Grows Stream by the size of Source and writes Source at Position.
    void ReadData(std::string_view Source);
    // Writes Stream from Position to its end.
    void WriteData(OutputStream& Destination) const;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font as settings carry it; an empty name and size 0 mean the toolkit's
// default font.
struct TLexFont {
    std::string Name;
    int Size = 0;
    unsigned Style = 0; // TFontStyle bits
    bool operator==(const TLexFont&) const = default;
};

// Settings of one form translation.
struct TMultiReplaceOption {
    std::string LexName;
    std::string CodePage;
    std::string SeqNo;
    TLexFont Font;
    bool ReplaceSelf = true;
    bool ReplaceOwned = true;
    bool ReplaceSon = true;
    bool ReplaceFont = false;
    bool operator==(const TMultiReplaceOption&) const = default;
};

class TCustomMultiLex;
class TLumoMultiLexStorage;
using TNotifyEvent = std::function<void(TCustomMultiLex& Sender)>;
using TBuildingLexEvent =
    std::function<void(TCustomMultiLex& Sender, std::string_view ALexKey,
                       std::string_view ACodePage, std::string_view ASeqNo, bool& Accept)>;

// A lexicon held in memory for look-up by key, code page and sequence, listed
// in MultiLexStorage under its LexName. It builds itself from its source the
// first time it is asked.
class TCustomMultiLex : public TComponent, public ILexTranslator {
public:
    explicit TCustomMultiLex(TComponent* Owner = nullptr);
    ~TCustomMultiLex() override;

    const std::string& LexName() const { return LexNameValue; }
    // Raises "lexicon: \"%s\" already exists." for a name registered already
    // (ignoring case); an empty name or the same name changes nothing.
    void SetLexName(std::string_view Value);

    TLexFieldsOption FieldsOption;
    bool UseDefaultFields = true;
    TNotifyEvent OnBeforeBuildLex;
    TNotifyEvent OnAfterBuildLex;
    TBuildingLexEvent OnBuildingLex;

    bool Built() const { return BuiltFlag; }
    int EntryCount() const { return Entries ? Entries->Count() : 0; }
    int BucketCount() const { return Entries ? Entries->BucketCount() : 0; }

    // Key, TAB, code page, TAB, sequence: the entry key, exact in every byte.
    static std::string MakeKey(std::string_view Key, std::string_view CodePage,
                               std::string_view SeqNo);

    virtual void ClearLex();
    std::string Translate(std::string_view Key, std::string_view CodePage,
                          std::string_view SeqNo) override;
    // Translate without a copy: a view of the display value, valid until the
    // entries are cleared, or of Key itself. Inline, so that the caller's
    // arguments reach the look-up without being passed on once more.
    std::string_view TranslateView(std::string_view Key, std::string_view CodePage,
                                   std::string_view SeqNo) {
        if (!BuiltFlag) BuildLex();
        std::string_view value;
        if (Entries && Entries->Find(TJoinedKey{Key, CodePage, SeqNo, '\t'}, value)) return value;
        return Key;
    }
    virtual void BuildFromReader(ILexReader& Reader);
    void BuildLex();
    // Translates each run of ASCII letters; other bytes separate words and
    // stay, but spaces survive only for code page "1252".
    std::string TranslateWords(std::string_view Text, std::string_view CodePage,
                               std::string_view SeqNo);

protected:
    virtual void DoBeforeBuildLex();
    virtual void DoAfterBuildLex();
    virtual void DoBuildLex() = 0;

private:
    std::string LexNameValue;
    // The registry the component is listed in; it outlives the component,
    // since destroying a registry destroys its components.
    TLumoMultiLexStorage& registry_;
    // Entry key to display value; packed once built.
    std::unique_ptr<TLumoHashList> Entries;
    bool BuiltFlag = false;
};

class TCustomMultiReaderLex : public TCustomMultiLex {
public:
    using TCustomMultiLex::TCustomMultiLex;
    std::string LexReaderID{LumoTextCSVID};
};

// A dictionary over embedded lexicon bytes read by a registered stream reader.
class TLumoMultiStreamLex : public TCustomMultiReaderLex {
public:
    using TCustomMultiReaderLex::TCustomMultiReaderLex;
    TMultiDictionary Dictionary;

protected:
    void DoBuildLex() override;
};

// The registry of dictionaries by name (ignoring case). Destroying it
// destroys every component still registered.
class TLumoMultiLexStorage {
public:
    TLumoMultiLexStorage() = default;
    ~TLumoMultiLexStorage();
    TLumoMultiLexStorage(const TLumoMultiLexStorage&) = delete;
    TLumoMultiLexStorage& operator=(const TLumoMultiLexStorage&) = delete;

    TCustomMultiLex* Find(std::string_view LexName) const;
    int Count() const { return static_cast<int>(Entries.size()); }
    TCustomMultiLex* operator[](int Index) const { return Entries[Index]; }
    // Text translated by the named dictionary, or Text when there is none.
    std::string Translate(std::string_view LexName, std::string_view Text,
                          std::string_view CodePage, std::string_view SeqNo);

private:
    friend class TCustomMultiLex;
    std::vector<TCustomMultiLex*>::const_iterator Search(std::string_view LexName) const;
    void Insert(TCustomMultiLex* Lex);
    void Remove(TCustomMultiLex* Lex);

    std::vector<TCustomMultiLex*> Entries; // sorted by LexName
};

// The global registry, alive between InitializeLumoMultiLex() and
// FinalizeLumoMultiLex(). A second start-up keeps the registry it finds, so
// that no live component loses its entry.
extern std::unique_ptr<TLumoMultiLexStorage> MultiLexStorage;
void InitializeLumoMultiLex();
void FinalizeLumoMultiLex();

// The smallest x >= n with no divisor d, 2 <= d <= round(sqrt(x)).
int NextPrime(int n);

// Message boxes whose caption and text are first translated by the named
// dictionary; the Fmt form then fills "%s" in each from its argument list
// (an empty list leaves the text as it is).
int LexMessageBox(TWindowHandle Owner, std::string_view Text, std::string_view Caption,
                  unsigned Flags, std::string_view CodePage, std::string_view SeqNo,
                  std::string_view LexName);
int LexMessageBoxFmt(TWindowHandle Owner, std::string_view Text, std::string_view Caption,
                     unsigned Flags, std::string_view CodePage,
                     std::initializer_list<std::string_view> TextArgs,
                     std::initializer_list<std::string_view> CaptionArgs, std::string_view SeqNo,
                     std::string_view LexName);

} // namespace lex
