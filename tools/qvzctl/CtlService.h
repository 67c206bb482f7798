#pragma once

#include "service/ServiceLink.h"

#include <QDateTime>
#include <QString>

// What qvzctl finds of the service: whether a bus is there, whether the
// service runs (holds its lock) and answers, its processing state, the
// windows that hold its schedule, and its next group.
struct TServiceState
{
    bool busAvailable = false;
    bool running = false;
    bool linked = false;
    bool active = false; // scheduled processing runs
    int holders = 0;     // windows of any program that hold the schedule
    QDateTime heldSince; // when the hold record last changed; invalid when none
    QString nextGroup;   // empty when none is scheduled
    QDateTime nextTime;
    QString error; // why the bus or the service could not be asked
};

// The link of a program without windows: nothing to show, every call
// bounded by CallTimeoutMs, so that a hung service answers a monitor in time.
class TCtlService : public IServiceLinkHost
{
public:
    static constexpr int CallTimeoutMs = 1500;

    explicit TCtlService(const QString& configPath);

    // Links to the running service; false, with error(), when there is no
    // bus, no service, or it does not answer.
    bool link();
    TServiceLink& calls() { return m_link; }
    QString error() const { return m_error; }
    bool busAvailable() const;

    // Links, and asks what `status` and `check` report; stops at the first
    // call that fails.
    TServiceState state();

    void AddStatusLine(const QString&) override {}
    int detailLevel() const override { return 0; }
    void showLinkState(const QString&) override {}
    void showNextRun(const QString&, const QString&, const QDateTime&) override {}
    void startServiceRetryTimer() override {}

private:
    QString m_configPath;
    TServiceLink m_link;
    QString m_error;
};
