#include "ScheduleHolder.h"
#include "StandinProcess.h"
#include "TestFiles.h"
#include "platform/DateTimeValue.h"
#include "platform/FileLock.h"
#include "platform/FormatSettings.h"
#include "platform/NamedMutex.h"
#include "service/ScheduleHold.h"
#include "service/ServiceContract.h"
#include "service/ServiceLink.h"

#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString GroupOne = QStringLiteral("ZizaVureessGroup:1");
const QString GroupTwo = QStringLiteral("ZizaVureessGroup:2");
const int StartTimeoutMs = 10000;

// The window's side of the link, recording what the link asks of it.
class FakeHost : public IServiceLinkHost
{
public:
    void AddStatusLine(const QString& text) override { statusLines.append(text); }
    int detailLevel() const override { return level; }
    void showLinkState(const QString& panelText) override { panelTexts.append(panelText); }
    void showNextRun(const QString& group, const QString& time, const QDateTime&) override
    {
        nextRuns.append({group, time});
    }
    void startServiceRetryTimer() override { ++retryTimerStarts; }

    void clear() { *this = FakeHost(); }

    int level = 1;
    QStringList statusLines;
    QStringList panelTexts;
    QList<QStringList> nextRuns;
    int retryTimerStarts = 0;
};

// Daily groups due about twelve hours from now, so that no scheduled run
// starts while a test runs; each has two station/sensor pairs. The times are
// written in the regional format that the service reads them in.
QByteArray configuration(int detailLevel, const QList<bool>& enabled)
{
    const QTime base = QTime::currentTime().addSecs(12 * 3600);
    const QString baseTime = FormatSettings::fromLocale(QLocale::system())
                                 .formatTime(DateTimeValue::encodeTime(base.hour(), base.minute(), base.second()));
    QStringList names;
    QString sections;
    for (int n = 1; n <= enabled.size(); ++n) {
        names.append(QStringLiteral("ZizaVureessGroup:%1").arg(n));
        sections += QStringLiteral("[ZizaVureessGroup:%1]\nPPGIndex=%1\nFuncName=AVG\nEnabled=%2\nBaseTime=%3\n"
                                   "TypeInterval=3\nPOLLNumber=2\nPOLL1=ST01.AIRTEMP\nPOLL2=ST02.RAIN\n")
                        .arg(n)
                        .arg(int(enabled[n - 1]))
                        .arg(baseTime);
    }
    const QString main = QStringLiteral("[DeraDivurir]\nLogDetail=%1\nGroups=%2\nGroupNames=%3\n")
                             .arg(detailLevel)
                             .arg(names.size())
                             .arg(names.join(u','));
    return (main + sections).toUtf8();
}

// A call the program itself never makes, straight to the service.
} // namespace

class TestServiceLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void linkAndUnlink();
    void notRunningGivesNoLink();
    void mutexWithoutObjectGivesNoLink();
    void secondServiceRefused();
    void unreadableConfigurationEndsService();
    void startedLine_data();
    void startedLine();
    void showNextRun_data();
    void showNextRun();
    void events_data();
    void events();
    void serviceGone_data();
    void serviceGone();
    void failingCall_data();
    void failingCall();
    void processGroupNow_data();
    void processGroupNow();
    void stopProcessNow();
    void suspendAndResume();
    void refreshRereadsConfiguration_data();
    void refreshRereadsConfiguration();
    void burstOfEvents();
    void holdOfTwoPrograms_data();
    void holdOfTwoPrograms();
    void abandonedHold_data();
    void abandonedHold();

private:
    QString configPath() const { return m_dir->filePath(QStringLiteral("QVZizaVure.QVS")); }
    void writeConfiguration(const QByteArray& content);
    bool startService(const QStringList& arguments = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<StandinProcess> m_service;
    FakeHost m_host;
    std::unique_ptr<TServiceLink> m_link;
};

void TestServiceLink::initTestCase()
{
    QVERIFY2(ServiceContract::bus().isConnected(), "run the test under dbus-run-session");
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
}

void TestServiceLink::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_dir->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_dir->path()));
    m_host.clear();
    m_link = std::make_unique<TServiceLink>(m_host);
    writeConfiguration(configuration(0, {true}));
}

