#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (the end of a session) into a Qt signal. A signal handler may do only
// async-signal-safe work, so it writes a byte into a pipe whose other end the
// event loop watches. One instance per process.
class TTerminationNotifier : public QObject
{
    Q_OBJECT

public:
    explicit TTerminationNotifier(QObject* parent = nullptr);
    ~TTerminationNotifier() override;

Q_SIGNALS:
    void terminationRequested();

private:
    static void handleSignal(int signalNumber);
    void onPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};
