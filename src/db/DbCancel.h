#pragma once

#include <mutex>

// Stops a statement that another thread runs. ODBC allows exactly this one
// call across threads (SQLCancel on the statement handle); the driver then
// ends the statement on the server too, and the running call returns with an
// error. A query attaches its statement handle while it has one, so a cancel
// never reaches a freed handle; a cancel before the statement runs stops it
// from running at all.
class TDbCancel
{
public:
    TDbCancel() = default;
    TDbCancel(const TDbCancel&) = delete;
    TDbCancel& operator=(const TDbCancel&) = delete;

    // Any thread.
    void cancel();
    bool isCancelled() const;

private:
    friend class TDbQuery;
    void attach(void* statement);
    void detach();

    mutable std::mutex m_mutex;
    void* m_statement = nullptr;
    bool m_cancelled = false;
};