// The next test's service can take the name only once this one's is gone.
void TestServiceLink::cleanup()
{
    m_link.reset();
    m_service.reset();
    QVERIFY(!StandinProcess::onBus());
}

void TestServiceLink::writeConfiguration(const QByteArray& content)
{
    TestFiles::write(configPath(), content);
}

bool TestServiceLink::startService(const QStringList& arguments)
{
    m_service = std::make_unique<StandinProcess>();
    return m_service->start(arguments);
}

void TestServiceLink::linkAndUnlink()
{
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    QVERIFY(m_link->isLinked());
    QCOMPARE(m_host.panelTexts, QStringList{QStringLiteral("Service Ready")});
    QCOMPARE(m_link->GetProcessingState(), 1);

    m_link->DisconnectFromService();
    QVERIFY(!m_link->isLinked());
    QCOMPARE(m_host.panelTexts.last(), QStringLiteral("Service Stopped"));
    QVERIFY_THROWS_EXCEPTION(EServiceError, m_link->GetProcessingState());
}

void TestServiceLink::notRunningGivesNoLink()
{
    QVERIFY(!TServiceLink::IsServiceRunning());
    QVERIFY(!m_link->ConnectToService());
    QVERIFY(!m_link->isLinked());
    QVERIFY(m_host.panelTexts.isEmpty());
}

void TestServiceLink::mutexWithoutObjectGivesNoLink()
{
    m_host.level = 2;
    QVERIFY(startService({QStringLiteral("--no-object")}));
    QVERIFY(!m_link->ConnectToService());
    QVERIFY(!m_link->isLinked());
    QCOMPARE(m_host.panelTexts, QStringList{QStringLiteral("Service Stopped")});
    QVERIFY(m_host.statusLines.isEmpty());
}

void TestServiceLink::secondServiceRefused()
{
    QVERIFY(startService());
    QProcess second;
    second.start(QStringLiteral(STANDIN_PATH), {});
    QVERIFY(second.waitForFinished(StartTimeoutMs));
    QVERIFY(second.exitCode() != 0);
    QVERIFY(StandinProcess::onBus());
}

// A configuration that is there but cannot be read leaves the service
// nothing to schedule: it says why and ends with a failure, so that systemd
// shows it, rather than run with no group.
void TestServiceLink::unreadableConfigurationEndsService()
{
    QVERIFY(QFile::remove(configPath()));
    QVERIFY(TestFiles::plant(configPath(), QString(), QStringLiteral("fifo")));
    QProcess service;
    service.start(QStringLiteral(STANDIN_PATH), {});
    QVERIFY(service.waitForFinished(StartTimeoutMs));
    QCOMPARE(service.exitStatus(), QProcess::NormalExit);
    QVERIFY(service.exitCode() != 0);
    const QByteArray logged = service.readAllStandardError();
    QVERIFY2(logged.contains(QFile::encodeName(configPath()) + " cannot be read: it is not a regular file."),
             logged.constData());
    QVERIFY(!StandinProcess::onBus());
}

void TestServiceLink::startedLine_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("statusLines");
    QTest::newRow("low") << 0 << QStringList();
    QTest::newRow("medium") << 1 << QStringList();
    QTest::newRow("high") << 2 << QStringList{QStringLiteral("Post processing service started.")};
}

void TestServiceLink::startedLine()
{
    QFETCH(int, level);
    QFETCH(QStringList, statusLines);
    m_host.level = level;
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    QCOMPARE(m_host.statusLines, statusLines);
}

void TestServiceLink::showNextRun_data()
{
    QTest::addColumn<QList<bool>>("enabled");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("group");
    QTest::newRow("second enabled") << QList<bool>{false, true} << QStringList() << GroupTwo;
    QTest::newRow("none enabled") << QList<bool>{false, false} << QStringList() << QStringLiteral("Disabled");
    QTest::newRow("failing call") << QList<bool>{true}
                                  << QStringList{QStringLiteral("--fail"), QStringLiteral("GetNextGroup")} << QString();
}

