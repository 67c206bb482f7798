#include "FixedClock.h"
#include "TestFiles.h"
#include "app/Main.h"
#include "platform/DateTimeValue.h"
#include "platform/FileLock.h"
#include "platform/FormatSettings.h"
#include "platform/LockWait.h"
#include "platform/NamedMutex.h"
#include "platform/ProfileFile.h"
#include "platform/SingleInstance.h"
#include "widgets/LockWaitWindow.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <csignal>

using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void startsUnlinkedAndReports();
    void actionRules_data();
    void actionRules();
    void statusLineFormat();
    void nextRunHint();
    void statusLinesCappedNewestFirst_data();
    void statusLinesCappedNewestFirst();
    void clearStatus();
    void statusLog();
    void detailLevelFromConfiguration_data();
    void detailLevelFromConfiguration();
    void detailLevelClicked();
    void hintsGoToSecondPanel_data();
    void hintsGoToSecondPanel();
    void boundsRoundTrip();
    void helpTabs();
    void exitClosesHelp();
    void terminationClosesAsExit_data();
    void terminationClosesAsExit();
    void configurationWrittenOnClose();
    void failedSettingsWriteReported();
    void lockHeldByStoppedProgram_data();
    void lockHeldByStoppedProgram();
    void fifoInPlaceDoesNotHang_data();
    void fifoInPlaceDoesNotHang();
    void serviceControlWithoutManager();
    void secondStartRestoresFirst();

private:
    QString homeFile(const QString& name) const { return m_home->filePath(name); }
    std::unique_ptr<TfrmZizaVureGUI> createWindow();
    QStringList memoLines(TfrmZizaVureGUI& window) const;
    static void waitIdle();

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_locks;
};

void TestMainWindow::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    LockWait::setMainThreadWaiter(&TLockWaitWindow::wait);
}

void TestMainWindow::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_locks = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", m_home->path().toUtf8());
    qputenv("QVZIZAVURE_LOCK_DIR", m_locks->path().toUtf8());
    MessageBox::setTestMode(true);
}

void TestMainWindow::cleanup()
{
    MessageBox::setTestMode(false);
}

std::unique_ptr<TfrmZizaVureGUI> TestMainWindow::createWindow()
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->waitForConfiguration();
    return window;
}

QStringList TestMainWindow::memoLines(TfrmZizaVureGUI& window) const
{
    return window.findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))->toPlainText().split(u'\n');
}

// Runs the event loop until it has nothing left to do, which is when the
// window's enable rules run.
void TestMainWindow::waitIdle()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

void TestMainWindow::startsUnlinkedAndReports()
{
    auto window = createWindow();
    window->show();
    QTRY_COMPARE(memoLines(*window).size(), 3);
    const QStringList lines = memoLines(*window);
    QVERIFY2(lines[0].endsWith(QStringLiteral("    Database NOT connected.")), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith(QStringLiteral("    Startup parameters loaded.")), qPrintable(lines[1]));
    QCOMPARE(lines[2], QString());
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(), QStringLiteral("Service Stopped"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblPollGroup"))->text(), QStringLiteral("Disabled"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblPollTime"))->text(), QStringLiteral("Disabled"));
    // No service runs: after the start attempt and its wait, the retry timer takes over.
    const QTimer* timer = window->findChild<QTimer*>(QStringLiteral("tmrService"));
    QVERIFY(timer);
    QTRY_VERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 5000);
    QCOMPARE(window->windowTitle(), QStringLiteral("QV ZizaVure"));
}

void TestMainWindow::actionRules_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    // Disconnected from the database.
    QTest::newRow("connect") << "actDBConnect" << true << true;
    QTest::newRow("disconnect") << "actDBDisconnect" << false << true;
    QTest::newRow("edit setup") << "actOptionsEditSetup" << false << true;
    QTest::newRow("save to database") << "actSaveDB" << false << true;
    QTest::newRow("start now") << "actStartProcessNow" << true << true;
    QTest::newRow("stop now") << "actStopProcessNow" << true << true;
    QTest::newRow("start service") << "actStartService" << true << true;
    QTest::newRow("stop service") << "actStopService" << true << true;
    // Qt reports a hidden action as disabled: it cannot be triggered.
    QTest::newRow("pause, hidden") << "actPause" << false << false;
    QTest::newRow("recalculation, hidden") << "actReCalc" << false << false;
    QTest::newRow("refresh, hidden") << "actRefreshParams" << false << false;
    QTest::newRow("clear status") << "OptionsClearStatus1" << true << true;
    QTest::newRow("log status") << "OptionsLogStatus1" << true << true;
    QTest::newRow("help") << "HelpShowIndex" << true << true;
    QTest::newRow("contents") << "HelpShowContents" << true << true;
    QTest::newRow("about") << "HelpAbout1" << true << true;
    QTest::newRow("exit") << "FileExit1" << true << true;
}

