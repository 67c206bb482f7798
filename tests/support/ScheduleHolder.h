#pragma once

#include <QProcess>
#include <QString>

// The schedule held by another program (the scheduleholder helper), as by
// another operator's window, on the service that the test runs. The program
// dies with the test process.
class ScheduleHolder
{
public:
    ~ScheduleHolder();

    // Starts the program and waits until it holds the schedule.
    bool start(const QString& configPath);
    // Lets it release the hold and waits until it has ended.
    bool release();
    // SIGKILL: it ends while it holds.
    bool kill();

private:
    QProcess m_process;
};
