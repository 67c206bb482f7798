// Desktop notifications, seen by python-dbusmock's notification daemon on the
// test's bus, from the main window linked to the stand-in service. The window
// is never shown: an operator who is not looking at it. The tray icon needs a
// display: its tests run on a virtual X server, with python-dbusmock as the
// desktop's StatusNotifierWatcher, and drive its menu through the bus as the
// desktop's panel does.
#include "DbusMock.h"
#include "ScheduleHolder.h"
#include "ServiceWindowBench.h"
#include "TestFiles.h"
#include "app/DesktopNotifier.h"
#include "app/Main.h"
#include "app/PollForm.h"
#include "app/TrayIcon.h"
#include "service/ServiceLink.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

using Kind = TDesktopNotifier::Kind;

namespace {

const QString ServerName = QStringLiteral("org.freedesktop.Notifications");
const QString ServerPath = QStringLiteral("/org/freedesktop/Notifications");
const char* const CheckBoxes[] = {"chkServiceStopped", "chkServiceError", "chkConfigurationChanged",
                                  "chkHoldRecovered"};
const QString StoppedText = QStringLiteral("The post processing service stopped.");
const QString ErrorText = QStringLiteral("Error: group ZizaVureessGroup:3 has no station/sensor pairs.");
const QString ChangedText = QStringLiteral("The configuration was changed by another program.");
const QString ResumedText = QStringLiteral("Scheduled processing was left on hold by a program that ended; resumed.");
const QString WatcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString RunningTip = QStringLiteral("QV ZizaVure: the post processing service is running");
const QString StoppedTip = QStringLiteral("QV ZizaVure: the post processing service is stopped");
const QString HeldTip =
    QStringLiteral("QV ZizaVure: the post processing service is running; scheduled processing is held");
constexpr int SettledMs = TTrayIcon::SettleMs + 5000;

// Group 3 disabled and without pairs: processing it now makes the service
// report an error, and its schedule never does.
QByteArray configuration(const QByteArray& function = "AVG")
{
    QByteArray content = StandinProcess::threeGroups(1);
    content.replace("Enabled=1\r\nBaseTime=00:00:00\r\nTypeInterval=3\r\nPOLLNumber=1\r\nPOLL1=ST3.TEMP\r\n",
                    "Enabled=0\r\nBaseTime=00:00:00\r\nTypeInterval=3\r\nPOLLNumber=0\r\n");
    content.replace("[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=AVG",
                    "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=" + function);
    return content;
}

QStringList appWarnings;
QtMessageHandler defaultHandler = nullptr;

void collectAppWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "qvz.app") == 0)
        appWarnings << message;
    defaultHandler(type, context, message);
}

// The id of the item labelled `label` in a menu layout that com.canonical.dbusmenu
// gave, searched depth first; 0 for none. Labels mark mnemonics with "_".
int menuItemId(const QDBusArgument& node, const QString& label)
{
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    int found = properties.value(QStringLiteral("label")).toString().remove(u'_') == label ? id : 0;
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        if (!found)
            found = menuItemId(child.variant().value<QDBusArgument>(), label);
    }
    node.endArray();
    node.endStructure();
    return found;
}

QString trayToolTip(const QWidget& window)
{
    const auto* icon = window.findChild<QSystemTrayIcon*>();
    return icon ? icon->toolTip() : QString();
}

enum class TrayOutcome { WindowShown, ServiceStopAsked, ServiceStartAsked, PollFormOpened, IconGone };

} // namespace

class TestNotifications : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void notifies_data();
    void notifies();
    void repeatReplacesUntilClosed();
    void actionsReachTheWindow_data();
    void actionsReachTheWindow();
    void ownStopGetsNone();
    void activeWindowGetsNone();
    void noServerChangesNothing();
    void switchedOff_data();
    void switchedOff();
    void trayMenu_data();
    void trayMenu();
    void trayIgnoresShortChanges();
    void noTrayNoIcon();

private:
    bool startServer(const QString& capabilities = QStringLiteral("body actions"));
    bool startSystemd();
    bool startTrayHost();
    // Clicks the item of the tray's menu through the bus, as the panel does.
    bool clickTrayItem(const QString& label);
    std::unique_ptr<TfrmZizaVureGUI> openWindow();
    void prepare(Kind kind);
    void cause(Kind kind, TfrmZizaVureGUI& window);
    void chooseKinds(TfrmZizaVureGUI& window, const QList<Kind>& on);
    QList<QVariantList> notified() const { return m_server->callArguments(QStringLiteral("Notify")); }

    std::unique_ptr<ServiceWindowBench> m_bench;
    std::unique_ptr<DbusMock> m_server;
    std::unique_ptr<ScheduleHolder> m_holder;
    std::unique_ptr<DbusMock> m_systemd;
    std::unique_ptr<DbusMock> m_trayHost;
};

