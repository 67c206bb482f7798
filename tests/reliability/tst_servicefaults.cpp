// The main window against a stand-in service that fails, hangs or dies: each
// method in turn, while the operator uses every command that calls the
// service. The window must keep turning its event loop, report only what its
// commands report, leave the configuration alone, and link again once a
// sound service runs.
#include "ServiceWindowBench.h"
#include "TestFiles.h"
#include "app/Main.h"
#include "app/PollForm.h"
#include "platform/FormatSettings.h"
#include "service/ServiceContract.h"
#include "service/ServiceLink.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <thread>

namespace {

// The retry timer ticks every 5 s; a relink may take one tick and a bit.
constexpr int RelinkTimeoutMs = 12000;
// Beyond a call's own wait: the work around it, on a busy machine and in the
// sanitizer build.
constexpr int SlackMs = 1500;

const QStringList Methods = {
    QStringLiteral("GetServiceVersion"),  QStringLiteral("GetGroupCount"),      QStringLiteral("RefreshParams"),
    QStringLiteral("GetProcessingGroup"), QStringLiteral("GetStatusText"),      QStringLiteral("SetDetailLevel"),
    QStringLiteral("GetNextGroup"),       QStringLiteral("GetNextTime"),        QStringLiteral("ResumeProcessing"),
    QStringLiteral("SuspendProcessing"),  QStringLiteral("GetProcessingState"), QStringLiteral("ProcessGroupNow"),
    QStringLiteral("StopProcessNow")};

// The calls whose failure the recalculation window's frame reports.
const QStringList ReportedMethods = {QStringLiteral("ResumeProcessing"), QStringLiteral("SuspendProcessing"),
                                     QStringLiteral("GetProcessingState")};

// The longest time between two turns of the event loop while it runs.
class LoopWatch : public QObject
{
public:
    LoopWatch()
    {
        m_tick.setInterval(10);
        connect(&m_tick, &QTimer::timeout, this, [this] { m_longestMs = qMax(m_longestMs, m_sinceTick.restart()); });
        restart();
        m_tick.start();
    }
    void restart()
    {
        m_sinceTick.start();
        m_longestMs = 0;
    }
    // The pause still under way counts too.
    qint64 longestMs() const { return qMax(m_longestMs, m_sinceTick.elapsed()); }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};

} // namespace

class TestServiceFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void faultyMethod_data();
    void faultyMethod();
    void hungServiceDoesNotStallTheRetries();
    void killedDuringACall();
    void killedWhileHeld();

private:
    void useEveryServiceCommand(TfrmZizaVureGUI& window);
    void expectRelinkAfterRestart(TfrmZizaVureGUI& window);
    static void triggerHidden(TfrmZizaVureGUI& window, const char* name);

    std::unique_ptr<ServiceWindowBench> m_bench;
};

void TestServiceFaults::initTestCase()
{
    QVERIFY2(ServiceContract::bus().isConnected(), "run the test under dbus-run-session");
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
}

void TestServiceFaults::init()
{
    m_bench = std::make_unique<ServiceWindowBench>();
}

void TestServiceFaults::cleanup()
{
    m_bench.reset();
    QVERIFY(!StandinProcess::onBus());
}

// Qt cannot trigger a hidden action; the program keeps these hidden.
void TestServiceFaults::triggerHidden(TfrmZizaVureGUI& window, const char* name)
{
    QAction* action = window.findChild<QAction*>(QLatin1String(name));
    action->setVisible(true);
    action->trigger();
    action->setVisible(false);
}

// Every command of the window that calls the service, once.
void TestServiceFaults::useEveryServiceCommand(TfrmZizaVureGUI& window)
{
    QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("radDetailHigh")), Qt::LeftButton);

    QTimer::singleShot(0, this, [] {
        if (auto* dialog = qobject_cast<TfrmPoll*>(QApplication::activeModalWidget())) {
            dialog->findChild<QListWidget*>(QStringLiteral("lbxPollGroups"))->item(1)->setSelected(true);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
        }
    });
    window.findChild<QAction*>(QStringLiteral("actStartProcessNow"))->trigger();
    window.findChild<QAction*>(QStringLiteral("actStopProcessNow"))->trigger();
    triggerHidden(window, "actRefreshParams");

    QTimer::singleShot(0, this, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    triggerHidden(window, "actReCalc");
}

void TestServiceFaults::expectRelinkAfterRestart(TfrmZizaVureGUI& window)
{
    QVERIFY(m_bench->service().kill());
    QVERIFY(m_bench->startService());
    QTRY_COMPARE_WITH_TIMEOUT(ServiceWindowBench::linkState(window), QStringLiteral("Service Ready"), RelinkTimeoutMs);
    window.serviceLink().ProcessGroupNow(1);
    QTRY_VERIFY(ServiceWindowBench::statusMemo(window).contains(
        QStringLiteral("Processing group ZizaVureessGroup:1 finished.")));
}

