#include "LockWait.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace {

std::atomic<unsigned> cancelGeneration{0};
std::atomic<int> programDeadlineMs{LockWait::DefaultDeadlineMs};
// Set and read on the main thread only.
LockWait::Waiter mainThreadWaiter;
int mainThreadWaits = 0;
// The generation of this thread's CancelScope, when it has one.
thread_local std::optional<unsigned> scopeGeneration;

bool onMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

bool LockWait::Request::isCancelled() const
{
    return cancelGeneration.load() != generation;
}

LockWait::Outcome LockWait::wait(const QString& fileName, const Attempt& attempt, int deadlineMs)
{
    if (attempt())
        return Outcome::Taken;
    const Request request{fileName, QDeadlineTimer(deadlineMs < 0 ? programDeadlineMs.load() : deadlineMs), attempt,
                          scopeGeneration.value_or(cancelGeneration.load())};
    if (!onMainThread() || !mainThreadWaiter)
        return poll(request);
    ++mainThreadWaits;
    const Outcome outcome = mainThreadWaiter(request);
    --mainThreadWaits;
    return outcome;
}

void LockWait::setMainThreadWaiter(Waiter waiter)
{
    mainThreadWaiter = std::move(waiter);
}

LockWait::Outcome LockWait::poll(const Request& request)
{
    for (;;) {
        if (request.attempt())
            return Outcome::Taken;
        if (request.isCancelled())
            return Outcome::Cancelled;
        if (request.deadline.hasExpired())
            return Outcome::TimedOut;
        QThread::msleep(PollMs);
    }
}

void LockWait::setDeadlineMs(int deadlineMs)
{
    programDeadlineMs = deadlineMs;
}

int LockWait::deadlineMs()
{
    return programDeadlineMs;
}

void LockWait::cancelAll()
{
    ++cancelGeneration;
}

LockWait::CancelScope::CancelScope() : m_outer(scopeGeneration)
{
    scopeGeneration = cancelGeneration.load();
}

LockWait::CancelScope::~CancelScope()
{
    scopeGeneration = m_outer;
}

bool LockWait::isWaitingOnMainThread()
{
    return mainThreadWaits > 0;
}
