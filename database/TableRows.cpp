#include "database/TableRows.h"

#include "database/DBSchema.h"
#include "database/DBText.h"
#include "database/SQLConnection.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"

#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

namespace lex {
namespace {

bool IsIntegerType(int TypeId) {
    switch (TypeId) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

TFieldKind KindOf(int TypeId) {
    if (TypeId == QMetaType::QByteArray) return TFieldKind::Blob;
    if (IsIntegerType(TypeId)) return TFieldKind::Integer;
    return TypeId == QMetaType::QString ? TFieldKind::Text : TFieldKind::Other;
}

} // namespace

TRowFormat::TRowFormat(const QSqlDatabase& Database, const QSqlRecord& Record) {
    for (int i = 0; i < Record.count(); ++i) {
        const QSqlField field = Record.field(i);
        Fields.push_back({LexiconText(field.name(), ProcessCodePage()),
                          Database.driver()->escapeIdentifier(field.name(), QSqlDriver::FieldName),
                          KindOf(field.metaType().id()), field.metaType()});
    }
    DisplayField = FindField(DisplayValueField);
    CodePageField = FindField(lex::CodePageField);
}

int TRowFormat::FindField(std::string_view Name) const {
    for (size_t i = 0; i < Fields.size(); ++i)
        if (AnsiSameText(Fields[i].Name, Name)) return static_cast<int>(i);
    return -1;
}

template <typename ReadValue>
void TRowFormat::ReadFields(TValues& Values, size_t Row, const ReadValue& Read) const {
    const auto read = [&](int field, int codePage) {
        try {
            Read(field, codePage, Values[static_cast<size_t>(field)]);
        } catch (const EConvertError& e) {
            throw EDatabaseError(FormatText(
                "Row %s, field %s: %s",
                {std::to_string(Row), Fields[static_cast<size_t>(field)].Name, e.what()}));
        }
    };
    const int processCodePage = ProcessCodePage();
    for (int i = 0; i < static_cast<int>(Fields.size()); ++i)
        if (i != DisplayField) read(i, processCodePage);
    if (DisplayField >= 0) read(DisplayField, TextCodePage(CodePageText(Values)));
}

void TRowFormat::Read(const QSqlQuery& Query, TValues& Values, size_t Row) const {
    ReadFields(Values, Row, [&](int Field, int CodePage, std::optional<std::string>& Bytes) {
        const QVariant value = Query.value(Field);
        if (value.isNull()) {
            Bytes.reset();
            return;
        }
        std::string& text = Bytes ? *Bytes : Bytes.emplace();
        if (Fields[static_cast<size_t>(Field)].Kind == TFieldKind::Blob) {
            const QByteArray data = value.toByteArray();
            text.assign(data.constData(), static_cast<size_t>(data.size()));
        } else if (const int type = value.metaType().id(); IsIntegerType(type)) {
            text = type == QMetaType::ULongLong ? std::to_string(value.toULongLong())
                                                : std::to_string(value.toLongLong());
        } else {
            LexiconTextTo(value.toString(), CodePage, text);
        }
    });
}

// The same values as Qt's driver gives for each kind the engine stores.
void TRowFormat::Read(const TDirectRows& Rows, TValues& Values, size_t Row) const {
    ReadFields(Values, Row, [&](int Field, int CodePage, std::optional<std::string>& Bytes) {
        const TDirectRows::TKind kind = Rows.Kind(Field);
        if (kind == TDirectRows::TKind::Null) {
            Bytes.reset();
            return;
        }
        std::string& text = Bytes ? *Bytes : Bytes.emplace();
        if (kind == TDirectRows::TKind::Integer) {
            text = std::to_string(Rows.Integer(Field));
        } else if (kind == TDirectRows::TKind::Float) {
            text = QString::number(Rows.Float(Field), 'g', QLocale::FloatingPointShortest)
                       .toStdString();
        } else if (Fields[static_cast<size_t>(Field)].Kind == TFieldKind::Blob) {
            text = Rows.Bytes(Field);
        } else {
            Utf8LexiconTextTo(Rows.Bytes(Field), CodePage, text);
        }
    });
}

TTableRows::TTableRows(const QSqlDatabase& Database, std::string_view TableName)
    : database_(Database), query_(Database) {
    const QString select = DatabaseText(SelectAllStatement(TableName), ProcessCodePage());
    query_.setForwardOnly(true);
    // Where the rows come the direct way, Qt's query only describes them.
    const bool direct = TDirectRows::Supported(Database);
    if (!query_.exec(direct ? select + QStringLiteral(" where 1 = 0") : select))
        RaiseDatabaseError(Database, query_.lastError());
    format_ = TRowFormat(Database, query_.record());
    if (!direct) return;
    std::vector<TFieldKind> kinds;
    for (const TRowFormat::TField& field : format_.Fields)
        kinds.push_back(field.Kind);
    direct_ = TDirectRows::Query(Database, select, kinds);
    if (!direct_ && !query_.exec(select)) RaiseDatabaseError(Database, query_.lastError());
}

bool TTableRows::Next(TRowFormat::TValues& Values) {
    if (direct_) {
        if (!direct_->Next()) return false;
        format_.Read(*direct_, Values, ++read_);
        return true;
    }
    if (!query_.next()) {
        if (query_.lastError().isValid()) RaiseDatabaseError(database_, query_.lastError());
        return false;
    }
    format_.Read(query_, Values, ++read_);
    return true;
}

TTableLexReader::TTableLexReader(TTableRows& Rows)
    : rows_(Rows), values_(Rows.Format().Fields.size()) {}

void TTableLexReader::First() {
    if (started_) throw EDatabaseError("The rows of a table are read once, from the first");
    started_ = true;
    recNo_ = 0;
    Next();
}

void TTableLexReader::Next() {
    eof_ = !rows_.Next(values_);
    if (!eof_) ++recNo_;
}

std::string_view TTableLexReader::FieldName(int Index) const {
    return rows_.Format().Fields[static_cast<size_t>(Index)].Name;
}

std::string_view TTableLexReader::FieldValue(int Index) const {
    const auto& value = values_[static_cast<size_t>(Index)];
    return value ? std::string_view(*value) : std::string_view();
}

bool TTableLexReader::IsBlob(int Index) const {
    return rows_.Format().Fields[static_cast<size_t>(Index)].Kind == TFieldKind::Blob;
}

bool TTableLexReader::IsBlobByName(std::string_view Name) const {
    const int index = rows_.Format().FindField(Name);
    return index >= 0 && IsBlob(index);
}

} // namespace lex