void TestServiceFaults::faultyMethod_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("method");
    for (const QString& fault : {QStringLiteral("--fail"), QStringLiteral("--hang")}) {
        for (const QString& method : Methods)
            QTest::addRow("%s %s", qPrintable(fault.mid(2)), qPrintable(method)) << fault << method;
    }
}

namespace {

QByteArray withoutLogSettings(const QByteArray& file)
{
    QByteArrayList lines = file.split('\n');
    lines.removeIf(
        [](const QByteArray& line) { return line.startsWith("LogDetail=") || line.startsWith("LogMessage="); });
    return lines.join('\n');
}

} // namespace

void TestServiceFaults::faultyMethod()
{
    QFETCH(QString, fault);
    QFETCH(QString, method);
    QVERIFY(m_bench->startService({fault, method}));
    const QByteArray configuration = TestFiles::read(m_bench->configPath());
    LoopWatch watch;
    auto window = ServiceWindowBench::openWindow();
    // Linking calls none of the service's methods.
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));

    useEveryServiceCommand(*window);

    // A failing call answers at once; a hung one holds the window for no
    // more than its time-out, one call at a time.
    const qint64 allowedMs = (fault == QLatin1String("--hang") ? TServiceLink::CallTimeoutMs : 0) + SlackMs;
    qInfo("longest pause of the window: %lld ms", static_cast<long long>(watch.longestMs()));
    QVERIFY2(watch.longestMs() <= allowedMs,
             qPrintable(QStringLiteral("the window stood still for %1 ms").arg(watch.longestMs())));
    QCOMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));
    const QStringList shown = MessageBox::shownTexts();
    if (ReportedMethods.contains(method)) {
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral("Error 1500: ")), qPrintable(shown[0]));
        if (fault == QLatin1String("--fail"))
            QVERIFY2(shown[0].contains(method), qPrintable(shown[0]));
    } else {
        QCOMPARE(shown, QStringList());
    }
    // The detail level chosen among the commands is written when chosen;
    // nothing else of the file changes.
    QCOMPARE(withoutLogSettings(TestFiles::read(m_bench->configPath())), withoutLogSettings(configuration));
}

// Looking for a service that never answers must not hold the window at every
// tick of the retry timer. A stopped process holds its lock and its name but
// answers nothing, not even the bus's standard calls.
void TestServiceFaults::hungServiceDoesNotStallTheRetries()
{
    QVERIFY(m_bench->startService());
    QCOMPARE(::kill(static_cast<pid_t>(m_bench->service().process().processId()), SIGSTOP), 0);
    auto window = ServiceWindowBench::openWindow();
    QTimer* retry = window->findChild<QTimer*>(QStringLiteral("tmrService"));
    QTRY_VERIFY_WITH_TIMEOUT(retry->isActive(), TServiceLink::CallTimeoutMs + SlackMs);
    LoopWatch watch;
    QTest::qWait(2 * retry->interval() + 1000);
    qInfo("longest pause of the window over two ticks: %lld ms", static_cast<long long>(watch.longestMs()));
    QVERIFY2(watch.longestMs() < SlackMs,
             qPrintable(QStringLiteral("the window stood still for %1 ms").arg(watch.longestMs())));
    QCOMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Stopped"));
    expectRelinkAfterRestart(*window);
}

// A service that dies while the window waits for its answer ends the wait
// at once, and counts as stopped.
void TestServiceFaults::killedDuringACall()
{
    QVERIFY(m_bench->startService({QStringLiteral("--hang"), QStringLiteral("StopProcessNow")}));
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));
    // The window's thread waits in the call, so another thread kills.
    const pid_t pid = pid_t(m_bench->service().process().processId());
    std::thread killer([pid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(pid, SIGKILL);
    });
    QElapsedTimer call;
    call.start();
    window->findChild<QAction*>(QStringLiteral("actStopProcessNow"))->trigger();
    const qint64 callMs = call.elapsed();
    killer.join();
    QVERIFY2(callMs < TServiceLink::CallTimeoutMs, qPrintable(QStringLiteral("the call took %1 ms").arg(callMs)));
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Stopped"));
    QVERIFY(ServiceWindowBench::statusMemo(*window).contains(QStringLiteral("Post processing service stopped.")));
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    expectRelinkAfterRestart(*window);
}

// The service dies while the recalculation window holds it: closing the
// window asks nothing of the dead service, and the link comes back after.
void TestServiceFaults::killedWhileHeld()
{
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));
    QTimer::singleShot(0, this, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QVERIFY(m_bench->service().kill());
        QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Stopped"));
        QVERIFY(m_bench->startService());
        dialog->close();
    });
    triggerHidden(*window, "actReCalc");
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"), RelinkTimeoutMs);
    QCOMPARE(window->serviceLink().GetProcessingState(), 1);
}

QTEST_MAIN(TestServiceFaults)
#include "tst_servicefaults.moc"
