#pragma once

#include <QString>

#include <sqltypes.h>

#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must take UTF-16 text");

// Text values bound to the "?" markers of an ODBC statement: one array of
// values per marker, one value per set of parameters, as SQLExecute reads
// them column-wise.
//
// Each value goes to the driver as UTF-16 with its length in bytes, which
// counts the value's characters and nothing else, in a buffer that is padded
// with NUL characters after it: a driver that takes the length and one that
// reads up to the terminator both read exactly the value. Qt's ODBC driver
// binds a string with its terminator counted in the length, and MariaDB
// Connector/ODBC, which takes the length as it is, then stores a NUL
// character after every value; so every statement of this layer binds its
// text here.
class OdbcTextParameters
{
public:
    explicit OdbcTextParameters(int sets) : m_sets(sets) {}

    // Adds the values of the next marker: the `sets` values of `values` from
    // `first` on.
    void add(const std::vector<QString>& values, int first = 0);

    // Binds the markers added, in order, to `statement`. Raises
    // EDatabaseError, with none of them left bound, when the driver refuses
    // one. The values must stay until the statement has run.
    void bind(SQLHSTMT statement);

private:
    struct Marker
    {
        std::vector<char16_t> text; // `width` characters per value
        std::vector<SQLLEN> lengths;
        SQLLEN width = 1;
    };

    int m_sets;
    std::vector<Marker> m_markers;
};
