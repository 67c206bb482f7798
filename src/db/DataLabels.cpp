#include "DataLabels.h"

#include "AsciiText.h"
#include "DbDatabase.h"
#include "DbLog.h"
#include "DbQuery.h"

#include <exception>
#include <vector>

namespace {

// The runs of blanks belong to the texts: the statements go to the database
// exactly as the service's other tools send them.
// clang-format off
const QString CountSql = QStringLiteral("SELECT COUNT(*) AS CNT FROM QV_PPLIST WHERE STATION_ID      = :STATIONID     AND SENSORNAME      = :SENSORNAME    AND FUNCTION_NAME   = :FUNCTION  ");
const QString InsertSql = QStringLiteral("INSERT INTO QV_PPLIST( STATION_ID                   ,SENSORNAME                   ,DATA_LABEL                   ,FUNCTION_NAME                 ) VALUES (                :STATIONID                   ,:SENSORNAME                  ,:DATA_LABEL                  ,:FUNCTION                     )");
const QString UpdateSql = QStringLiteral("UPDATE QV_PPLIST SET DATA_LABEL = :DATA_LABEL WHERE STATION_ID      = :STATIONID     AND SENSORNAME      = :SENSORNAME    AND FUNCTION_NAME   = :FUNCTION  ");
// clang-format on

// The three statements of a registration, each prepared at its first run and
// reused for the entries after it.
class Registration
{
public:
    explicit Registration(TDbDatabase& db) : m_count(db), m_insert(db), m_update(db) { prepareAgain(); }

    // Drops the prepared statements so that their next run prepares them
    // afresh, with a new plan.
    void prepareAgain()
    {
        m_count.setSql(CountSql);
        m_insert.setSql(InsertSql);
        m_update.setSql(UpdateSql);
    }

    void run(const QString& functionName, const TStationSensorInfoItem& entry)
    {
        const QString station = AsciiText::upper(entry.StationId);
        const QString sensor = AsciiText::upper(entry.SensorName);
        const QString function = AsciiText::upper(functionName);

        m_count.setParam(QStringLiteral("STATIONID"), station);
        m_count.setParam(QStringLiteral("SENSORNAME"), sensor);
        m_count.setParam(QStringLiteral("FUNCTION"), function);
        m_count.open();
        if (!m_count.next()) {
            m_count.close();
            return;
        }
        const int rows = m_count.asInteger(QStringLiteral("CNT"));
        m_count.close();

        TDbQuery& change = rows != 0 ? m_update : m_insert;
        change.setParam(QStringLiteral("STATIONID"), station);
        change.setParam(QStringLiteral("SENSORNAME"), sensor);
        change.setParam(QStringLiteral("DATA_LABEL"), AsciiText::upper(entry.POLLDataLabel));
        change.setParam(QStringLiteral("FUNCTION"), function);
        change.execute();
    }

private:
    TDbQuery m_count;
    TDbQuery m_insert;
    TDbQuery m_update;
};

// Entries registered between two preparations of the statements.
constexpr std::size_t ReprepareInterval = 500;

struct Entry
{
    const QString* functionName;
    const TStationSensorInfoItem* item;
};

std::vector<Entry> entriesOf(const TZizaVureGroups& groups)
{
    std::vector<Entry> entries;
    for (int i = 0; i < groups.Count(); ++i) {
        const TZizaVureGroupItem* group = groups.Items(i);
        for (const auto& item : group->StationSensors)
            entries.push_back({&group->FuncName, item.get()});
    }
    return entries;
}

void registerQuietly(Registration& registration, const Entry& entry)
{
    try {
        registration.run(*entry.functionName, *entry.item);
    } catch (const std::exception& error) {
        qCWarning(lcDb, "Data label of %s.%s not registered: %s", qUtf8Printable(entry.item->StationId),
                  qUtf8Printable(entry.item->SensorName), error.what());
    }
}

bool startQuietly(TDbDatabase& db)
{
    try {
        db.startTransaction();
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDb, "Labels registered one by one, no transaction: %s", error.what());
        return false;
    }
}

void rollbackQuietly(TDbDatabase& db)
{
    try {
        db.rollback();
    } catch (const std::exception& error) {
        qCWarning(lcDb, "Rollback failed: %s", error.what());
    }
}

} // namespace

void RegisterDataLabel(TDbDatabase& db, const QString& functionName, const TStationSensorInfoItem& entry)
{
    try {
        Registration(db).run(functionName, entry);
    } catch (const std::exception& error) {
        // Bookkeeping only: the caller goes on as if nothing happened.
        qCWarning(lcDb, "Data label of %s.%s not registered: %s", qUtf8Printable(entry.StationId),
                  qUtf8Printable(entry.SensorName), error.what());
    }
}

void RegisterAllDataLabels(TDbDatabase& db, const TZizaVureGroups& groups,
                           const std::function<void(int done, int total)>& progress)
{
    if (!db.isOpen())
        return;
    const std::vector<Entry> entries = entriesOf(groups);
    Registration registration(db);

    // The entries registered in the running transaction. When one fails, the
    // database may have undone more than its statement (PostgreSQL refuses
    // everything after an error until the transaction ends), so the
    // transaction is rolled back and its entries are registered again one by
    // one, each committing alone. Failing entries are rare, so nearly all
    // entries share one transaction.
    std::vector<Entry> pending;
    const auto replayPending = [&] {
        rollbackQuietly(db);
        for (const Entry& entry : pending)
            registerQuietly(registration, entry);
        pending.clear();
    };

    bool inTransaction = startQuietly(db);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // PostgreSQL keeps the plan that it made for a prepared statement, and
        // a plan made while QV_PPLIST was small scans the whole table. Fresh
        // statements now and then let the plans follow the table's growth.
        if (i > 0 && i % ReprepareInterval == 0)
            registration.prepareAgain();
        if (!inTransaction) {
            registerQuietly(registration, entries[i]);
        } else {
            pending.push_back(entries[i]);
            try {
                registration.run(*entries[i].functionName, *entries[i].item);
            } catch (const std::exception&) {
                replayPending();
                inTransaction = startQuietly(db);
            }
        }
        if (progress)
            progress(int(i + 1), int(entries.size()));
    }
    if (!inTransaction)
        return;
    try {
        db.commit();
    } catch (const std::exception&) {
        replayPending();
    }
}
