#include "ServiceCommands.h"

#include "AppLog.h"
#include "PollForm.h"
#include "ServiceManager.h"
#include "config/ConfigFile.h"
#include "service/ScheduleHold.h"
#include "service/ServiceLink.h"
#include "widgets/MessageBox.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int ServiceRetryMs = 5000;
// How long a service that was just started gets before the first link attempt.
constexpr int ServiceStartWaitMs = 500;

} // namespace

TServiceCommands::TServiceCommands(QWidget* window, TServiceLink& link, QLabel* processingPanel,
                                   const StatusSink& addStatusLine, const Groups& groups)
    : QObject(window), m_window(window), m_link(link), m_processingPanel(processingPanel), m_status(addStatusLine),
      m_groups(groups), m_retry(new QTimer(this))
{
    m_retry->setObjectName(QStringLiteral("tmrService"));
    m_retry->setInterval(ServiceRetryMs);
    connect(m_retry, &QTimer::timeout, this, &TServiceCommands::retryLink);
    connect(&m_link, &TServiceLink::serviceAnswered, this, &TServiceCommands::linkAfterAnswer);
    connect(&m_link, &TServiceLink::processingStateAnswered, this, &TServiceCommands::showProcessingState);
    connect(&m_link, &TServiceLink::serviceStopped, this, [this] {
        if (!m_stopAsked)
            Q_EMIT stoppedUnasked();
    });
}

void TServiceCommands::startRetryTimer()
{
    // The timer stays off while a large window is open; the window's frame
    // restarts it afterwards when the link is gone.
    if (!m_holding)
        m_retry->start();
}

void TServiceCommands::refreshProcessingState()
{
    m_link.AskProcessingState();
}

void TServiceCommands::showProcessingState(int state)
{
    Q_EMIT processingStateShown(state);
    if (state == ProcessingActive) {
        m_processingPanel->setText(tr("Processing active"));
        return;
    }
    const int holders = TScheduleHold::holderCount(ConfigFile::defaultPath());
    if (holders == 0)
        m_processingPanel->setText(tr("Processing suspended"));
    else if (holders == 1)
        m_processingPanel->setText(tr("Processing held by one window"));
    else
        m_processingPanel->setText(tr("Processing held by %1 windows").arg(holders));
}

void TServiceCommands::startLink()
{
    if (TServiceLink::IsServiceRunning()) {
        linkAtStart();
        return;
    }
    try {
        LaunchService();
    } catch (const Exception& error) {
        // No message at start-up: the retry timer takes over.
        qCWarning(lcApp, "Service not started: %s", error.what());
    }
    // Waiting without blocking keeps the window painting meanwhile.
    QTimer::singleShot(ServiceStartWaitMs, this, &TServiceCommands::linkAtStart);
}

void TServiceCommands::linkAtStart()
{
    if (m_link.ConnectToService())
        showLinkedService();
    else
        m_retry->start();
}

// A tick only asks whether the service answers: a hung service would
// otherwise hold the window for a whole call time-out at every tick.
void TServiceCommands::retryLink()
{
    if (!m_link.isLinked())
        m_link.ProbeService();
}

void TServiceCommands::linkAfterAnswer()
{
    // The answer may arrive after the timer was stopped for a held window.
    if (!m_retry->isActive() || m_link.isLinked() || !m_link.ConnectToService())
        return;
    m_retry->stop();
    showLinkedService();
}

void TServiceCommands::showLinkedService()
{
    m_stopAsked = false;
    m_link.ShowNextRun();
    if (TScheduleHold::recoverAbandoned(m_link, ConfigFile::defaultPath())) {
        const QString line = tr("Scheduled processing was left on hold by a program that ended; resumed.");
        m_status(line);
        Q_EMIT abandonedHoldResumed(line);
    }
    refreshProcessingState();
}

void TServiceCommands::reportManagerRefusal(const QString& reason)
{
    m_status(tr("The service manager refused: %1").arg(reason));
}

void TServiceCommands::startService()
{
    try {
        LaunchService([this](const QString& reason) { reportManagerRefusal(reason); });
    } catch (const Exception& error) {
        qCWarning(lcApp, "Service not started: %s", error.what());
        MessageBox::error(m_window, tr("Error 1502: Failed to start the QVZizaVureess service."));
    }
}

void TServiceCommands::stopService()
{
    m_stopAsked = true;
    try {
        HaltService([this](const QString& reason) { reportManagerRefusal(reason); });
    } catch (const Exception& error) {
        m_stopAsked = false;
        qCWarning(lcApp, "Service not stopped: %s", error.what());
        MessageBox::error(m_window, tr("Error 1503: Failed to stop the QVZizaVureess service."));
    }
}

void TServiceCommands::processNow()
{
    if (!m_link.isLinked())
        return;
    TfrmPoll dialog(m_groups(), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        // The link can drop while the dialog is open or between two calls.
        for (const int position : dialog.selectedPositions()) {
            if (!m_link.isLinked())
                break;
            m_link.ProcessGroupNow(position);
        }
    } catch (const Exception& error) {
        // Process now fails silently; the remaining groups are not sent.
        qCWarning(lcApp, "Process now stopped: %s", error.what());
    }
}

void TServiceCommands::stopProcessNow()
{
    if (!m_link.isLinked())
        return;
    try {
        m_link.StopProcessNow();
    } catch (const Exception& error) {
        qCWarning(lcApp, "Stop process now failed: %s", error.what());
    }
}

void TServiceCommands::refreshParams()
{
    if (!m_link.isLinked())
        return;
    try {
        m_link.RefreshParams();
        m_link.ShowNextRun();
    } catch (const Exception& error) {
        qCWarning(lcApp, "Refresh parameters failed: %s", error.what());
    }
}

void TServiceCommands::openHeld(const std::function<std::unique_ptr<QDialog>()>& createWindow,
                                const std::function<void()>& afterClose, const QString& errorPrefix)
{
    runHeld(
        [&] {
            const std::unique_ptr<QDialog> window = createWindow();
            window->exec();
        },
        afterClose, errorPrefix);
}

void TServiceCommands::runHeld(const std::function<void()>& work, const std::function<void()>& afterWork,
                               const QString& errorPrefix)
{
    const auto report = [&](const Exception& error) { MessageBox::error(m_window, errorPrefix + error.message()); };
    const bool retrying = m_retry->isActive();
    m_retry->stop();
    m_holding = true;
    try {
        TScheduleHold hold(m_link, ConfigFile::defaultPath());
        hold.take();
        refreshProcessingState();
        // A failure of the work or after it is reported, but never leaves
        // the service's schedule on hold.
        try {
            work();
            if (afterWork)
                afterWork();
        } catch (const Exception& error) {
            report(error);
        }
        hold.release();
    } catch (const Exception& error) {
        report(error);
    }
    m_holding = false;
    refreshProcessingState();
    // A service that stopped while the window was open is looked for again.
    if (retrying || !m_link.isLinked())
        m_retry->start();
}
