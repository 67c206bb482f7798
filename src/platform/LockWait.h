#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <optional>

// Waiting for a lock that another program holds. Nobody waits without end:
// every wait has a deadline, and any wait can be cancelled (an operator's
// Cancel, a request to end the program).
//
// The main thread of a program with windows must keep answering while it
// waits, so such a program puts a waiter of its own in place for it (one
// that runs the event loop and shows what it waits for); every other thread,
// and every program without one, tries the lock again every few
// milliseconds until the deadline.
class LockWait
{
public:
    enum class Outcome { Taken, TimedOut, Cancelled };
    // Tries to take the lock once, without waiting; true when taken.
    using Attempt = std::function<bool()>;

    struct Request
    {
        QString fileName; // the file whose lock it is, as the operator knows it
        QDeadlineTimer deadline;
        Attempt attempt;
        unsigned generation = 0; // of cancelAll() when the wait began
        bool isCancelled() const;
    };
    using Waiter = std::function<Outcome(const Request& request)>;

    static constexpr int DefaultDeadlineMs = 30 * 1000;
    static constexpr int PollMs = 20;

    // Tries at once, and waits while the lock is taken. Without `deadlineMs`
    // the program's deadline applies (see setDeadlineMs).
    static Outcome wait(const QString& fileName, const Attempt& attempt, int deadlineMs = -1);

    // The waiter of the main thread; an empty one restores polling there.
    static void setMainThreadWaiter(Waiter waiter);
    // Tries `request.attempt` every PollMs until it succeeds, the deadline
    // passes or the wait is cancelled; blocks the calling thread.
    static Outcome poll(const Request& request);

    // The deadline of a wait that names none: DefaultDeadlineMs unless set.
    static void setDeadlineMs(int deadlineMs);
    static int deadlineMs();

    // Ends every wait under way, in every thread, as Cancelled.
    static void cancelAll();

    // While an instance lives, a cancelAll() also ends every later wait of
    // its thread at once: a job of several reads (a load in the background)
    // is cancelled as a whole, not one wait at a time.
    class CancelScope
    {
    public:
        CancelScope();
        ~CancelScope();
        CancelScope(const CancelScope&) = delete;
        CancelScope& operator=(const CancelScope&) = delete;

    private:
        std::optional<unsigned> m_outer;
    };
    // Whether a wait of the main thread is under way: work that its event
    // loop would start meanwhile is left for the next occasion.
    static bool isWaitingOnMainThread();
};