void TestNotifications::init()
{
    m_bench = std::make_unique<ServiceWindowBench>();
    TestFiles::write(m_bench->configPath(), configuration());
    QVERIFY(m_bench->startService());
    m_server = std::make_unique<DbusMock>(QDBusConnection::sessionBus(), ServerName, ServerPath);
    appWarnings.clear();
    defaultHandler = qInstallMessageHandler(collectAppWarnings);
}

void TestNotifications::cleanup()
{
    qInstallMessageHandler(defaultHandler);
    qunsetenv("QVZIZAVURE_SERVICE_MANAGER");
    m_server.reset();
    m_systemd.reset();
    m_trayHost.reset();
    m_holder.reset();
    m_bench.reset();
}

bool TestNotifications::startServer(const QString& capabilities)
{
    return m_server->start({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                            QStringLiteral("notification_daemon"), QStringLiteral("-p"),
                            QStringLiteral("{\"capabilities\": \"%1\"}").arg(capabilities)},
                           QProcessEnvironment::systemEnvironment());
}

// python-dbusmock's systemd as the user's service manager on the test's bus,
// knowing the service's unit; starting or stopping it runs nothing.
bool TestNotifications::startSystemd()
{
    qputenv("QVZIZAVURE_SERVICE_MANAGER", "user");
    m_systemd = std::make_unique<DbusMock>(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.systemd1"),
                                           QStringLiteral("/org/freedesktop/systemd1"));
    return m_systemd->start({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                             QStringLiteral("--template"), QStringLiteral("systemd")},
                            QProcessEnvironment::systemEnvironment()) &&
           m_systemd->call(QStringLiteral("AddMethod"),
                           {QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("LoadUnit"),
                            QStringLiteral("s"), QStringLiteral("o"), QStringLiteral("ret = self.units[args[0]]")}) &&
           m_systemd->call(QStringLiteral("AddMockUnit"), {QStringLiteral("QVZizaVureessor.service")});
}

// Loaded and linked, never shown.
std::unique_ptr<TfrmZizaVureGUI> TestNotifications::openWindow()
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->waitForConfiguration();
    if (!QTest::qWaitFor([&] { return window->serviceLink().isLinked(); }))
        QTest::qFail("The window did not link to the service.", __FILE__, __LINE__);
    return window;
}

// What must happen before the window links.
void TestNotifications::prepare(Kind kind)
{
    if (kind != TDesktopNotifier::HoldRecovered)
        return;
    m_holder = std::make_unique<ScheduleHolder>();
    QVERIFY(m_holder->start(m_bench->configPath()));
    QVERIFY(m_holder->kill());
}

void TestNotifications::cause(Kind kind, TfrmZizaVureGUI& window)
{
    switch (kind) {
    case TDesktopNotifier::ServiceStopped:
        QVERIFY(m_bench->service().kill());
        break;
    case TDesktopNotifier::ServiceError:
        window.serviceLink().ProcessGroupNow(0);
        break;
    case TDesktopNotifier::ConfigurationChanged:
        TestFiles::write(m_bench->configPath(), configuration("MAX"));
        break;
    default: // done at linking
        break;
    }
}

// Through Options › Notifications, as the operator does.
void TestNotifications::chooseKinds(TfrmZizaVureGUI& window, const QList<Kind>& on)
{
    QTimer::singleShot(0, this, [on] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        for (int kind = 0; kind < TDesktopNotifier::KindCount; ++kind)
            dialog->findChild<QCheckBox*>(QLatin1String(CheckBoxes[kind]))->setChecked(on.contains(Kind(kind)));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window.findChild<QAction*>(QStringLiteral("actOptionsNotifications"))->trigger();
}

void TestNotifications::notifies_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("capabilities");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body"); // its beginning
    QTest::addColumn<int>("urgency");
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("stopped") << TDesktopNotifier::ServiceStopped << "body actions" << StoppedText << QString() << 2
                             << QStringList{QStringLiteral("default"), QString(), QStringLiteral("start"),
                                            QStringLiteral("Start the service")};
    QTest::newRow("stopped, server without actions")
        << TDesktopNotifier::ServiceStopped << "body" << StoppedText << QString() << 2 << QStringList();
    QTest::newRow("error") << TDesktopNotifier::ServiceError << "body actions"
                           << QStringLiteral("The post processing service reports an error.") << ErrorText << 1
                           << QStringList{QStringLiteral("default"), QString(), QStringLiteral("show"),
                                          QStringLiteral("Show")};
    QTest::newRow("configuration changed")
        << TDesktopNotifier::ConfigurationChanged << "body actions" << ChangedText
        << QStringLiteral("ZizaVureessGroup:1 was changed by another program.\nChanged by ") << 0
        << QStringList{QStringLiteral("default"), QString()};
    QTest::newRow("hold recovered") << TDesktopNotifier::HoldRecovered << "body actions" << ResumedText << QString()
                                    << 1 << QStringList{QStringLiteral("default"), QString()};
}

