#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lex::test {

// A SQLite file seen through a connection of the test's own, beside the
// tool's: statements to set a table up, rows to check what the tool wrote.
class SQLiteFile {
public:
    explicit SQLiteFile(const std::string& Path)
        : name_(QStringLiteral("SQLiteFile%1").arg(++Count())) {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        database.setDatabaseName(QString::fromStdString(Path));
        EXPECT_TRUE(database.open()) << database.lastError().text().toStdString();
    }
    ~SQLiteFile() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    SQLiteFile(const SQLiteFile&) = delete;
    SQLiteFile& operator=(const SQLiteFile&) = delete;

    void Exec(const QString& Sql) {
        QSqlQuery query(QSqlDatabase::database(name_));
        EXPECT_TRUE(query.exec(Sql))
            << Sql.toStdString() << ": " << query.lastError().text().toStdString();
    }

    // Each row as its values joined by '|', a null as "(null)", in UTF-8.
    std::vector<std::string> Rows(const QString& Sql) {
        QSqlQuery query(QSqlDatabase::database(name_));
        EXPECT_TRUE(query.exec(Sql))
            << Sql.toStdString() << ": " << query.lastError().text().toStdString();
        std::vector<std::string> rows;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << (query.isNull(i) ? QStringLiteral("(null)") : query.value(i).toString());
            rows.push_back(values.join(u'|').toStdString());
        }
        return rows;
    }

private:
    static int& Count() {
        static int count = 0;
        return count;
    }
    QString name_;
};

} // namespace lex::test
