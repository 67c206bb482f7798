#pragma once

#include "platform/Exception.h"

#include <QSqlError>

// Any failure of the database layer: a connection that could not be opened or
// is closed, a statement or table that the database refused, a column or
// parameter that does not exist. The message is the driver's own text where
// the driver gave one.
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;

    // The driver's message of a Qt SQL error, or `fallback` when the driver
    // said nothing.
    static EDatabaseError fromSqlError(const QSqlError& error, const QString& fallback)
    {
        const QString text = error.text().trimmed();
        return EDatabaseError(text.isEmpty() ? fallback : text);
    }
};
