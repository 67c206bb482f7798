#pragma once

#include "DbDatabase.h"
#include "SqlParameters.h"

#include <QString>

#include <vector>

// One statement that changes rows (an INSERT, say) run for many sets of
// values at once, with named parameters (":NAME") bound as text as in
// TDbQuery.
//
// The sets go to the driver as arrays of parameters, so that a driver that
// takes them sends many sets per round trip (psqlODBC a hundred) instead of
// one each; a driver without arrays is given the sets one at a time on the
// same prepared statement.
//
// Every failure raises EDatabaseError with the driver's message. Which sets
// were applied before a failure is then up to the driver, so a caller that
// must know runs the batch in a transaction and rolls it back.
class TDbBatch : private TDbDatabase::Statement
{
public:
    TDbBatch(TDbDatabase& database, const QString& sql);
    ~TDbBatch();

    TDbBatch(const TDbBatch&) = delete;
    TDbBatch& operator=(const TDbBatch&) = delete;

    // Names compare without regard to the case of a-z. Raises when the
    // statement has no parameter of that name.
    void setParam(const QString& name, const QString& value);
    // Ends the set being given; raises when one of its parameters has no
    // value.
    void addRow();
    int rowCount() const { return m_rowCount; }
    // Forgets the sets added since the last run.
    void clear();

    // Runs the statement for every set added since the last run and forgets
    // the sets, whether it succeeds or not.
    void execute();

private:
    void release() override;
    void prepare();
    void runRows(int first, int count);

    TDbDatabase& m_database;
    SqlParameters m_parameters;
    // The values of each named parameter, one per set; the set being given
    // is the last, still open, one.
    std::vector<std::vector<QString>> m_values;
    std::vector<bool> m_given;
    int m_rowCount = 0;
    void* m_statement = nullptr;
    bool m_takesArrays = false;
};
