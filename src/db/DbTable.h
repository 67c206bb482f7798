#pragma once

#include "DbDatabase.h"
#include "DbValue.h"

#include <QString>

#include <memory>

class TOdbcBlockReader;

// A whole table of an open database, read row by row from the first to the
// last, with the name and kind of each column in the table's own order. The
// rows come many at a time from the driver (TOdbcBlockReader), since a
// table may hold hundreds of thousands.
//
// Every failure raises EDatabaseError with the driver's message.
class TDbTable : private TDbDatabase::Statement
{
public:
    explicit TDbTable(TDbDatabase& database);
    ~TDbTable();

    TDbTable(const TDbTable&) = delete;
    TDbTable& operator=(const TDbTable&) = delete;

    // A plain table name (letters, digits, "_", "$", "." for a schema); it is
    // written into the statement unquoted, so the database folds its case as
    // it folds the names in every other statement.
    const QString& tableName() const { return m_tableName; }
    void setTableName(const QString& name);

    // Reads the columns and stands before the first row.
    void open();
    // Moves to the next row; false after the last.
    bool next();
    // Never raises.
    void close();
    bool isOpen() const { return m_reader != nullptr; }

    int fieldCount() const;
    QString fieldName(int column) const;
    TDbFieldType fieldType(int column) const;

    // Values of the current row; NULL reads as empty text.
    bool isNull(int column) const;
    QString asString(int column) const;

private:
    void release() override { close(); }
    void checkColumn(int column) const;
    void checkRow(int column) const;

    TDbDatabase& m_database;
    QString m_tableName;
    std::unique_ptr<TOdbcBlockReader> m_reader;
    bool m_onRow = false;
};
