#include "OdbcTextParameters.h"

#include "DbError.h"

#include <sqlext.h>

#include <algorithm>

void OdbcTextParameters::add(const std::vector<QString>& values, int first)
{
    Marker& marker = m_markers.emplace_back();
    // Room for a terminator after the longest value.
    for (int set = first; set < first + m_sets; ++set)
        marker.width = std::max<SQLLEN>(marker.width, values[set].size() + 1);
    marker.text.assign(std::size_t(marker.width) * m_sets, u'\0');
    marker.lengths.reserve(m_sets);
    for (int set = first; set < first + m_sets; ++set) {
        const QString& value = values[set];
        std::copy(value.utf16(), value.utf16() + value.size(), marker.text.begin() + (set - first) * marker.width);
        marker.lengths.push_back(value.size() * SQLLEN(sizeof(char16_t)));
    }
}

void OdbcTextParameters::bind(SQLHSTMT statement)
{
    for (std::size_t position = 0; position < m_markers.size(); ++position) {
        Marker& marker = m_markers[position];
        // The column size is the longest value's length in characters; some
        // drivers refuse a size of 0.
        const SQLULEN columnSize = std::max<SQLLEN>(marker.width - 1, 1);
        if (!SQL_SUCCEEDED(SQLBindParameter(statement, SQLUSMALLINT(position + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                            SQL_WVARCHAR, columnSize, 0, marker.text.data(),
                                            marker.width * SQLLEN(sizeof(char16_t)), marker.lengths.data()))) {
            SQLFreeStmt(statement, SQL_RESET_PARAMS);
            throw EDatabaseError(QStringLiteral("A value could not be bound"));
        }
    }
}
