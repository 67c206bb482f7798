#pragma once

#include "DataList.h"

#include <QString>

#include <vector>

class TDbDatabase;

// What a filter condition can name: every column of QV_SITES and then of
// QV_SITESENSORS, as "TABLE.COLUMN", each with the values that the table
// holds, and the condition line for one of them.
class TFilterFields
{
public:
    struct Field
    {
        QString Name;
        TDataList Data;
    };

    // Reads both tables afresh. Raises EDatabaseError when a table cannot be
    // read; the fields and values read before stay.
    void read(TDbDatabase& database);

    const std::vector<Field>& fields() const { return m_fields; }

    // One condition line on the field at `index`: the condition keeps its own
    // blanks, so "  = " gives "FIELD   =  'VALUE'". The value is used as
    // typed, in quotes for text, date and time fields, where an apostrophe is
    // doubled so that O'Brien stays one SQL literal.
    QString clause(int index, const QString& condition, const QString& value) const;

private:
    void readTable(TDbDatabase& database, const QString& tableName);

    std::vector<Field> m_fields;
};
