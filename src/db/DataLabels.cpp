#include "DataLabels.h"

#include "DbBatch.h"
#include "DbCancel.h"
#include "DbDatabase.h"
#include "DbLog.h"
#include "DbQuery.h"
#include "platform/AsciiText.h"

#include <QSet>

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// The runs of blanks belong to the texts: the statements go to the database
// exactly as the service's other tools send them.
// clang-format off
const QString CountSql = QStringLiteral("SELECT COUNT(*) AS CNT FROM QV_PPLIST WHERE STATION_ID      = :STATIONID     AND SENSORNAME      = :SENSORNAME    AND FUNCTION_NAME   = :FUNCTION  ");
const QString InsertSql = QStringLiteral("INSERT INTO QV_PPLIST( STATION_ID                   ,SENSORNAME                   ,DATA_LABEL                   ,FUNCTION_NAME                 ) VALUES (                :STATIONID                   ,:SENSORNAME                  ,:DATA_LABEL                  ,:FUNCTION                     )");
const QString UpdateSql = QStringLiteral("UPDATE QV_PPLIST SET DATA_LABEL = :DATA_LABEL WHERE STATION_ID      = :STATIONID     AND SENSORNAME      = :SENSORNAME    AND FUNCTION_NAME   = :FUNCTION  ");
// clang-format on

// The key of a table row or entry folded as loosely as any database's
// collation might compare it: letter case, accents, width, blanks and
// punctuation all ignored. Two keys that the database could take as equal
// always fold alike; keys that fold alike may still differ.
QString looseKey(const QString& station, const QString& sensor, const QString& function)
{
    QString key;
    for (const QString& part : {station, sensor, function}) {
        for (const QChar c : part.normalized(QString::NormalizationForm_KD).toUpper()) {
            if (c.unicode() < 128 && c.isLetterOrNumber())
                key += c;
        }
        key += QChar(u'\x1f');
    }
    return key;
}

// The statements of a registration, each prepared at its first run and
// reused for the entries after it.
class Registration
{
public:
    explicit Registration(TDbDatabase& db) : m_count(db), m_insert(db), m_update(db), m_batch(db, InsertSql)
    {
        prepareAgain();
    }

    // Drops the prepared statements so that their next run prepares them
    // afresh, with a new plan.
    void prepareAgain()
    {
        m_count.setSql(CountSql);
        m_insert.setSql(InsertSql);
        m_update.setSql(UpdateSql);
    }

    // Reads the keys that the table holds, so that add() can insert the
    // entries whose key is new without counting first. Not worth it when the
    // table is much larger than the entries; then every entry is counted.
    void readKeys(TDbDatabase& db, std::size_t entryCount)
    {
        TDbQuery rows(db);
        rows.setSql(QStringLiteral("SELECT COUNT(*) AS CNT FROM QV_PPLIST"));
        rows.open();
        if (!rows.next() || std::size_t(rows.asInteger(0)) > KeyReadFactor * entryCount)
            return;
        rows.setSql(QStringLiteral("SELECT STATION_ID, SENSORNAME, FUNCTION_NAME FROM QV_PPLIST"));
        rows.open();
        QSet<QString> keys;
        while (rows.next())
            keys.insert(looseKey(rows.asString(0), rows.asString(1), rows.asString(2)));
        m_keys = std::move(keys);
    }

    // Counts the key's rows, then inserts or updates.
    void run(const QString& functionName, const TStationSensorInfoItem& entry)
    {
        flush();
        const Values values(functionName, entry);
        remember(values);
        m_count.setParam(QStringLiteral("STATIONID"), values.station);
        m_count.setParam(QStringLiteral("SENSORNAME"), values.sensor);
        m_count.setParam(QStringLiteral("FUNCTION"), values.function);
        m_count.open();
        if (!m_count.next()) {
            m_count.close();
            return;
        }
        const int rows = m_count.asInteger(QStringLiteral("CNT"));
        m_count.close();

        TDbQuery& change = rows != 0 ? m_update : m_insert;
        values.bind(change);
        change.execute();
    }

    // The same as run() for an entry of the running transaction, except that
    // an entry whose key the table cannot hold yet waits in a batch of
    // inserts.
    void add(const QString& functionName, const TStationSensorInfoItem& entry)
    {
        const Values values(functionName, entry);
        if (!m_keys || m_keys->contains(values.key)) {
            run(functionName, entry);
            return;
        }
        remember(values);
        values.bind(m_batch);
        m_batch.addRow();
        if (m_batch.rowCount() >= BatchSize)
            flush();
    }

    void flush() { m_batch.execute(); }
    // Forgets the waiting inserts of a transaction that was rolled back.
    void discard() { m_batch.clear(); }

private:
    // A table much larger than this many times the entries is not read.
    static constexpr std::size_t KeyReadFactor = 20;
    static constexpr int BatchSize = 500;

    struct Values
    {
        QString station, sensor, label, function, key;

        Values(const QString& functionName, const TStationSensorInfoItem& entry)
            : station(AsciiText::upper(entry.StationId)), sensor(AsciiText::upper(entry.SensorName)),
              label(AsciiText::upper(entry.POLLDataLabel)), function(AsciiText::upper(functionName)),
              key(looseKey(station, sensor, function))
        {
        }