void TestMainWindow::actionRules()
{
    QFETCH(QString, action);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    auto window = createWindow();
    window->show();
    waitIdle();
    const QAction* found = window->findChild<QAction*>(action);
    QVERIFY2(found, qPrintable(action));
    QCOMPARE(found->isEnabled(), enabled);
    QCOMPARE(found->isVisible(), visible);
}

void TestMainWindow::statusLineFormat()
{
    auto window = createWindow();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    window->AddStatusLine(QStringLiteral("Connected to database Site."));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const QString line = memoLines(*window).first();
    const qsizetype gap = line.indexOf(QStringLiteral("    "));
    QVERIFY(gap > 0);
    QCOMPARE(line.mid(gap + 4), QStringLiteral("Connected to database Site."));
    // The prefix is the short date, a blank and the long time, e.g. "5/15/2024 2:37:22 PM".
    const std::optional<double> stamp = FormatSettings::current().parseDateTime(line.left(gap));
    QVERIFY2(stamp.has_value(), qPrintable(line));
    QVERIFY(line.left(gap).contains(u' '));
    const QDateTime when = DateTimeValue::toDateTime(*stamp);
    QVERIFY2(when >= before.addMSecs(-before.time().msec()) && when <= after, qPrintable(line));
}

void TestMainWindow::nextRunHint()
{
    auto window = createWindow();
    QDateTime now = FixedNow();
    window->setClock([&now] { return now; });
    IServiceLinkHost& link = *window;
    auto* label = window->findChild<QLabel*>(QStringLiteral("lblPollTime"));
    const QDateTime next = now.addSecs(3 * 3600 + 20 * 60);

    link.showNextRun(QStringLiteral("Group 1"), QStringLiteral("12/8/2026 5:57:22 PM"), next);
    QCOMPARE(label->text(), QStringLiteral("12/8/2026 5:57:22 PM"));
    QCOMPARE(label->toolTip(), QStringLiteral("Next process time: in 3 h 20 min"));
    // The minute's refresh after the time has passed.
    now = next.addSecs(12 * 60 + 5);
    window->refreshNextRunHint();
    QCOMPARE(label->toolTip(), QStringLiteral("Next process time: 12 min ago"));
    link.showNextRun(QStringLiteral("Disabled"), QStringLiteral("Disabled"), {});
    QCOMPARE(label->toolTip(), QStringLiteral("Next process time"));
}

void TestMainWindow::statusLinesCappedNewestFirst_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("oldest"); // text of the last line, empty for the initial empty line
    QTest::newRow("few") << 3 << 4 << "";
    QTest::newRow("99 keep the initial empty line") << 99 << 100 << "";
    QTest::newRow("100th pushes it out") << 100 << 100 << "line 1";
    QTest::newRow("101st drops the oldest") << 101 << 100 << "line 2";
    QTest::newRow("many") << 1000 << 100 << "line 901";
}

void TestMainWindow::statusLinesCappedNewestFirst()
{
    QFETCH(int, added);
    QFETCH(int, lines);
    QFETCH(QString, oldest);
    auto window = createWindow();
    // Back to the memo of a new window: one empty line.
    window->findChild<QAction*>(QStringLiteral("OptionsClearStatus1"))->trigger();
    for (int i = 1; i <= added; ++i)
        window->AddStatusLine(QStringLiteral("line %1").arg(i));
    const QStringList memo = memoLines(*window);
    QCOMPARE(memo.size(), lines);
    QVERIFY(memo.first().endsWith(QStringLiteral("    line %1").arg(added)));
    if (oldest.isEmpty())
        QCOMPARE(memo.last(), QString());
    else
        QVERIFY2(memo.last().endsWith(QStringLiteral("    ") + oldest), qPrintable(memo.last()));
}

void TestMainWindow::clearStatus()
{
    auto window = createWindow();
    window->AddStatusLine(QStringLiteral("one"));
    window->findChild<QAction*>(QStringLiteral("OptionsClearStatus1"))->trigger();
    QCOMPARE(memoLines(*window), QStringList{QString()});
    window->AddStatusLine(QStringLiteral("two"));
    QCOMPARE(memoLines(*window).size(), 2);
}

