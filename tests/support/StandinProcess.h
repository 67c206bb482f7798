#pragma once

#include <QProcess>
#include <QStringList>

// The stand-in post-processing service as a real process on the test's
// session bus, sharing the test's program folder and lock folder (the
// QVZIZAVURE_HOME and QVZIZAVURE_LOCK_DIR of the test process).
class StandinProcess
{
public:
    static constexpr int StartTimeoutMs = 10000;

    // Kills a running service and waits until its name has left the bus, so
    // that the next one can take it.
    ~StandinProcess();

    // Starts the service and waits until it is on the bus (with --no-object:
    // until it holds its lock). Groups are processed in 50 ms unless the
    // arguments say otherwise.
    bool start(const QStringList& arguments = {});
    // Kills the service (SIGKILL) and waits until its name has left the bus.
    bool kill();

    static bool onBus();

private:
    QProcess m_process;
};
