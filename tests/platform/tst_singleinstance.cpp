#include "platform/NamedMutex.h"
#include "platform/SingleInstance.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in the environment of a child run of this executable, each naming the
// window class. Send: sends the restore message and exits with 0 when it was
// taken. Listen: listens and prints "listening", but never runs an event loop,
// like a hung instance, until its standard input closes.
const char SendEnv[] = "TST_SINGLEINSTANCE_SEND";
const char ListenEnv[] = "TST_SINGLEINSTANCE_LISTEN";

constexpr int ChildTimeoutMs = 30000;
const QString WindowClass = QStringLiteral("TfrmZizaVureGUI");

int listenWithoutAnswering(const QString& windowClass)
{
    SingleInstance instance(windowClass);
    const bool listening = instance.listen();
    std::fputs(listening ? "listening\n" : "failed\n", stdout);
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return listening ? 0 : 1;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void socketPath();
    void restoreFromSecondProcess_data();
    void restoreFromSecondProcess();
    void noFirstInstance_data();
    void noFirstInstance();
    void unansweredMessage();
    void ignoredTraffic_data();
    void ignoredTraffic();
    void oneMessagePerConnection();
    void silentClientsDoNotBlockOthers();
    void staleSocketReplaced_data();
    void staleSocketReplaced();
    void closedInstanceRemovesSocket();
    void claim_data();
    void claim();

private:
    int sendFromChild();
    std::unique_ptr<QProcess> startListener();
    QString socketFile() const { return SingleInstance::socketPath(WindowClass); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_dir->path()));
}

void TestSingleInstance::cleanup()
{
    qunsetenv("QVZIZAVURE_LOCK_DIR");
    MessageBox::setTestMode(false);
}

// Runs a second instance's send in a child process; this process keeps its
// event loop running meanwhile, since it is the one that answers.
int TestSingleInstance::sendFromChild()
{
    QProcess sender;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(SendEnv), WindowClass);
    sender.setProcessEnvironment(environment);
    sender.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!QTest::qWaitFor([&sender] { return sender.state() == QProcess::NotRunning; }, ChildTimeoutMs)) {
        sender.kill();
        sender.waitForFinished();
        return -1;
    }
    return sender.exitStatus() == QProcess::NormalExit ? sender.exitCode() : -1;
}

std::unique_ptr<QProcess> TestSingleInstance::startListener()
{
    auto listener = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ListenEnv), WindowClass);
    listener->setProcessEnvironment(environment);
    listener->start(QCoreApplication::applicationFilePath(), QStringList());
    while (!listener->canReadLine() && listener->waitForReadyRead(ChildTimeoutMs)) {
    }
    return listener;
}

void TestSingleInstance::socketPath()
{
    QCOMPARE(socketFile(), m_dir->path() + QStringLiteral("/TfrmZizaVureGUI.socket"));
    QCOMPARE(SingleInstance::socketPath(QStringLiteral("../x")), m_dir->path() + QStringLiteral("/..%2Fx.socket"));
    QVERIFY(SingleInstance::socketPath(QString()).isEmpty());
}

void TestSingleInstance::restoreFromSecondProcess_data()
{
    QTest::addColumn<int>("senders");
    QTest::newRow("one second start") << 1;
    QTest::newRow("three second starts") << 3;
}

void TestSingleInstance::restoreFromSecondProcess()
{
    QFETCH(int, senders);
    SingleInstance first(WindowClass);
    QVERIFY(first.listen());
    QSignalSpy restores(&first, &SingleInstance::restoreRequested);

    for (int i = 0; i < senders; ++i) {
        QCOMPARE(sendFromChild(), 0);
        QCOMPARE(restores.count(), i + 1);
    }
}

void TestSingleInstance::noFirstInstance_data()
{
    QTest::addColumn<QString>("leftBehind");
    QTest::newRow("nothing") << "";
    QTest::newRow("socket of a crashed instance") << "socket";
    QTest::newRow("a file") << "file";
}

