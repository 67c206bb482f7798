// The setup editor as it opens on one screen at one scaling, both set for the
// whole process by CTest (the offscreen screen's size in device pixels and
// QT_SCALE_FACTOR): the window takes its default size, fits the screen, and
// every button of its screenshot lies inside the screen. The screenshot is
// left in the test's folder for a person to look at.
#include "OdbcFixture.h"
#include "config/ConfigFile.h"
#include "db/DbDatabase.h"
#include "db/DbSession.h"
#include "setup/Setup.h"
#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSetupScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void buttonsOnScreen();

private:
    OdbcFixture m_odbc;
    QTemporaryDir m_folder;
    TDbSession m_session;
};

void TestSetupScreen::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    QVERIFY(!m_odbc
                 .addSqliteDataSource(
                     u"SAMPLE"_s, {OdbcFixture::sampleFile(u"schema.sql"_s), OdbcFixture::sampleFile(u"data.sql"_s)})
                 .isEmpty());
    m_session.open();
    MessageBox::setTestMode(true);
}

void TestSetupScreen::buttonsOnScreen()
{
    TDbDatabase database(m_session);
    database.setDatabaseName(u"SAMPLE"_s);
    database.open();
    TZizaVureGroups groups;
    ConfigFile config(m_folder.filePath(u"QVZizaVure.QVS"_s));
    TfrmOptionSetup window(nullptr, m_session, database, groups, config);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(screen.contains(window.frameGeometry()), qPrintable(u"%1x%2 on %3x%4"_s.arg(window.frameGeometry().width())
                                                                     .arg(window.frameGeometry().height())
                                                                     .arg(screen.width())
                                                                     .arg(screen.height())));
    const QPixmap shot = window.grab();
    QVERIFY(shot.save(QDir::current().filePath(u"setup-editor-%1.png"_s.arg(qEnvironmentVariable("QT_SCALE_FACTOR")))));
    QCOMPARE(shot.deviceIndependentSize().toSize(), window.size());
    int buttons = 0;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        const QRect inShot(button->mapTo(&window, QPoint()), button->size());
        QVERIFY2(shot.rect().contains(inShot) && screen.contains(inShot.translated(window.geometry().topLeft())),
                 qPrintable(button->objectName()));
        ++buttons;
    }
    QVERIFY(buttons > 10);
}

QTEST_MAIN(TestSetupScreen)
#include "tst_setupscreen.moc"
