#include "DbusMock.h"
#include "app/ServiceManager.h"
#include "platform/Exception.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Systemd = QStringLiteral("org.freedesktop.systemd1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString NotSelectedOnStart = QStringLiteral("TServiceManager.StartService: Service not selected");
const QString NotSelectedOnStop = QStringLiteral("TServiceManager.StopService: Service not selected");

// A dbus-daemon of the test's own with python-dbusmock's systemd template on
// it. The template has no LoadUnit; ours answers like GetUnit, failing for
// units that the mock does not know. Units: QVZizaVureessor.service and the
// masked Masked.service.
class MockSystemd
{
public:
    explicit MockSystemd(const QString& socketPath) : m_socketPath(socketPath) {}
    ~MockSystemd() { stopBus(); }

    QByteArray address() const { return "unix:path=" + QFile::encodeName(m_socketPath); }

    bool start()
    {
        if (m_bus.state() == QProcess::NotRunning && !startBus())
            return false;
        m_mock.reset();
        QDBusConnection::disconnectFromBus(m_socketPath);
        m_mock = std::make_unique<DbusMock>(QDBusConnection::connectToBus(QString::fromLatin1(address()), m_socketPath),
                                            Systemd, ManagerPath);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(address()));
        if (!m_mock->start({QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                            QStringLiteral("--template"), QStringLiteral("systemd")},
                           environment))
            return false;
        return call(QStringLiteral("AddMethod"), {ManagerInterface, QStringLiteral("LoadUnit"), QStringLiteral("s"),
                                                  QStringLiteral("o"), QStringLiteral("ret = self.units[args[0]]")}) &&
               call(QStringLiteral("AddMockUnit"), {QStringLiteral("QVZizaVureessor.service")}) &&
               call(QStringLiteral("AddMockUnit"), {QStringLiteral("Masked.service")}) &&
               m_mock->call(QStringLiteral("UpdateProperties"),
                            {QStringLiteral("org.freedesktop.systemd1.Unit"),
                             QVariantMap{{QStringLiteral("LoadState"), QStringLiteral("masked")}}},
                            ManagerPath + QStringLiteral("/unit/Masked_service"));
    }

    void stopMock()
    {
        if (m_mock && !m_mock->stop())
            qWarning("the mock's name stayed on the bus");
    }

    void stopBus()
    {
        stopMock();
        m_bus.kill();
        m_bus.waitForFinished();
    }

    bool call(const QString& method, const QVariantList& arguments) { return m_mock->call(method, arguments); }
    QStringList calls(const QString& method) { return m_mock->calls(method); }
    void clearCalls() { m_mock->clearCalls(); }

private:
    bool startBus()
    {
        const QString config = m_socketPath + QStringLiteral(".conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><listen>" +
                   address() +
                   "</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                   "</busconfig>\n");
        file.close();
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                                                    QStringLiteral("--config-file=") + config});
        // The address is printed once the daemon listens.
        return m_bus.waitForReadyRead(10000);
    }

    QString m_socketPath;
    QProcess m_bus;
    std::unique_ptr<DbusMock> m_mock;
};

template <typename Command>
QString errorOf(Command command)
{
    try {
        command();
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestServiceManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void notSelected_data();
    void notSelected();
    void startAndStop();
    void startRefused();
    void selectsOnce_data();
    void selectsOnce();
    void unreachable_data();
    void unreachable();
    void managerChoice_data();
    void managerChoice();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MockSystemd> m_system;
    std::unique_ptr<MockSystemd> m_user;
    bool m_mocksChanged = false;
};

void TestServiceManager::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_system = std::make_unique<MockSystemd>(m_dir.filePath(QStringLiteral("system_bus")));
    m_user = std::make_unique<MockSystemd>(m_dir.filePath(QStringLiteral("session_bus")));
    // Read once per process, at the first connection to a standard bus.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_system->address());
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_user->address());
    QVERIFY(m_system->start());
    QVERIFY(m_user->start());
}

void TestServiceManager::init()
{
    // The system manager unless a test chooses otherwise.
    qunsetenv("QVZIZAVURE_BUS");
    qputenv("QVZIZAVURE_SERVICE_MANAGER", "system");
    if (m_mocksChanged) {
        m_system->stopMock();
        QVERIFY(m_system->start());
        m_mocksChanged = false;
    }
    m_system->clearCalls();
    m_user->clearCalls();
}

void TestServiceManager::notSelected_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("unit missing") << "NoSuchService" << QStringList{QStringLiteral("NoSuchService.service")}
                                  << "NoSuchService.service";
    QTest::newRow("unit masked") << "Masked" << QStringList{QStringLiteral("Masked.service")}
                                 << "Unit Masked.service is masked.";
    // A new manager has the empty name selected already.
    QTest::newRow("empty name") << "" << QStringList() << "";
}

void TestServiceManager::notSelected()
{
    QFETCH(QString, name);
    QFETCH(QStringList, loaded);
    QFETCH(QString, refusal);
    TServiceManager manager;
    manager.SelectService(name);
    QVERIFY2(manager.refusal().contains(refusal), qPrintable(manager.refusal()));
    QCOMPARE(errorOf([&] { manager.StartService(); }), NotSelectedOnStart);
    QCOMPARE(errorOf([&] { manager.StopService(); }), NotSelectedOnStop);
    QCOMPARE(m_system->calls(QStringLiteral("LoadUnit")), loaded);
    QCOMPARE(m_system->calls(QStringLiteral("StartUnit")), QStringList());
    QCOMPARE(m_system->calls(QStringLiteral("StopUnit")), QStringList());
}

