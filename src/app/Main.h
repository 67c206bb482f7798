#pragma once

#include "StatusLogFile.h"
#include "calc/TimePreview.h"
#include "config/ConfigFile.h"
#include "config/ConfigSession.h"
#include "config/LoginStore.h"
#include "config/UserSettingsFile.h"
#include "db/DbDatabase.h"
#include "db/DbSession.h"
#include "service/ServiceLink.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class HelpWindow;
class TDesktopNotifier;
class TTrayIcon;
class QDialog;
class TfrmPPLogin;
class TServiceCommands;
class QButtonGroup;
class QLabel;
class QThread;
class QTimer;

namespace Ui {
class TfrmZizaVureGUI;
}

// The main window: owns the group list, the configuration and user settings
// files and the status memo in which every part of the program reports.
//
// The configuration is loaded on a worker thread while the window is built
// and painted, so that a large site opens as quickly as an empty one;
// everything that needs the groups waits for that load first.
class TfrmZizaVureGUI : public QMainWindow, public IServiceLinkHost
{
    Q_OBJECT

public:
    static constexpr int MaxStatusLines = 100;

    explicit TfrmZizaVureGUI(QWidget* parent = nullptr);
    ~TfrmZizaVureGUI() override;

    // Adds "<short date> <long time>    <text>" on top of the memo, drops the
    // oldest line beyond MaxStatusLines, and logs the line while the log
    // switch is on.
    void AddStatusLine(const QString& text) override;

    TZizaVureGroups& groups();
    ConfigFile& configFile();
    bool logSwitch() const { return m_log.LogMessage; }
    int detailLevel() const override { return m_log.LogDetail; }
    bool isDatabaseConnected() const { return m_databaseConnected; }

    TServiceLink& serviceLink() { return *m_link; }
    TDbSession& session() { return *m_session; }
    TDbDatabase& database() { return *m_database; }

    // Opens the database of the data source with the user name and password;
    // reports the outcome in the memo, the data source label and, on failure,
    // "Error 1200". Returns whether the database is open.
    bool ConnectDatabase(const QString& dataSource, const QString& userName, const QString& password);

    // Restores the window from minimised and brings it to the front.
    void restoreApplication();

    // Closes the program as File > Exit does, on a request from outside (a
    // termination signal) that may come while a modal window is open.
    void closeOnRequest();

    // Blocks until the configuration load has finished and applies it.
    void waitForConfiguration();

    // The time that the next run's "in 3 h 20 min" is reckoned from; tests fix it.
    void setClock(const TClock& clock);
    // Says in the next time's tooltip how long until then; the window does so each minute.
    void refreshNextRunHint();
    // Asks the service for the processing state shown in the status bar; the
    // window does so every few seconds and when it is activated.
    void refreshProcessingState();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showLinkState(const QString& panelText) override;
    // The data source label's colour, tooltip and description.
    void showConnectionState(bool connected);
    void showNextRun(const QString& group, const QString& time, const QDateTime& when) override;
    void startServiceRetryTimer() override;

    struct LoadedConfiguration
    {
        std::unique_ptr<ConfigFile> config;
        std::unique_ptr<TZizaVureGroups> groups;
        TLogSettings log;
        QStringList statusLines;
    };

    void setUpToolBar();
    void setUpStatusBar();
    void connectActions();
    void readWindowBounds();
    void startConfigurationLoad();
    void finishConfigurationLoad();
    void firstShow();
    void connectAtFirstShow();
    void connectDatabaseCommand();
    void disconnectDatabase();
    void storeDatabaseSettings();
    void saveToDatabase();
    void openRecalculation();
    void openSetupEditor();
    void openHistory();
    void openNotificationSettings();
    void connectNotifier();
    void setUpTray();
    void restoreFromHistory(int versionId, const QString& group);
    void updateActions();
    void connectServiceActions();
    void selectDetailLevel(int level);
    void writeLogSettings();
    void followConfiguration();
    void WriteStatusLog(const QString& line);
    void toggleStatusLog();
    void showHelpContents();
    void showHelpIndex();
    void showAbout();
    HelpWindow* helpWindow();

    std::unique_ptr<Ui::TfrmZizaVureGUI> ui;
    QLabel* m_linkPanel = nullptr;
    QLabel* m_hintPanel = nullptr;
    QLabel* m_processingPanel = nullptr;
    TServiceCommands* m_service = nullptr;
    TDesktopNotifier* m_notifier = nullptr;
    TTrayIcon* m_tray = nullptr; // where the desktop has a tray
    QButtonGroup* m_detailButtons = nullptr;
    QDateTime m_nextRun; // invalid while no group is scheduled
    std::optional<bool> m_connectionShown;
    TClock m_clock = SystemClock;
    HelpWindow* m_help = nullptr;
    std::unique_ptr<TServiceLink> m_link;
    std::unique_ptr<TDbSession> m_session;
    std::unique_ptr<TDbDatabase> m_database;
    std::unique_ptr<TfrmPPLogin> m_login;
    TLoginStore m_credentials;

    std::unique_ptr<TZizaVureGroups> m_groups;
    std::unique_ptr<ConfigFile> m_config;
    std::unique_ptr<TConfigSession> m_configSession; // after m_config and m_groups, which it uses
    std::unique_ptr<UserSettingsFile> m_userSettings;
    StatusLogFile m_statusLog;
    TLogSettings m_log{false, 0}; // the detail level reads 0 until the configuration is loaded

    std::unique_ptr<QThread> m_loader;
    LoadedConfiguration m_loaded;
    bool m_configurationLoaded = false;
    bool m_databaseConnected = false;
    bool m_firstShow = true;
    bool m_firstShowPending = false;
};
