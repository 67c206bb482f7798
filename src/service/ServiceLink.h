#pragma once

#include "EventSink.h"
#include "platform/Exception.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class IQVZizaVureComProxy;
class QDBusPendingCallWatcher;

// A call to the service failed; the message is the service's or the bus's.
class EServiceError : public Exception
{
public:
    using Exception::Exception;
};

// The main window's side of the link: where the link reports.
class IServiceLinkHost
{
public:
    virtual ~IServiceLinkHost() = default;
    virtual void AddStatusLine(const QString& text) = 0;
    virtual int detailLevel() const = 0;
    // "Service Ready" or "Service Stopped".
    virtual void showLinkState(const QString& panelText) = 0;
    // Both "Disabled", and `when` invalid, when no group is scheduled.
    virtual void showNextRun(const QString& group, const QString& time, const QDateTime& when) = 0;
    virtual void startServiceRetryTimer() = 0;
};

// The link to the running post-processing service: attaching to its object on
// the bus, receiving its events, and the calls the program makes. Every call
// waits at most CallTimeoutMs for its answer, so a hung service cannot freeze
// the window for longer; a failed call, or a call while unlinked, raises
// EServiceError.
class TServiceLink : public QObject, private IServiceEventHandler
{
    Q_OBJECT

public:
    static constexpr int CallTimeoutMs = 3000;

    explicit TServiceLink(IServiceLinkHost& host, QObject* parent = nullptr);
    ~TServiceLink() override;

    // Whether the service holds its named mutex.
    static bool IsServiceRunning();

    bool ConnectToService();
    // How long each later call waits for its answer; CallTimeoutMs unless set.
    void setCallTimeout(int timeoutMs) { m_callTimeoutMs = timeoutMs; }
    // Asks the running service's object whether it is the service, without
    // waiting for the answer, so that looking for a hung service never stalls
    // the window; serviceAnswered() follows when it answers that it is. Does nothing while the
    // service is not running or an earlier question is still open.
    void ProbeService();
    void DisconnectFromService();
    bool isLinked() const { return m_service != nullptr; }

    // Shows the next group and its time; leaves the labels alone on any failure.
    void ShowNextRun();

    void HandleServiceEvent(const QString& unused, const QString& kind, const QString& text) override;
    void HandleServiceStopped() override;

    void RefreshParams();
    void SetDetailLevel(int level);
    QString GetNextGroup();
    double GetNextTime();
    void ResumeProcessing();
    void SuspendProcessing();
    int GetProcessingState();
    // GetProcessingState without waiting, for the window's display:
    // processingStateAnswered() follows when the linked service answers.
    // Does nothing while unlinked; an open earlier question goes unanswered,
    // so that what a window shows is never older than what it asked last.
    void AskProcessingState();
    void ProcessGroupNow(int position);
    void StopProcessNow();

Q_SIGNALS:
    // The service answered ProbeService: linking now will not wait long.
    void serviceAnswered();
    void processingStateAnswered(int state);
    // The service announced its stop or vanished from the bus.
    void serviceStopped();
    // A message event that reports a failure; the service marks those by
    // starting their text with "Error".
    void errorReported(const QString& text);

private:
    void onProbeFinished();

    void attach();
    void releaseService();
    IQVZizaVureComProxy& service();

    IServiceLinkHost& m_host;
    TEventSink m_sink;
    std::unique_ptr<IQVZizaVureComProxy> m_service;
    QDBusPendingCallWatcher* m_probe = nullptr;
    QDBusPendingCallWatcher* m_stateQuestion = nullptr;
    int m_callTimeoutMs = CallTimeoutMs;
};
