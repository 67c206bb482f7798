#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class NamedMutex;
class QLocalServer;
class QLocalSocket;

// The channel by which a second start of the program asks the first one to
// show its window. The first instance listens on a local socket named after
// its window class, in the per-user folder of NamedMutex::localFolder(); the
// second connects and sends the restore message as the text "1125\n". The
// first answers with the same line, so the sender knows it was taken.
//
// Anything else is ignored: a connection is read for one line of at most a
// few bytes, and closed after that line, when it sends more, or when it stays
// silent too long. Only the process that holds the single-instance mutex
// should listen: listen() replaces whatever socket file it finds.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // WM_RESTOREAPP: the user message base 1024 plus 101.
    static constexpr int RestoreMessage = 1125;

    explicit SingleInstance(const QString& windowClass, QObject* parent = nullptr);

    // Starts listening, first removing a socket file left by an instance that
    // crashed. False when the socket cannot be made.
    bool listen();

    // Takes the single-instance mutex at the start of the program. Empty when
    // this start goes on; otherwise the exit status of the start: 0 after
    // asking the running instance to show its window, 1 after `showError`
    // was given a message because the lock cannot be used at all (another
    // instance may then be running unseen, or none can run).
    static std::optional<int> claim(NamedMutex& instanceMutex, const QString& windowClass,
                                    const std::function<void(const QString&)>& showError);

    // Sends the restore message to the first instance; true when it answered
    // within timeoutMs.
    static bool sendRestore(const QString& windowClass, int timeoutMs = 2000);

    // Empty when the per-user folder is unsafe.
    static QString socketPath(const QString& windowClass);

Q_SIGNALS:
    void restoreRequested();

private:
    void acceptConnections();
    void readMessage(QLocalSocket* connection);

    QString m_windowClass;
    QLocalServer* m_server;
};
