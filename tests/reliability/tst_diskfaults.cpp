// Saving into a program folder that cannot take the write: a full disk (a
// small tmpfs mounted as the program folder and filled up), a folder without
// write permission, and a file system mounted read-only. Every writer must
// report the failure, leave the files byte for byte as they were and leave
// no temporary file behind, and must succeed once the fault is gone.
// And saving into a shared folder where another user swaps a link in and out
// of the file's place: no save may write where the link points.

#include "TestFiles.h"
#include "app/Main.h"
#include "config/ConfigFile.h"
#include "config/FilterFile.h"
#include "config/UserSettingsFile.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

enum class Fault { FullDisk, ReadOnlyFolder, ReadOnlyMount };
enum class Writer { GroupSave, GroupList, DatabaseSettings, EraseGroup, WindowBounds, FilterFile, LogSettings };

const QByteArray Configuration = "; Site north\r\n"
                                 "[DeraDivurir]\r\n"
                                 "LogMessage=0\r\n"
                                 "LogDetail=1\r\n"
                                 "Groups=2\r\n"
                                 "GroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2\r\n"
                                 "[ZizaVureessGroup:1]\r\n"
                                 "PPGIndex=1\r\n"
                                 "FuncName=AVG\r\n"
                                 "Enabled=1\r\n"
                                 "POLLNumber=1\r\n"
                                 "POLL1=ST01.AIRTEMP\r\n"
                                 "POLLDataLabel1=ST01_AVG\r\n"
                                 "[ZizaVureessGroup:2]\r\n"
                                 "PPGIndex=2\r\n"
                                 "FuncName=MIN\r\n"
                                 "[Database Settings]\r\n"
                                 "ODBC Data Source=QVDEMO\r\n"
                                 "ODBC Username=demo\r\n";
const QByteArray UserSettings = "[Windows Settings]\r\nLeft=300\r\nTop=186\r\nWidth=465\r\nHeight=377\r\n";
const QByteArray Filter = "(QV_SITES.BASIN = 'North')\r\n";

// A tmpfs of `kib` KiB mounted on `path` while the object lives.
class TmpfsMount
{
public:
    TmpfsMount(const QString& path, int kib) : m_path(QFile::encodeName(path))
    {
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
        if (::mount("tmpfs", m_path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
            m_error = QString::fromLocal8Bit(strerror(errno));
    }
    ~TmpfsMount()
    {
        if (m_error.isEmpty())
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool isMounted() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        return ::mount(nullptr, m_path.constData(), nullptr, flags, nullptr) == 0;
    }

private:
    QByteArray m_path;
    QString m_error;
};

// Fills the file system of `path` to the last byte; returns the bytes written.
qint64 fillUp(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray block(64 * 1024, 'x');
    qint64 written = 0;
    for (qsizetype size = block.size(); size > 0; size /= 2) {
        for (;;) {
            const ssize_t n = ::write(fd, block.constData(), size_t(size));
            if (n <= 0)
                break;
            written += n;
        }
    }
    ::close(fd);
    return written;
}

bool isLink(const QByteArray& path)
{
    struct stat status;
    return ::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Writer)

class TestDiskFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void saveUnderFault_data();
    void saveUnderFault();
    void linkSwappedInDuringSaves_data();
    void linkSwappedInDuringSaves();

private:
    QString homeFile(const QString& name) const { return m_home + u'/' + name; }
    // Runs the writer; returns what it reported, empty when it succeeded.
    QString write(Writer writer, bool faulty);
    QStringList temporaryFiles() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    std::unique_ptr<TmpfsMount> m_mount;
    std::unique_ptr<TfrmZizaVureGUI> m_window;
};

void TestDiskFaults::initTestCase()
{
    // The test's mounts live in a mount namespace of its own, so that they go
    // away with the process even when it crashes. Where that is not permitted,
    // mounting is not either, and the tmpfs cases skip.
    if (::unshare(CLONE_NEWNS) == 0)
        QCOMPARE(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
}

void TestDiskFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_home = m_dir->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(m_home));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("locks"))));
    qputenv("QVZIZAVURE_HOME", m_home.toUtf8());
    qputenv("QVZIZAVURE_LOCK_DIR", m_dir->filePath(QStringLiteral("locks")).toUtf8());
    MessageBox::setTestMode(true);
}

