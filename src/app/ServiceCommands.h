#pragma once

#include "config/DataDef.h"

#include <QObject>

#include <functional>
#include <memory>

class QDialog;
class QLabel;
class QTimer;
class QWidget;
class TServiceLink;

// The main window's work with the service: linking at start and looking
// for it again every few seconds while unlinked, the commands of the Post
// Process menu, the processing state in the status bar, and the hold on
// the service's schedule while a large window is open.
class TServiceCommands : public QObject
{
    Q_OBJECT

public:
    using StatusSink = std::function<void(const QString& line)>;
    using Groups = std::function<TZizaVureGroups&()>;

    // `window` owns this and shows the messages and the windows; nothing is owned.
    TServiceCommands(QWidget* window, TServiceLink& link, QLabel* processingPanel, const StatusSink& addStatusLine,
                     const Groups& groups);

    // Starts the service when it does not run, and links to it.
    void startLink();
    // Looks for the service again every few seconds, unless a large window
    // holds the schedule: its frame does so afterwards.
    void startRetryTimer();

    void startService();
    void stopService();
    void processNow();
    void stopProcessNow();
    void refreshParams();

    // Asks the service for the processing state shown in the status bar.
    void refreshProcessingState();

    // Shows a large modal window with the service's scheduled work held
    // meanwhile; a failure is shown as `errorPrefix` followed by its message.
    void openHeld(const std::function<std::unique_ptr<QDialog>()>& createWindow,
                  const std::function<void()>& afterClose, const QString& errorPrefix);
    // Does `work` with the service's scheduled work held meanwhile, then
    // `afterWork`; a failure is shown as `errorPrefix` and its message.
    void runHeld(const std::function<void()>& work, const std::function<void()>& afterWork, const QString& errorPrefix);

Q_SIGNALS:
    // The service stopped without this window's Stop command.
    void stoppedUnasked();
    // A hold left by a program that ended was lifted; `line` says so.
    void abandonedHoldResumed(const QString& line);
    // The linked service's processing state (TProcessingState), as shown.
    void processingStateShown(int state);

private:
    void linkAtStart();
    void retryLink();
    void linkAfterAnswer();
    void showLinkedService();
    void showProcessingState(int state);
    void reportManagerRefusal(const QString& reason);

    QWidget* m_window;
    TServiceLink& m_link;
    QLabel* m_processingPanel;
    StatusSink m_status;
    Groups m_groups;
    QTimer* m_retry;
    bool m_holding = false;
    bool m_stopAsked = false; // since the last link
};
