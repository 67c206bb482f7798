// The setup editor launched from the main window, with the sample database
// connected and the stand-in service running. The sample database is SQLite's,
// or the throwaway PostgreSQL or MariaDB server's when QVZ_TEST_ENGINE names
// one (see OdbcFixture), where the first session is run.
#include "Controls.h"
#include "OdbcFixture.h"
#include "StandinProcess.h"
#include "TestFiles.h"
#include "app/HelpWindow.h"
#include "app/Main.h"
#include "config/Encrypt.h"
#include "db/DbQuery.h"
#include "platform/AsciiText.h"
#include "platform/FormatSettings.h"
#include "platform/ProfileFile.h"
#include "setup/Setup.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

using namespace Qt::StringLiterals;

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
    void terminationKeepsEdits_data();
    void terminationKeepsEdits();
    void firstSession();
    void registrationCancelled();

private:
    std::unique_ptr<TfrmZizaVureGUI> openWindow(bool expectLink);
    // Opens the setup editor, runs `whileOpen` in it and closes it.
    void editSetup(TfrmZizaVureGUI& window, const std::function<void()>& whileOpen);

    std::unique_ptr<OdbcFixture> m_odbc;
    OdbcFixture::Login m_login;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<StandinProcess> m_service;
};

void TestMainSetup::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    m_odbc = std::make_unique<OdbcFixture>();
    QVERIFY(m_odbc->isValid());
    const auto login = m_odbc->addEngineDataSource(QStringLiteral("QVTEST"));
    QVERIFY2(login, "the test engine's data source is not available");
    m_login = *login;
}

void TestMainSetup::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home->path()));
    MessageBox::setTestMode(true);
    TestFiles::write(m_home->filePath(QStringLiteral("QVZizaVure.QVS")),
                     "[Database Settings]\r\nODBC Data Source=QVTEST\r\nODBC Username=" + m_login.user.toUtf8() +
                         "\r\nODBC Password=" + ProtectPassword(m_login.password).value_or(QString()).toUtf8() +
                         "\r\n"
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

namespace {

int sqlNumber(TDbDatabase& db, const QString& sql)
{
    TDbQuery query(db);
    query.setSql(sql);
    query.open();
    return query.next() ? query.asInteger(0) : -1;
}

} // namespace

// README's first session: the window connects with the stored login; in the
// setup editor a new group's filter narrows the stations, a station of the
// narrowed tree goes into the group with a label of the operator's, and Save
// registers every pair of the group in QV_PPLIST, byte for byte.
void TestMainSetup::firstSession()
{
    const QString filter = m_home->filePath(u"north.flt"_s);
    TestFiles::write(filter, "QV_SITES.BASIN = 'North Fork'\r\n");
    auto window = openWindow(false);
    QTRY_VERIFY(window->isDatabaseConnected());
    QVERIFY(child<QPlainTextEdit>(*window, "memoStatus")->toPlainText().contains(u"Connected to database QVTEST."_s));
    TDbDatabase& db = window->database();
    TDbQuery empty(db);
    empty.setSql(u"DELETE FROM QV_PPLIST"_s);
    empty.execute();
    const QString stations = u"SELECT COUNT(DISTINCT UPPER(STATION_ID)) FROM QV_SITES JOIN QV_SITESENSORS "
                             "ON STATION_ID = STE_STATION_ID"_s;

    QStringList expected;
    editSetup(*window, [&] {
        auto& editor = *qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
        auto* tree = child<QTreeView>(editor, "tvwLeftTree");
        QCOMPARE(tree->model()->rowCount(), sqlNumber(db, stations));
        child<QPushButton>(editor, "btnNew")->click();
        child<QComboBox>(editor, "cbxFuncName")->setCurrentText(u"MAX"_s);
        auto* filterField = child<QLineEdit>(editor, "edtFilterFile");
        filterField->setText(filter);
        QTest::keyClick(filterField, Qt::Key_Return);
        QCOMPARE(tree->model()->rowCount(), sqlNumber(db, stations + u" WHERE BASIN = 'North Fork'"_s));

        // The first station that can be processed: LK.2 cannot.
        int row = 0;
        while (tree->model()->index(row, 0).data().toString().contains(u'.'))
            ++row;
        tree->setCurrentIndex(tree->model()->index(row, 0));
        child<QToolButton>(editor, "btnSetupSitesSensorsAdd")->click();
        auto* label = child<QLineEdit>(editor, "edtDataLabel");
        label->selectAll();
        QTest::keyClicks(label, u"north_max"_s);
        waitIdle(); // Save follows the group's state
        child<QPushButton>(editor, "btnSave")->click();
        QVERIFY(!editor.isModified());
        QVERIFY(editor.pairs().size() > 1);
        QCOMPARE(editor.pairs()[0]->POLLDataLabel, u"north_max"_s);
        for (const auto& pair : editor.pairs())
            expected.append(
                AsciiText::upper(u"%1/%2/%3/MAX"_s.arg(pair->StationId, pair->SensorName, pair->POLLDataLabel)));
    });
    QVERIFY(!expected.isEmpty());
    expected.sort();
    QStringList rows = OdbcFixture::labelRows(db);
    rows.sort();
    QCOMPARE(rows, expected);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

// A save registers its labels off the window's thread: while another
// connection holds the database's write lock, the window serves its events
// and shows the progress, and Cancel gives it back at once, naming the label
// left out; the configuration keeps the save.
void TestMainSetup::registrationCancelled()
{
    auto window = openWindow(false);
    QTRY_VERIFY(window->isDatabaseConnected());
    TDbDatabase holder(window->session());
    holder.setDatabaseName(u"QVTEST"_s);
    holder.open();
    holder.startTransaction();
    TDbQuery hold(holder);
    hold.setSql(u"DELETE FROM QV_PPLIST"_s);
    hold.execute();

    QString progressText;
    editSetup(*window, [&] {
        auto& editor = *qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
        auto* label = child<QLineEdit>(editor, "edtDataLabel");
        label->selectAll();
        QTest::keyClicks(label, u"HELD"_s);
        waitIdle();
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, this, [&] {
            if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                progressText = progress->labelText();
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            }
        });
        cancel.start(100);
        child<QPushButton>(editor, "btnSave")->click();
        QVERIFY(!editor.isModified());
    });
    holder.rollback();
    QVERIFY2(progressText.startsWith(u"Registering data labels..."_s), qPrintable(progressText));
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(u"was cancelled"_s) && shown[0].contains(u"saved in the configuration"_s) &&
                 shown[0].contains(u"ST001.TEMP labelled HELD"_s),
             qPrintable(shown[0]));
    QCOMPARE(ProfileFile(m_home->filePath(u"QVZizaVure.QVS"_s)).readString("ZizaVureessGroup:1", "POLLDataLabel1"),
             u"HELD"_s);
}

