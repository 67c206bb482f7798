// The main window's database connection on a real SQLite ODBC data source.
#include "OdbcFixture.h"
#include "TestFiles.h"
#include "app/Main.h"
#include "app/PPLogin.h"
#include "config/Encrypt.h"
#include "db/DbQuery.h"
#include "platform/FormatSettings.h"
#include "platform/ProfileFile.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString DataSource = QStringLiteral("QVTEST");

QByteArray databaseSettings(const QString& dataSource, const QString& user, const QString& password)
{
    return "[Database Settings]\r\nODBC Data Source=" + dataSource.toUtf8() + "\r\nODBC Username=" + user.toUtf8() +
           "\r\nODBC Password=" + ProtectPassword(password).value_or(QString()).toUtf8() + "\r\n";
}

} // namespace

class TestMainDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void firstShow_data();
    void firstShow();
    void connectStoresProtectedPassword_data();
    void connectStoresProtectedPassword();
    void connectToWrongDataSource();
    void connectionStringRefused_data();
    void connectionStringRefused();
    void onlyUserNameSkipsSystemSettings();
    void cancelKeepsState();
    void disconnect();
    void saveToDatabaseRegistersEveryEntry();

private:
    std::unique_ptr<TfrmZizaVureGUI> openWindow();
    // Answers the next login dialog with these values, or Cancel when `alias` is null.
    void answerLogin(const QString& alias, const QString& user = {}, const QString& password = {});
    QStringList memoLines(TfrmZizaVureGUI& window) const;
    bool isConnected(TfrmZizaVureGUI& window) const;
    QString configPath() const { return m_home->filePath(QStringLiteral("QVZizaVure.QVS")); }

    std::unique_ptr<OdbcFixture> m_odbc;
    std::unique_ptr<QTemporaryDir> m_system;
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestMainDatabase::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    // One ODBC set-up for the whole process, before the first ODBC call.
    m_odbc = std::make_unique<OdbcFixture>();
    QVERIFY(m_odbc->isValid());
    QVERIFY(!m_odbc
                 ->addSqliteDataSource(DataSource, {OdbcFixture::sampleFile(QStringLiteral("schema.sql")),
                                                    OdbcFixture::sampleFile(QStringLiteral("data.sql"))})
                 .isEmpty());
    // A data source whose database cannot be opened.
    m_odbc->addDataSource(OdbcFixture::User, QStringLiteral("BROKEN"),
                          {{QStringLiteral("Driver"), QStringLiteral("SQLite3")},
                           {QStringLiteral("Database"), QStringLiteral("/nonexistent/folder/none.db")}});
}

void TestMainDatabase::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_system = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home->path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_system->path());
    MessageBox::setTestMode(true);
}

void TestMainDatabase::cleanup()
{
    MessageBox::setTestMode(false);
}

std::unique_ptr<TfrmZizaVureGUI> TestMainDatabase::openWindow()
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->show();
    window->waitForConfiguration();
    // The first show ends with the outcome of its connection attempt.
    // The callers check what the outcome was.
    static_cast<void>(QTest::qWaitFor([&window, this] {
        return memoLines(*window).join(u'\n').contains(QStringLiteral("database"), Qt::CaseInsensitive);
    }));
    return window;
}

void TestMainDatabase::answerLogin(const QString& alias, const QString& user, const QString& password)
{
    QTimer::singleShot(0, this, [=] {
        auto* login = qobject_cast<TfrmPPLogin*>(QApplication::activeModalWidget());
        QVERIFY(login);
        if (alias.isNull()) {
            QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
            return;
        }
        auto* aliases = login->findChild<QComboBox*>(QStringLiteral("cboDBAlias"));
        const int index = aliases->findText(alias);
        if (index >= 0)
            aliases->setCurrentIndex(index);
        login->findChild<QLineEdit*>(QStringLiteral("edtDBUserName"))->setText(user);
        login->findChild<QLineEdit*>(QStringLiteral("edtDBPassword"))->setText(password);
        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
}

QStringList TestMainDatabase::memoLines(TfrmZizaVureGUI& window) const
{
    return window.findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))->toPlainText().split(u'\n');
}

bool TestMainDatabase::isConnected(TfrmZizaVureGUI& window) const
{
    return window.isDatabaseConnected() && window.database().isOpen() &&
           window.findChild<QAction*>(QStringLiteral("actDBDisconnect"))->isEnabled() &&
           !window.findChild<QAction*>(QStringLiteral("actDBConnect"))->isEnabled();
}

