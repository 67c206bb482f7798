#include "DesktopNotifier.h"

#include "AppLog.h"
#include "config/ConfigHistory.h"
#include "config/UserSettingsFile.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QWidget>

#include <algorithm>
#include <utility>

#include <unistd.h>

namespace {

const QString ServerName = QStringLiteral("org.freedesktop.Notifications");
const QString ServerPath = QStringLiteral("/org/freedesktop/Notifications");
const QString ServerInterface = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopEntry = QStringLiteral("org.torvane.QVZizaVure");
const QString DefaultAction = QStringLiteral("default");

enum Urgency : uchar { Low = 0, Normal = 1, Critical = 2 };

const struct
{
    const char* key;
    bool onByDefault;
    Urgency urgency;
    const char* action; // what ActionInvoked names, nullptr for none
    const char* actionText;
} Kinds[TDesktopNotifier::KindCount] = {
    {"ServiceStopped", true, Critical, "start", QT_TRANSLATE_NOOP("TDesktopNotifier", "Start the service")},
    {"ServiceError", true, Normal, "show", QT_TRANSLATE_NOOP("TDesktopNotifier", "Show")},
    // Operators who share a configuration change it often; a notification
    // for each change would be noise unless one asks for it.
    {"ConfigurationChanged", false, Low, nullptr, nullptr},
    {"HoldRecovered", true, Normal, nullptr, nullptr},
};

QDBusMessage serverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(ServerName, ServerPath, ServerInterface, method);
}

} // namespace

QByteArray TDesktopNotifier::settingKey(Kind kind)
{
    return Kinds[kind].key;
}

bool TDesktopNotifier::isEnabled(const UserSettingsFile& settings, Kind kind)
{
    return settings.ReadNotification(settingKey(kind), Kinds[kind].onByDefault);
}

TDesktopNotifier::TDesktopNotifier(QWidget* window, const UserSettingsFile& settings, const QDBusConnection& bus)
    : QObject(window), m_window(window), m_settings(settings), m_bus(bus)
{
    m_bus.connect(ServerName, ServerPath, ServerInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(ServerName, ServerPath, ServerInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint)));
}

void TDesktopNotifier::notifyServiceStopped()
{
    notify(ServiceStopped, tr("The post processing service stopped."));
}

void TDesktopNotifier::notifyServiceError(const QString& text)
{
    notify(ServiceError, tr("The post processing service reports an error."), text);
}

void TDesktopNotifier::notifyConfigurationChanged(const QStringList& lines, const QString& configPath,
                                                  const QString& ownProgram)
{
    if (lines.isEmpty() || !wanted(ConfigurationChanged))
        return;
    QString body = lines.join(u'\n');
    const QList<THistoryVersion> versions = TConfigHistory(configPath).versions();
    if (!versions.isEmpty()) {
        const THistoryVersion& newest = versions.last();
        if (newest.program.isEmpty())
            body += u'\n' + tr("Changed by %1.").arg(newest.user);
        else if (newest.program != ownProgram || newest.uid != ::getuid())
            body += u'\n' + tr("Changed by %1 with %2.").arg(newest.user, newest.program);
    }
    notify(ConfigurationChanged, tr("The configuration was changed by another program."), body);
}

void TDesktopNotifier::notifyHoldRecovered(const QString& line)
{
    notify(HoldRecovered, line);
}

// The operator's own dialogs count as the window: whoever looks at one of
// them sees the memo's news soon enough.
bool TDesktopNotifier::wanted(Kind kind) const
{
    for (const QWidget* active = QApplication::activeWindow(); active; active = active->parentWidget()) {
        if (active == m_window)
            return false;
    }
    return isEnabled(m_settings, kind);
}

void TDesktopNotifier::notify(Kind kind, const QString& summary, const QString& body)
{
    if (!wanted(kind))
        return;
    const Notification notification{kind, summary, body};
    if (m_capabilities) {
        send(notification);
        return;
    }
    // Only the newest of a kind is worth showing once the server answers.
    m_waiting.removeIf([kind](const Notification& waiting) { return waiting.kind == kind; });
    m_waiting.append(notification);
    askCapabilities();
}

void TDesktopNotifier::askCapabilities()
{
    if (m_asking)
        return;
    m_asking = true;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(serverCall(QStringLiteral("GetCapabilities"))), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
        call->deleteLater();
        m_asking = false;
        const QDBusPendingReply<QStringList> reply = *call;
        const QList<Notification> waiting = std::exchange(m_waiting, {});
        if (reply.isError()) {
            warnOnce(reply.error().message());
            return;
        }
        m_capabilities = reply.value();
        for (const Notification& notification : waiting)
            send(notification);
    });
}

void TDesktopNotifier::send(const Notification& notification)
{
    const auto& kind = Kinds[notification.kind];
    QStringList actions;
    if (m_capabilities->contains(QLatin1String("actions"))) {
        // A click on the notification itself brings the window forward.
        actions << DefaultAction << QString();
        if (kind.action)
            actions << QLatin1String(kind.action) << tr(kind.actionText);
    }
    const bool markup = m_capabilities->contains(QLatin1String("body-markup"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(kind.urgency))},
                            {QStringLiteral("desktop-entry"), DesktopEntry}};
    QDBusMessage call = serverCall(QStringLiteral("Notify"));
    call << QStringLiteral("QV ZizaVure") << m_shown[notification.kind] << DesktopEntry << notification.summary
         << (markup ? notification.body.toHtmlEscaped() : notification.body) << actions << hints << -1;
    auto* reply = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(reply, &QDBusPendingCallWatcher::finished, this, [this, reply, shown = notification.kind] {
        reply->deleteLater();
        const QDBusPendingReply<uint> id = *reply;
        if (id.isError())
            warnOnce(id.error().message());
        else
            m_shown[shown] = id.value();
    });
}

void TDesktopNotifier::onActionInvoked(uint id, const QString& action)
{
    if (id == 0 || std::count(m_shown.begin(), m_shown.end(), id) == 0)
        return;
    const bool showAsked =
        action == DefaultAction || (id == m_shown[ServiceError] && action == QLatin1String(Kinds[ServiceError].action));
    if (showAsked)
        Q_EMIT showInvoked();
    else if (id == m_shown[ServiceStopped] && action == QLatin1String(Kinds[ServiceStopped].action))
        Q_EMIT startServiceInvoked();
}

void TDesktopNotifier::onClosed(uint id)
{
    for (uint& shown : m_shown) {
        if (shown == id)
            shown = 0;
    }
}

// A desktop without a notification server is a choice, not a fault: one
// line for the administrator is enough.
void TDesktopNotifier::warnOnce(const QString& reason)
{
    if (std::exchange(m_warned, true))
        return;
    qCWarning(lcApp, "No desktop notifications: %s", qUtf8Printable(reason));
}
