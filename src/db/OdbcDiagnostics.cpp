#include "OdbcDiagnostics.h"

#include <QStringList>

#include <sqlext.h>

#include <algorithm>
#include <iterator>

namespace OdbcDiagnostics {

QString text(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList messages;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6];
        SQLWCHAR message[1024];
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message,
                                          SQLSMALLINT(std::size(message)), &length)))
            break;
        length = std::min<SQLSMALLINT>(length, SQLSMALLINT(std::size(message) - 1));
        messages.append(QString::fromUtf16(reinterpret_cast<const char16_t*>(message), length).trimmed());
    }
    return messages.join(u' ').trimmed();
}

} // namespace OdbcDiagnostics
