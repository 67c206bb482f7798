// The program while its PostgreSQL server goes away in the middle of its work:
// "Save to Database" registering every data label, the setup editor reading
// its station list, and a read whose server stops answering. The test has a cluster of its own (QVZ_PG_STATE),
// whose server it halts and resumes with tests/db/pgcluster.sh.
#include "Controls.h"
#include "OdbcFixture.h"
#include "TestFiles.h"
#include "app/Main.h"
#include "config/Encrypt.h"
#include "config/FilterFile.h"
#include "db/DbBackgroundRead.h"
#include "db/DbQuery.h"
#include "filter/ReadProgress.h"
#include "setup/Setup.h"
#include "setup/StationQuery.h"
#include "widgets/MessageBox.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString DataSource = u"QVZPG"_s;
const QStringList Functions{u"AVG"_s, u"MAX"_s, u"MIN"_s};
// Under each function: enough for the progress dialog to show, although new
// labels are inserted in batches.
constexpr int Stations = 16000;
const QString AllRows = u"SELECT STATION_ID || '/' || SENSORNAME || '/' || FUNCTION_NAME || '=' || DATA_LABEL AS T "
                        "FROM QV_PPLIST"_s;

struct Group
{
    QString function;
    QStringList pairs; // "STATION.SENSOR=LABEL"
    QString filter;
};

QString keyOf(const QString& row)
{
    return row.section(u'=', 0, 0);
}

QStringList pairTexts(const TStationSensorList& pairs)
{
    QStringList texts;
    for (const auto& pair : pairs)
        texts.append(pair->PairText() + u'=' + pair->POLLDataLabel);
    return texts;
}

// Runs `inside` on the modal window that `action` opens, then closes that window.
void whileModal(QAction* action, const std::function<void(QWidget&)>& inside)
{
    bool opened = false;
    QTimer open;
    open.setSingleShot(true);
    QObject::connect(&open, &QTimer::timeout, [&] {
        QWidget* window = QApplication::activeModalWidget();
        QVERIFY(window);
        opened = true;
        inside(*window);
        window->close();
    });
    open.start(0);
    action->trigger();
    QVERIFY(opened);
}

// Qt's ODBC driver warns once for every statement on a lost connection.
QtMessageHandler testHandler = nullptr;
void dropStatementWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(u"QODBCResult::"_s))
        testHandler(type, context, message);
}

} // namespace

class TestDatabaseFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_odbc.isValid());
        const auto login = m_odbc.addServerDataSource(OdbcFixture::Engine::Postgres, DataSource);
        QVERIFY2(login && !qEnvironmentVariableIsEmpty("QVZ_PG_STATE"), "the test's PostgreSQL cluster is missing");
        m_login = *login;
        m_session.open();
        testHandler = qInstallMessageHandler(dropStatementWarnings);
    }
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home->path()));
        qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home->path()));
        sql(u"DELETE FROM QV_PPLIST"_s);
        MessageBox::setTestMode(true);
        MessageBox::clearShownTexts();
    }
    void cleanup()
    {
        // The next case needs the server, whatever happened in this one.
        if (m_halted)
            QVERIFY(server(u"resume"_s));
        if (m_stoppedBackend != 0)
            ::kill(m_stoppedBackend, SIGCONT);
        m_stoppedBackend = 0;
        MessageBox::setTestMode(false);
    }
    void registrationInterrupted_data();
    void registrationInterrupted();
    void stationQueryInterrupted_data();
    void stationQueryInterrupted();
    void cancelWhileServerStalls();

