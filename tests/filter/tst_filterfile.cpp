// Reading, writing and applying filter files on real files.
#include "TestFiles.h"
#include "config/FilterFile.h"

#include <QTemporaryDir>
#include <QTest>

class TestFilterFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void applyFilterFile_data();
    void applyFilterFile();
    void filterTextProblem_data();
    void filterTextProblem();
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
                              << QStringLiteral(" AND (QV_SITES.BASIN   =  'North'\r\n)");
    QTest::newRow("last line unended") << QByteArray("A = 1 AND \r\nB = 2")
                                       << QStringLiteral(" AND (A = 1 AND \r\nB = 2\r\n)");
    QTest::newRow("LF and CR breaks") << QByteArray("A\nB\rC\n") << QStringLiteral(" AND (A\r\nB\r\nC\r\n)");
    QTest::newRow("inner blank line kept") << QByteArray("A\r\n\r\nB\r\n") << QStringLiteral(" AND (A\r\n\r\nB\r\n)");
    QTest::newRow("Windows-1252 line") << QByteArray("C = 'Z\xfcrich \x80'\r\n")
                                       << QStringLiteral(" AND (C = 'Zürich €'\r\n)");
    QTest::newRow("UTF-8 and Windows-1252 lines") << QByteArray("C = 'Z\xc3\xbcrich' OR\r\nC = 'Z\xfcrich'\r\n")
                                                  << QStringLiteral(" AND (C = 'Zürich' OR\r\nC = 'Zürich'\r\n)");
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

void TestFilterFile::filterTextProblem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem"); // empty: the text is one condition
    QTest::newRow("condition") << "QV_SITES.BASIN = 'North' AND (A = 1 OR B = 2)"
                               << "";
    QTest::newRow("marks in quoted text") << "A = 'x;y--z/*(' AND \"c;d\" = 'it''s'"
                                          << "";
    QTest::newRow("stacked statement") << "A = 'ST001'; DELETE FROM QV_PPLIST"
                                       << "it holds \";\" outside quoted text";
    QTest::newRow("line comment") << "A = 1 --"
                                  << "it holds a comment marker";
    QTest::newRow("block comment") << "A = 1 /* x */"
                                   << "it holds a comment marker";
    QTest::newRow("union after a closed condition") << "1 = 1) UNION SELECT current_user, version() WHERE (1 = 1"
                                                    << "a \")\" closes more than was opened";
    QTest::newRow("parenthesis left open") << "(A = 1"
                                           << "a \"(\" is left open";
    QTest::newRow("quote left open") << "A = 'x"
                                     << "a quote is left open";
    QTest::newRow("escaped quote") << "A = E'\\''; DELETE FROM QV_PPLIST; SELECT '"
                                   << "it holds a backslash in quoted text";
    QTest::newRow("dollar quoting") << "A = $$x$$"
                                    << "it holds \"$\" outside quoted text";
    QTest::newRow("names in brackets and backticks") << "[QV_SITES].[BASIN] = 'x' AND `CITY` <> 'y(' AND (B = 1)"
                                                     << "";
    QTest::newRow("words in quoted text and names") << "CITY = 'UNION' AND DESCRIPTION <> 'into' AND UNIONS = 1"
                                                    << "";
    QTest::newRow("parenthesis hidden in brackets")
        << "'x' <> (SELECT 'y' AS [(]) ) UNION SELECT name, 0 FROM sqlite_master WHERE (1 IN (SELECT 1 AS [)])"
        << "a \")\" closes more than was opened";
    QTest::newRow("parenthesis hidden in backticks")
        << "'x' <> (SELECT 'y' AS `(`) ) UNION SELECT name, 0 FROM sqlite_master WHERE (1 IN (SELECT 1 AS `)`)"
        << "a \")\" closes more than was opened";
    QTest::newRow("union in plain text") << "A IN (SELECT B FROM QV_SITES UNION SELECT name FROM sqlite_master)"
                                         << "it holds the word UNION";
    QTest::newRow("except after a number") << "A IN (SELECT 1EXCEPT SELECT 2)"
                                           << "it holds the word EXCEPT";
    QTest::newRow("select into") << "A IN (SELECT B INTO OUTFILE '/tmp/x' FROM QV_SITES)"
                                 << "it holds the word INTO";
    QTest::newRow("bracket closed twice") << "[a]]) OR (1 = 1"
                                          << "it holds \"]\" outside quoted text";
    QTest::newRow("quote in a bracketed name") << "A[' ]' ) OR (1 = 1 ]"
                                               << "it holds a quote inside a name in [ ] or ` `";
    QTest::newRow("statement mark in a backtick name") << "`a;b` = 1"
                                                       << "it holds \";\" outside quoted text";
    QTest::newRow("bracket left open") << "[a = 1"
                                       << "a quote is left open";
}

// A text that passes stands as one condition: nothing can follow it in the
// statement. One that does not is refused, naming why.
void TestFilterFile::filterTextProblem()
{
    QFETCH(QString, text);
    QFETCH(QString, problem);
    QCOMPARE(FilterTextProblem(text), problem);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".flt"));
    QVERIFY(WriteFilterLines(path, {text}));
    try {
        QCOMPARE(ApplyFilterFile(QStringLiteral("BASE"), path), QStringLiteral("BASE AND (%1\r\n)").arg(text));
        QVERIFY(problem.isEmpty());
    } catch (const EFilterError& error) {
        QCOMPARE(error.message(), QStringLiteral("The filter %1 cannot be used: %2.").arg(path, problem));
    }
}

void TestFilterFile::writeFilterLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("bytes"); // the file afterwards, which held "old\r\n"

    QTest::newRow("no lines") << QStringList() << true << QByteArray("");
    QTest::newRow("lines end with CR LF") << QStringList{QStringLiteral("A AND "), QString(), QStringLiteral("B")}
                                          << true << QByteArray("A AND \r\n\r\nB\r\n");
    QTest::newRow("UTF-8") << QStringList{QStringLiteral("'Zürich'"), QStringLiteral("'Łódź'")} << true
                           << QByteArray("'Z\xc3\xbcrich'\r\n'\xc5\x81\xc3\xb3"
                                         "d\xc5\xba'\r\n");
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