void TestNotifications::notifies()
{
    QFETCH(Kind, kind);
    QFETCH(QString, capabilities);
    QVERIFY(startServer(capabilities));
    prepare(kind);
    auto window = openWindow();
    chooseKinds(*window, {Kind(0), Kind(1), Kind(2), Kind(3)});
    cause(kind, *window);

    QTRY_COMPARE(notified().size(), 1);
    const QVariantList call = notified()[0];
    QCOMPARE(call[0].toString(), QStringLiteral("QV ZizaVure"));
    QCOMPARE(call[1].toUInt(), 0u);
    QCOMPARE(call[2].toString(), QStringLiteral("org.torvane.QVZizaVure"));
    QTEST(call[3].toString(), "summary");
    QFETCH(QString, body);
    QVERIFY2(call[4].toString().startsWith(body), qPrintable(call[4].toString()));
    QTEST(qdbus_cast<QStringList>(call[5]), "actions");
    const QVariantMap hints = qdbus_cast<QVariantMap>(call[6]);
    QTEST(hints.value(QStringLiteral("urgency")).toInt(), "urgency");
    QCOMPARE(hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("org.torvane.QVZizaVure"));
}

void TestNotifications::repeatReplacesUntilClosed()
{
    QVERIFY(startServer());
    auto window = openWindow();
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_COMPARE(notified().size(), 1);
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_COMPARE(notified().size(), 2);
    QCOMPARE(notified()[1][1].toUInt(), 1u);

    QDBusMessage close =
        QDBusMessage::createMethodCall(ServerName, ServerPath, ServerName, QStringLiteral("CloseNotification"));
    close << 1u;
    QCOMPARE(QDBusConnection::sessionBus().call(close).type(), QDBusMessage::ReplyMessage);
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_COMPARE(notified().size(), 3);
    QCOMPARE(notified()[2][1].toUInt(), 0u);
}

void TestNotifications::actionsReachTheWindow_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("action");
    QTest::newRow("start the service") << TDesktopNotifier::ServiceStopped << "start";
    QTest::newRow("show") << TDesktopNotifier::ServiceError << "show";
    QTest::newRow("a click on it") << TDesktopNotifier::ServiceStopped << "default";
}

void TestNotifications::actionsReachTheWindow()
{
    QFETCH(Kind, kind);
    QFETCH(QString, action);
    QVERIFY(startServer());
    QVERIFY(startSystemd());
    auto window = openWindow();
    cause(kind, *window);
    QTRY_COMPARE(notified().size(), 1);
    QVERIFY(m_server->call(QStringLiteral("EmitSignal"), {ServerName, QStringLiteral("ActionInvoked"),
                                                          QStringLiteral("us"), QVariantList{1u, action}}));
    if (action != QLatin1String("start")) {
        QTRY_VERIFY(window->isVisible());
        return;
    }
    QTRY_COMPARE(m_systemd->calls(QStringLiteral("StartUnit")).size(), 1);
    QCOMPARE(m_systemd->calls(QStringLiteral("StartUnit"))[0], QStringLiteral("QVZizaVureessor.service,replace"));
}

void TestNotifications::ownStopGetsNone()
{
    QVERIFY(startServer());
    QVERIFY(startSystemd());
    auto window = openWindow();
    chooseKinds(*window, {Kind(0), Kind(1), Kind(2), Kind(3)});
    window->findChild<QAction*>(QStringLiteral("actStopService"))->trigger();
    QCOMPARE(m_systemd->calls(QStringLiteral("StopUnit")).size(), 1);
    // The mock's manager stops nothing: the service goes as it would.
    cause(TDesktopNotifier::ServiceStopped, *window);
    QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(QStringLiteral("Post processing service stopped.")));
    cause(TDesktopNotifier::ConfigurationChanged, *window);
    QTRY_VERIFY(!notified().isEmpty());
    QCOMPARE(notified().size(), 1);
    QCOMPARE(notified()[0][3].toString(), ChangedText);
}

