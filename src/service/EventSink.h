#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QTimer>

// What receives the service's events.
class IServiceEventHandler
{
public:
    virtual ~IServiceEventHandler() = default;
    virtual void HandleServiceEvent(const QString& unused, const QString& kind, const QString& text) = 0;
    virtual void HandleServiceStopped() = 0;
};

// The receiver of the service's events. While connected it listens to the
// service's two signals and to the service's name leaving the bus; a service
// that vanishes without announcing it (a crash) counts as stopped. A stop is
// reported once per connection. Events arrive through the event loop of the
// thread that connected the sink.
//
// A chatty service can send events faster than the window shows them; the
// sink queues them and hands them on in short slices, so that the event loop
// keeps turning (painting, timers, input) however many arrive at once.
class TEventSink : public QObject
{
    Q_OBJECT

public:
    explicit TEventSink(IServiceEventHandler& handler, QObject* parent = nullptr);
    ~TEventSink() override;

    // Subscribes to the service's events on the bus; false when the bus refused.
    bool Connect(const QDBusConnection& bus);
    // Unsubscribes; does nothing when not connected.
    void Disconnect();
    bool isConnected() const { return m_connected; }

private Q_SLOTS:
    void onServiceEvent(const QString& unused, const QString& kind, const QString& text);
    void onServiceStopping();

private:
    struct Event
    {
        QString unused;
        QString kind;
        QString text;
    };

    bool setSubscribed(bool on);
    void reportStopped();
    void handOnSlice();
    void handOnAll();
    void handOn(const Event& event);

    IServiceEventHandler& m_handler;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    QList<Event> m_pending;
    QTimer m_slice;
    bool m_connected = false;
};
