#pragma once

#include <mutex>
#include <thread>

// Stops a statement that another thread runs. ODBC allows exactly this one
// call across threads (SQLCancel on the statement handle); the driver then
// ends the statement on the server too, and the running call returns with an
// error. A query attaches its statement handle while it has one, so a cancel
// never reaches a freed handle; a cancel before the statement runs stops it
// from running at all.
//
// SQLCancel itself may block: psqlODBC sends it over a new connection to the
// server, which waits as long as the server does not answer. So it is sent
// from a thread of its own, and cancel() returns at once on any thread.
class TDbCancel
{
public:
    TDbCancel() = default;
    ~TDbCancel();
    TDbCancel(const TDbCancel&) = delete;
    TDbCancel& operator=(const TDbCancel&) = delete;

    // Any thread; never waits for the driver.
    void cancel();
    bool isCancelled() const;

private:
    friend class TDbQuery;
    void attach(void* statement);
    // Waits until a cancel sent to the statement has returned, since the
    // handle is freed next.
    void detach();

    mutable std::mutex m_mutex;
    void* m_statement = nullptr;
    bool m_cancelled = false;
    std::thread m_sender;
};
