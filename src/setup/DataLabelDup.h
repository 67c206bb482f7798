#pragma once

#include "platform/Exception.h"

#include <QCoreApplication>

// A data label that another entry of the same station already carries; data
// labels identify a calculation within their station, so each may be used
// once per station across all groups.
class EDataLabelDup : public Exception
{
public:
    // `pairIndex` is the entry's place in the list being edited, or -1.
    EDataLabelDup(const QString& dataLabel, const QString& stationId, int pairIndex = -1)
        : Exception(QCoreApplication::translate("EDataLabelDup", "Duplicate datalabel %1 for station %2")
                        .arg(dataLabel, stationId)),
          m_pairIndex(pairIndex)
    {
    }

    int pairIndex() const { return m_pairIndex; }

private:
    int m_pairIndex;
};