        template <typename Statement>
        void bind(Statement& statement) const
        {
            statement.setParam(QStringLiteral("STATIONID"), station);
            statement.setParam(QStringLiteral("SENSORNAME"), sensor);
            statement.setParam(QStringLiteral("DATA_LABEL"), label);
            statement.setParam(QStringLiteral("FUNCTION"), function);
        }
    };

    void remember(const Values& values)
    {
        if (m_keys)
            m_keys->insert(values.key);
    }

    TDbQuery m_count;
    TDbQuery m_insert;
    TDbQuery m_update;
    TDbBatch m_batch;
    // The loose keys of the table's rows and of the entries registered since;
    // none when the table was not read.
    std::optional<QSet<QString>> m_keys;
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

bool registerQuietly(Registration& registration, const Entry& entry)
{
    try {
        registration.run(*entry.functionName, *entry.item);
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDb, "Data label of %s.%s not registered: %s", qUtf8Printable(entry.item->StationId),
                  qUtf8Printable(entry.item->SensorName), error.what());
        return false;
    }
}

void readKeysQuietly(Registration& registration, TDbDatabase& db, std::size_t entryCount)
{
    try {
        registration.readKeys(db, entryCount);
    } catch (const std::exception& error) {
        qCWarning(lcDb, "Every label counted before it is written: %s", error.what());
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

// One registration of many entries. The entries registered in the running
// transaction wait in `pending`: when one fails, the database may have undone
// more than its statement (PostgreSQL refuses everything after an error
// until the transaction ends), so the transaction is rolled back and its
// entries are registered again one by one, each committing alone. Failing
// entries are rare, so nearly all entries share one transaction.
class RegistrationRun
{
public:
    RegistrationRun(TDbDatabase& db, const std::vector<Entry>& entries, const TDbCancel* cancel)
        : m_db(db), m_entries(entries), m_cancel(cancel), m_registration(db)
    {
        readKeysQuietly(m_registration, db, entries.size());
        m_inTransaction = startQuietly(db);
    }

    void add(std::size_t i)
    {
        // PostgreSQL keeps the plan that it made for a prepared statement, and
        // a plan made while QV_PPLIST was small scans the whole table. Fresh
        // statements now and then let the plans follow the table's growth.
        if (i > 0 && i % ReprepareInterval == 0)
            m_registration.prepareAgain();
        if (!m_inTransaction) {
            registerAlone(i);
            return;
        }
        m_pending.push_back(i);
        try {
            m_registration.add(*m_entries[i].functionName, *m_entries[i].item);
        } catch (const std::exception&) {
            // After a cancel the whole transaction goes (see stopped()):
            // registering its entries one by one would write what the
            // operator stopped, and tell them missing all the same.
            if (isCancelled())
                return;
            replayPending();
            m_inTransaction = startQuietly(m_db);
        }
    }

    // Rolls the running transaction back when the registration was cancelled.
    bool stopped()
    {
        if (!isCancelled())
            return false;
        m_registration.discard();
        if (m_inTransaction)
            rollbackQuietly(m_db);
        m_inTransaction = false;
        m_missed.insert(m_missed.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
        return true;
    }

    void commit()
    {
        if (!m_inTransaction)
            return;
        try {
            m_registration.flush();
            m_db.commit();
        } catch (const std::exception&) {
            if (!stopped())
                replayPending();
        }
    }

    // The entries missed so far and every entry from `unreached` on, in order.
    std::vector<std::size_t> missedUpTo(std::size_t unreached)
    {
        for (std::size_t i = unreached; i < m_entries.size(); ++i)
            m_missed.push_back(i);
        std::sort(m_missed.begin(), m_missed.end());
        return m_missed;
    }

private:
    bool isCancelled() const { return m_cancel && m_cancel->isCancelled(); }

    void registerAlone(std::size_t i)
    {
        if (!registerQuietly(m_registration, m_entries[i]))
            m_missed.push_back(i);
    }

    void replayPending()
    {
        m_registration.discard();
        rollbackQuietly(m_db);
        for (const std::size_t i : m_pending)
            registerAlone(i);
        m_pending.clear();
    }

    TDbDatabase& m_db;
    const std::vector<Entry>& m_entries;
    const TDbCancel* m_cancel;
    Registration m_registration;
    bool m_inTransaction = false;
    std::vector<std::size_t> m_pending;
    std::vector<std::size_t> m_missed;
};

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

std::vector<std::size_t> RegisterAllDataLabels(TDbDatabase& db, const TZizaVureGroups& groups,
                                               const std::function<void(int done, int total)>& progress,
                                               const TDbCancel* cancel)
{
    const std::vector<Entry> entries = entriesOf(groups);
    if (!db.isOpen()) {
        std::vector<std::size_t> all(entries.size());
        std::iota(all.begin(), all.end(), std::size_t(0));
        return all;
    }
    RegistrationRun run(db, entries, cancel);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (run.stopped())
            return run.missedUpTo(i);
        run.add(i);
        if (progress)
            progress(int(i + 1), int(entries.size()));
    }
    if (!run.stopped())
        run.commit();
    return run.missedUpTo(entries.size());
}