void TestNotifications::activeWindowGetsNone()
{
    QVERIFY(startServer());
    auto window = openWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(ErrorText));

    window->hide();
    QTRY_VERIFY(!QApplication::activeWindow());
    cause(TDesktopNotifier::ServiceStopped, *window);
    QTRY_VERIFY(!notified().isEmpty());
    QCOMPARE(notified().size(), 1);
    QCOMPARE(notified()[0][3].toString(), StoppedText);
}

// The window works as before; the log says once that there is no server.
void TestNotifications::noServerChangesNothing()
{
    auto window = openWindow();
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_COMPARE(appWarnings.size(), 1);
    QVERIFY2(appWarnings[0].startsWith(QStringLiteral("No desktop notifications: ")), qPrintable(appWarnings[0]));
    cause(TDesktopNotifier::ServiceError, *window);
    QTRY_COMPARE(ServiceWindowBench::statusMemo(*window).count(ErrorText), 2);

    // A server that comes later is used; the second failure was answered before it.
    QVERIFY(startServer());
    cause(TDesktopNotifier::ServiceStopped, *window);
    QTRY_COMPARE(notified().size(), 1);
    QCOMPARE(appWarnings.size(), 1);
    QVERIFY(ServiceWindowBench::statusMemo(*window).contains(ErrorText));
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestNotifications::switchedOff_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("line"); // in the memo once it happened
    QTest::addColumn<Kind>("marker");  // on, and caused after it
    QTest::newRow("stopped") << TDesktopNotifier::ServiceStopped << "Post processing service stopped."
                             << TDesktopNotifier::ConfigurationChanged;
    QTest::newRow("error") << TDesktopNotifier::ServiceError << ErrorText << TDesktopNotifier::ConfigurationChanged;
    QTest::newRow("configuration changed")
        << TDesktopNotifier::ConfigurationChanged << "ZizaVureessGroup:1 was changed by another program."
        << TDesktopNotifier::ServiceStopped;
    QTest::newRow("hold recovered") << TDesktopNotifier::HoldRecovered << ResumedText
                                    << TDesktopNotifier::ConfigurationChanged;
}

void TestNotifications::switchedOff()
{
    QFETCH(Kind, kind);
    QFETCH(QString, line);
    QFETCH(Kind, marker);
    QVERIFY(startServer());
    QList<Kind> on{Kind(0), Kind(1), Kind(2), Kind(3)};
    on.removeOne(kind);
    chooseKinds(*openWindow(), on);
    prepare(kind);
    auto window = openWindow();
    cause(kind, *window);
    // Whatever it sent would come before the marker's.
    QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(line));
    cause(marker, *window);
    QTRY_VERIFY(!notified().isEmpty());
    QCOMPARE(notified().size(), 1);
    QCOMPARE(notified()[0][3].toString(), marker == TDesktopNotifier::ServiceStopped ? StoppedText : ChangedText);
}

bool TestNotifications::startTrayHost()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    m_trayHost = std::make_unique<DbusMock>(QDBusConnection::sessionBus(), WatcherName,
                                            QStringLiteral("/StatusNotifierWatcher"));
    return m_trayHost->start({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                              WatcherName, QStringLiteral("/StatusNotifierWatcher"), WatcherName},
                             QProcessEnvironment::systemEnvironment()) &&
           m_trayHost->call(QStringLiteral("AddProperty"),
                            {WatcherName, QStringLiteral("IsStatusNotifierHostRegistered"),
                             QVariant::fromValue(QDBusVariant(true))}) &&
           m_trayHost->call(QStringLiteral("AddMethod"), {WatcherName, QStringLiteral("RegisterStatusNotifierItem"),
                                                          QStringLiteral("s"), QString(), QString()});
}

