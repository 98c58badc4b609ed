#include "database/DBSchema.h"

#include "database/DBText.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace lex {
namespace {

// Reads one plain or quoted identifier from text[at...]; false when there is none.
bool ReadIdentifier(const QString& text, qsizetype& at) {
    if (at >= text.size()) return false;
    const QChar open = text[at];
    const QChar close = open == u'[' ? QChar(u']') : open;
    if (open == u'"' || open == u'`' || open == u'[') {
        qsizetype i = at + 1;
        bool empty = true;
        for (; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == close) {
                if (i + 1 < text.size() && text[i + 1] == close) {
                    ++i;
                } else {
                    break;
                }
            } else if (c.category() == QChar::Other_Control) {
                return false;
            }
            empty = false;
        }
        if (i >= text.size() || empty) return false;
        at = i + 1;
        return true;
    }
    if (!open.isLetter() && open != u'_') return false;
    qsizetype i = at + 1;
    while (i < text.size() && (text[i].isLetterOrNumber() || text[i] == u'_' || text[i] == u'$'))
        ++i;
    at = i;
    return true;
}

bool IsTableReference(const QString& text) {
    qsizetype at = 0;
    if (!ReadIdentifier(text, at)) return false;
    if (at < text.size() && text[at] == u'.' && !ReadIdentifier(text, ++at)) return false;
    return at == text.size();
}

} // namespace

void CheckTableName(std::string_view TableName) {
    bool valid = false;
    try {
        valid = IsTableReference(DatabaseText(TableName, ProcessCodePage()));
    } catch (const EConvertError&) {
    }
    if (!valid)
        throw EDatabaseError(FormatText(
            "\"%s\" is not a table name: use a name, or a schema and a name separated by a dot, "
            "each quoted when it holds other characters than letters, digits, '_' and '$'",
            {TableName}));
}

std::string SelectAllStatement(std::string_view TableName) {
    CheckTableName(TableName);
    return "select * from " + std::string(TableName);
}

std::string CreateTableStatement(std::string_view TableName) {
    CheckTableName(TableName);
    std::string sql(PortableSchemaScript);
    const std::string_view head = "CREATE TABLE FORMLEX";
    sql.replace(sql.find(head), head.size(), "CREATE TABLE " + std::string(TableName));
    // Constraint names are the schema's, not the table's: another table's key goes unnamed.
    if (TableName != DefaultTableName) {
        const std::string_view constraint = "CONSTRAINT PK_FORMLEX ";
        sql.erase(sql.find(constraint), constraint.size());
    }
    return sql;
}

std::string DeleteAllStatement(std::string_view TableName) {
    CheckTableName(TableName);
    return "delete from " + std::string(TableName);
}

} // namespace lex
