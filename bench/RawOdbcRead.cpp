#include "RawOdbcRead.h"

#include "BenchTiming.h"

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace {

// Every field of every row as text; false when the statement fails.
bool readAll(SQLHDBC connection, const std::string& statement, std::size_t& rows)
{
    SQLHSTMT handle = nullptr;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle);
    bool ok = SQL_SUCCEEDED(SQLExecDirect(handle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement.c_str())),
                                          SQLINTEGER(statement.size())));
    SQLSMALLINT columns = 0;
    SQLNumResultCols(handle, &columns);
    char text[4096];
    SQLLEN length = 0;
    while (ok && SQL_SUCCEEDED(SQLFetch(handle))) {
        for (SQLUSMALLINT column = 1; column <= SQLUSMALLINT(columns); ++column) {
            // Long values come in parts until the driver has no more.
            while (SQLGetData(handle, column, SQL_C_CHAR, text, sizeof(text), &length) == SQL_SUCCESS_WITH_INFO) {
            }
        }
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return ok;
}

} // namespace

double rawReadMs(const QString& dataSource, const QStringList& statements, int runs, std::size_t& rows)
{
    SQLHENV environment = nullptr;
    SQLHDBC connection = nullptr;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
    const std::string name = dataSource.toStdString();
    bool ok = SQL_SUCCEEDED(SQLConnect(connection, reinterpret_cast<SQLCHAR*>(const_cast<char*>(name.c_str())), SQL_NTS,
                                       nullptr, 0, nullptr, 0));
    const double ms = bestMs(runs, [&] {
        rows = 0;
        for (const QString& statement : statements)
            ok = ok && readAll(connection, statement.toStdString(), rows);
    });
    SQLDisconnect(connection);
    SQLFreeHandle(SQL_HANDLE_DBC, connection);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return ok ? ms : -1;
}