void TestServiceManager::startAndStop()
{
    TServiceManager manager;
    manager.SelectService(QStringLiteral("QVZizaVureessor"));
    QVERIFY(manager.StartService());
    QCOMPARE(m_system->calls(QStringLiteral("StartUnit")),
             QStringList{QStringLiteral("QVZizaVureessor.service,replace")});
    manager.StopService();
    QCOMPARE(m_system->calls(QStringLiteral("StopUnit")),
             QStringList{QStringLiteral("QVZizaVureessor.service,replace")});
}

void TestServiceManager::startRefused()
{
    m_mocksChanged = true;
    QVERIFY(m_system->call(QStringLiteral("AddMethod"),
                           {ManagerInterface, QStringLiteral("StartUnit"), QStringLiteral("ss"), QStringLiteral("o"),
                            QStringLiteral("raise dbus.exceptions.DBusException('refused', "
                                           "name='org.freedesktop.DBus.Error.AccessDenied')")}));
    TServiceManager manager;
    manager.SelectService(QStringLiteral("QVZizaVureessor"));
    QVERIFY(!manager.StartService());
    QCOMPARE(manager.refusal(), QStringLiteral("refused"));
    QCOMPARE(m_system->calls(QStringLiteral("StartUnit")).size(), 1);
    // The launch command raises nothing, but tells the manager's reason.
    QStringList reasons;
    QCOMPARE(errorOf([&] { LaunchService([&](const QString& reason) { reasons << reason; }); }), QString());
    QCOMPARE(reasons, QStringList{QStringLiteral("refused")});
}

void TestServiceManager::selectsOnce_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("loaded");
    QTest::newRow("same name twice") << QStringList{QStringLiteral("QVZizaVureessor"),
                                                    QStringLiteral("QVZizaVureessor")}
                                     << QStringList{QStringLiteral("QVZizaVureessor.service")};
    QTest::newRow("name differing in case")
        << QStringList{QStringLiteral("QVZizaVureessor"), QStringLiteral("qvzizavureessor")}
        << QStringList{QStringLiteral("QVZizaVureessor.service"), QStringLiteral("qvzizavureessor.service")};
    QTest::newRow("back to the first name")
        << QStringList{QStringLiteral("QVZizaVureessor"), QStringLiteral("Masked"), QStringLiteral("QVZizaVureessor")}
        << QStringList{QStringLiteral("QVZizaVureessor.service"), QStringLiteral("Masked.service"),
                       QStringLiteral("QVZizaVureessor.service")};
}

void TestServiceManager::selectsOnce()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, loaded);
    TServiceManager manager;
    for (const QString& name : names)
        manager.SelectService(name);
    QCOMPARE(m_system->calls(QStringLiteral("LoadUnit")), loaded);
}

void TestServiceManager::unreachable_data()
{
    QTest::addColumn<bool>("busGone");
    QTest::newRow("manager gone") << false;
    QTest::newRow("bus gone") << true;
}

void TestServiceManager::unreachable()
{
    QFETCH(bool, busGone);
    m_mocksChanged = true;
    if (busGone)
        m_system->stopBus();
    else
        m_system->stopMock();
    QStringList reasons;
    const auto report = [&](const QString& reason) { reasons << reason; };
    QCOMPARE(errorOf([&] { LaunchService(report); }), NotSelectedOnStart);
    QCOMPARE(errorOf([&] { HaltService(report); }), NotSelectedOnStop);
    QCOMPARE(reasons.size(), 2);
    QVERIFY2(!reasons[0].isEmpty(), "no reason told for an unreachable manager");
}

void TestServiceManager::managerChoice_data()
{
    QTest::addColumn<QByteArray>("bus");
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<bool>("user");
    QTest::newRow("session bus: user manager") << QByteArray() << QByteArray() << true;
    QTest::newRow("system bus: system manager") << QByteArray("system") << QByteArray() << false;
    QTest::newRow("user chosen") << QByteArray("system") << QByteArray("user") << true;
    QTest::newRow("system chosen") << QByteArray() << QByteArray("system") << false;
}

void TestServiceManager::managerChoice()
{
    QFETCH(QByteArray, bus);
    QFETCH(QByteArray, setting);
    QFETCH(bool, user);
    if (!bus.isNull())
        qputenv("QVZIZAVURE_BUS", bus);
    if (setting.isNull())
        qunsetenv("QVZIZAVURE_SERVICE_MANAGER");
    else
        qputenv("QVZIZAVURE_SERVICE_MANAGER", setting);
    LaunchService();
    HaltService();
    MockSystemd& chosen = user ? *m_user : *m_system;
    MockSystemd& other = user ? *m_system : *m_user;
    QCOMPARE(chosen.calls(QStringLiteral("StartUnit")), QStringList{QStringLiteral("QVZizaVureessor.service,replace")});
    QCOMPARE(chosen.calls(QStringLiteral("StopUnit")), QStringList{QStringLiteral("QVZizaVureessor.service,replace")});
    QCOMPARE(other.calls(QStringLiteral("LoadUnit")), QStringList());
}

QTEST_GUILESS_MAIN(TestServiceManager)
#include "tst_servicemanager.moc"
