#include "Version.h"
#include "app/AboutForm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestAboutForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionLine_data();
    void versionLine();
    void labels();
};

void TestAboutForm::versionLine_data()
{
    QTest::addColumn<QString>("fileVersion");
    QTest::addColumn<QString>("productVersion");
    QTest::addColumn<QString>("expected");
    QTest::newRow("four parts") << "2.1.0.17"
                                << "2.1"
                                << "Version 2.1 (Build 17)";
    QTest::newRow("two parts") << "2.1"
                               << "2.1"
                               << "Version 2.1 (Build )";
    QTest::newRow("three parts") << "2.1.0"
                                 << "2.1"
                                 << "Version 2.1 (Build )";
    QTest::newRow("more than four parts") << "2.1.0.17.3"
                                          << "2.1"
                                          << "Version 2.1 (Build 17.3)";
    QTest::newRow("empty") << ""
                           << ""
                           << "Version  (Build )";
}

void TestAboutForm::versionLine()
{
    QFETCH(QString, fileVersion);
    QFETCH(QString, productVersion);
    QFETCH(QString, expected);
    QCOMPARE(TfmAbout::versionLine(fileVersion, productVersion), expected);
    TfmAbout box(nullptr, fileVersion, productVersion);
    box.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), expected);
}

void TestAboutForm::labels()
{
    auto* box = new TfmAbout(nullptr);
    QPointer<TfmAbout> guard(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("About QV ZizaVure"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("AppNameLabel"))->text(), QStringLiteral("QV ZizaVure"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("PartNumberLabel"))->text(), QStringLiteral("XXXX-XXXX"));
    // The build's own version strings: the file version carries the build number.
    const QString build = QStringLiteral(QVZ_FILE_VERSION).section(u'.', 3);
    QVERIFY(!build.isEmpty());
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version %1 (Build %2)").arg(QStringLiteral(QVZ_PRODUCT_VERSION), build));
    // OK closes the box and releases it.
    box->show();
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
}

QTEST_MAIN(TestAboutForm)
#include "tst_aboutform.moc"
