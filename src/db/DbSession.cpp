#include "DbSession.h"

#include "DbDatabase.h"

#include <algorithm>

TDbSession::TDbSession(const QString& name) : m_name(name) {}

TDbSession::~TDbSession()
{
    close();
}

void TDbSession::open()
{
    m_open = true;
}

void TDbSession::close()
{
    for (TDbDatabase* database : m_databases)
        database->close();
    m_open = false;
}

void TDbSession::attach(TDbDatabase* database)
{
    m_databases.push_back(database);
}

void TDbSession::detach(TDbDatabase* database)
{
    m_databases.erase(std::remove(m_databases.begin(), m_databases.end(), database), m_databases.end());
}
