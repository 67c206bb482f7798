#pragma once

#include <QLatin1String>
#include <QString>

#include <vector>

class TDbDatabase;

// The name under which the program opens its database connections.
inline constexpr QLatin1String ProgramSessionName("QVZizaVureessSession");

// A named group of database connections. A database opens only while its
// session is open, and closing the session closes its databases. The layer
// never closes a connection on its own between statements: an open database
// stays connected until it or its session is closed.
//
// A session must outlive the databases attached to it.
class TDbSession
{
public:
    explicit TDbSession(const QString& name = ProgramSessionName);
    ~TDbSession();

    TDbSession(const TDbSession&) = delete;
    TDbSession& operator=(const TDbSession&) = delete;

    const QString& name() const { return m_name; }

    void open();
    // Closes every attached database first; never raises.
    void close();
    bool isOpen() const { return m_open; }

private:
    friend class TDbDatabase;
    void attach(TDbDatabase* database);
    void detach(TDbDatabase* database);

    QString m_name;
    bool m_open = false;
    std::vector<TDbDatabase*> m_databases;
};
