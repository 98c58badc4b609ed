#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The five record fields, in the order the system writes them.
inline constexpr std::string_view LexKeyField = "LexKey";
inline constexpr std::string_view CodePageField = "CodePage";
inline constexpr std::string_view SeqNoField = "SeqNo";
inline constexpr std::string_view DisplayValueField = "DisplayValue";
inline constexpr std::string_view CatalogIDField = "CatalogID";

// A cursor over lexicon records with named, possibly null, byte-string fields.
// Views returned by FieldName and FieldValue stay valid until the reader moves
// (First, Next) or is destroyed.
class ILexReader {
public:
    virtual ~ILexReader() = default;

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    virtual int FieldCount() const = 0;
    virtual int RecordCount() const = 0;
    virtual int RecNo() const = 0;
    virtual std::string_view FieldName(int Index) const = 0;
    virtual std::string_view FieldValue(int Index) const = 0;
    virtual std::string_view FieldValueByName(std::string_view Name) const = 0;
    virtual bool IsNull(int Index) const = 0;
    virtual bool IsNullByName(std::string_view Name) const = 0;
    virtual bool IsBlob(int Index) const = 0;
    virtual bool IsBlobByName(std::string_view Name) const = 0;
    virtual void BeginRead() = 0;
    virtual void EndRead() = 0;

    // RecordCount(), cut to what the source can hold (never negative): what a
    // consumer may reserve room for before reading, so that a header cannot
    // make it allocate more than the data justifies.
    virtual int ReservableRecordCount() const = 0;
};

// Index of the first field named `Name` (ignoring case), or -1.
int FindFieldIndex(const ILexReader& Reader, std::string_view Name);

// Abstract base of every reader. The operations that readers answer alike
// have their one definition here; a reader overrides only what it does
// differently.
class TCustomLexReader : public ILexReader {
public:
    // The first field named `Name` (ignoring case); empty, or not null, when
    // no field has that name.
    std::string_view FieldValueByName(std::string_view Name) const override;
    bool IsNullByName(std::string_view Name) const override;
    bool IsBlob(int) const override { return false; }
    bool IsBlobByName(std::string_view) const override { return false; }
    void BeginRead() override {}
    void EndRead() override {}
    // For readers whose count is that of the records they hold.
    int ReservableRecordCount() const override { return std::max(RecordCount(), 0); }
};

// Per-record progress of writers and loaders. `Values` is empty when the
// caller has none to offer; clearing `Accept` makes a writer skip the record.
using TLexProgressEvent =
    std::function<void(std::span<const std::string_view> Values, double Fraction, bool& Accept)>;

// RecNo / RecordCount, kept finite and within [0, 1]: a reader may deliver
// more records than it announced, or announce none.
double LexFraction(int RecNo, int RecordCount);

// Tells OnProgress, where there is one, how far a walk is, offering the
// record's Values (none where the caller has none to offer); false when it
// declined the record. Inline: writers call it for every record.
inline bool ReportProgress(const TLexProgressEvent& OnProgress, double Fraction,
                           std::span<const std::string_view> Values = {}) {
    bool accept = true;
    if (OnProgress) OnProgress(Values, Fraction, accept);
    return accept;
}

// Holds the EndRead() promise of a walk: called on every way out.
class ReadScope {
public:
    explicit ReadScope(ILexReader& Reader) : reader_(Reader) { reader_.BeginRead(); }
    ~ReadScope() { reader_.EndRead(); }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    ILexReader& reader_;
};

// The writers' walk: every record of Reader, its values read once and
// offered to OnProgress, handed to `write` unless OnProgress declined it.
template <typename Write>
void ForEachAcceptedRecord(ILexReader& Reader, const TLexProgressEvent& OnProgress, Write write) {
    std::vector<std::string_view> values(static_cast<size_t>(Reader.FieldCount()));
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = Reader.FieldValue(static_cast<int>(i));
        if (ReportProgress(OnProgress, LexFraction(Reader.RecNo(), Reader.RecordCount()), values))
            write(std::span<const std::string_view>(values));
    }
}

// A reader over an in-memory copy of a byte source. Positioned on its first
// record (or at end) when constructed.
class TCustomStreamLexReader : public TCustomLexReader {
public:
    void First() override;
    bool Eof() const override { return EofFlag; }
    int FieldCount() const override { return static_cast<int>(FieldNames.size()); }
    int RecordCount() const override { return RecordCountValue; }
    int RecNo() const override { return RecNoValue; }
    std::string_view FieldName(int Index) const override { return FieldNames[Index]; }
    bool IsNull(int Index) const override { return Nulls[Index]; }

protected:
    explicit TCustomStreamLexReader(std::string Source) : Buffer(std::move(Source)) {}
    void SetFieldNames(std::vector<std::string> Names);

    std::vector<std::string> FieldNames;
    std::vector<char> Nulls; // one per field; char, not the bit-packed vector<bool>
    bool EofFlag = true;
    int RecordCountValue = 0;
    int RecNoValue = 0;
    const std::string Buffer;
};

// How the registry constructs a reader: from the whole source, which the
// reader keeps as its own buffer.
using TLexReaderClass = std::unique_ptr<TCustomStreamLexReader> (*)(std::string Source);

template <typename Reader>
std::unique_ptr<TCustomStreamLexReader> CreateLexReader(std::string Source) {
    return std::make_unique<Reader>(std::move(Source));
}

// Maps reader IDs ("LumoBinary", ...) to reader classes; IDs compare ignoring case.
class TLumoMultiStreamLexReaderStorage {
public:
    void RegisterReader(std::string_view ReaderID, TLexReaderClass ReaderClass);
    TLexReaderClass FindReader(std::string_view ReaderID) const;

private:
    struct Entry {
        std::string ID;
        TLexReaderClass Class;
    };
    std::vector<Entry>::const_iterator Search(std::string_view ReaderID) const;
    std::vector<Entry> entries_; // sorted by ID
};

inline constexpr std::string_view LumoBinaryID = "LumoBinary";
inline constexpr std::string_view LumoTextCSVID = "LumoTextCSV";
inline constexpr std::string_view LumoTextDFMID = "LumoTextDFM";

// The global registry, alive between InitializeLumoMultiLexReader() (which
// registers the reader of each lexicon format registered by then, see
// LexFormats.h) and FinalizeLumoMultiLexReader().
// A second start-up keeps the registry it finds, with what was registered.
extern std::unique_ptr<TLumoMultiStreamLexReaderStorage> MultiStreamLexReaderStorage;
void InitializeLumoMultiLexReader();
void FinalizeLumoMultiLexReader();

// The class registered under ReaderID; raises "dictionary reader ID \"%s\"
// ,not registered!" when there is none.
TLexReaderClass RegisteredReader(std::string_view ReaderID);

} // namespace lex