void TestMainDatabase::firstShow_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("systemSettings");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("stored login") << databaseSettings(DataSource, QStringLiteral("demo"), QStringLiteral("pw")) << false
                                  << true << QStringList();
    QTest::newRow("nothing anywhere") << QByteArray() << false << false << QStringList();
    QTest::newRow("system-wide login") << QByteArray() << true << true << QStringList();
    // A blank data source is a failed attempt, never a connection string.
    QTest::newRow("user name only") << QByteArray("[Database Settings]\r\nODBC Username=demo\r\n") << false << false
                                    << QStringList{QStringLiteral("Error 1200: Unable to connect to database.")};
}

void TestMainDatabase::firstShow()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, systemSettings);
    QFETCH(bool, connected);
    QFETCH(QStringList, messages);
    TestFiles::write(configPath(), "[DeraDivurir]\r\nGroups=0\r\n" + stored);
    if (systemSettings) {
        QSettings settings(QSettings::SystemScope, QStringLiteral("Quellmark"), QStringLiteral("Torvane"));
        settings.setValue(QStringLiteral("Settings/ODBC_Source"), DataSource);
        settings.setValue(QStringLiteral("Settings/ODBC_User"), QStringLiteral("sys"));
        settings.setValue(QStringLiteral("Settings/ODBC_Pass"), TXEncrypt().EncryptPassword(QStringLiteral("pw")));
    }
    const QStringList filesBefore = QDir::current().entryList(QDir::Files);
    auto window = openWindow();
    QCOMPARE(isConnected(*window), connected);
    QCOMPARE(MessageBox::shownTexts(), messages);
    QCOMPARE(QDir::current().entryList(QDir::Files), filesBefore);
    const QStringList lines = memoLines(*window);
    QLabel* label = window->findChild<QLabel*>(QStringLiteral("lblDataSource1"));
    if (connected) {
        QVERIFY(lines[0].endsWith(QStringLiteral("    Connected to database QVTEST.")));
        QCOMPARE(label->text(), DataSource);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    } else {
        QVERIFY(lines[0].endsWith(QStringLiteral("    Database NOT connected.")));
        if (!messages.isEmpty())
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
    // Logins read at start are never written back.
    window->close();
    const ProfileFile after(configPath());
    QCOMPARE(after.readString("Database Settings", "ODBC Data Source"),
             stored.contains("QVTEST") ? DataSource : QString());
    QVERIFY(!TestFiles::read(configPath()).contains("=sys"));
}

void TestMainDatabase::connectStoresProtectedPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("stored");
    QTest::newRow("storable") << QStringLiteral("s3cret-pw") << true;
    // SQLite takes any password; the stored login, which works, stays.
    QTest::newRow("with a colon") << QStringLiteral("s3cret:pw") << false;
    QTest::newRow("30 bytes") << QStringLiteral("s3cret-pw").repeated(4).left(30) << false;
}

void TestMainDatabase::connectStoresProtectedPassword()
{
    QFETCH(QString, password);
    QFETCH(bool, stored);
    auto window = openWindow();
    QVERIFY(!isConnected(*window));
    TestFiles::write(configPath(),
                     databaseSettings(QStringLiteral("QVOLD"), QStringLiteral("old"), QStringLiteral("pw")));
    const QByteArray before = TestFiles::read(configPath());
    answerLogin(DataSource, QStringLiteral("demo"), password);
    window->findChild<QAction*>(QStringLiteral("actDBConnect"))->trigger();
    QVERIFY(isConnected(*window));
    QVERIFY(MessageBox::shownTexts().isEmpty());
    QCOMPARE(memoLines(*window)[0].endsWith(QStringLiteral("    Password not stored: it holds \":\" or is longer than "
                                                           "29 bytes; the stored login is unchanged.")),
             !stored);

    const QByteArray file = TestFiles::read(configPath());
    QVERIFY2(!file.contains("s3cret"), file.constData());
    if (!stored) {
        QCOMPARE(file, before);
        return;
    }
    const ProfileFile settings(configPath());
    QCOMPARE(settings.readString("Database Settings", "ODBC Data Source"), DataSource);
    QCOMPARE(settings.readString("Database Settings", "ODBC Username"), QStringLiteral("demo"));
    const QString protectedPassword = settings.readString("Database Settings", "ODBC Password");
    QCOMPARE(protectedPassword.size(), 40);
    QCOMPARE(RecoverPassword(protectedPassword), std::optional<QString>(password));
}

void TestMainDatabase::connectToWrongDataSource()
{
    auto window = openWindow();
    const QByteArray before = TestFiles::read(configPath());
    answerLogin(QStringLiteral("BROKEN"), QStringLiteral("demo"), QStringLiteral("pw"));
    window->findChild<QAction*>(QStringLiteral("actDBConnect"))->trigger();
    QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Error 1200: Unable to connect to database.")});
    QVERIFY(!isConnected(*window));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblDataSource1"))->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QCOMPARE(TestFiles::read(configPath()), before);
}

