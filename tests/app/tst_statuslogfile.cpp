#include "StatusLogFile.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestStatusLogFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rotation_data();
    void rotation();
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

QTEST_GUILESS_MAIN(TestStatusLogFile)
#include "tst_statuslogfile.moc"
