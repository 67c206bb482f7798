#include "DbCancel.h"

#include <sql.h>

TDbCancel::~TDbCancel()
{
    detach();
}

void TDbCancel::cancel()
{
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return;
    m_cancelled = true;
    if (m_statement)
        m_sender = std::thread(SQLCancel, m_statement);
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
    std::thread sender;
    {
        std::lock_guard lock(m_mutex);
        m_statement = nullptr;
        sender = std::move(m_sender);
    }
    if (sender.joinable())
        sender.join();
}
