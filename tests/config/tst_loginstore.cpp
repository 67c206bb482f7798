#include "config/ConfigFile.h"
#include "config/LoginStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLoginStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedAndReadBack_data();
    void storedAndReadBack();
    void unreadablePasswordKeepsTheKnownOne();
    void blank_data();
    void blank();

private:
    QTemporaryDir m_folder;
};

void TestLoginStore::storedAndReadBack_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("passwordStored");

    QTest::newRow("plain") << u"s3cret"_s << true;
    QTest::newRow("non-ASCII") << u"P\u00e4ssw\u00f6rd"_s << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("with a colon") << u"a:b"_s << false;
    QTest::newRow("30 bytes") << QString(30, u'x') << false;
}

// A password that cannot be stored keeps the whole stored login, which works.
void TestLoginStore::storedAndReadBack()
{
    QFETCH(QString, password);
    QFETCH(bool, passwordStored);

    ConfigFile config(m_folder.filePath(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(TLoginStore({u"QVOLD"_s, u"old"_s, u"working"_s}).store(config).written);
    TLoginStore login{u"QVDEMO"_s, u"operator"_s, password};
    const TLoginStore::StoreResult result = login.store(config);
    QCOMPARE(result.written, passwordStored);
    QCOMPARE(result.passwordStored, passwordStored);

    TLoginStore read{{}, {}, u"known"_s};
    read.readStored(ConfigFile(config.path()));
    const TLoginStore expected = passwordStored ? login : TLoginStore{u"QVOLD"_s, u"old"_s, u"working"_s};
    QCOMPARE(read.DataSource, expected.DataSource);
    QCOMPARE(read.UserName, expected.UserName);
    QCOMPARE(read.Password, expected.Password);
}

void TestLoginStore::unreadablePasswordKeepsTheKnownOne()
{
    ConfigFile config(m_folder.filePath(u"unreadable"_s));
    QVERIFY(config.WriteDatabaseSettings({u"QVDEMO"_s, u"operator"_s, u"not a protected password"_s}));
    TLoginStore login{{}, {}, u"known"_s};
    login.readStored(config);
    QCOMPARE(login.UserName, u"operator"_s);
    QCOMPARE(login.Password, u"known"_s);
}

void TestLoginStore::blank_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<bool>("blank");

    QTest::newRow("nothing") << QString() << QString() << true;
    QTest::newRow("blanks") << u"  "_s << u"\t"_s << true;
    QTest::newRow("a data source") << u"QVDEMO"_s << QString() << false;
    QTest::newRow("a user") << QString() << u"operator"_s << false;
}

void TestLoginStore::blank()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, userName);
    QFETCH(bool, blank);

    TLoginStore login{dataSource, userName, u"pw"_s};
    QCOMPARE(login.isBlank(), blank);
    login.forgetSource();
    QVERIFY(login.isBlank());
    QCOMPARE(login.Password, u"pw"_s);
}

QTEST_GUILESS_MAIN(TestLoginStore)
#include "tst_loginstore.moc"