void TestServiceLink::showNextRun()
{
    QFETCH(QList<bool>, enabled);
    QFETCH(QStringList, arguments);
    QFETCH(QString, group);
    writeConfiguration(configuration(0, enabled));
    QVERIFY(startService(arguments));
    QVERIFY(m_link->ConnectToService());

    m_link->ShowNextRun();
    if (group.isEmpty()) {
        QVERIFY(m_host.nextRuns.isEmpty());
        return;
    }
    QString time = group;
    if (group != QLatin1String("Disabled")) {
        const double next = m_link->GetNextTime();
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(DateTimeValue::toDateTime(next) > now.addSecs(11 * 3600));
        QVERIFY(DateTimeValue::toDateTime(next) < now.addSecs(13 * 3600));
        const FormatSettings& format = FormatSettings::current();
        time = format.formatDate(next) + u' ' + format.formatLongTime(next);
    }
    QCOMPARE(m_host.nextRuns, (QList<QStringList>{QStringList{group, time}}));
}

void TestServiceLink::events_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("statusLines");
    QTest::addColumn<int>("nextRunsShown");
    QTest::newRow("MESSAGE") << QStringLiteral("MESSAGE") << QStringList{QStringLiteral("text")} << 0;
    QTest::newRow("message") << QStringLiteral("message") << QStringList{QStringLiteral("text")} << 0;
    QTest::newRow("POLLGROUP") << QStringLiteral("POLLGROUP") << QStringList() << 1;
    QTest::newRow("other kind") << QStringLiteral("ALARM") << QStringList() << 0;
}

void TestServiceLink::events()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, statusLines);
    QFETCH(int, nextRunsShown);
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    m_host.clear();

    m_link->HandleServiceEvent(QString(), kind, QStringLiteral("text"));
    QCOMPARE(m_host.statusLines, statusLines);
    QCOMPARE(m_host.nextRuns.size(), nextRunsShown);
}

void TestServiceLink::serviceGone_data()
{
    QTest::addColumn<bool>("crash");
    QTest::newRow("SIGTERM") << false;
    QTest::newRow("SIGKILL") << true;
}

void TestServiceLink::serviceGone()
{
    QFETCH(bool, crash);
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    m_host.clear();

    QProcess& service = m_service->process();
    crash ? service.kill() : service.terminate();
    QTRY_COMPARE_WITH_TIMEOUT(m_host.retryTimerStarts, 1, StartTimeoutMs);
    QCOMPARE(m_host.statusLines, QStringList{QStringLiteral("Post processing service stopped.")});
    QCOMPARE(m_host.panelTexts, QStringList{QStringLiteral("Service Stopped")});
    QVERIFY(!m_link->isLinked());

    QTRY_COMPARE_WITH_TIMEOUT(service.state(), QProcess::NotRunning, StartTimeoutMs);
    QCOMPARE(service.exitStatus(), crash ? QProcess::CrashExit : QProcess::NormalExit);
    // Whatever the bus reported about the service before this answer has
    // been queued by now; none of it may count as a second stop.
    QVERIFY(QTest::qWaitFor([] { return !StandinProcess::onBus(); }, StartTimeoutMs));
    QCoreApplication::processEvents();
    QCOMPARE(m_host.retryTimerStarts, 1);
}

void TestServiceLink::failingCall_data()
{
    QTest::addColumn<QString>("testSwitch");
    QTest::addColumn<QString>("message");
    QTest::newRow("error reply") << QStringLiteral("--fail") << QStringLiteral("GetProcessingState failed");
    QTest::newRow("no reply") << QStringLiteral("--hang") << QStringLiteral("Did not receive a reply");
}

void TestServiceLink::failingCall()
{
    QFETCH(QString, testSwitch);
    QFETCH(QString, message);
    QVERIFY(startService({testSwitch, QStringLiteral("GetProcessingState")}));
    QVERIFY(m_link->ConnectToService());

    QElapsedTimer timer;
    timer.start();
    try {
        m_link->GetProcessingState();
        QFAIL("the call did not raise");
    } catch (const EServiceError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QVERIFY(timer.elapsed() < StartTimeoutMs);
}

void TestServiceLink::processGroupNow_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("statusLines");
    const QString started = QStringLiteral("Processing group ZizaVureessGroup:1 started.");
    const QString finished = QStringLiteral("Processing group ZizaVureessGroup:1 finished.");
    QTest::newRow("low") << 0 << QStringList();
    QTest::newRow("medium") << 1 << QStringList{started, finished};
    QTest::newRow("high") << 2
                          << QStringList{started, QStringLiteral("ZizaVureessGroup:1: AVG of ST01.AIRTEMP."),
                                         QStringLiteral("ZizaVureessGroup:1: AVG of ST02.RAIN."), finished};
}

