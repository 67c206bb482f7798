#include "platform/NamedMutex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in the environment of a child run of this executable: the name of the
// lock it takes and holds until its standard input closes.
const char HoldEnv[] = "TST_NAMEDMUTEX_HOLD";
constexpr int ChildTimeoutMs = 30000;

int holdLock(const QString& name)
{
    NamedMutex mutex(name);
    const bool locked = mutex.tryLock();
    std::fputs(locked ? "locked\n" : "refused\n", stdout);
    std::fflush(stdout);
    if (!locked)
        return 1;
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return 0;
}

struct SavedVariable
{
    const char* name;
    bool isSet;
    QByteArray value;

    explicit SavedVariable(const char* variable)
        : name(variable), isSet(qEnvironmentVariableIsSet(variable)), value(qgetenv(variable))
    {
    }
    void restore() const
    {
        if (isSet)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
};

bool makePrivateFolder(const QString& path)
{
    return QDir().mkpath(path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString privateFolderName()
{
    return QStringLiteral("qvzizavure-") + QString::number(::geteuid());
}

} // namespace

class TestNamedMutex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void lockFilePath_data();
    void lockFilePath();
    void emptyNamesRefused_data();
    void emptyNamesRefused();
    void namesStayInsideFolder_data();
    void namesStayInsideFolder();
    void differentNamesDoNotExclude_data();
    void differentNamesDoNotExclude();
    void heldByAnotherProcess();
    void releasedWhenHolderEnds_data();
    void releasedWhenHolderEnds();
    void isHeldDoesNotTakeTheLock();
    void lockAndUnlock();
    void destructorReleases();
    void secondObjectInSameProcess();
    void plainNamesLiveInRuntimeFolder();
    void globalNamesLiveInServiceFolder();
    void privateFolderWithoutRuntimeFolder();
    void unsafePrivateFolderRefused_data();
    void unsafePrivateFolderRefused();
    void unsafeRuntimeFolderSkipped();

private:
    std::unique_ptr<QProcess> startHolder(const QString& name);
    QByteArray childTries(const QString& name);
    void useSystemFolders();
    QStringList lockFiles() const { return QDir(m_lockDir).entryList(QDir::Files | QDir::System | QDir::Hidden); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_lockDir;
    const SavedVariable m_runtimeDir{"XDG_RUNTIME_DIR"};
    const SavedVariable m_tempDir{"TMPDIR"};
};

// A child run of this executable that holds the named lock until its standard
// input closes; the first line it writes is "locked" or "refused".
std::unique_ptr<QProcess> TestNamedMutex::startHolder(const QString& name)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(HoldEnv), name);
    child->setProcessEnvironment(environment);
    child->start(QCoreApplication::applicationFilePath(), QStringList());
    while (!child->canReadLine() && child->waitForReadyRead(ChildTimeoutMs)) {
    }
    return child;
}

// What another process gets when it tries the lock now.
QByteArray TestNamedMutex::childTries(const QString& name)
{
    const auto child = startHolder(name);
    const QByteArray answer = child->readLine().trimmed();
    child->closeWriteChannel();
    child->waitForFinished(ChildTimeoutMs);
    return answer;
}

void TestNamedMutex::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A folder inside the temporary one, so that a file escaping it would show.
    m_lockDir = m_dir->filePath(QStringLiteral("locks"));
    QVERIFY(QDir().mkpath(m_lockDir));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_lockDir));
}

void TestNamedMutex::cleanup()
{
    qunsetenv("QVZIZAVURE_LOCK_DIR");
    m_runtimeDir.restore();
    m_tempDir.restore();
}

