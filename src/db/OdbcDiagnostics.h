#pragma once

#include <QString>

#include <sqltypes.h>

namespace OdbcDiagnostics {

// The driver's messages about the last call on `handle`, in its order and
// joined by blanks as Qt's driver reports them; empty when it gave none.
QString text(SQLSMALLINT handleType, SQLHANDLE handle);

} // namespace OdbcDiagnostics
