#pragma once

#include "GroupRun.h"
#include "GroupSchedule.h"
#include "StandinOptions.h"
#include "config/ConfigFile.h"
#include "config/DataDef.h"

#include <QDBusContext>
#include <QObject>
#include <QTimer>

#include <memory>

// The stand-in's service object. It loads the groups of the configuration
// file, runs each enabled group when its time comes (unless scheduled
// processing is suspended), processes groups on request one after another,
// and reports through ServiceEvent: status lines of kind "MESSAGE" up to the
// detail level, and "POLLGROUP" whenever the next group or its time changes.
// The test switches of the options make chosen methods fail or hang.
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
    bool answeredBySwitch();
    TLogSettings loadGroups();
    void reschedule();
    void runDueGroup();
    void processWaitingGroups();
    void report(int level, const QString& text);
    void sendBurst();

    TStandinOptions m_options;
    std::unique_ptr<TZizaVureGroups> m_groups;
    QString m_configurationError;
    int m_detailLevel = 1;
    bool m_scheduleActive = true;
    GroupSchedule::TNextRun m_next;
    QTimer m_scheduleTimer;
    QList<int> m_waiting; // positions of the groups asked for, in order
    TGroupRun m_run;
};