// Leaves the folder choice to the program, inside the temporary folder where
// the environment allows it.
void TestNamedMutex::useSystemFolders()
{
    qunsetenv("QVZIZAVURE_LOCK_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString temp = m_dir->filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    qputenv("TMPDIR", QFile::encodeName(temp));
}

void TestNamedMutex::lockFilePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << "QVZizaVureessorGUI"
                           << "QVZizaVureessorGUI.lock";
    QTest::newRow("global keeps its prefix") << "Global\\QVZizaVureessor"
                                             << "Global%5CQVZizaVureessor.lock";
    QTest::newRow("slash") << "a/b"
                           << "a%2Fb.lock";
    QTest::newRow("parent") << ".."
                            << "...lock";
    QTest::newRow("parent path") << "../x"
                                 << "..%2Fx.lock";
    QTest::newRow("percent") << "50%"
                             << "50%25.lock";
    QTest::newRow("blank") << "a b"
                           << "a%20b.lock";
    QTest::newRow("non-ASCII") << QStringLiteral("Zürich") << "Z%C3%BCrich.lock";
}

void TestNamedMutex::lockFilePath()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QCOMPARE(NamedMutex::lockFilePath(name), m_lockDir + u'/' + fileName);
}

void TestNamedMutex::emptyNamesRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("global prefix alone") << "Global\\";
}

void TestNamedMutex::emptyNamesRefused()
{
    QFETCH(QString, name);
    QVERIFY(NamedMutex::lockFilePath(name).isEmpty());
    NamedMutex mutex(name);
    QVERIFY(!mutex.tryLock());
    QVERIFY(!mutex.isLocked());
    QVERIFY(!NamedMutex::isHeld(name));
    QVERIFY(lockFiles().isEmpty());
}

void TestNamedMutex::namesStayInsideFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent path") << "../escape";
    QTest::newRow("parent") << "..";
    QTest::newRow("current") << ".";
    QTest::newRow("subfolder") << "a/b";
    QTest::newRow("up and out") << "sub/../../x";
    QTest::newRow("absolute") << "/etc/qvzizavure-x";
    QTest::newRow("global parent path") << "Global\\../../x";
    QTest::newRow("backslashes") << "\\..\\x";
}

void TestNamedMutex::namesStayInsideFolder()
{
    QFETCH(QString, name);
    const auto holder = startHolder(name);
    QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));

    QVERIFY(NamedMutex::isHeld(name));
    NamedMutex mutex(name);
    QVERIFY(!mutex.tryLock());
    const QFileInfo lockFile(NamedMutex::lockFilePath(name));
    QCOMPARE(lockFile.absolutePath(), m_lockDir);
    QCOMPARE(lockFiles(), QStringList{lockFile.fileName()});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("locks")});

    holder->closeWriteChannel();
    QVERIFY(holder->waitForFinished(ChildTimeoutMs));
}

void TestNamedMutex::differentNamesDoNotExclude_data()
{
    QTest::addColumn<QString>("heldName");
    QTest::addColumn<QString>("otherName");
    QTest::newRow("global, then plain") << "Global\\X"
                                        << "X";
    QTest::newRow("plain, then global") << "X"
                                        << "Global\\X";
    QTest::newRow("slash and underscore") << "a/b"
                                          << "a_b";
    QTest::newRow("slash and its encoding") << "a/b"
                                            << "a%2Fb";
    QTest::newRow("letter case") << "X"
                                 << "x";
}

void TestNamedMutex::differentNamesDoNotExclude()
{
    QFETCH(QString, heldName);
    QFETCH(QString, otherName);
    QVERIFY(NamedMutex::lockFilePath(heldName) != NamedMutex::lockFilePath(otherName));
    const auto holder = startHolder(heldName);
    QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));

    QVERIFY(NamedMutex::isHeld(heldName));
    QVERIFY(!NamedMutex::isHeld(otherName));
    NamedMutex other(otherName);
    QVERIFY(other.tryLock());

    holder->closeWriteChannel();
    QVERIFY(holder->waitForFinished(ChildTimeoutMs));
}

void TestNamedMutex::heldByAnotherProcess()
{
    const QString name = QStringLiteral("QVZizaVureessorGUI");
    const auto holder = startHolder(name);
    QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));

    QVERIFY(NamedMutex::isHeld(name));
    NamedMutex mutex(name);
    QVERIFY(!mutex.tryLock());
    QVERIFY(!mutex.isLocked());

    holder->closeWriteChannel();
    QVERIFY(holder->waitForFinished(ChildTimeoutMs));
    QCOMPARE(holder->exitCode(), 0);
}

