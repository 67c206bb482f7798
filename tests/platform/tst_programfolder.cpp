#include "platform/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where an installed program finds the folder its package made, for a
// package unpacked under any root; a build tree never finds one.
class TestProgramFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void installedFolder_data()
    {
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<bool>("packageFolderMade");
        QTest::addColumn<bool>("installed");

        QTest::newRow("program") << "usr/bin" << true << true;
        QTest::newRow("service") << "usr/libexec/qvzizavure" << true << true;
        QTest::newRow("unclean path") << "usr/./bin/" << true << true;
        QTest::newRow("folder not made") << "usr/bin" << false << false;
        QTest::newRow("build tree beside a package") << "home/qvz/build/bin" << true << false;
        QTest::newRow("other libexec") << "usr/libexec/other" << true << false;
        QTest::newRow("bin as part of a name") << "usr/sbin" << true << false;
    }

    void installedFolder()
    {
        QFETCH(QString, executableFolder);
        QFETCH(bool, packageFolderMade);
        QFETCH(bool, installed);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString packageFolder = QDir::cleanPath(root.filePath(QStringLiteral("usr/" QVZ_INSTALL_STATEDIR)));
        QVERIFY(QDir().mkpath(root.filePath(executableFolder)));
        if (packageFolderMade)
            QVERIFY(QDir().mkpath(packageFolder));

        const QString found = ProgramFolder::installedFolder(root.filePath(executableFolder));
        QCOMPARE(found, installed ? packageFolder : QString());
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
