// The main window against a service written from the contract alone: a
// python-dbusmock object with just the nine methods the program calls and the
// two events, in a process that holds the service's lock. Nothing of the
// stand-in is involved.
#include "DbusMock.h"
#include "ServiceWindowBench.h"
#include "app/Main.h"
#include "service/ServiceContract.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// One tick of the retry timer and a little.
constexpr int OneTickMs = 5000 + 1500;

// Takes the service's lock the way a service process does, then runs the mock.
const QString LockThenMock =
    QStringLiteral("import fcntl, os, runpy, sys\n"
                   "lock = os.open(os.path.join(os.environ['QVZIZAVURE_LOCK_DIR'], 'QVZizaVureessor.lock'), "
                   "os.O_RDWR | os.O_CREAT, 0o644)\n"
                   "fcntl.lockf(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
                   "sys.argv = ['dbusmock', '--session', 'org.torvane.QVZizaVureessor', '/QVZizaVureCom', "
                   "'org.torvane.IQVZizaVureCom']\n"
                   "runpy.run_module('dbusmock', run_name='__main__', alter_sys=True)\n");

const struct
{
    const char* name;
    const char* in;
    const char* out;
    const char* code;
} CalledMethods[] = {
    {"RefreshParams", "", "", ""},
    {"SetDetailLevel", "i", "", ""},
    {"GetNextGroup", "", "s", "ret = 'ZizaVureessGroup:7'"},
    {"GetNextTime", "", "d", "ret = 46000.5"},
    {"ResumeProcessing", "", "", ""},
    {"SuspendProcessing", "", "", ""},
    {"GetProcessingState", "", "i", "ret = 1"},
    {"ProcessGroupNow", "i", "", ""},
    {"StopProcessNow", "", "", ""},
};

} // namespace

class TestContractService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void linksAtStart();
    void linksWithinOneTick();
    void everyCommandReachesIt();
    void eventsReachTheWindow();

private:
    bool startService();
    void trigger(TfrmZizaVureGUI& window, const char* action, const std::function<void(QWidget*)>& inDialog = {});

    std::unique_ptr<ServiceWindowBench> m_bench;
    std::unique_ptr<DbusMock> m_service;
};

void TestContractService::init()
{
    m_bench = std::make_unique<ServiceWindowBench>();
    m_service =
        std::make_unique<DbusMock>(ServiceContract::bus(), ServiceContract::ServiceName, ServiceContract::ObjectPath);
}

void TestContractService::cleanup()
{
    m_service.reset();
    m_bench.reset();
}

bool TestContractService::startService()
{
    if (!m_service->start({QStringLiteral("-c"), LockThenMock}, QProcessEnvironment::systemEnvironment()))
        return false;
    for (const auto& method : CalledMethods) {
        if (!m_service->call(QStringLiteral("AddMethod"),
                             {QString(ServiceContract::InterfaceName), QLatin1String(method.name),
                              QLatin1String(method.in), QLatin1String(method.out), QLatin1String(method.code)}))
            return false;
    }
    return true;
}

// Triggers an action, hidden or not; `inDialog` runs in the modal window it opens.
void TestContractService::trigger(TfrmZizaVureGUI& window, const char* name,
                                  const std::function<void(QWidget*)>& inDialog)
{
    if (inDialog) {
        QTimer::singleShot(0, this, [inDialog] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            inDialog(dialog);
        });
    }
    QAction* action = window.findChild<QAction*>(QLatin1String(name));
    const bool visible = action->isVisible();
    action->setVisible(true);
    action->trigger();
    action->setVisible(visible);
}

void TestContractService::linksAtStart()
{
    QVERIFY(startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));
    QTRY_COMPARE(window->findChild<QLabel*>(QStringLiteral("lblPollGroup"))->text(),
                 QStringLiteral("ZizaVureessGroup:7"));
}

void TestContractService::linksWithinOneTick()
{
    auto window = ServiceWindowBench::openWindow();
    QTRY_VERIFY(window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
    QVERIFY(startService());
    QTRY_COMPARE_WITH_TIMEOUT(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"), OneTickMs);
}

void TestContractService::everyCommandReachesIt()
{
    QVERIFY(startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));

    // The level is sent when it changes, not at every click.
    for (int click = 0; click < 2; ++click)
        QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("radDetailHigh")), Qt::LeftButton);
    QCOMPARE(m_service->calls(QStringLiteral("SetDetailLevel")), QStringList{QStringLiteral("2")});
    trigger(*window, "actStartProcessNow", [](QWidget* dialog) {
        dialog->findChild<QListWidget*>(QStringLiteral("lbxPollGroups"))->item(2)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
    });
    QCOMPARE(m_service->calls(QStringLiteral("ProcessGroupNow")), QStringList{QStringLiteral("2")});
    trigger(*window, "actStopProcessNow");
    QCOMPARE(m_service->calls(QStringLiteral("StopProcessNow")).size(), 1);
    trigger(*window, "actRefreshParams");
    QCOMPARE(m_service->calls(QStringLiteral("RefreshParams")).size(), 1);
    // The window also asks for the state that its status bar shows.
    const qsizetype stateQuestions = m_service->calls(QStringLiteral("GetProcessingState")).size();
    trigger(*window, "actReCalc", [](QWidget* dialog) { dialog->close(); });
    QVERIFY(m_service->calls(QStringLiteral("GetProcessingState")).size() > stateQuestions);
    for (const char* held : {"SuspendProcessing", "ResumeProcessing"})
        QVERIFY2(m_service->calls(QLatin1String(held)).size() == 1, held);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestContractService::eventsReachTheWindow()
{
    QVERIFY(startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Ready"));
    const QString interface = ServiceContract::InterfaceName;
    QVERIFY(m_service->call(
        QStringLiteral("EmitSignal"),
        {interface, QStringLiteral("ServiceEvent"), QStringLiteral("sss"),
         QVariantList{QString(), QStringLiteral("message"), QStringLiteral("Hello from the service")}}));
    QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(QStringLiteral("    Hello from the service")));
    QVERIFY(m_service->call(QStringLiteral("EmitSignal"),
                            {interface, QStringLiteral("ServiceStopping"), QString(), QVariantList{}}));
    QTRY_COMPARE(ServiceWindowBench::linkState(*window), QStringLiteral("Service Stopped"));
}

QTEST_MAIN(TestContractService)
#include "tst_contractservice.moc"