void TestMainWindow::statusLog()
{
    auto window = createWindow();
    const QString logPath = homeFile(QStringLiteral("QVZizaVure.log"));
    window->AddStatusLine(QStringLiteral("not logged"));
    QVERIFY(!QFile::exists(logPath));

    QAction* logAction = window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"));
    logAction->trigger();
    QVERIFY(window->logSwitch());
    QVERIFY(logAction->isChecked());
    window->AddStatusLine(QStringLiteral("first"));
    window->AddStatusLine(QStringLiteral("second"));
    const QStringList memo = memoLines(*window);
    QCOMPARE(TestFiles::read(logPath), (memo[1] + u'\n' + memo[0] + u'\n').toUtf8());

    logAction->trigger();
    QVERIFY(!window->logSwitch());
    window->AddStatusLine(QStringLiteral("off again"));
    QCOMPARE(TestFiles::read(logPath).count('\n'), 2);
}

void TestMainWindow::detailLevelFromConfiguration_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<int>("level");
    QTest::newRow("high") << QByteArray("2") << "radDetailHigh" << 2;
    QTest::newRow("low") << QByteArray("0") << "radDetailLow" << 0;
    QTest::newRow("missing means medium") << QByteArray() << "radDetailMedium" << 1;
    QTest::newRow("out of range means medium") << QByteArray("7") << "radDetailMedium" << 1;
}

void TestMainWindow::detailLevelFromConfiguration()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, checked);
    QFETCH(int, level);
    TestFiles::write(homeFile(QStringLiteral("QVZizaVure.QVS")),
                     value.isNull() ? QByteArray("[DeraDivurir]\r\n") : "[DeraDivurir]\r\nLogDetail=" + value + "\r\n");
    auto window = createWindow();
    window->show();
    waitIdle();
    QVERIFY(window->findChild<QRadioButton*>(checked)->isChecked());
    QCOMPARE(window->detailLevel(), level);
}

void TestMainWindow::detailLevelClicked()
{
    auto window = createWindow();
    window->show();
    waitIdle();
    QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("radDetailLow")), Qt::LeftButton);
    QCOMPARE(window->detailLevel(), 0);
    waitIdle();
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("radDetailLow"))->isChecked());
}

void TestMainWindow::hintsGoToSecondPanel_data()
{
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short and long") << "Exit|Quits the application"
                                    << "Quits the application";
    QTest::newRow("no bar") << "Start the service"
                            << "Start the service";
    QTest::newRow("empty clears") << ""
                                  << "";
}

void TestMainWindow::hintsGoToSecondPanel()
{
    QFETCH(QString, tip);
    QFETCH(QString, shown);
    auto window = createWindow();
    QLabel* panel = window->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    panel->setText(QStringLiteral("before"));
    QStatusTipEvent event(tip);
    QCoreApplication::sendEvent(window.get(), &event);
    QCOMPARE(panel->text(), shown);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(), QStringLiteral("Service Stopped"));
    // The actions carry the long part of their hints as status tips.
    QCOMPARE(window->findChild<QAction*>(QStringLiteral("FileExit1"))->statusTip(),
             QStringLiteral("Quits the application"));
}

void TestMainWindow::boundsRoundTrip()
{
    {
        auto window = createWindow();
        window->show();
        QCOMPARE(window->size(), QSize(465, 377));
        window->move(40, 50);
        window->resize(610, 420);
        QTRY_COMPARE(window->pos(), QPoint(40, 50));
    }
    const ProfileFile user(homeFile(QStringLiteral("QVPPUsr.QVS")));
    QCOMPARE(user.readInteger("Windows Settings", "Width", 0), 610);
    QCOMPARE(user.readInteger("Windows Settings", "Left", 0), 40);
    auto window = createWindow();
    QCOMPARE(window->pos(), QPoint(40, 50));
    QCOMPARE(window->size(), QSize(610, 420));
}

void TestMainWindow::helpTabs()
{
    auto window = createWindow();
    window->findChild<QAction*>(QStringLiteral("HelpShowIndex"))->trigger();
    QWidget* help = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->findChild<QTabWidget*>(QStringLiteral("tabsHelp")))
            help = widget;
    }
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QTabWidget* tabs = help->findChild<QTabWidget*>(QStringLiteral("tabsHelp"));
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Contents"));
    window->findChild<QAction*>(QStringLiteral("HelpShowContents"))->trigger();
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Index"));
}

