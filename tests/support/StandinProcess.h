#pragma once

#include <QProcess>
#include <QStringList>

// The stand-in post-processing service as a real process on the test's
// session bus, sharing the test's program folder and lock folder (the
// QVZIZAVURE_HOME and QVZIZAVURE_LOCK_DIR of the test process). The service
// dies with the test process, so that a test that crashes leaves no service
// behind to hold the next test's bus name, or the output pipe of CTest.
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

    QProcess& process() { return m_process; }

    static bool onBus();
    // The text that the service's method without arguments answers, empty
    // when it does not.
    static QString ask(const QString& method);

    // A configuration for the service: groups numbered 3, 1 and 2 in list
    // order, each enabled with one pair, at the given detail level.
    static QByteArray threeGroups(int detailLevel);

private:
    QProcess m_process;
};
