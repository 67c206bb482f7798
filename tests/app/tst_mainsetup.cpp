// The setup editor launched from the main window, with the sample database
// connected and the stand-in service running.
#include "OdbcFixture.h"
#include "StandinProcess.h"
#include "TestFiles.h"
#include "app/HelpWindow.h"
#include "app/Main.h"
#include "platform/FormatSettings.h"
#include "platform/ProfileFile.h"
#include "setup/Setup.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestMainSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void launchHoldsTheService_data();
    void launchHoldsTheService();
    void launchWhenUnlinked();
    void failedSaveStillResumes();
    void helpOpensAtTheEditorsPage();

private:
    std::unique_ptr<TfrmZizaVureGUI> openWindow(bool expectLink);
    // Opens the setup editor, runs `whileOpen` in it and closes it.
    void editSetup(TfrmZizaVureGUI& window, const std::function<void()>& whileOpen);

    std::unique_ptr<OdbcFixture> m_odbc;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<StandinProcess> m_service;
};

void TestMainSetup::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    m_odbc = std::make_unique<OdbcFixture>();
    QVERIFY(m_odbc->isValid());
    QVERIFY(!m_odbc
                 ->addSqliteDataSource(QStringLiteral("QVTEST"), {OdbcFixture::sampleFile(QStringLiteral("schema.sql")),
                                                                  OdbcFixture::sampleFile(QStringLiteral("data.sql"))})
                 .isEmpty());
}

void TestMainSetup::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home->path()));
    MessageBox::setTestMode(true);
    TestFiles::write(m_home->filePath(QStringLiteral("QVZizaVure.QVS")),
                     "[Database Settings]\r\nODBC Data Source=QVTEST\r\nODBC Username=demo\r\n"
                     "[DeraDivurir]\r\nLogMessage=0\r\nGroupNames=ZizaVureessGroup:1\r\n"
                     "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=AVG\r\nEnabled=1\r\nPOLLNumber=1\r\n"
                     "POLL1=ST001.TEMP\r\nPOLLDataLabel1=TEMP_AVG\r\n");
}

void TestMainSetup::cleanup()
{
    m_service.reset();
    MessageBox::setTestMode(false);
}

std::unique_ptr<TfrmZizaVureGUI> TestMainSetup::openWindow(bool expectLink)
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->show();
    window->waitForConfiguration();
    if (expectLink && !QTest::qWaitFor([&window] { return window->serviceLink().isLinked(); }, 10000))
        qWarning("the window did not link to the service");
    return window;
}

void TestMainSetup::editSetup(TfrmZizaVureGUI& window, const std::function<void()>& whileOpen)
{
    QAction* action = window.findChild<QAction*>(QStringLiteral("actOptionsEditSetup"));
    QTRY_VERIFY(window.isDatabaseConnected() && action->isEnabled());
    bool opened = false;
    QTimer::singleShot(0, this, [&] {
        auto* editor = qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
        QVERIFY(editor);
        opened = true;
        whileOpen();
        editor->close();
    });
    action->trigger();
    QVERIFY(opened);
}

void TestMainSetup::launchHoldsTheService_data()
{
    QTest::addColumn<bool>("activeBefore");
    QTest::newRow("active: suspended, then resumed") << true;
    QTest::newRow("suspended already: not resumed") << false;
}

void TestMainSetup::launchHoldsTheService()
{
    QFETCH(bool, activeBefore);
    m_service = std::make_unique<StandinProcess>();
    QVERIFY(m_service->start());
    auto window = openWindow(true);
    TServiceLink& link = window->serviceLink();
    QVERIFY(link.isLinked());
    if (!activeBefore)
        link.SuspendProcessing();
    // A change the main window keeps: the configuration is saved after the editor.
    window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"))->trigger();

    int stateWhileOpen = -1;
    editSetup(*window, [&] { stateWhileOpen = link.GetProcessingState(); });
    QCOMPARE(stateWhileOpen, 0);
    QCOMPARE(link.GetProcessingState(), activeBefore ? 1 : 0);
    const ProfileFile saved(m_home->filePath(QStringLiteral("QVZizaVure.QVS")));
    QCOMPARE(saved.readInteger("DeraDivurir", "LogMessage", 0), 1);
    QCOMPARE(saved.readString("DeraDivurir", "GroupNames"), QStringLiteral("ZizaVureessGroup:1"));
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainSetup::launchWhenUnlinked()
{
    auto window = openWindow(false);
    QTimer* timer = window->findChild<QTimer*>(QStringLiteral("tmrService"));
    QTRY_VERIFY(timer->isActive());
    window->findChild<QAction*>(QStringLiteral("OptionsLogStatus1"))->trigger();
    bool timerWhileOpen = true;
    editSetup(*window, [&] { timerWhileOpen = timer->isActive(); });
    QVERIFY(!timerWhileOpen);
    QVERIFY(timer->isActive());
    QCOMPARE(
        ProfileFile(m_home->filePath(QStringLiteral("QVZizaVure.QVS"))).readInteger("DeraDivurir", "LogMessage", 0), 1);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

// Writing the group list after the editor fails; the schedule held for the
// editor runs again all the same.
void TestMainSetup::failedSaveStillResumes()
{
    m_service = std::make_unique<StandinProcess>();
    QVERIFY(m_service->start());
    auto window = openWindow(true);
    const QString configPath = m_home->filePath(QStringLiteral("QVZizaVure.QVS"));
    editSetup(*window, [&] {
        // A folder in the file's place: no write can replace it.
        QVERIFY(QFile::remove(configPath));
        QVERIFY(QDir().mkdir(configPath));
    });
    // Closing the editor writes nothing, and the schedule is resumed.
    QVERIFY(MessageBox::shownTexts().isEmpty());
    QCOMPARE(window->serviceLink().GetProcessingState(), 1);
    QVERIFY(QDir().rmdir(configPath));
}

// The editor's Help shows the manual's setup page in a window that the modal
// editor does not block.
void TestMainSetup::helpOpensAtTheEditorsPage()
{
    auto window = openWindow(false);
    HelpWindow* help = nullptr;
    editSetup(*window, [&] {
        auto* editor = qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("btnHelp")), Qt::LeftButton);
        help = editor->findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->currentPage().fileName(), QStringLiteral("setup.html"));
        QCOMPARE(help->parentWidget(), editor); // a modal window does not block its own windows
    });
}

QTEST_MAIN(TestMainSetup)
#include "tst_mainsetup.moc"
