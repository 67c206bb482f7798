// Measures how the main window keeps up with a chatty service: the stand-in
// sends 20,000 "MESSAGE" events as fast as it can to a linked window. Prints
// "name: value" lines. Runs on the session bus (start it under dbus-run-session).
#include "app/Main.h"
#include "service/ServiceContract.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int EventCount = 20000;
constexpr int TimeoutMs = 120000;

bool serviceOnBus()
{
    return ServiceContract::bus().interface()->isServiceRegistered(ServiceContract::ServiceName);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (!ServiceContract::bus().isConnected()) {
        out << "error: no session bus (run under dbus-run-session)\n";
        return 1;
    }
    QTemporaryDir home;
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(home.path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(home.path()));

    QProcess service;
    service.start(QStringLiteral(STANDIN_PATH), {QStringLiteral("--burst"), QString::number(EventCount)});
    if (!service.waitForStarted() || !QTest::qWaitFor(serviceOnBus, 10000)) {
        out << "error: the stand-in did not start\n";
        return 1;
    }

    TfrmZizaVureGUI window;
    window.show();
    window.waitForConfiguration();
    if (!QTest::qWaitFor([&window] { return window.serviceLink().isLinked(); }, 10000)) {
        out << "error: no link\n";
        return 1;
    }
    const QString lastLine = QStringLiteral("Burst message %1 of %1.").arg(EventCount);
    auto* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"));

    // A timer that wants to run at every turn of the loop shows how long the
    // loop was kept away.
    QElapsedTimer sinceLastTurn;
    qint64 maxGapMs = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] { maxGapMs = std::max(maxGapMs, sinceLastTurn.restart()); });

    QDBusInterface trigger(ServiceContract::ServiceName, ServiceContract::ObjectPath, ServiceContract::InterfaceName,
                           ServiceContract::bus());
    QElapsedTimer clock;
    clock.start();
    sinceLastTurn.start();
    probe.start();
    trigger.asyncCall(QStringLiteral("GetStatusText"));
    // A plain event loop, as the program runs, until the last line is shown.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (memo->document()->firstBlock().text().endsWith(lastLine))
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    const bool complete = memo->document()->firstBlock().text().endsWith(lastLine);
    const double seconds = clock.nsecsElapsed() / 1e9;
    probe.stop();

    out << "events: " << EventCount << '\n';
    out << "complete: " << (complete ? 1 : 0) << '\n';
    out << "seconds: " << seconds << '\n';
    out << "events_per_s: " << EventCount / seconds << '\n';
    out << "max_loop_gap_ms: " << maxGapMs << '\n';
    out << "memo_lines: " << memo->document()->blockCount() << '\n';
    service.terminate();
    service.waitForFinished();
    return complete ? 0 : 1;
}