void TestMainDatabase::connectionStringRefused_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::newRow("driver and file") << "DRIVER=SQLite3;Database=stray.db";
    QTest::newRow("data source keyword") << "DSN=QVTEST";
    QTest::newRow("name and attribute") << "QVTEST;Database=stray.db";
}

// Whoever writes the shared file must not choose the driver or the file it opens.
void TestMainDatabase::connectionStringRefused()
{
    QFETCH(QString, dataSource);
    TestFiles::write(configPath(), databaseSettings(dataSource, QStringLiteral("demo"), QStringLiteral("pw")));
    auto window = openWindow();
    QVERIFY(!isConnected(*window));
    QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Error 1200: Unable to connect to database.")});
    QVERIFY(!QFile::exists(QStringLiteral("stray.db")));
}

// A user name alone is a stored login: the connection is tried with an empty
// data source, which fails, and the system-wide login is not read.
void TestMainDatabase::onlyUserNameSkipsSystemSettings()
{
    TestFiles::write(configPath(), "[Database Settings]\r\nODBC Username=demo\r\n");
    QSettings system(QSettings::SystemScope, QStringLiteral("Quellmark"), QStringLiteral("Torvane"));
    system.setValue(QStringLiteral("Settings/ODBC_Source"), DataSource);
    system.sync();
    auto window = openWindow();
    QVERIFY(!memoLines(*window).join(u'\n').contains(DataSource));
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("lblDataSource1"))->text().isEmpty());
}

void TestMainDatabase::cancelKeepsState()
{
    TestFiles::write(configPath(), "[Database Settings]\r\nODBC Data Source=BROKEN\r\n");
    auto window = openWindow();
    QVERIFY(!isConnected(*window));
    MessageBox::clearShownTexts();
    const QByteArray before = TestFiles::read(configPath());
    answerLogin(QString());
    window->findChild<QAction*>(QStringLiteral("actDBConnect"))->trigger();
    QVERIFY(!isConnected(*window));
    QVERIFY(MessageBox::shownTexts().isEmpty());
    QCOMPARE(TestFiles::read(configPath()), before);
}

void TestMainDatabase::disconnect()
{
    TestFiles::write(configPath(), databaseSettings(DataSource, QStringLiteral("demo"), QStringLiteral("pw")));
    auto window = openWindow();
    QVERIFY(isConnected(*window));
    window->findChild<QAction*>(QStringLiteral("actDBDisconnect"))->trigger();
    // The enable rules run when the event loop waits.
    QEventLoop idle;
    QTimer::singleShot(20, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY(!window->isDatabaseConnected());
    QVERIFY(!window->database().isOpen());
    QVERIFY(memoLines(*window)[0].endsWith(QStringLiteral("    Disconnected from database QVTEST.")));
    QVERIFY(window->findChild<QAction*>(QStringLiteral("actDBConnect"))->isEnabled());
}

void TestMainDatabase::saveToDatabaseRegistersEveryEntry()
{
    TestFiles::write(configPath(),
                     databaseSettings(DataSource, QStringLiteral("demo"), QStringLiteral("pw")) +
                         "[DeraDivurir]\r\nGroupNames=G1,G2\r\n"
                         "[G1]\r\nFuncName=avg\r\nPOLLNumber=2\r\nPOLL1=st9.temp\r\nPOLLDataLabel1=t_1\r\n"
                         "POLL2=st9.wind\r\nPOLLDataLabel2=w_1\r\n"
                         "[G2]\r\nFuncName=AVG\r\nPOLLNumber=1\r\nPOLL1=ST9.TEMP\r\nPOLLDataLabel1=t_2\r\n");
    auto window = openWindow();
    QVERIFY(isConnected(*window));
    window->findChild<QAction*>(QStringLiteral("actSaveDB"))->trigger();

    TDbQuery query(window->database());
    query.setSql(
        QStringLiteral("SELECT SENSORNAME, DATA_LABEL FROM QV_PPLIST WHERE STATION_ID = :S ORDER BY SENSORNAME"));
    query.prepare();
    query.setParam(QStringLiteral("S"), QStringLiteral("ST9"));
    query.open();
    QStringList rows;
    while (query.next())
        rows.append(query.asString(QStringLiteral("SENSORNAME")) + u'=' + query.asString(QStringLiteral("DATA_LABEL")));
    // The later group's label wins for the same station, sensor and function.
    QCOMPARE(rows, (QStringList{QStringLiteral("TEMP=T_2"), QStringLiteral("WIND=W_1")}));
}

QTEST_MAIN(TestMainDatabase)
#include "tst_maindatabase.moc"
