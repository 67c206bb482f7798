#pragma once

#include "Exception.h"

// A data label that another entry of the same station already carries; data
// labels identify a calculation within their station, so each may be used
// once per station across all groups.
class EDataLabelDup : public Exception
{
public:
    EDataLabelDup(const QString& dataLabel, const QString& stationId)
        : Exception(QStringLiteral("Duplicate datalabel ") + dataLabel + QStringLiteral(" for station ") + stationId)
    {
    }
};