private:
    // pgcluster.sh "halt" (in a shutdown mode) or "resume".
    bool server(const QString& action, const QString& mode = u"immediate"_s)
    {
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedChannels);
        script.start(QStringLiteral(PGCLUSTER_SCRIPT), {action, qEnvironmentVariable("QVZ_PG_STATE"), mode});
        const bool done = script.waitForFinished(120000) && script.exitCode() == 0;
        m_halted = (action == u"halt"_s) == done;
        return done;
    }

    // Runs a statement on a new connection; a query gives its column T, sorted,
    // and by default every QV_PPLIST row as "STATION/SENSOR/FUNCTION=LABEL".
    QStringList sql(const QString& statement = AllRows)
    {
        TDbDatabase db(m_session);
        db.setDatabaseName(m_login.dataSource);
        db.setParams({u"USER NAME="_s + m_login.user, u"PASSWORD="_s + m_login.password});
        db.open();
        TDbQuery query(db);
        query.setSql(statement);
        QStringList rows;
        if (!statement.startsWith(u"SELECT"_s))
            query.execute();
        else
            for (query.open(); query.next();)
                rows.append(query.asString(u"T"_s));
        rows.sort();
        return rows;
    }

    // Writes the stored login and groups 1, 2, ... and opens the main window on them.
    std::unique_ptr<TfrmZizaVureGUI> openWindow(const QList<Group>& groups)
    {
        QString text = u"[Database Settings]\r\nODBC Data Source=%1\r\nODBC Username=%2\r\nODBC Password=%3\r\n"_s.arg(
            DataSource, m_login.user, ProtectPassword(m_login.password).value_or(QString()));
        QStringList names;
        for (int number = 1; number <= groups.size(); ++number)
            names.append(GroupSectionName(number));
        text += u"[DeraDivurir]\r\nGroupNames="_s + names.join(u',') + u"\r\n"_s;
        for (int g = 0; g < groups.size(); ++g) {
            const QStringList& pairs = groups[g].pairs;
            text += u"[%1]\r\nPPGIndex=%2\r\nFuncName=%3\r\nFilter=%4\r\nPOLLNumber=%5\r\n"_s.arg(
                names[g], QString::number(g + 1), groups[g].function, groups[g].filter, QString::number(pairs.size()));
            for (int n = 1; n <= pairs.size(); ++n)
                text += u"POLL%1=%2\r\nPOLLDataLabel%1=%3\r\n"_s.arg(QString::number(n), keyOf(pairs[n - 1]),
                                                                     pairs[n - 1].section(u'=', 1));
        }
        TestFiles::write(configPath(), text.toUtf8());
        auto window = std::make_unique<TfrmZizaVureGUI>();
        window->show();
        window->waitForConfiguration();
        static_cast<void>(QTest::qWaitFor([&window] { return window->isDatabaseConnected(); }));
        return window;
    }

    // "&Disconnect", then "&Connect" with the login that the dialog offers.
    void reconnect(TfrmZizaVureGUI& window)
    {
        child<QAction>(window, "actDBDisconnect")->trigger();
        waitIdle();
        whileModal(child<QAction>(window, "actDBConnect"),
                   [](QWidget& login) { QTest::mouseClick(child<QPushButton>(login, "btnOK"), Qt::LeftButton); });
        QVERIFY(window.isDatabaseConnected());
    }

    QString configPath() const { return m_home->filePath(u"QVZizaVure.QVS"_s); }

    OdbcFixture m_odbc;
    OdbcFixture::Login m_login;
    TDbSession m_session{u"QVZ checks"_s};
    std::unique_ptr<QTemporaryDir> m_home;
    bool m_halted = false;
    pid_t m_stoppedBackend = 0;
};

void TestDatabaseFaults::registrationInterrupted_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("server crashes") << u"immediate"_s;
    QTest::newRow("server shuts down") << u"fast"_s;
}