void TestMainWindow::exitClosesHelp()
{
    auto window = createWindow();
    window->show();
    window->findChild<QAction*>(QStringLiteral("HelpShowIndex"))->trigger();
    window->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName() + QStringLiteral(" is still open")));
}

void TestMainWindow::terminationClosesAsExit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("lockHeld");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM, lock held") << int(SIGTERM) << true;
}

// The real program, ended by a signal, saves what File > Exit saves; also
// while it still waits for the configuration's lock.
void TestMainWindow::terminationClosesAsExit()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, lockHeld);
    const QString configPath = homeFile(QStringLiteral("QVZizaVure.QVS"));
    TestFiles::write(configPath, "[DeraDivurir]\r\nLogMessage=1\r\n");
    TestFiles::StoppedLockHolder holder(FileLock::lockPath(configPath));
    if (!lockHeld)
        holder.release();
    QProcess program;
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/qvzizavure"),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen")});
    // The first show ends with the outcome of its database connection, logged.
    if (lockHeld)
        QTest::qWait(1500);
    else
        QTRY_VERIFY_WITH_TIMEOUT(
            TestFiles::read(homeFile(QStringLiteral("QVZizaVure.log"))).contains("Database NOT connected."), 10000);
    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // Leaving writes nothing of the configuration: each change was written when made.
    QCOMPARE(TestFiles::read(configPath), QByteArray("[DeraDivurir]\r\nLogMessage=1\r\n"));
    QVERIFY(ProfileFile(homeFile(QStringLiteral("QVPPUsr.QVS"))).readInteger("Windows Settings", "Width", 0) > 0);
}

void TestMainWindow::configurationWrittenOnClose()
{
    const QString configPath = homeFile(QStringLiteral("QVZizaVure.QVS"));
    TestFiles::write(configPath, "; kept\r\n[DeraDivurir]\r\nLogMessage=0\r\nLogDetail=1\r\nGroups=2\r\n"
                                 "GroupNames=ZizaVureessGroup:3,ZizaVureessGroup:1\r\n"
                                 "[ZizaVureessGroup:3]\r\nFuncName=MIN\r\n[ZizaVureessGroup:1]\r\nFuncName=MAX\r\n");
    auto window = createWindow();
    window->show();
    waitIdle();
    window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"))->trigger();
    QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("radDetailHigh")), Qt::LeftButton);
    window->findChild<QAction*>(QStringLiteral("FileExit1"))->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(TestFiles::read(configPath),
             QByteArray("; kept\r\n[DeraDivurir]\r\nLogMessage=1\r\nLogDetail=2\r\nGroups=2\r\n"
                        "GroupNames=ZizaVureessGroup:3,ZizaVureessGroup:1\r\n"
                        "[ZizaVureessGroup:3]\r\nFuncName=MIN\r\n[ZizaVureessGroup:1]\r\nFuncName=MAX\r\n"));
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainWindow::failedSettingsWriteReported()
{
    const QString configPath = homeFile(QStringLiteral("QVZizaVure.QVS"));
    const QByteArray before = "[DeraDivurir]\r\nGroups=1\r\n";
    TestFiles::write(configPath, before);
    auto window = createWindow();
    window->waitForConfiguration();
    QVERIFY(QFile::setPermissions(m_home->path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        TestFiles::WithoutFilePrivileges unprivileged;
        window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"))->trigger();
        window->close();
    }
    QFile::setPermissions(m_home->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(TestFiles::read(configPath), before);
    QVERIFY(
        window->findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))
            ->toPlainText()
            .contains(QStringLiteral("The status settings were not stored: Unable to write to %1").arg(configPath)));
}

void TestMainWindow::lockHeldByStoppedProgram_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("told");
    QTest::newRow("deadline") << false
                              << "its lock LOCK is held by another program (process PID) for more than 1 seconds";
    QTest::newRow("Cancel") << true << "the wait for its lock LOCK was cancelled";
}

