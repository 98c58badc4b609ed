#pragma once

#include "database/DirectRows.h"
#include "database/PackedValues.h"
#include "runtime/LumoMultiLexReader.h"

#include <QMetaType>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSqlRecord;

namespace lex {

// The fields of a table's rows and how their values become a lexicon's
// bytes: the display value (the field named "DisplayValue") in the code page
// its row's "CodePage" field names, every other text in the process's code
// page; large objects stay bytes, integers become their digits.
class TRowFormat {
public:
    struct TField {
        std::string Name;
        QString SqlName; // quoted for statements
        TFieldKind Kind;
        QMetaType Type;
    };
    using TValues = TPackedValues::TValues;

    TRowFormat() = default;
    TRowFormat(const QSqlDatabase& Database, const QSqlRecord& Record);

    // The first field of that name (ignoring case), or -1.
    int FindField(std::string_view Name) const;
    // The text of the "CodePage" field among the values of a row.
    template <typename Values>
    std::string_view CodePageText(const Values& Row) const {
        if (CodePageField < 0) return {};
        const auto& value = Row[static_cast<size_t>(CodePageField)];
        return value ? std::string_view(*value) : std::string_view();
    }
    // The current row of a source into Values, keeping their storage; Row
    // (counted from 1) names it in the EDatabaseError of a value the code
    // page cannot hold.
    void Read(const QSqlQuery& Query, TValues& Values, size_t Row) const;
    void Read(const TDirectRows& Rows, TValues& Values, size_t Row) const;

    std::vector<TField> Fields;
    int DisplayField = -1;
    int CodePageField = -1;

private:
    template <typename ReadValue>
    void ReadFields(TValues& Values, size_t Row, const ReadValue& Read) const;
};

// A table's rows read once, in order: through the engine's own interface
// where it has one (see TDirectRows), through Qt's driver otherwise.
class TTableRows {
public:
    // Runs the query; EDatabaseError (or EDatabaseUnavailable) when it fails.
    TTableRows(const QSqlDatabase& Database, std::string_view TableName);

    const TRowFormat& Format() const { return format_; }
    // The next row into Values; false after the last.
    bool Next(TRowFormat::TValues& Values);

private:
    QSqlDatabase database_;
    QSqlQuery query_;
    std::unique_ptr<TDirectRows> direct_;
    TRowFormat format_;
    size_t read_ = 0;
};

// A table's rows as lexicon records, read once from the first to the last
// (First() only starts): for loading a table whole without holding its rows.
// The count of records is not known before the end.
class TTableLexReader final : public TCustomLexReader {
public:
    explicit TTableLexReader(TTableRows& Rows);

    void First() override;
    void Next() override;
    bool Eof() const override { return eof_; }
    int FieldCount() const override { return static_cast<int>(values_.size()); }
    int RecordCount() const override { return 0; }
    int RecNo() const override { return recNo_; }
    std::string_view FieldName(int Index) const override;
    std::string_view FieldValue(int Index) const override;
    bool IsNull(int Index) const override { return !values_[static_cast<size_t>(Index)]; }
    bool IsBlob(int Index) const override;
    bool IsBlobByName(std::string_view Name) const override;

private:
    TTableRows& rows_;
    TRowFormat::TValues values_;
    bool started_ = false;
    bool eof_ = false;
    int recNo_ = 0;
};

} // namespace lex