void TestDatabaseFaults::registrationInterrupted()
{
    QFETCH(QString, mode);
    // Rows of an earlier registration: keys that this one updates, and keys that it never touches.
    QStringList seeded{u"KEEP1/TEMP/SUM=KEPT"_s, u"KEEP2/TEMP/SUM=KEPT"_s};
    for (int station = 100; station <= Stations; station += 100)
        seeded.append(u"R%1/TEMP/AVG=OLD"_s.arg(station));
    QMap<QString, QString> expected; // key -> row
    for (const QString& seed : std::as_const(seeded)) {
        expected.insert(keyOf(seed), seed);
        sql(u"INSERT INTO QV_PPLIST VALUES ('%1', 'TEMP', '%2', '%3')"_s.arg(
            seed.section(u'/', 0, 0), seed.section(u'=', 1), keyOf(seed).section(u'/', 2)));
    }
    QList<Group> groups;
    for (const QString& function : Functions) {
        groups.append({function, {}, {}});
        for (int station = 1; station <= Stations; ++station) {
            groups.last().pairs.append(u"R%1.TEMP=L%1_%2"_s.arg(station).arg(function));
            const QString row = u"R%1/TEMP/%2=L%1_%2"_s.arg(station).arg(function);
            expected.insert(keyOf(row), row);
        }
    }
    auto window = openWindow(groups);
    QVERIFY(window->isDatabaseConnected());
    const QByteArray configText = TestFiles::read(configPath());

    // The server goes away the first time the progress dialog lets events
    // through; its bar then shows how far the registration goes on.
    int haltedAt = 0;
    int total = 0;
    int lastShown = 0;
    QTimer haltTimer;
    haltTimer.setSingleShot(true);
    connect(&haltTimer, &QTimer::timeout, this, [&] {
        if (auto* progress = window->findChild<QProgressDialog*>()) {
            connect(progress->findChild<QProgressBar*>(), &QProgressBar::valueChanged, this,
                    [&lastShown](int value) { lastShown = std::max(lastShown, value); });
            total = progress->maximum();
            haltedAt = server(u"halt"_s, mode) ? progress->value() : 0;
        }
    });
    haltTimer.start(0);
    child<QAction>(*window, "actSaveDB")->trigger();
    QVERIFY2(haltedAt > 0 && haltedAt < total, "the server was not halted while the labels were registered");
    QCOMPARE(total, int(Functions.size()) * Stations);
    QCOMPARE(lastShown, total);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QCOMPARE(TestFiles::read(configPath()), configText);

    // Every row from before is still there, with its own label or with the
    // label of this registration; no row holds anything else.
    QVERIFY(server(u"resume"_s));
    QHash<QString, int> keys;
    for (const QString& found : sql()) {
        ++keys[keyOf(found)];
        QVERIFY2(seeded.contains(found) || expected.value(keyOf(found)) == found, qPrintable(found));
    }
    for (const QString& seed : std::as_const(seeded))
        QCOMPARE(keys.value(keyOf(seed)), 1);

    // The window's connection died with the server; a new one registers every entry.
    reconnect(*window);
    child<QAction>(*window, "actSaveDB")->trigger();
    QStringList complete = expected.values();
    complete.sort();
    QCOMPARE(sql(), complete);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestDatabaseFaults::stationQueryInterrupted_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("group");
    QTest::newRow("opening the editor") << u"opening"_s << 0;
    QTest::newRow("leaving the filter field") << u"filter field"_s << 0;
    QTest::newRow("choosing another group") << u"group"_s << 1;
}

