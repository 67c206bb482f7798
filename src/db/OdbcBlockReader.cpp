#include "OdbcBlockReader.h"

#include "DbError.h"
#include "DbValue.h"
#include "OdbcDiagnostics.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

namespace {

// Room for reading a long value, in bytes; a multiple of a wide character.
constexpr SQLLEN LateChunkBytes = 16384;

// ODBC takes an integer attribute in its pointer argument.
SQLPOINTER integerAttribute(SQLULEN value)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return reinterpret_cast<SQLPOINTER>(value);
}

// The type that Qt's driver gives a column of `sqlType`; every integer is
// read as a 64-bit one, which reads as the same text.
QMetaType qtTypeOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return QMetaType(QMetaType::Double);
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_BIGINT:
        return QMetaType(QMetaType::LongLong);
    case SQL_DATE:
    case SQL_TYPE_DATE:
        return QMetaType(QMetaType::QDate);
    case SQL_TIME:
    case SQL_TYPE_TIME:
        return QMetaType(QMetaType::QTime);
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return QMetaType(QMetaType::QDateTime);
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_GUID:
        return QMetaType(QMetaType::QString);
    default:
        return QMetaType(QMetaType::QByteArray);
    }
}

// The C type and the bytes of one bound value of a column; a width of 0 when
// the column is read value by value.
std::pair<SQLSMALLINT, SQLLEN> bindingOf(QMetaType type, SQLSMALLINT sqlType, SQLULEN size)
{
    switch (type.id()) {
    case QMetaType::Double:
        return {SQL_C_DOUBLE, sizeof(SQLDOUBLE)};
    case QMetaType::LongLong:
        return {SQL_C_SBIGINT, sizeof(SQLBIGINT)};
    case QMetaType::QDate:
        return {SQL_C_DATE, sizeof(DATE_STRUCT)};
    case QMetaType::QTime:
        return {SQL_C_TIME, sizeof(TIME_STRUCT)};
    case QMetaType::QDateTime:
        return {SQL_C_TIMESTAMP, sizeof(TIMESTAMP_STRUCT)};
    case QMetaType::QString: {
        const bool isLong = sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR;
        if (isLong || size == 0 || size > TOdbcBlockReader::MaxBoundCharacters)
            return {SQL_C_WCHAR, 0};
        // A character may take two UTF-16 units; and room for the
        // terminator that the driver always writes.
        return {SQL_C_WCHAR, SQLLEN(2 * size + 1) * SQLLEN(sizeof(SQLWCHAR))};
    }
    default:
        return {SQL_C_BINARY, 0};
    }
}

template <typename T>
T valueAt(const char* data)
{
    T value;
    std::memcpy(&value, data, sizeof(T));
    return value;
}

} // namespace

TOdbcBlockReader::TOdbcBlockReader(void* connection)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_statement))) {
        m_statement = nullptr;
        throw EDatabaseError(QStringLiteral("No statement could be made on the database"));
    }
    // A value that the block has no room for is read on its own, at its
    // row; only a driver that reads values of any row of a block can do
    // that (the SQLite driver cannot).
    SQLUINTEGER extensions = 0;
    if (SQL_SUCCEEDED(SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &extensions, sizeof(extensions), nullptr)) &&
        (extensions & SQL_GD_BLOCK) != 0)
        m_blockRows = BlockRows;
}

TOdbcBlockReader::~TOdbcBlockReader()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
}

void TOdbcBlockReader::execute(const QString& sql, const QString& fallback)
{
    const SQLRETURN result = SQLExecDirectW(
        m_statement, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.utf16())), SQLINTEGER(sql.size()));
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA)
        raise(fallback);
    describe();
    if (m_columns.empty())
        throw EDatabaseError(QStringLiteral("The statement returned no rows to read"));
    // MariaDB's driver reads the long value of only the first row of a
    // block, so a column read value by value makes the blocks one row.
    const bool anyLate =
        std::any_of(m_columns.begin(), m_columns.end(), [](const Column& column) { return column.width == 0; });
    setBlockRows(anyLate ? 1 : m_blockRows);
    for (std::size_t column = 0; column < m_columns.size(); ++column)
        bind(m_columns[column], SQLUSMALLINT(column + 1));
}

void TOdbcBlockReader::describe()
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(m_statement, &count)))
        raise(QStringLiteral("The columns could not be read"));
    m_columns.resize(std::size_t(count));
    for (SQLSMALLINT number = 1; number <= count; ++number) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(m_statement, SQLUSMALLINT(number), name, SQLSMALLINT(std::size(name)),
                                           &nameLength, &sqlType, &size, &digits, &nullable)))
            raise(QStringLiteral("The columns could not be read"));
        Column& column = m_columns[std::size_t(number - 1)];
        column.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                         std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        column.type = qtTypeOf(sqlType);
        std::tie(column.cType, column.width) = bindingOf(column.type, sqlType, size);
    }
}

// A driver that takes no blocks refuses the size or puts another in its place.
void TOdbcBlockReader::setBlockRows(SQLULEN rows)
{
    if (rows > 1 && SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_ARRAY_SIZE, integerAttribute(rows), 0) != SQL_SUCCESS)
        rows = 1;
    if (rows == 1)
        SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_ARRAY_SIZE, integerAttribute(1), 0);
    m_blockRows = rows;
    m_status.assign(rows, SQL_ROW_NOROW);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0);
}

void TOdbcBlockReader::bind(Column& column, SQLUSMALLINT number)
{
    if (column.width == 0)
        return;
    column.data.assign(std::size_t(column.width) * m_blockRows, '\0');
    column.lengths.assign(m_blockRows, 0);
    if (!SQL_SUCCEEDED(
            SQLBindCol(m_statement, number, column.cType, column.data.data(), column.width, column.lengths.data())))
        raise(QStringLiteral("The column %1 could not be bound").arg(column.name));
}