void TestNamedMutex::releasedWhenHolderEnds_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("holder exits") << false;
    QTest::newRow("holder killed") << true;
}

void TestNamedMutex::releasedWhenHolderEnds()
{
    QFETCH(bool, killed);
    const QString name = QStringLiteral("Global\\QVZizaVureessor");
    const auto holder = startHolder(name);
    QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));
    QVERIFY(NamedMutex::isHeld(name));

    if (killed)
        holder->kill(); // SIGKILL: the holder gets no chance to unlock
    else
        holder->closeWriteChannel();
    QVERIFY(holder->waitForFinished(ChildTimeoutMs));
    QCOMPARE(holder->exitStatus(), killed ? QProcess::CrashExit : QProcess::NormalExit);

    QVERIFY(!NamedMutex::isHeld(name));
    NamedMutex mutex(name);
    QVERIFY(mutex.tryLock());
}

void TestNamedMutex::isHeldDoesNotTakeTheLock()
{
    const QString name = QStringLiteral("QVZizaVureessor");
    QVERIFY(!NamedMutex::isHeld(name));
    QVERIFY2(lockFiles().isEmpty(), "isHeld() made a lock file");

    QCOMPARE(childTries(name), QByteArray("locked")); // leaves the lock file behind
    QVERIFY(!NamedMutex::isHeld(name));
    QCOMPARE(childTries(name), QByteArray("locked"));

    const auto holder = startHolder(name);
    QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));
    QVERIFY(NamedMutex::isHeld(name));
    holder->closeWriteChannel();
    QVERIFY(holder->waitForFinished(ChildTimeoutMs));
    QCOMPARE(childTries(name), QByteArray("locked"));
}

void TestNamedMutex::lockAndUnlock()
{
    const QString name = QStringLiteral("QVZizaVureessorGUI");
    NamedMutex mutex(name);
    QVERIFY(!mutex.isLocked());
    QVERIFY(mutex.tryLock());
    QVERIFY(mutex.isLocked());
    QVERIFY(mutex.tryLock()); // already ours
    QVERIFY(NamedMutex::isHeld(name));
    QVERIFY(QFile::exists(NamedMutex::lockFilePath(name)));
    QCOMPARE(childTries(name), QByteArray("refused"));

    mutex.unlock();
    QVERIFY(!mutex.isLocked());
    QVERIFY(!NamedMutex::isHeld(name));
    QCOMPARE(childTries(name), QByteArray("locked"));

    QVERIFY(mutex.tryLock());
    QCOMPARE(childTries(name), QByteArray("refused"));
}

void TestNamedMutex::destructorReleases()
{
    const QString name = QStringLiteral("QVZizaVureessorGUI");
    {
        NamedMutex mutex(name);
        QVERIFY(mutex.tryLock());
        QCOMPARE(childTries(name), QByteArray("refused"));
    }
    QVERIFY(!NamedMutex::isHeld(name));
    QCOMPARE(childTries(name), QByteArray("locked"));
}

// The kernel would let a second object of the process share the lock, and its
// closing descriptor would drop the first object's lock.
void TestNamedMutex::secondObjectInSameProcess()
{
    const QString name = QStringLiteral("QVZizaVureessorGUI");
    NamedMutex first(name);
    QVERIFY(first.tryLock());
    {
        NamedMutex second(name);
        QVERIFY(!second.tryLock());
        QVERIFY(!second.isLocked());
        QVERIFY(NamedMutex::isHeld(name));
    }
    QVERIFY(first.isLocked());
    QCOMPARE(childTries(name), QByteArray("refused"));

    first.unlock();
    NamedMutex third(name);
    QVERIFY(third.tryLock());
}

void TestNamedMutex::plainNamesLiveInRuntimeFolder()
{
    useSystemFolders();
    const QString runtime = m_dir->filePath(QStringLiteral("run"));
    QVERIFY(makePrivateFolder(runtime));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    QCOMPARE(NamedMutex::localFolder(), runtime);
    QCOMPARE(NamedMutex::lockFilePath(QStringLiteral("QVZizaVureessorGUI")),
             runtime + QStringLiteral("/QVZizaVureessorGUI.lock"));
    NamedMutex mutex(QStringLiteral("QVZizaVureessorGUI"));
    QVERIFY(mutex.tryLock());
    QVERIFY(QFile::exists(runtime + QStringLiteral("/QVZizaVureessorGUI.lock")));
}

