#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lex {

// The default lexicon table.
inline constexpr std::string_view DefaultTableName = "FORMLEX";

// The default table as a script for Microsoft SQL Server, line by line, as the
// schema page shows it.
inline constexpr std::array<std::string_view, 21> DefaultSchemaScript = {
    "if exists (select * from sysobjects where id = object_id(N'[dbo].[FORMLEX]') and "
    "OBJECTPROPERTY(id, N'IsUserTable') = 1)",
    "drop table [dbo].[FORMLEX]",
    "GO",
    "",
    "CREATE TABLE [dbo].[FORMLEX] (",
    "[LEXKEY] [varchar] (200) NOT NULL ,",
    "[CODEPAGE] [int] NOT NULL ,",
    "[SEQNO] [int] NOT NULL ,",
    "[DISPLAYVALUE] [varchar] (200) NOT NULL ,",
    "[CATALOGID] [varchar] (200) NOT NULL ",
    ")",
    "GO",
    "",
    "ALTER TABLE [dbo].[FORMLEX] WITH NOCHECK ADD ",
    "CONSTRAINT [PK_FORMLEX] PRIMARY KEY CLUSTERED ",
    "(",
    "[LEXKEY],",
    "[CODEPAGE],",
    "[SEQNO]",
    ") ON [PRIMARY] ",
    "GO",
};

// The same table in SQL that SQLite, PostgreSQL and MySQL all take: the
// statement that creates the embedded database's table.
inline constexpr std::string_view PortableSchemaScript = "CREATE TABLE FORMLEX (\n"
                                                         "  LEXKEY varchar(200) NOT NULL,\n"
                                                         "  CODEPAGE int NOT NULL,\n"
                                                         "  SEQNO int NOT NULL,\n"
                                                         "  DISPLAYVALUE varchar(200) NOT NULL,\n"
                                                         "  CATALOGID varchar(200) NOT NULL,\n"
                                                         "  CONSTRAINT PK_FORMLEX PRIMARY KEY "
                                                         "(LEXKEY, CODEPAGE, SEQNO)\n"
                                                         ")";

// A table name goes into SQL text as it is, so it must be a table reference
// and nothing more: an identifier, or a schema and an identifier separated by
// a dot, each plain (a letter or '_', then letters, digits, '_' and '$') or
// quoted ("...", `...` or [...], the closing quote doubled inside). Raises
// EDatabaseError for anything else.
void CheckTableName(std::string_view TableName);

// The two statements the flows send, for a table name that passes the check.
std::string SelectAllStatement(std::string_view TableName);
std::string DeleteAllStatement(std::string_view TableName);
// The portable table under another name.
std::string CreateTableStatement(std::string_view TableName);

} // namespace lex