void TestDiskFaults::cleanup()
{
    m_window.reset();
    QFile::setPermissions(m_home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_mount.reset();
    MessageBox::setTestMode(false);
    m_dir.reset();
}

void TestDiskFaults::saveUnderFault_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QString>("report");   // %1: the configuration file
    QTest::addColumn<QByteArray>("saved"); // in the file once the fault is gone

    const QString raised = QStringLiteral("Unable to write to %1");
    const QString refused = QStringLiteral("refused");
    const QList<std::pair<const char*, Fault>> faults = {{"full disk", Fault::FullDisk},
                                                         {"read-only folder", Fault::ReadOnlyFolder},
                                                         {"read-only mount", Fault::ReadOnlyMount}};
    for (const auto& [faultName, fault] : faults) {
        const auto row = [&](const char* writerName) -> QTestData& {
            return QTest::addRow("%s: %s", faultName, writerName) << fault;
        };
        row("group save") << Writer::GroupSave << raised << QByteArray("FuncName=MAX\r\n");
        row("group list") << Writer::GroupList << refused << QByteArray("LogDetail=2\r\n");
        row("database settings") << Writer::DatabaseSettings << refused << QByteArray("ODBC Username=operator\r\n");
        row("erase group") << Writer::EraseGroup << raised << QByteArray("[Database Settings]\r\n");
        row("window bounds") << Writer::WindowBounds << refused << QByteArray("Left=10\r\n");
        row("filter file") << Writer::FilterFile << refused << QByteArray("OR QV_SITES.BASIN = 'South')\r\n");
        row("log settings") << Writer::LogSettings << QStringLiteral("Unable to write to %1")
                            << QByteArray("LogDetail=0\r\n");
    }
}

QString TestDiskFaults::write(Writer writer, bool faulty)
{
    const QString configPath = ConfigFile::defaultPath();
    const QString refused = QStringLiteral("refused");
    try {
        switch (writer) {
        case Writer::GroupSave: {
            ConfigFile config(configPath);
            TLogSettings settings;
            const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(settings, {});
            if (groups->Count() == 0)
                return QStringLiteral("no group loaded");
            groups->Items(0)->FuncName = QStringLiteral("MAX");
            config.SaveGroupSection(*groups->Items(0));
            return {};
        }
        case Writer::GroupList: {
            ConfigFile config(configPath);
            TLogSettings settings;
            const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(settings, {});
            settings.LogDetail = 2;
            return config.SaveZizaVureessSection(settings, *groups) ? QString() : refused;
        }
        case Writer::DatabaseSettings: {
            ConfigFile config(configPath);
            TDatabaseSettings settings = config.ReadDatabaseSettings();
            settings.UserName = QStringLiteral("operator");
            return config.WriteDatabaseSettings(settings) ? QString() : refused;
        }
        case Writer::EraseGroup: {
            ConfigFile config(configPath);
            config.EraseGroupSection(QStringLiteral("ZizaVureessGroup:2"));
            return {};
        }
        case Writer::WindowBounds: {
            UserSettingsFile user(UserSettingsFile::defaultPath());
            return user.WriteWindowBounds({10, 20, 640, 480}) ? QString() : refused;
        }
        case Writer::FilterFile: {
            const QStringList lines{QStringLiteral("(QV_SITES.BASIN = 'North'"),
                                    QStringLiteral("OR QV_SITES.BASIN = 'South')")};
            return WriteFilterLines(homeFile(QStringLiteral("north.flt")), lines) ? QString() : refused;
        }
        case Writer::LogSettings: {
            // The window was opened before the fault; the operator changes
            // the detail level, which is written at once.
            for (const char* level : {"radDetailHigh", "radDetailLow"})
                QTest::mouseClick(m_window->findChild<QRadioButton*>(QLatin1String(level)), Qt::LeftButton);
            const QString memo = m_window->findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))->toPlainText();
            if (faulty)
                m_window.reset(); // its window bounds cannot be saved either
            const QString notStored = QStringLiteral("The status settings were not stored: ");
            const qsizetype at = memo.indexOf(notStored);
            return at < 0 ? QString() : memo.mid(at + notStored.size()).section(u'\n', 0, 0);
        }
        }
    } catch (const EWriteError& error) {
        return error.message();
    }
    return {};
}

QStringList TestDiskFaults::temporaryFiles() const
{
    const QStringList names = QDir(m_home).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList temporary;
    for (const QString& name : names) {
        if (name != QLatin1String("filler") && name.count(u'.') > 1 && !name.endsWith(QLatin1String(".lock")))
            temporary.append(name);
    }
    return temporary;
}

