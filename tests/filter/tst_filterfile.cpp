// Reading, writing and applying filter files on real files.
#include "FilterFile.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestFilterFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void applyFilterFile_data();
    void applyFilterFile();
    void writeFilterLines_data();
    void writeFilterLines();

private:
    QTemporaryDir m_dir;
};

void TestFilterFile::applyFilterFile_data()
{
    QTest::addColumn<QByteArray>("bytes");  // the file's content; null: no file
    QTest::addColumn<QString>("condition"); // what follows the base query; empty: nothing

    QTest::newRow("missing file") << QByteArray() << QString();
    QTest::newRow("empty file") << QByteArray("") << QString();
    QTest::newRow("blank lines") << QByteArray("  \r\n\r\n\t \r\n") << QString();
    QTest::newRow("one line") << QByteArray("QV_SITES.BASIN   =  'North'\r\n")
                              << QStringLiteral(" AND QV_SITES.BASIN   =  'North'\r\n");
    QTest::newRow("last line unended") << QByteArray("A = 1 AND \r\nB = 2")
                                       << QStringLiteral(" AND A = 1 AND \r\nB = 2\r\n");
    QTest::newRow("LF and CR breaks") << QByteArray("A\nB\rC\n") << QStringLiteral(" AND A\r\nB\r\nC\r\n");
    QTest::newRow("inner blank line kept") << QByteArray("A\r\n\r\nB\r\n") << QStringLiteral(" AND A\r\n\r\nB\r\n");
    QTest::newRow("single-byte text") << QByteArray("C = 'Z\xfcrich'\r\n") << QStringLiteral(" AND C = 'Zürich'\r\n");
}

void TestFilterFile::applyFilterFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, condition);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".flt"));
    if (!bytes.isNull())
        TestFiles::write(path, bytes);

    const QString base = StationQueryBase;
    QCOMPARE(ApplyFilterFile(base, path), base + condition);
}

void TestFilterFile::writeFilterLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("bytes"); // the file afterwards, which held "old\r\n"

    QTest::newRow("no lines") << QStringList() << true << QByteArray("");
    QTest::newRow("lines end with CR LF") << QStringList{QStringLiteral("A AND "), QString(), QStringLiteral("B")}
                                          << true << QByteArray("A AND \r\n\r\nB\r\n");
    QTest::newRow("Latin-1 as one byte") << QStringList{QStringLiteral("'Zürich'")} << true
                                         << QByteArray("'Z\xfcrich'\r\n");
    QTest::newRow("beyond Latin-1 refused")
        << QStringList{QStringLiteral("A"), QStringLiteral("'Łódź'")} << false << QByteArray("old\r\n");
}

void TestFilterFile::writeFilterLines()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, written);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("written.flt"));
    TestFiles::write(path, "old\r\n");

    QCOMPARE(WriteFilterLines(path, lines), written);
    QCOMPARE(TestFiles::read(path), bytes);
    QStringList read;
    QVERIFY(ReadFilterLines(path, read));
    if (written)
        QCOMPARE(read, lines);
}

QTEST_GUILESS_MAIN(TestFilterFile)
#include "tst_filterfile.moc"