void TestDatabaseFaults::stationQueryInterrupted()
{
    QFETCH(QString, query);
    QFETCH(int, group);
    const QString washington = m_home->filePath(u"wa.flt"_s);
    const QString canada = m_home->filePath(u"canada.flt"_s);
    QVERIFY(WriteFilterLines(washington, {u"QV_SITES.STATE = 'WA'"_s}));
    QVERIFY(WriteFilterLines(canada, {u"QV_SITES.COUNTRY = 'Canada'"_s}));
    // Pairs of stations in and out of either filter, and of no station at all.
    const QList<Group> groups{{u"AVG"_s, {u"ST001.TEMP=T1"_s, u"ST007.FLOW=F7"_s, u"GONE01.RAIN=R0"_s}, washington},
                              {u"MAX"_s, {u"ST012.TEMP=T12"_s, u"ST003.WSPD=W3"_s, u"ST001.RAIN=R1"_s}, canada}};
    auto window = openWindow(groups);
    QVERIFY(window->isDatabaseConnected());
    if (query == u"opening"_s)
        QVERIFY(server(u"halt"_s));

    QAction* editSetup = child<QAction>(*window, "actOptionsEditSetup");
    whileModal(editSetup, [&](QWidget& modal) {
        auto* editor = qobject_cast<TfrmOptionSetup*>(&modal);
        QVERIFY(editor);
        if (query == u"filter field"_s) {
            QVERIFY(editor->stationCache().Count() > 0);
            QVERIFY(server(u"halt"_s));
            auto* filter = child<QLineEdit>(*editor, "edtFilterFile");
            filter->setText(canada);
            QTest::keyClick(filter, Qt::Key_Return);
            QCOMPARE(editor->filterName(), canada);
        } else if (query == u"group"_s) {
            QVERIFY(server(u"halt"_s));
            QTest::keyClick(child<QComboBox>(*editor, "cbxGroup"), Qt::Key_Down);
        }
        // Nothing read, nothing said, and every pair of the group still listed.
        QCOMPARE(editor->currentGroupIndex(), group);
        QCOMPARE(editor->stationCache().Count(), 0);
        QCOMPARE(child<QTreeView>(*editor, "tvwLeftTree")->model()->rowCount(), 0);
        QCOMPARE(pairTexts(editor->pairs()), groups[group].pairs);

        // An edited label and every pair reach the configuration file.
        auto* list = child<QListWidget>(*editor, "lbxSiteSensor");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        auto* label = child<QLineEdit>(*editor, "edtDataLabel");
        label->selectAll();
        QTest::keyClicks(label, u"EDITED"_s);
        waitIdle();
        auto* save = child<QPushButton>(*editor, "btnSave");
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(!editor->isModified());
    });
    TLogSettings settings;
    const auto saved = ConfigFile(configPath()).LoadConfiguration(settings, [](const QString&) {});
    QCOMPARE(saved->Count(), 2);
    QStringList edited = groups[group].pairs;
    edited[1] = keyOf(edited[1]) + u"=EDITED"_s;
    QCOMPARE(pairTexts(saved->Items(group)->StationSensors), edited);
    // The save's registration could not reach the server: every label is named.
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(u"The group was saved in the configuration"_s), qPrintable(shown[0]));
    for (const QString& pair : std::as_const(edited))
        QVERIFY2(shown[0].contains(keyOf(pair) + u" labelled "_s + pair.section(u'=', 1)), qPrintable(pair));
    MessageBox::clearShownTexts();

    // With the server back and the connection made again, the list fills.
    QVERIFY(server(u"resume"_s));
    reconnect(*window);
    const QString filter = window->groups().Items(0)->Filter;
    const QStringList count =
        sql(u"SELECT CAST(COUNT(*) AS VARCHAR(20)) AS T FROM ("_s + StationListQuery(filter) + u") Q"_s);
    int read = 0;
    whileModal(editSetup,
               [&read](QWidget& editor) { read = qobject_cast<TfrmOptionSetup*>(&editor)->stationCache().Count(); });
    QVERIFY(read > 0);
    QCOMPARE(QStringList{QString::number(read)}, count);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

// The server process of a read stops answering (SIGSTOP) in the middle of the
// statement; Cancel in the progress window gives the window back at once, and
// the read's connection goes once the server answers again.
void TestDatabaseFaults::cancelWhileServerStalls()
{
    const QString running = u"SELECT CAST(pid AS VARCHAR(12)) AS T FROM pg_stat_activity "
                            "WHERE query LIKE '%pg_sleep(60)%' AND pid <> pg_backend_pid()"_s;
    TDbDatabase source(m_session);
    source.setDatabaseName(m_login.dataSource);
    source.setParams({u"USER NAME="_s + m_login.user, u"PASSWORD="_s + m_login.password});
    source.open();
    TDbBackgroundRead read(source);
    QSignalSpy finished(&read, &TDbBackgroundRead::finished);
    read.start(u"SELECT STATION_ID FROM QV_SITES, pg_sleep(60)"_s, [](const TDbQuery&) {});
    QTRY_COMPARE(sql(running).size(), 1);
    m_stoppedBackend = sql(running).constFirst().toInt();
    QCOMPARE(::kill(m_stoppedBackend, SIGSTOP), 0);

    QElapsedTimer sinceCancel;
    QTimer::singleShot(600, this, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(progress);
        sinceCancel.start();
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    // Should the window wait for the read, the server answers again at last.
    QTimer::singleShot(5000, this, [this] { ::kill(m_stoppedBackend, SIGCONT); });
    WaitForRead(nullptr, read, u"Reading"_s);
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(u"%1 ms"_s.arg(sinceCancel.elapsed())));
    QVERIFY(read.wasCancelled());
    QVERIFY(read.isRunning());
    bool answered = false;
    QTimer::singleShot(0, this, [&answered] { answered = true; });
    QVERIFY(QTest::qWaitFor([&answered] { return answered; }, 1000));

    QCOMPARE(::kill(m_stoppedBackend, SIGCONT), 0);
    m_stoppedBackend = 0;
    QVERIFY(finished.wait(20000));
    QTRY_COMPARE(sql(running), QStringList());
}

QTEST_MAIN(TestDatabaseFaults)
#include "tst_databasefaults.moc"
