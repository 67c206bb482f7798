#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>

#include <array>
#include <optional>

class QWidget;
class UserSettingsFile;

// Tells an operator who is not looking at the window what happened, through
// the desktop's notification server (org.freedesktop.Notifications). A window
// that is active gets nothing: its memo says it already. Each call returns at
// once; the server's answers arrive through the event loop. Without a server
// nothing is shown, and the log says so once.
class TDesktopNotifier : public QObject
{
    Q_OBJECT

public:
    enum Kind { ServiceStopped, ServiceError, ConfigurationChanged, HoldRecovered, KindCount };

    // The key of the kind in the per-user settings file.
    static QByteArray settingKey(Kind kind);
    // Whether the operator wants the kind; unless told, all but
    // ConfigurationChanged.
    static bool isEnabled(const UserSettingsFile& settings, Kind kind);

    // `window` is the main window; the bus is the one the server is on.
    TDesktopNotifier(QWidget* window, const UserSettingsFile& settings,
                     const QDBusConnection& bus = QDBusConnection::sessionBus());

    void notifyServiceStopped();
    void notifyServiceError(const QString& text);
    // `lines` are the memo's lines of the change; `configPath` the file's,
    // whose history may tell who made it, unless `ownProgram` did.
    void notifyConfigurationChanged(const QStringList& lines, const QString& configPath, const QString& ownProgram);
    void notifyHoldRecovered(const QString& line);

Q_SIGNALS:
    void startServiceInvoked();
    void showInvoked();

private:
    struct Notification
    {
        Kind kind;
        QString summary;
        QString body;
    };

    // Neither switched off nor news to an operator who looks at the window.
    bool wanted(Kind kind) const;
    void notify(Kind kind, const QString& summary, const QString& body = {});
    void askCapabilities();
    void send(const Notification& notification);
    void warnOnce(const QString& reason);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id);

private:
    QWidget* m_window;
    const UserSettingsFile& m_settings;
    QDBusConnection m_bus;
    std::optional<QStringList> m_capabilities; // once the server said
    bool m_asking = false;
    QList<Notification> m_waiting;         // for the server's capabilities
    std::array<uint, KindCount> m_shown{}; // the server's id of each kind's notification on screen
    bool m_warned = false;
};