bool TOdbcBlockReader::next()
{
    if (m_done)
        return false;
    if (++m_row >= m_fetched && !fetchBlock())
        return false;
    if (m_status[m_row] == SQL_ROW_ERROR)
        raise(QStringLiteral("The next row could not be read"));
    readLateValues();
    return true;
}

bool TOdbcBlockReader::fetchBlock()
{
    m_row = 0;
    m_fetched = 0;
    const SQLRETURN result = SQLFetch(m_statement);
    if (result == SQL_NO_DATA) {
        m_done = true;
        return false;
    }
    if (!SQL_SUCCEEDED(result))
        raise(QStringLiteral("The next row could not be read"));
    // A driver that does not count the rows of a block of one.
    m_fetched = std::max<SQLULEN>(m_fetched, 1);
    return true;
}

bool TOdbcBlockReader::fitsBound(const Column& column) const
{
    if (column.width == 0)
        return false;
    if (column.cType != SQL_C_WCHAR)
        return true;
    const SQLLEN length = column.lengths[m_row];
    return length != SQL_NO_TOTAL && length <= column.width - SQLLEN(sizeof(SQLWCHAR));
}

void TOdbcBlockReader::readLateValues()
{
    bool positioned = m_blockRows == 1;
    for (std::size_t number = 0; number < m_columns.size(); ++number) {
        Column& column = m_columns[number];
        column.late.reset();
        if (fitsBound(column))
            continue;
        if (!positioned &&
            !SQL_SUCCEEDED(SQLSetPos(m_statement, SQLSETPOSIROW(m_row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            raise(QStringLiteral("The value of %1 could not be read whole").arg(column.name));
        positioned = true;
        column.late = readWhole(column, SQLUSMALLINT(number + 1));
    }
}

// In parts as long as the driver has more; a text's parts end in a
// terminator that is not the value's.
QVariant TOdbcBlockReader::readWhole(const Column& column, SQLUSMALLINT number)
{
    const bool isText = column.type.id() == QMetaType::QString;
    const SQLSMALLINT cType = isText ? SQLSMALLINT(SQL_C_WCHAR) : SQLSMALLINT(SQL_C_BINARY);
    const SQLLEN room = LateChunkBytes - (isText ? SQLLEN(sizeof(SQLWCHAR)) : 0);
    QByteArray bytes;
    std::vector<char> chunk(static_cast<std::size_t>(LateChunkBytes));
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN result = SQLGetData(m_statement, number, cType, chunk.data(), LateChunkBytes, &length);
        if (result == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(result))
            raise(QStringLiteral("The value of %1 could not be read").arg(column.name));
        if (length == SQL_NULL_DATA)
            return {};
        const bool more = length == SQL_NO_TOTAL || length > room;
        bytes.append(chunk.data(), more ? room : length);
        if (!more)
            break;
    }
    if (!isText)
        return QString::fromUtf8(bytes);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / qsizetype(sizeof(char16_t)));
}

bool TOdbcBlockReader::isNull(int column) const
{
    const Column& at = m_columns[std::size_t(column)];
    return at.late ? at.late->isNull() : at.lengths[m_row] == SQL_NULL_DATA;
}

QVariant TOdbcBlockReader::value(int column) const
{
    const Column& at = m_columns[std::size_t(column)];
    return at.late ? *at.late : boundValue(at);
}

QString TOdbcBlockReader::text(int column) const
{
    const Column& at = m_columns[std::size_t(column)];
    if (at.late || at.lengths[m_row] == SQL_NULL_DATA)
        return DbValue::text(value(column));
    switch (at.cType) {
    case SQL_C_WCHAR:
        return boundText(at);
    case SQL_C_SBIGINT:
        return QString::number(valueAt<SQLBIGINT>(at.data.data() + std::size_t(at.width) * m_row));
    default:
        return DbValue::text(boundValue(at));
    }
}

QString TOdbcBlockReader::boundText(const Column& column) const
{
    const auto* data = reinterpret_cast<const char16_t*>(column.data.data() + std::size_t(column.width) * m_row);
    const QStringView text(data, column.lengths[m_row] / qsizetype(sizeof(char16_t)));
    if (text != column.previous)
        column.previous = text.toString();
    return column.previous;
}

QVariant TOdbcBlockReader::boundValue(const Column& column) const
{
    const SQLLEN length = column.lengths[m_row];
    if (length == SQL_NULL_DATA)
        return {};
    const char* data = column.data.data() + std::size_t(column.width) * m_row;
    switch (column.cType) {
    case SQL_C_WCHAR:
        return boundText(column);
    case SQL_C_DOUBLE:
        return valueAt<SQLDOUBLE>(data);
    case SQL_C_SBIGINT:
        return qlonglong(valueAt<SQLBIGINT>(data));
    case SQL_C_DATE: {
        const auto date = valueAt<DATE_STRUCT>(data);
        return QDate(date.year, date.month, date.day);
    }
    case SQL_C_TIME: {
        const auto time = valueAt<TIME_STRUCT>(data);
        return QTime(time.hour, time.minute, time.second);
    }
    default: {
        const auto stamp = valueAt<TIMESTAMP_STRUCT>(data);
        return QDateTime(QDate(stamp.year, stamp.month, stamp.day),
                         QTime(stamp.hour, stamp.minute, stamp.second, int(stamp.fraction / 1000000)));
    }
    }
}

void TOdbcBlockReader::raise(const QString& fallback) const
{
    const QString message = OdbcDiagnostics::text(SQL_HANDLE_STMT, m_statement);
    throw EDatabaseError(message.isEmpty() ? fallback : message);
}