void TestServiceLink::processGroupNow()
{
    QFETCH(int, level);
    QFETCH(QStringList, statusLines);
    QVERIFY(startService({QStringLiteral("--process-ms"), QStringLiteral("300")}));
    QVERIFY(m_link->ConnectToService());
    m_link->SetDetailLevel(level);

    m_link->ProcessGroupNow(0);
    QCOMPARE(StandinProcess::ask(QStringLiteral("GetProcessingGroup")), GroupOne);
    QTRY_VERIFY_WITH_TIMEOUT(StandinProcess::ask(QStringLiteral("GetProcessingGroup")).isEmpty(), StartTimeoutMs);
    // The events may come after the last answer, and the sink hands them on
    // in slices of its own.
    QTRY_COMPARE(m_host.statusLines, statusLines);
    QVERIFY_THROWS_EXCEPTION(EServiceError, m_link->ProcessGroupNow(1));
}

void TestServiceLink::stopProcessNow()
{
    QVERIFY(startService({QStringLiteral("--process-ms"), QStringLiteral("60000")}));
    QVERIFY(m_link->ConnectToService());
    m_link->SetDetailLevel(1);
    m_link->ProcessGroupNow(0);
    m_link->ProcessGroupNow(0);

    m_link->StopProcessNow();
    QVERIFY(StandinProcess::ask(QStringLiteral("GetProcessingGroup")).isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(m_host.statusLines,
                              (QStringList{QStringLiteral("Processing group ZizaVureessGroup:1 started."),
                                           QStringLiteral("Processing group ZizaVureessGroup:1 stopped.")}),
                              StartTimeoutMs);
}

void TestServiceLink::suspendAndResume()
{
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    QCOMPARE(m_link->GetProcessingState(), 1);
    m_link->SuspendProcessing();
    QCOMPARE(m_link->GetProcessingState(), 0);
    m_link->ResumeProcessing();
    QCOMPARE(m_link->GetProcessingState(), 1);
}

void TestServiceLink::refreshRereadsConfiguration_data()
{
    QTest::addColumn<bool>("lockHeld");
    QTest::newRow("lock free") << false;
    QTest::newRow("lock held by a stopped program") << true;
}

// A refresh waits for the file's lock off the thread that answers calls.
void TestServiceLink::refreshRereadsConfiguration()
{
    QFETCH(bool, lockHeld);
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    QCOMPARE(m_link->GetNextGroup(), GroupOne);

    writeConfiguration(configuration(0, {false, true}));
    QCOMPARE(m_link->GetNextGroup(), GroupOne);
    TestFiles::StoppedLockHolder holder(FileLock::lockPath(configPath()));
    if (lockHeld) {
        QDBusInterface service(ServiceContract::ServiceName, ServiceContract::ObjectPath,
                               ServiceContract::InterfaceName, ServiceContract::bus());
        const QDBusPendingCall refresh = service.asyncCall(QStringLiteral("RefreshParams"));
        QVERIFY(StandinProcess::ask(QStringLiteral("GetServiceVersion")).startsWith(QStringLiteral("QVZizaVureessor")));
        QCOMPARE(m_link->GetNextGroup(), GroupOne);
        QVERIFY(!refresh.isFinished());
        holder.release();
        QDBusPendingCall(refresh).waitForFinished();
        QVERIFY(!refresh.isError());
    } else {
        holder.release();
        m_link->RefreshParams();
    }
    QCOMPARE(m_link->GetNextGroup(), GroupTwo);
    // The service's POLLGROUP event refreshes the labels by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!m_host.nextRuns.isEmpty(), StartTimeoutMs);
    QCOMPARE(m_host.nextRuns.last().value(0), GroupTwo);
}

void TestServiceLink::burstOfEvents()
{
    QVERIFY(startService({QStringLiteral("--burst"), QStringLiteral("500")}));
    QVERIFY(m_link->ConnectToService());
    StandinProcess::ask(QStringLiteral("GetStatusText"));
    QTRY_COMPARE_WITH_TIMEOUT(m_host.statusLines.size(), 500, StartTimeoutMs);
    QCOMPARE(m_host.statusLines.last(), QStringLiteral("Burst message 500 of 500."));
}

void TestServiceLink::holdOfTwoPrograms_data()
{
    QTest::addColumn<bool>("hereFirst");
    QTest::addColumn<bool>("hereLeavesFirst");
    QTest::addColumn<bool>("activeBefore");
    QTest::newRow("first to come, first to leave") << true << true << true;
    QTest::newRow("first to come, last to leave") << true << false << true;
    QTest::newRow("other program first, first to leave") << false << false << true;
    QTest::newRow("suspended before: nobody resumes") << false << true << false;
}

// This program and another one hold the schedule at once; only the last to
// leave resumes it, and only when it ran before.
void TestServiceLink::holdOfTwoPrograms()
{
    QFETCH(bool, hereFirst);
    QFETCH(bool, hereLeavesFirst);
    QFETCH(bool, activeBefore);
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    if (!activeBefore)
        m_link->SuspendProcessing();
    TScheduleHold hold(*m_link, configPath());
    ScheduleHolder other;
    if (hereFirst)
        hold.take();
    QVERIFY(other.start(configPath()));
    if (!hereFirst)
        hold.take();
    QCOMPARE(TScheduleHold::holderCount(configPath()), 2);
    QCOMPARE(m_link->GetProcessingState(), 0);

    if (hereLeavesFirst)
        hold.release();
    else
        QVERIFY(other.release());
    QCOMPARE(TScheduleHold::holderCount(configPath()), 1);
    QCOMPARE(m_link->GetProcessingState(), 0);

    if (hereLeavesFirst)
        QVERIFY(other.release());
    else
        hold.release();
    QCOMPARE(TScheduleHold::holderCount(configPath()), 0);
    QCOMPARE(m_link->GetProcessingState(), int(activeBefore));
    QCOMPARE(TestFiles::read(TScheduleHold::holdPath(configPath())), QByteArray());
}

void TestServiceLink::abandonedHold_data()
{
    QTest::addColumn<bool>("activeBefore");
    QTest::addColumn<bool>("holderKilled");
    QTest::addColumn<bool>("resumed");
    QTest::addColumn<int>("stateAfter");
    QTest::newRow("holder killed, schedule ran") << true << true << true << 1;
    QTest::newRow("holder killed, schedule suspended before") << false << true << false << 0;
    QTest::newRow("holder alive") << true << false << false << 0;
}

// Another program holds the schedule and may be killed; this one links and
// settles what was left.
void TestServiceLink::abandonedHold()
{
    QFETCH(bool, activeBefore);
    QFETCH(bool, holderKilled);
    QFETCH(bool, resumed);
    QFETCH(int, stateAfter);
    QVERIFY(startService());
    QVERIFY(m_link->ConnectToService());
    if (!activeBefore)
        m_link->SuspendProcessing();
    ScheduleHolder other;
    QVERIFY(other.start(configPath()));
    if (holderKilled)
        QVERIFY(other.kill());
    const QString holdPath = TScheduleHold::holdPath(configPath());
    QVERIFY(!TestFiles::read(holdPath).isEmpty());

    QCOMPARE(TScheduleHold::recoverAbandoned(*m_link, configPath()), resumed);
    QCOMPARE(m_link->GetProcessingState(), stateAfter);
    // Settled once: a live holder's record stays for its own release.
    QCOMPARE(TestFiles::read(holdPath).isEmpty(), holderKilled);
    QVERIFY(!TScheduleHold::recoverAbandoned(*m_link, configPath()));
}

QTEST_GUILESS_MAIN(TestServiceLink)
#include "tst_servicelink.moc"