// Only the path is checked here: the service's folder is outside the test's
// reach (tests/packaging/debian-package.sh tries it). A global name lives
// there when only its owner may write it, and nowhere else.
void TestNamedMutex::globalNamesLiveInServiceFolder()
{
    useSystemFolders();
    const QString runtime = m_dir->filePath(QStringLiteral("run"));
    QVERIFY(makePrivateFolder(runtime));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    struct stat info;
    const bool usable = ::lstat("/run/qvzizavure", &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & 022) == 0;
    QCOMPARE(NamedMutex::lockFilePath(QStringLiteral("Global\\QVZizaVureessor")),
             usable ? QStringLiteral("/run/qvzizavure/QVZizaVureessor.lock") : QString());
    QCOMPARE(NamedMutex::lockFilePath(QStringLiteral("QVZizaVureessor")),
             runtime + QStringLiteral("/QVZizaVureessor.lock"));
    if (!usable) {
        NamedMutex mutex(QStringLiteral("Global\\QVZizaVureessor"));
        QVERIFY(!mutex.tryLock());
        QVERIFY2(mutex.errorString().startsWith(QStringLiteral("/run/qvzizavure: ")), qPrintable(mutex.errorString()));
    }
}

void TestNamedMutex::privateFolderWithoutRuntimeFolder()
{
    useSystemFolders();
    const QString expected = m_dir->filePath(QStringLiteral("tmp/")) + privateFolderName();

    QCOMPARE(NamedMutex::localFolder(), expected);
    const QFileInfo folder(expected);
    QVERIFY(folder.isDir());
    QVERIFY(!folder.isSymLink());
    QCOMPARE(folder.ownerId(), uint(::geteuid()));
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(expected).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);

    NamedMutex mutex(QStringLiteral("QVZizaVureessorGUI"));
    QVERIFY(mutex.tryLock());
    QVERIFY(QFile::exists(expected + QStringLiteral("/QVZizaVureessorGUI.lock")));
}

void TestNamedMutex::unsafePrivateFolderRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("symlink to a private folder") << "symlink";
    QTest::newRow("open to others") << "open";
    QTest::newRow("owned by another user") << "foreign";
    QTest::newRow("a file") << "file";
}

void TestNamedMutex::unsafePrivateFolderRefused()
{
    QFETCH(QString, kind);
    useSystemFolders();
    const QString path = m_dir->filePath(QStringLiteral("tmp/")) + privateFolderName();
    if (kind == QLatin1String("symlink")) {
        const QString target = m_dir->filePath(QStringLiteral("elsewhere"));
        QVERIFY(makePrivateFolder(target));
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("open")) {
        QVERIFY(makePrivateFolder(path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                                QFile::ExeOther));
    } else if (kind == QLatin1String("foreign")) {
        QVERIFY(makePrivateFolder(path));
        if (::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
            QSKIP("giving the folder to another user needs root");
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QVERIFY(NamedMutex::localFolder().isEmpty());
    QVERIFY(NamedMutex::lockFilePath(QStringLiteral("QVZizaVureessorGUI")).isEmpty());
    NamedMutex mutex(QStringLiteral("QVZizaVureessorGUI"));
    QVERIFY(!mutex.tryLock());
}

void TestNamedMutex::unsafeRuntimeFolderSkipped()
{
    useSystemFolders();
    const QString runtime = m_dir->filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                               QFile::WriteOther | QFile::ExeOther));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    QCOMPARE(NamedMutex::localFolder(), m_dir->filePath(QStringLiteral("tmp/")) + privateFolderName());
}

int main(int argc, char* argv[])
{
    // A child run started by the tests: hold a lock, nothing else.
    if (qEnvironmentVariableIsSet(HoldEnv))
        return holdLock(qEnvironmentVariable(HoldEnv));

    QCoreApplication app(argc, argv);
    TestNamedMutex test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_namedmutex.moc"