bool TestNotifications::clickTrayItem(const QString& label)
{
    const QStringList items = m_trayHost->calls(QStringLiteral("RegisterStatusNotifierItem"));
    if (items.size() != 1)
        return false;
    const QString menu = QStringLiteral("com.canonical.dbusmenu");
    // The items answer from this process: the calls wait with its event loop running.
    QDBusMessage layout =
        QDBusMessage::createMethodCall(items[0], QStringLiteral("/MenuBar"), menu, QStringLiteral("GetLayout"));
    layout << 0 << -1 << QStringList();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(layout, QDBus::BlockWithGui);
    if (reply.arguments().size() != 2)
        return false;
    const int id = menuItemId(reply.arguments()[1].value<QDBusArgument>(), label);
    QDBusMessage click =
        QDBusMessage::createMethodCall(items[0], QStringLiteral("/MenuBar"), menu, QStringLiteral("Event"));
    click << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
    return id != 0 &&
           QDBusConnection::sessionBus().call(click, QDBus::BlockWithGui).type() == QDBusMessage::ReplyMessage;
}

void TestNotifications::trayMenu_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("serviceEnds"); // before the click
    QTest::addColumn<TrayOutcome>("outcome");
    QTest::newRow("show") << "Show" << false << TrayOutcome::WindowShown;
    QTest::newRow("stop service") << "Stop Service" << false << TrayOutcome::ServiceStopAsked;
    QTest::newRow("start service") << "Start Service" << true << TrayOutcome::ServiceStartAsked;
    QTest::newRow("process now") << "Process Now..." << false << TrayOutcome::PollFormOpened;
    QTest::newRow("exit") << "Exit" << false << TrayOutcome::IconGone;
}

void TestNotifications::trayMenu()
{
    QFETCH(QString, label);
    QFETCH(bool, serviceEnds);
    QFETCH(TrayOutcome, outcome);
    if (!startTrayHost())
        QSKIP("The tray needs an X display and the watcher on the bus.");
    QVERIFY(startSystemd());
    auto window = openWindow();
    QTRY_COMPARE(trayToolTip(*window), RunningTip);
    if (serviceEnds) {
        QVERIFY(m_bench->service().kill());
        QTRY_COMPARE_WITH_TIMEOUT(trayToolTip(*window), StoppedTip, SettledMs);
    }
    const QString item = m_trayHost->calls(QStringLiteral("RegisterStatusNotifierItem")).value(0);
    QString modal;
    QTimer::singleShot(500, this, [&modal] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            modal = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        }
    });
    QVERIFY(clickTrayItem(label));

    switch (outcome) {
    case TrayOutcome::WindowShown:
        QTRY_VERIFY(window->isVisible());
        break;
    case TrayOutcome::ServiceStopAsked:
        QTRY_COMPARE(m_systemd->calls(QStringLiteral("StopUnit")).size(), 1);
        break;
    case TrayOutcome::ServiceStartAsked:
        QTRY_COMPARE(m_systemd->calls(QStringLiteral("StartUnit")).size(), 1);
        break;
    case TrayOutcome::PollFormOpened:
        QTRY_COMPARE(modal, QString::fromLatin1(TfrmPoll::staticMetaObject.className()));
        break;
    case TrayOutcome::IconGone:
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(item));
        QVERIFY(!window->findChild<QSystemTrayIcon*>());
        break;
    }
}

// A hold that ends before the icon settles leaves it as it was; one that
// lasts shows.
void TestNotifications::trayIgnoresShortChanges()
{
    if (!startTrayHost())
        QSKIP("The tray needs an X display and the watcher on the bus.");
    auto window = openWindow();
    QTRY_COMPARE(trayToolTip(*window), RunningTip);
    auto* panel = window->findChild<QLabel*>(QStringLiteral("lblProcessingState"));
    m_holder = std::make_unique<ScheduleHolder>();
    QVERIFY(m_holder->start(m_bench->configPath()));
    window->refreshProcessingState();
    QTRY_COMPARE(panel->text(), QStringLiteral("Processing held by one window"));
    QVERIFY(m_holder->release());
    window->refreshProcessingState();
    QTRY_COMPARE(panel->text(), QStringLiteral("Processing active"));
    QTest::qWait(TTrayIcon::SettleMs + 500);
    QCOMPARE(trayToolTip(*window), RunningTip);

    QVERIFY(m_holder->start(m_bench->configPath()));
    window->refreshProcessingState();
    QTRY_COMPARE_WITH_TIMEOUT(trayToolTip(*window), HeldTip, SettledMs);
}

// Without a tray on the desktop (here: no watcher on the bus) the window
// makes no icon, says nothing, and works as before.
void TestNotifications::noTrayNoIcon()
{
    auto window = openWindow();
    QVERIFY(!window->findChild<QSystemTrayIcon*>());
    QVERIFY(appWarnings.isEmpty());
}

QTEST_MAIN(TestNotifications)
#include "tst_notifications.moc"