void TestMainSetup::terminationKeepsEdits_data()
{
    QTest::addColumn<int>("answer"); // to the next editor's offer
    QTest::newRow("recovered") << int(MessageBox::Ok);
    QTest::newRow("discarded") << int(MessageBox::Cancel);
}

// A termination request with unsaved edits asks nothing and closes at once;
// the edits wait in the operator's recovery file for the next editor.
void TestMainSetup::terminationKeepsEdits()
{
    QFETCH(int, answer);
    const QString configPath = m_home->filePath(QStringLiteral("QVZizaVure.QVS"));
    const QByteArray before = TestFiles::read(configPath);
    {
        auto window = openWindow(false);
        editSetup(*window, [&] {
            auto* editor = qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
            QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("edtParameters")), u"kept"_s);
            window->closeOnRequest();
        });
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 2000);
    }
    QCOMPARE(MessageBox::shownTexts().join(u'|'), QString());
    QCOMPARE(TestFiles::read(configPath), before);

    MessageBox::setNextAnswer(MessageBox::Answer(answer));
    auto window = openWindow(false);
    editSetup(*window, [&] {
        auto* editor = qobject_cast<TfrmOptionSetup*>(QApplication::activeModalWidget());
        QTRY_COMPARE(MessageBox::shownTexts().size(), 1);
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("edtParameters"))->text(),
                 answer == MessageBox::Ok ? u"KEPT"_s : QString());
        QCOMPARE(editor->isModified(), answer == MessageBox::Ok);
    });
    QVERIFY(MessageBox::shownTexts()[0].startsWith(u"Edits of ZizaVureessGroup:1 were not saved"_s));
    // Recovered edits are saved as any edits are, when the editor closes.
    QCOMPARE(ProfileFile(configPath).readString("ZizaVureessGroup:1", "Parameter"),
             answer == MessageBox::Ok ? u"KEPT"_s : QString());
}

QTEST_MAIN(TestMainSetup)
#include "tst_mainsetup.moc"
