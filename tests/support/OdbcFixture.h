#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

#include <optional>

class TDbDatabase;

// A private ODBC setup for one test process: ODBCSYSINI and ODBCINI point into
// a temporary folder, whose odbcinst.ini copies the machine's driver list,
// odbc.ini holds the system data sources and user.ini the user ones. The
// machine's own data sources stay out of sight and untouched.
//
// unixODBC reads the two variables once per process, so a process makes one
// fixture before its first ODBC call and keeps it to the end.
class OdbcFixture
{
public:
    enum Scope { User, System };
    using Keys = QList<QPair<QString, QString>>;

    // The login of a data source that needs one.
    struct Login
    {
        QString dataSource;
        QString user;
        QString password;
    };

    OdbcFixture();

    OdbcFixture(const OdbcFixture&) = delete;
    OdbcFixture& operator=(const OdbcFixture&) = delete;

    // False when the folder or the driver list could not be set up.
    bool isValid() const { return m_valid; }

    // A file of the sample database ("schema.sql", "data.sql").
    static QString sampleFile(const QString& name);

    // Appends a data source section to the user or system file.
    void addDataSource(Scope scope, const QString& name, const Keys& keys);

    // Creates a new SQLite database file, runs the given SQL files on it with
    // the sqlite3 shell, and registers it as a user data source over the
    // "SQLite3" driver. Returns the file's path, or empty on failure.
    QString addSqliteDataSource(const QString& name,
                                const QStringList& sqlFiles = {sampleFile(QStringLiteral("schema.sql"))});

    // The database engine that the database tests run on: QVZ_TEST_ENGINE is
    // "postgresql" or "mariadb", else SQLite.
    enum class Engine { Sqlite, Postgres, MariaDb };
    static Engine engine();
    static bool onSqlite() { return engine() == Engine::Sqlite; }
    // The text of the test engine among the three.
    static QString forEngine(const QString& sqlite, const QString& postgres, const QString& mariaDb);

    // An SQL expression for the bytes that a text column holds, in
    // hexadecimal on every engine, and the text of such bytes read back, so
    // that a test sees every byte stored (a trailing NUL too), not what the
    // driver makes of them.
    static QString hexOf(const QString& column);
    static QString fromHex(const QString& hex);
    // Every row of QV_PPLIST as "STATION/SENSOR/LABEL/FUNCTION" in key order,
    // each value from the bytes stored.
    static QStringList labelRows(TDbDatabase& db);

    // A data source on the test engine with the sample schema and data,
    // registered as `name`: a new SQLite database, or the server's database,
    // which keeps what earlier tests left in it. Nothing when the engine's
    // database is not available.
    std::optional<Login> addEngineDataSource(const QString& name);

    // Registers, under `name`, the data source of a server that
    // tests/db/pgcluster.sh or tests/db/mariadbcluster.sh wrote to the file
    // named by QVZ_PG_DSN_FILE or QVZ_MARIADB_DSN_FILE. Nothing when that
    // variable or the file is missing.
    std::optional<Login> addServerDataSource(Engine engine, const QString& name);

private:
    QString iniPath(Scope scope) const;

    QTemporaryDir m_folder;
    bool m_valid = false;
};