// A command that writes while a stopped program holds the configuration's
// lock: the window keeps answering, shows what it waits for after a second,
// and gives up at the deadline or on Cancel with nothing written.
void TestMainWindow::lockHeldByStoppedProgram()
{
    QFETCH(bool, cancel);
    QFETCH(QString, told);
    const QString configPath = homeFile(QStringLiteral("QVZizaVure.QVS"));
    const QByteArray before = "[DeraDivurir]\r\nLogMessage=0\r\n";
    TestFiles::write(configPath, before);
    auto window = createWindow();
    window->show();
    TestFiles::StoppedLockHolder holder(FileLock::lockPath(configPath));
    QVERIFY(holder.isHolding());
    LockWait::setDeadlineMs(cancel ? LockWait::DefaultDeadlineMs : 1500);
    QString waitText;
    int ticks = 0;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        ++ticks;
        auto* wait = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!wait || wait->objectName() != QLatin1String("frmLockWait") || !waitText.isEmpty())
            return;
        waitText = wait->findChild<QLabel*>(QStringLiteral("lblLockWait"))->text();
        if (cancel)
            QTest::mouseClick(wait->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watcher.start(50);
    window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"))->trigger();
    LockWait::setDeadlineMs(LockWait::DefaultDeadlineMs);
    QCOMPARE(waitText, u"Waiting for QVZizaVure.QVS, locked by another program…"_s);
    QVERIFY2(ticks >= 15, "the window did not answer while it waited");
    told.replace(u"LOCK"_s, FileLock::lockPath(configPath)).replace(u"PID"_s, QString::number(holder.pid()));
    const QString memo = memoLines(*window).join(u'\n');
    QVERIFY2(memo.contains(u"The status settings were not stored: Unable to write to "_s + configPath) &&
                 memo.contains(told),
             qPrintable(memo));
    QCOMPARE(TestFiles::read(configPath), before);
}

void TestMainWindow::fifoInPlaceDoesNotHang_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("told"); // in the status memo; empty: nothing
    QTest::newRow("configuration") << "QVZizaVure.QVS"
                                   << "QVZizaVure.QVS cannot be read: it is not a regular file. Nothing will be "
                                      "written to it until it can be read.";
    QTest::newRow("user settings") << "QVPPUsr.QVS"
                                   << "";
}

// A FIFO planted in a file's place is neither read nor written, and the
// window opens and closes at once; a configuration that cannot be read is
// not taken for an empty one.
void TestMainWindow::fifoInPlaceDoesNotHang()
{
    QFETCH(QString, file);
    QFETCH(QString, told);
    QVERIFY(TestFiles::plant(homeFile(file), QString(), QStringLiteral("fifo")));
    QElapsedTimer timer;
    timer.start();
    {
        auto window = createWindow();
        window->show();
        window->waitForConfiguration();
        const QString memo = window->findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))->toPlainText();
        QCOMPARE(memo.contains(QStringLiteral("Startup parameters loaded.")), told.isEmpty());
        if (!told.isEmpty())
            QVERIFY2(memo.contains(homeFile(told)), qPrintable(memo));
        window->close();
    }
    QVERIFY2(timer.elapsed() < 5000, "the window waited on the FIFO");
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainWindow::serviceControlWithoutManager()
{
    // No service manager to reach: the service cannot be opened.
    const QByteArray saved = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_home->filePath(QStringLiteral("none"))));
    qputenv("QVZIZAVURE_SERVICE_MANAGER", "system");
    auto window = createWindow();
    window->findChild<QAction*>(QStringLiteral("actStartService"))->trigger();
    window->findChild<QAction*>(QStringLiteral("actStopService"))->trigger();
    qunsetenv("QVZIZAVURE_SERVICE_MANAGER");
    if (saved.isNull())
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    else
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", saved);
    QCOMPARE(MessageBox::shownTexts(),
             (QStringList{QStringLiteral("Error 1502: Failed to start the QVZizaVureess service."),
                          QStringLiteral("Error 1503: Failed to stop the QVZizaVureess service.")}));
}

void TestMainWindow::secondStartRestoresFirst()
{
    // This process plays the first instance: it holds the mutex and listens
    // as the program does; the real program is started as the second.
    NamedMutex mutex(QStringLiteral("QVZizaVureessorGUI"));
    QVERIFY(mutex.tryLock());
    SingleInstance instance(QStringLiteral("TfrmZizaVureGUI"));
    QVERIFY(instance.listen());
    auto window = createWindow();
    connect(&instance, &SingleInstance::restoreRequested, window.get(), &TfrmZizaVureGUI::restoreApplication);
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());

    QProcess second;
    second.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/qvzizavure"),
                 {QStringLiteral("-platform"), QStringLiteral("offscreen")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
    // The second instance wrote nothing: it never created its window.
    QVERIFY(!QFile::exists(homeFile(QStringLiteral("QVPPUsr.QVS"))));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
