#include "DbCancel.h"

#include <sql.h>

void TDbCancel::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_statement)
        SQLCancel(m_statement);
}

bool TDbCancel::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

void TDbCancel::attach(void* statement)
{
    std::lock_guard lock(m_mutex);
    m_statement = statement;
}

void TDbCancel::detach()
{
    std::lock_guard lock(m_mutex);
    m_statement = nullptr;
}