void TestDiskFaults::saveUnderFault()
{
    QFETCH(Fault, fault);
    QFETCH(Writer, writer);
    QFETCH(QString, report);
    QFETCH(QByteArray, saved);

    if (fault != Fault::ReadOnlyFolder) {
        m_mount = std::make_unique<TmpfsMount>(m_home, 512);
        if (!m_mount->isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here (%1); the test needs root (CAP_SYS_ADMIN)")
                                 .arg(m_mount->error())));
    }
    const QString configPath = homeFile(QStringLiteral("QVZizaVure.QVS"));
    const QString userPath = homeFile(QStringLiteral("QVPPUsr.QVS"));
    const QString filterPath = homeFile(QStringLiteral("north.flt"));
    TestFiles::write(configPath, Configuration);
    TestFiles::write(userPath, UserSettings);
    TestFiles::write(filterPath, Filter);
    if (writer == Writer::LogSettings) {
        m_window = std::make_unique<TfrmZizaVureGUI>();
        m_window->waitForConfiguration();
        m_window->show();
    }

    // The fault.
    std::optional<TestFiles::WithoutFilePrivileges> unprivileged;
    switch (fault) {
    case Fault::FullDisk: {
        QVERIFY(fillUp(homeFile(QStringLiteral("filler"))) > 0);
        struct statvfs space;
        QCOMPARE(statvfs(QFile::encodeName(m_home).constData(), &space), 0);
        QCOMPARE(space.f_bavail, fsblkcnt_t(0));
        break;
    }
    case Fault::ReadOnlyFolder:
        // The operator may still read the folder; only writing is refused.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(m_home, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                                  QFile::ReadOther | QFile::ExeOther));
        unprivileged.emplace();
        break;
    case Fault::ReadOnlyMount:
        QVERIFY(m_mount->setReadOnly(true));
        break;
    }

    const QString reported = write(writer, true);
    unprivileged.reset();
    QCOMPARE(reported, report.replace(QLatin1String("%1"), configPath));
    QCOMPARE(TestFiles::read(configPath), Configuration);
    QCOMPARE(TestFiles::read(userPath), UserSettings);
    QCOMPARE(TestFiles::read(filterPath), Filter);
    QCOMPARE(temporaryFiles(), QStringList());

    // The fault is gone: the same save goes through.
    switch (fault) {
    case Fault::FullDisk:
        QVERIFY(QFile::remove(homeFile(QStringLiteral("filler"))));
        break;
    case Fault::ReadOnlyFolder:
        // The operator may still read the folder; only writing is refused.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(m_home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        break;
    case Fault::ReadOnlyMount:
        QVERIFY(m_mount->setReadOnly(false));
        break;
    }
    if (writer == Writer::LogSettings) {
        m_window = std::make_unique<TfrmZizaVureGUI>();
        m_window->waitForConfiguration();
        m_window->show();
    }
    QCOMPARE(write(writer, false), QString());
    m_window.reset();
    const QByteArray after = TestFiles::read(writer == Writer::WindowBounds ? userPath
                                             : writer == Writer::FilterFile ? filterPath
                                                                            : configPath);
    QVERIFY2(after.contains(saved), after.constData());
    if (writer == Writer::EraseGroup)
        QVERIFY(!after.contains("[ZizaVureessGroup:2]"));
    QCOMPARE(temporaryFiles(), QStringList());
}

void TestDiskFaults::linkSwappedInDuringSaves_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<QString>("file");
    QTest::newRow("configuration") << Writer::GroupSave << QStringLiteral("QVZizaVure.QVS");
    QTest::newRow("user settings") << Writer::WindowBounds << QStringLiteral("QVPPUsr.QVS");
    QTest::newRow("filter file") << Writer::FilterFile << QStringLiteral("north.flt");
}

// The attack of another operator of a shared folder: a thread exchanges the
// file with a link to the operator's own file (renameat2 RENAME_EXCHANGE), as
// fast as it can, while the program saves it again and again. A save that
// wrote by name would follow the link at some point.
void TestDiskFaults::linkSwappedInDuringSaves()
{
    QFETCH(Writer, writer);
    QFETCH(QString, file);
    TestFiles::write(homeFile(QStringLiteral("QVZizaVure.QVS")), Configuration);
    TestFiles::write(homeFile(QStringLiteral("QVPPUsr.QVS")), UserSettings);
    TestFiles::write(homeFile(QStringLiteral("north.flt")), Filter);
    const QString victim = m_dir->filePath(QStringLiteral("victim"));
    const QByteArray victimContent = "the operator's own file\n";
    TestFiles::write(victim, victimContent);
    const QString spare = homeFile(QStringLiteral("swapped"));
    if (!TestFiles::plant(spare, victim, QStringLiteral("foreign link")))
        QSKIP("giving a link to another user needs root");

    const QByteArray path = QFile::encodeName(homeFile(file));
    const QByteArray sparePath = QFile::encodeName(spare);
    std::atomic<bool> done = false;
    int swaps = 0;
    std::thread swapper([&] {
        while (!done) {
            // A save renames its file onto the name, link or not: the link is
            // then gone, and planted again.
            if (!isLink(path) && !isLink(sparePath) && QFile::remove(spare))
                TestFiles::plant(spare, victim, QStringLiteral("foreign link"));
            if (::renameat2(AT_FDCWD, path.constData(), AT_FDCWD, sparePath.constData(), RENAME_EXCHANGE) == 0)
                ++swaps;
        }
    });
    // Half the saves meet the link and are refused; 100 go through.
    int saved = 0;
    for (int tries = 0; tries < 10000 && saved < 100; ++tries)
        saved += write(writer, false).isEmpty() ? 1 : 0;
    done = true;
    swapper.join();
    QCOMPARE(TestFiles::read(victim), victimContent);
    QVERIFY(saved > 0);
    QVERIFY(swaps > 0);
}

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
