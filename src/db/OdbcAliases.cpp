#include "OdbcAliases.h"

#include "DbError.h"
#include "platform/AsciiText.h"

#include <algorithm>

#include <sql.h>
#include <sqlext.h>

namespace OdbcAliases {

namespace {

QString diagnostic(SQLHENV environment)
{
    SQLCHAR state[6] = {};
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH] = {};
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_ENV, environment, 1, state, &nativeError, text, sizeof text, &length)))
        return QStringLiteral("The ODBC driver manager could not list its data sources");
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(text));
}

// Appends the names of one scope that are not listed yet.
void appendScope(SQLHENV environment, SQLUSMALLINT first, QStringList& names)
{
    SQLUSMALLINT direction = first;
    for (;;) {
        SQLCHAR name[1024] = {};
        SQLCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN result = SQLDataSources(environment, direction, name, sizeof name, &nameLength, description,
                                                sizeof description, &descriptionLength);
        if (result == SQL_NO_DATA)
            return;
        if (!SQL_SUCCEEDED(result))
            throw EDatabaseError(diagnostic(environment));
        const QString text = QString::fromLocal8Bit(reinterpret_cast<const char*>(name));
        const bool listed = std::any_of(names.cbegin(), names.cend(),
                                        [&text](const QString& known) { return AsciiText::equalsFolded(known, text); });
        if (!listed)
            names.append(text);
        direction = SQL_FETCH_NEXT;
    }
}

} // namespace

QStringList names()
{
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        throw EDatabaseError(QStringLiteral("The ODBC driver manager could not be started"));

    QStringList result;
    try {
        SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        appendScope(environment, SQL_FETCH_FIRST_USER, result);
        appendScope(environment, SQL_FETCH_FIRST_SYSTEM, result);
    } catch (...) {
        SQLFreeHandle(SQL_HANDLE_ENV, environment);
        throw;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return result;
}

} // namespace OdbcAliases
