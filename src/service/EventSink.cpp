#include "EventSink.h"

#include "ServiceContract.h"

#include <QElapsedTimer>

namespace {
// How long one slice of queued events may keep the event loop.
constexpr int SliceMs = 10;
} // namespace

TEventSink::TEventSink(IServiceEventHandler& handler, QObject* parent)
    : QObject(parent), m_handler(handler), m_bus(QString())
{
    m_watcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TEventSink::reportStopped);
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &TEventSink::handOnSlice);
}

TEventSink::~TEventSink()
{
    Disconnect();
}

bool TEventSink::Connect(const QDBusConnection& bus)
{
    Disconnect();
    m_bus = bus;
    if (!setSubscribed(true)) {
        setSubscribed(false);
        return false;
    }
    m_watcher.setConnection(m_bus);
    m_watcher.setWatchedServices({ServiceContract::ServiceName});
    m_connected = true;
    return true;
}

void TEventSink::Disconnect()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_pending.clear();
    m_slice.stop();
    m_watcher.setWatchedServices({});
    setSubscribed(false);
}

// Subscribes to both signals, or unsubscribes from both; true when the bus
// took every change. Qt D-Bus ties bus signals to slots by signature only.
bool TEventSink::setSubscribed(bool on)
{
    const auto change = [this, on](const QString& signal, const char* slot) {
        return on ? m_bus.connect(ServiceContract::ServiceName, ServiceContract::ObjectPath,
                                  ServiceContract::InterfaceName, signal, this, slot)
                  : m_bus.disconnect(ServiceContract::ServiceName, ServiceContract::ObjectPath,
                                     ServiceContract::InterfaceName, signal, this, slot);
    };
    const bool events = change(QStringLiteral("ServiceEvent"), SLOT(onServiceEvent(QString, QString, QString)));
    const bool stopping = change(QStringLiteral("ServiceStopping"), SLOT(onServiceStopping()));
    return events && stopping;
}

// Events already queued when the sink was disconnected are dropped.
void TEventSink::onServiceEvent(const QString& unused, const QString& kind, const QString& text)
{
    if (!m_connected)
        return;
    m_pending.append({unused, kind, text});
    if (!m_slice.isActive())
        m_slice.start();
}

void TEventSink::handOnSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (!m_pending.isEmpty() && slice.elapsed() < SliceMs) {
        handOn(m_pending.takeFirst());
    }
    if (!m_pending.isEmpty())
        m_slice.start();
}

void TEventSink::handOn(const Event& event)
{
    m_handler.HandleServiceEvent(event.unused, event.kind, event.text);
}

// Before a stop, the events that came ahead of it.
void TEventSink::handOnAll()
{
    m_slice.stop();
    while (!m_pending.isEmpty()) {
        handOn(m_pending.takeFirst());
    }
}

void TEventSink::onServiceStopping()
{
    reportStopped();
}

// The stop event is followed by the name leaving the bus; only the first of
// the two is reported, because the sink is no longer connected after it.
void TEventSink::reportStopped()
{
    if (!m_connected)
        return;
    handOnAll();
    Disconnect();
    m_handler.HandleServiceStopped();
}
