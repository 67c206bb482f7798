#pragma once

#include "platform/LockWait.h"

#include <QDialog>

// How the window thread waits for a lock that another program holds: its
// event loop keeps running (painting, the service's events, a request to
// end the program) while the operator's input waits; after a second this
// small window says what the program waits for and offers Cancel, which
// cancels every wait under way.
class TLockWaitWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ShownAfterMs = 1000;

    // A LockWait::Waiter.
    static LockWait::Outcome wait(const LockWait::Request& request);

private:
    explicit TLockWaitWindow(const QString& fileName);
};
