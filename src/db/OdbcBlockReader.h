#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <sqltypes.h>

#include <optional>
#include <vector>

// The rows of one statement read straight from the ODBC driver, many rows per
// call: each column is bound once to an array of values and the driver fills
// a block of rows at a time, where Qt's driver asks for every field on its
// own. Values come out as Qt's driver gives them (the same types, so the same
// texts through DbValue), so a caller sees no difference but the time.
//
// A column that has no sensible bound size (long text, a size the driver does
// not know) is read value by value instead, one row per call; so is a value
// longer than its bound room, which a driver that does not enforce a
// column's size can return. A driver that cannot read a single value within
// a block, or that takes no blocks, is read one row per call too, its columns
// still bound.
//
// Every failure raises EDatabaseError with the driver's messages.
class TOdbcBlockReader
{
public:
    // Rows per call of the driver: enough to make the cost of a call vanish,
    // few enough that the arrays stay small.
    static constexpr SQLULEN BlockRows = 256;
    // The longest text, in characters, that is bound.
    static constexpr SQLULEN MaxBoundCharacters = 1024;

    // A statement of its own on the open ODBC connection `connection`.
    explicit TOdbcBlockReader(void* connection);
    ~TOdbcBlockReader();

    TOdbcBlockReader(const TOdbcBlockReader&) = delete;
    TOdbcBlockReader& operator=(const TOdbcBlockReader&) = delete;

    // For parameters bound before execute(), a time-out and a cancel.
    SQLHSTMT statement() const { return m_statement; }

    // Runs `sql` and stands before its first row; `fallback` is the message
    // when the driver gives none. Raises when the statement returns no rows.
    void execute(const QString& sql, const QString& fallback);
    // Moves to the next row; false after the last.
    bool next();

    int columnCount() const { return int(m_columns.size()); }
    const QString& columnName(int column) const { return m_columns[std::size_t(column)].name; }
    // The type of Qt's driver for the column.
    QMetaType columnType(int column) const { return m_columns[std::size_t(column)].type; }

    // The current row's value; a null QVariant for NULL.
    bool isNull(int column) const;
    QVariant value(int column) const;
    // The value as DbValue::text() writes it, without the detour through a
    // QVariant for text and integers, the most common columns by far. A text
    // equal to the column's in the row before is that row's, shared: rows
    // often repeat their neighbours' (a station's attributes on each of its
    // sensors' rows).
    QString text(int column) const;

private:
    struct Column
    {
        QString name;
        QMetaType type;
        SQLSMALLINT cType = 0;
        // Bytes per value in `data`; 0 for a column read value by value.
        SQLLEN width = 0;
        std::vector<char> data;
        std::vector<SQLLEN> lengths;
        // The current row's value when it was read on its own.
        std::optional<QVariant> late;
        // The text last given out, shared with the next row that repeats it.
        mutable QString previous;
    };

    void describe();
    void bind(Column& column, SQLUSMALLINT number);
    void setBlockRows(SQLULEN rows);
    bool fetchBlock();
    void readLateValues();
    bool fitsBound(const Column& column) const;
    QVariant readWhole(const Column& column, SQLUSMALLINT number);
    QVariant boundValue(const Column& column) const;
    QString boundText(const Column& column) const;
    [[noreturn]] void raise(const QString& fallback) const;

    SQLHSTMT m_statement = nullptr;
    std::vector<Column> m_columns;
    SQLULEN m_blockRows = 1;
    SQLULEN m_fetched = 0;
    SQLULEN m_row = 0;
    std::vector<SQLUSMALLINT> m_status;
    bool m_done = false;
};