void TestSingleInstance::noFirstInstance()
{
    QFETCH(QString, leftBehind);
    if (leftBehind == QLatin1String("socket")) {
        const auto listener = startListener();
        QCOMPARE(listener->readLine().trimmed(), QByteArray("listening"));
        listener->kill();
        QVERIFY(listener->waitForFinished(ChildTimeoutMs));
    } else if (leftBehind == QLatin1String("file")) {
        QFile file(socketFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(QFileInfo::exists(socketFile()), !leftBehind.isEmpty());

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SingleInstance::sendRestore(WindowClass, ChildTimeoutMs));
    QVERIFY2(timer.elapsed() < ChildTimeoutMs / 3, "waited for the time-out instead of failing at once");
}

void TestSingleInstance::unansweredMessage()
{
    const auto listener = startListener();
    QCOMPARE(listener->readLine().trimmed(), QByteArray("listening"));
    QVERIFY(!SingleInstance::sendRestore(WindowClass, 500));
    listener->closeWriteChannel();
    QVERIFY(listener->waitForFinished(ChildTimeoutMs));
    QCOMPARE(listener->exitCode(), 0);
}

void TestSingleInstance::ignoredTraffic_data()
{
    QTest::addColumn<QByteArray>("traffic");
    QTest::newRow("silent") << QByteArray();
    QTest::newRow("another message") << QByteArray("1124\n");
    QTest::newRow("text") << QByteArray("restore\n");
    QTest::newRow("message with more on its line") << QByteArray("1125 now\n");
    QTest::newRow("message with carriage return") << QByteArray("1125\r\n");
    QTest::newRow("message without line end") << QByteArray("1125");
    QTest::newRow("binary") << QByteArray("\x00\xff\x7f"
                                          "1125\n\x00",
                                          9);
    QTest::newRow("long line") << QByteArray(200, '1') + '\n';
    QTest::newRow("endless stream") << QByteArray(8 * 1024 * 1024, '1');
}

void TestSingleInstance::ignoredTraffic()
{
    QFETCH(QByteArray, traffic);
    SingleInstance first(WindowClass);
    QVERIFY(first.listen());
    QSignalSpy restores(&first, &SingleInstance::restoreRequested);

    QLocalSocket client;
    client.connectToServer(socketFile());
    QVERIFY(client.waitForConnected(ChildTimeoutMs));
    client.write(traffic);
    // The server closes every such connection: after its first line, past the
    // size limit, or when it has been silent too long.
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, ChildTimeoutMs);
    QVERIFY(client.readAll().isEmpty());
    QCOMPARE(restores.count(), 0);

    QCOMPARE(sendFromChild(), 0);
    QCOMPARE(restores.count(), 1);
}

void TestSingleInstance::oneMessagePerConnection()
{
    SingleInstance first(WindowClass);
    QVERIFY(first.listen());
    QSignalSpy restores(&first, &SingleInstance::restoreRequested);

    QLocalSocket client;
    client.connectToServer(socketFile());
    QVERIFY(client.waitForConnected(ChildTimeoutMs));
    client.write("1125\n1125\n");
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, ChildTimeoutMs);
    QCOMPARE(client.readAll(), QByteArray("1125\n"));
    QCOMPARE(restores.count(), 1);
}

void TestSingleInstance::silentClientsDoNotBlockOthers()
{
    SingleInstance first(WindowClass);
    QVERIFY(first.listen());
    QSignalSpy restores(&first, &SingleInstance::restoreRequested);

    std::vector<std::unique_ptr<QLocalSocket>> silentClients;
    for (int i = 0; i < 5; ++i) {
        silentClients.push_back(std::make_unique<QLocalSocket>());
        silentClients.back()->connectToServer(socketFile());
        QVERIFY(silentClients.back()->waitForConnected(ChildTimeoutMs));
    }
    QCOMPARE(sendFromChild(), 0);
    QCOMPARE(restores.count(), 1);
}

