#include "TestFiles.h"
#include "app/StatusLogFile.h"
#include "config/UserSettingsFile.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestStatusLogFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rotation_data();
    void rotation();
    void plantedFiles_data();
    void plantedFiles();
    void newLogIsNotWorldReadable();
    void ownFilesLeaveASharedFolder_data();
    void ownFilesLeaveASharedFolder();
};

void TestStatusLogFile::rotation_data()
{
    QTest::addColumn<qint64>("existingSize");
    QTest::addColumn<bool>("rotates");
    QTest::newRow("no file") << qint64(-1) << false;
    QTest::newRow("just below the limit") << StatusLogFile::MaxSize - 1 << false;
    QTest::newRow("at the limit") << StatusLogFile::MaxSize << true;
    QTest::newRow("above the limit") << StatusLogFile::MaxSize + 500 << true;
}

void TestStatusLogFile::rotation()
{
    QFETCH(qint64, existingSize);
    QFETCH(bool, rotates);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.log"));
    const QByteArray existing = existingSize < 0 ? QByteArray() : QByteArray(existingSize, 'x');
    if (existingSize >= 0)
        TestFiles::write(path, existing);
    TestFiles::write(path + QStringLiteral(".1"), "the older log\n");

    StatusLogFile log(path);
    log.append(QStringLiteral("12/8/2026 6:00:00 PM    Zürich"));
    const QByteArray line = QStringLiteral("12/8/2026 6:00:00 PM    Zürich\n").toUtf8();
    if (rotates) {
        QCOMPARE(TestFiles::read(path), line);
        QCOMPARE(TestFiles::read(path + QStringLiteral(".1")), existing);
    } else {
        QCOMPARE(TestFiles::read(path), existing + line);
        QCOMPARE(TestFiles::read(path + QStringLiteral(".1")), QByteArray("the older log\n"));
    }
}

// What another user of a shared folder may put in the log's place.
void TestStatusLogFile::plantedFiles_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<bool>("written"); // whether the line reaches the target
    QTest::newRow("link of another user") << "foreign link" << false;
    QTest::newRow("own link") << "own link" << true;
    QTest::newRow("FIFO") << "fifo" << false;
}

void TestStatusLogFile::plantedFiles()
{
    QFETCH(QString, planted);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.log"));
    const QString target = dir.filePath(QStringLiteral("victim"));
    TestFiles::write(target, "kept\n");
    if (!TestFiles::plant(path, target, planted))
        QSKIP("giving a link to another user needs root");
    QElapsedTimer timer;
    timer.start();
    StatusLogFile(path).append(QStringLiteral("line"));
    QVERIFY2(timer.elapsed() < 2000, "the log waited on the planted file");
    QCOMPARE(TestFiles::read(target), written ? QByteArray("kept\nline\n") : QByteArray("kept\n"));
}

void TestStatusLogFile::newLogIsNotWorldReadable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.log"));
    const mode_t oldMask = ::umask(022);
    StatusLogFile(path).append(QStringLiteral("line"));
    ::umask(oldMask);
    QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::WriteGroup),
             QFileDevice::Permissions());
}

void TestStatusLogFile::ownFilesLeaveASharedFolder_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("inProgramFolder");
    QTest::newRow("private folder") << 0755 << true;
    QTest::newRow("shared with the group") << 02775 << false;
    QTest::newRow("open to everybody") << 0777 << false;
}

void TestStatusLogFile::ownFilesLeaveASharedFolder()
{
    QFETCH(int, folderMode);
    QFETCH(bool, inProgramFolder);
    QTemporaryDir home;
    QTemporaryDir user;
    QCOMPARE(::chmod(QFile::encodeName(home.path()).constData(), mode_t(folderMode)), 0);
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(user.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(user.filePath(QStringLiteral("state"))));
    const QString log = StatusLogFile::defaultPath();
    const QString settings = UserSettingsFile::defaultPath();
    QCOMPARE(log, inProgramFolder ? home.filePath(QStringLiteral("QVZizaVure.log"))
                                  : user.filePath(QStringLiteral("state/qvzizavure/QVZizaVure.log")));
    QCOMPARE(settings, inProgramFolder ? home.filePath(QStringLiteral("QVPPUsr.QVS"))
                                       : user.filePath(QStringLiteral("config/qvzizavure/QVPPUsr.QVS")));
    QVERIFY(QFileInfo(log).dir().exists());
}

QTEST_GUILESS_MAIN(TestStatusLogFile)
#include "tst_statuslogfile.moc"
