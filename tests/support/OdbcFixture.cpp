#include "OdbcFixture.h"

#include "db/DbQuery.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

bool appendText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(text) == text.size();
}

} // namespace

OdbcFixture::OdbcFixture()
{
    if (!m_folder.isValid())
        return;
    QFile drivers(QStringLiteral("/etc/odbcinst.ini"));
    if (!drivers.open(QIODevice::ReadOnly))
        return;
    const QByteArray driverList = drivers.readAll();
    if (!appendText(m_folder.filePath(QStringLiteral("odbcinst.ini")), driverList) ||
        !appendText(iniPath(System), {}) || !appendText(iniPath(User), {}))
        return;
    qputenv("ODBCSYSINI", QFile::encodeName(m_folder.path()));
    qputenv("ODBCINI", QFile::encodeName(iniPath(User)));
    m_valid = true;
}

QString OdbcFixture::sampleFile(const QString& name)
{
    return QStringLiteral(QVZ_SAMPLE_DIR) + u'/' + name;
}

QString OdbcFixture::iniPath(Scope scope) const
{
    return m_folder.filePath(scope == User ? QStringLiteral("user.ini") : QStringLiteral("odbc.ini"));
}

void OdbcFixture::addDataSource(Scope scope, const QString& name, const Keys& keys)
{
    QByteArray section = "\n[" + name.toUtf8() + "]\n";
    for (const auto& key : keys)
        section += key.first.toUtf8() + '=' + key.second.toUtf8() + '\n';
    appendText(iniPath(scope), section);
}

QString OdbcFixture::addSqliteDataSource(const QString& name, const QStringList& sqlFiles)
{
    const QString path = m_folder.filePath(name + QStringLiteral(".db"));
    QFile::remove(path);
    for (const QString& sqlFile : sqlFiles) {
        QProcess shell;
        shell.setStandardInputFile(sqlFile);
        shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), path});
        if (!shell.waitForFinished(30000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0) {
            qWarning("sqlite3 failed on %s: %s", qPrintable(sqlFile), shell.readAllStandardError().constData());
            return {};
        }
    }
    addDataSource(User, name,
                  {{QStringLiteral("Driver"), QStringLiteral("SQLite3")}, {QStringLiteral("Database"), path}});
    return path;
}

OdbcFixture::Engine OdbcFixture::engine()
{
    const QString name = qEnvironmentVariable("QVZ_TEST_ENGINE");
    if (name == QLatin1String("postgresql"))
        return Engine::Postgres;
    return name == QLatin1String("mariadb") ? Engine::MariaDb : Engine::Sqlite;
}

QString OdbcFixture::forEngine(const QString& sqlite, const QString& postgres, const QString& mariaDb)
{
    switch (engine()) {
    case Engine::Postgres:
        return postgres;
    case Engine::MariaDb:
        return mariaDb;
    case Engine::Sqlite:
        break;
    }
    return sqlite;
}

QString OdbcFixture::hexOf(const QString& column)
{
    return forEngine(QStringLiteral("hex(%1)"), QStringLiteral("encode(convert_to(%1, 'UTF8'), 'hex')"),
                     QStringLiteral("HEX(%1)"))
        .arg(column);
}

QString OdbcFixture::fromHex(const QString& hex)
{
    return QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
}

QStringList OdbcFixture::labelRows(TDbDatabase& db)
{
    const QStringList columns{QStringLiteral("STATION_ID"), QStringLiteral("SENSORNAME"), QStringLiteral("DATA_LABEL"),
                              QStringLiteral("FUNCTION_NAME")};
    QStringList hex;
    for (const QString& column : columns)
        hex.append(hexOf(column));
    TDbQuery query(db);
    query.setSql(QStringLiteral("SELECT %1 FROM QV_PPLIST ORDER BY 1, 2, 4").arg(hex.join(QStringLiteral(", "))));
    query.open();
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int column = 0; column < columns.size(); ++column)
            values.append(fromHex(query.asString(column)));
        rows.append(values.join(u'/'));
    }
    return rows;
}

std::optional<OdbcFixture::Login> OdbcFixture::addEngineDataSource(const QString& name)
{
    if (!onSqlite())
        return addServerDataSource(engine(), name);
    const QStringList sample{sampleFile(QStringLiteral("schema.sql")), sampleFile(QStringLiteral("data.sql"))};
    if (addSqliteDataSource(name, sample).isEmpty())
        return std::nullopt;
    return Login{name, {}, {}};
}

std::optional<OdbcFixture::Login> OdbcFixture::addServerDataSource(Engine engine, const QString& name)
{
    QFile source(qEnvironmentVariable(engine == Engine::MariaDb ? "QVZ_MARIADB_DSN_FILE" : "QVZ_PG_DSN_FILE"));
    if (source.fileName().isEmpty() || !source.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    Login login;
    login.dataSource = name;
    Keys keys;
    // The login keys of psqlODBC and of MariaDB Connector/ODBC.
    const QStringList userKeys{QStringLiteral("Username"), QStringLiteral("User")};
    while (!source.atEnd()) {
        const QString line = QString::fromUtf8(source.readLine()).trimmed();
        const qsizetype separator = line.indexOf(u'=');
        if (line.startsWith(u'[') || line.startsWith(u'#') || separator <= 0)
            continue;
        const QString key = line.left(separator).trimmed();
        const QString value = line.mid(separator + 1).trimmed();
        if (userKeys.contains(key, Qt::CaseInsensitive))
            login.user = value;
        else if (key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
            login.password = value;
        else
            keys.append({key, value});
    }
    addDataSource(User, name, keys);
    return login;
}