void TestSingleInstance::staleSocketReplaced_data()
{
    QTest::addColumn<bool>("crashedInstance");
    QTest::newRow("socket of a crashed instance") << true;
    QTest::newRow("a file") << false;
}

void TestSingleInstance::staleSocketReplaced()
{
    QFETCH(bool, crashedInstance);
    if (crashedInstance) {
        const auto listener = startListener();
        QCOMPARE(listener->readLine().trimmed(), QByteArray("listening"));
        listener->kill();
        QVERIFY(listener->waitForFinished(ChildTimeoutMs));
    } else {
        QFile file(socketFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFileInfo::exists(socketFile()));

    SingleInstance first(WindowClass);
    QVERIFY(first.listen());
    QSignalSpy restores(&first, &SingleInstance::restoreRequested);
    QCOMPARE(sendFromChild(), 0);
    QCOMPARE(restores.count(), 1);
}

void TestSingleInstance::closedInstanceRemovesSocket()
{
    {
        SingleInstance first(WindowClass);
        QVERIFY(first.listen());
        QVERIFY(QFileInfo::exists(socketFile()));
    }
    QVERIFY(!QFileInfo::exists(socketFile()));
    QVERIFY(!SingleInstance::sendRestore(WindowClass));
}

void TestSingleInstance::claim_data()
{
    QTest::addColumn<QString>("lockFolder"); // relative to the test's folder; empty: the private temp folder
    QTest::addColumn<int>("folderMode");     // of the private temp folder, made beforehand when not 0
    QTest::addColumn<bool>("heldHere");
    QTest::addColumn<int>("exitStatus"); // -1: the start goes on
    QTest::addColumn<QString>("message");
    QTest::newRow("free") << "." << 0 << false << -1 << "";
    QTest::newRow("held by a running instance") << "." << 0 << true << 0 << "";
    QTest::newRow("lock folder missing") << "missing" << 0 << false << 1 << "missing: No such file or directory";
    QTest::newRow("private folder open to others") << "" << 0755 << false << 1 << ": open to other users";
    QTest::newRow("private folder fine") << "" << 0700 << false << -1 << "";
}

// A lock that cannot be used at all is an error; only a lock held by a
// running instance means that the program already runs.
void TestSingleInstance::claim()
{
    QFETCH(QString, lockFolder);
    QFETCH(int, folderMode);
    QFETCH(bool, heldHere);
    QFETCH(int, exitStatus);
    QFETCH(QString, message);
    MessageBox::setTestMode(true);
    if (lockFolder.isEmpty()) {
        qunsetenv("QVZIZAVURE_LOCK_DIR");
        qputenv("XDG_RUNTIME_DIR", "");
        qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
        const QString privateFolder = m_dir->filePath(QStringLiteral("qvzizavure-") + QString::number(::geteuid()));
        QVERIFY(QDir().mkdir(privateFolder));
        QVERIFY(::chmod(QFile::encodeName(privateFolder).constData(), mode_t(folderMode)) == 0);
    } else {
        qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_dir->filePath(lockFolder)));
    }
    NamedMutex running(QStringLiteral("QVZizaVureessorGUI"));
    if (heldHere)
        QVERIFY(running.tryLock());
    NamedMutex mutex(QStringLiteral("QVZizaVureessorGUI"));
    const std::optional<int> status =
        SingleInstance::claim(mutex, WindowClass, [](const QString& text) { MessageBox::error(nullptr, text); });
    qunsetenv("TMPDIR");
    QCOMPARE(status.value_or(-1), exitStatus);
    QCOMPARE(mutex.isLocked(), exitStatus == -1);
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(shown[0].contains(message), qPrintable(shown[0]));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Child runs started by the tests.
    if (qEnvironmentVariableIsSet(SendEnv))
        return SingleInstance::sendRestore(qEnvironmentVariable(SendEnv)) ? 0 : 1;
    if (qEnvironmentVariableIsSet(ListenEnv))
        return listenWithoutAnswering(qEnvironmentVariable(ListenEnv));

    TestSingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
