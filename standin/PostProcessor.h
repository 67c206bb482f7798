#pragma once

#include "GroupRun.h"
#include "GroupSchedule.h"
#include "StandinOptions.h"
#include "config/ConfigFile.h"
#include "config/DataDef.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>

// The stand-in's service object. It loads the groups of the configuration
// file, runs each enabled group when its time comes (unless scheduled
// processing is suspended), processes groups on request one after another,
// and reports through ServiceEvent: status lines of kind "MESSAGE" up to the
// detail level, and "POLLGROUP" whenever the next group or its time changes.
// The test switches of the options make chosen methods fail or hang.
//
// A refresh reads the file in a thread of its own and answers when it has
// read it, so that a file whose lock another program holds delays only the
// caller that asked, never the other calls; a read abandoned at the lock's
// deadline is tried again a little later.
class TPostProcessor : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    explicit TPostProcessor(const TStandinOptions& options, QObject* parent = nullptr);
    ~TPostProcessor() override;

    // The service interface, in its order.
    QString GetServiceVersion();
    int GetGroupCount();
    void RefreshParams();
    QString GetProcessingGroup();
    QString GetStatusText();
    void SetDetailLevel(int level);
    QString GetNextGroup();
    double GetNextTime();
    void ResumeProcessing();
    void SuspendProcessing();
    int GetProcessingState();
    void ProcessGroupNow(int position);
    void StopProcessNow();

    void announceStopping() { Q_EMIT ServiceStopping(); }

    // Why the configuration could not be read at the last load; empty when it
    // was read or does not exist.
    QString configurationError() const { return m_configurationError; }

Q_SIGNALS:
    void ServiceEvent(const QString& unused, const QString& kind, const QString& text);
    void ServiceStopping();

private:
    // What one read of the configuration gave.
    struct TLoad
    {
        std::unique_ptr<TZizaVureGroups> groups;
        TLogSettings settings;
        QString error;
        bool lockAbandoned = false;
    };
    static TLoad readConfiguration();

    bool answeredBySwitch();
    void applyLoad(TLoad load);
    void startRefresh();
    void finishRefresh();
    void reschedule();
    void runDueGroup();
    void processWaitingGroups();
    void report(int level, const QString& text);
    void sendBurst();

    TStandinOptions m_options;
    std::unique_ptr<TZizaVureGroups> m_groups;
    QString m_configurationError;
    std::unique_ptr<QThread> m_refresh;
    TLoad m_refreshed;                      // written by m_refresh
    QList<QDBusMessage> m_refreshCalls;     // answered when m_refresh ends
    QList<QDBusMessage> m_nextRefreshCalls; // came during m_refresh
    QTimer m_refreshRetry;
    int m_detailLevel = 1;
    bool m_scheduleActive = true;
    GroupSchedule::TNextRun m_next;
    QTimer m_scheduleTimer;
    QList<int> m_waiting; // positions of the groups asked for, in order
    TGroupRun m_run;
};
