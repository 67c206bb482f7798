#include "TestFiles.h"
#include "config/ConfigSession.h"
#include "config/Encrypt.h"
#include "platform/ProfileFile.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

#include <csignal>

using namespace Qt::StringLiterals;

// Two operators on one file: this process is one, configoperator the other.
class TestConfigSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void erasedGroupStaysErased();
    void mergesAnotherWriter_data();
    void mergesAnotherWriter();
    void newAndCopyNeverShareANumber();
    void followsTheFile();
    void killedAtAnyStep();
    void historyOfThreeWriters_data();
    void historyOfThreeWriters();
    void historyKeepsNoPassword();
    void historyFailureLeavesTheSave_data();
    void historyFailureLeavesTheSave();
    void historyPrunedButPinned();

private:
    QString path() const { return m_dir->filePath(u"QVZizaVure.QVS"_s); }
    QString other(const QStringList& args) const;
    void open();
    TZizaVureGroupItem& group(int index) { return *m_groups->Items(index); }
    // What a window saves: `change` applied to a copy of the group as loaded.
    TConfigSession::SaveOutcome save(int index, const std::function<void(TZizaVureGroupItem&)>& change,
                                     const TConfigSession::Resolve& resolve = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigFile> m_config;
    std::unique_ptr<TZizaVureGroups> m_groups;
    std::unique_ptr<TConfigSession> m_session;
};

namespace {

const QByteArray TwoGroups = "[DeraDivurir]\r\nGroups=2\r\nGroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2\r\n"
                             "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nDescription=Base\r\nStartFrom=NOW\r\n"
                             "POLLNumber=1\r\nPOLL1=ST01.TEMP\r\nPOLLDataLabel1=T\r\n"
                             "[ZizaVureessGroup:2]\r\nPPGIndex=2\r\nDescription=Second\r\n";

// Each listed group has its section, and each group section is listed.
void verifyListMatchesSections(const QString& path)
{
    ConfigFile config(path);
    const QStringList listed = config.ListedGroupNames();
    for (const QString& name : listed)
        QVERIFY2(config.file().hasSection(name.toUtf8()), qPrintable(name + u" is listed without a section"_s));
    for (const QByteArrayView name : config.file().sectionNames()) {
        if (name.startsWith("ZizaVureessGroup:"))
            QVERIFY2(listed.contains(QString::fromUtf8(name)), name.data());
    }
}

} // namespace

void TestConfigSession::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    TestFiles::write(path(), TwoGroups);
    open();
}

void TestConfigSession::open()
{
    m_session.reset();
    m_config = std::make_unique<ConfigFile>(path());
    TLogSettings log;
    m_groups = m_config->LoadConfiguration(log, {});
    m_session = std::make_unique<TConfigSession>(*m_config, *m_groups);
}

QString TestConfigSession::other(const QStringList& args) const
{
    QProcess process;
    process.start(QStringLiteral(CONFIGOPERATOR_PATH), QStringList{path()} + args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("configoperator failed: %s", process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

TConfigSession::SaveOutcome TestConfigSession::save(int index, const std::function<void(TZizaVureGroupItem&)>& change,
                                                    const TConfigSession::Resolve& resolve)
{
    TZizaVureGroupItem base;
    base.AssignFrom(group(index));
    TZizaVureGroupItem mine;
    mine.AssignFrom(base);
    change(mine);
    return m_session->saveGroup(group(index), base, mine, resolve, [](const QString&) { return true; });
}

void TestConfigSession::erasedGroupStaysErased()
{
    other({u"erase"_s, u"ZizaVureessGroup:2"_s});
    QCOMPARE(save(0, [](TZizaVureGroupItem& g) { g.StartFrom = u"Yesterday"_s; }), TConfigSession::SaveOutcome::Saved);
    m_session->writeLogSettings({true, DetailHigh});
    ConfigFile disk(path());
    QCOMPARE(disk.ListedGroupNames(), QStringList{u"ZizaVureessGroup:1"_s});
    QVERIFY(!disk.file().hasSection("ZizaVureessGroup:2"));
    QCOMPARE(m_session->refresh(), QStringList{u"ZizaVureessGroup:2 was erased by another program."_s});
    QCOMPARE(m_groups->Count(), 1);
}

void TestConfigSession::mergesAnotherWriter_data()
{
    QTest::addColumn<QStringList>("theirs"); // configoperator's arguments, or "crlf" for a text editor
    QTest::addColumn<QString>("myDescription");
    QTest::addColumn<bool>("takeTheirs");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("pairs");
    QTest::addColumn<int>("conflicts");

    const QStringList setDescription{u"set"_s, u"ZizaVureessGroup:1"_s, u"Description"_s, u"Theirs"_s};
    const QStringList addPair{u"pair"_s, u"ZizaVureessGroup:1"_s, u"ST02"_s, u"RAIN"_s, u"R"_s};
    QTest::newRow("their pair, my start") << addPair << u"Base"_s << false << u"Base"_s << 2 << 0;
    QTest::newRow("their description, my start") << setDescription << u"Base"_s << false << u"Theirs"_s << 1 << 0;
    QTest::newRow("both descriptions, keep mine") << setDescription << u"Mine"_s << false << u"Mine"_s << 1 << 1;
    QTest::newRow("both descriptions, take theirs") << setDescription << u"Mine"_s << true << u"Theirs"_s << 1 << 1;
    QTest::newRow("text editor, CRLF, renamed")
        << QStringList{u"crlf"_s} << u"Base"_s << false << u"Theirs"_s << 1 << 0;
}

void TestConfigSession::mergesAnotherWriter()
{
    QFETCH(QStringList, theirs);
    QFETCH(QString, myDescription);
    QFETCH(bool, takeTheirs);
    if (theirs == QStringList{u"crlf"_s}) {
        // Written beside and renamed over, as editors save, without our lock.
        QByteArray bytes = TestFiles::read(path());
        bytes.replace("Description=Base", "Description = Theirs");
        TestFiles::write(path() + u".new"_s, bytes);
        QVERIFY(QFile::remove(path()) && QFile::rename(path() + u".new"_s, path()));
    } else {
        other(theirs);
    }
    int asked = 0;
    QDateTime writtenAt;
    const auto resolve = [&](QList<TMergeConflict>& conflicts, const QDateTime& written) {
        asked += int(conflicts.size());
        writtenAt = written;
        for (TMergeConflict& conflict : conflicts)
            conflict.takeTheirs = takeTheirs;
        return true;
    };
    save(
        0,
        [&](TZizaVureGroupItem& g) {
            g.StartFrom = u"Yesterday"_s;
            g.Description = myDescription;
        },
        resolve);
    QTEST(asked, "conflicts");
    QCOMPARE(writtenAt.isValid(), asked > 0);
    ConfigFile disk(path());
    const std::unique_ptr<TZizaVureGroupItem> saved = disk.ReadGroup(u"ZizaVureessGroup:1"_s, 0);
    QCOMPARE(saved->StartFrom, u"Yesterday"_s);
    QTEST(saved->Description, "description");
    QTEST(int(saved->StationSensors.size()), "pairs");
    QCOMPARE(group(0).Description, saved->Description); // the list shows what was written
    QVERIFY(TestFiles::read(path()).contains("StartFrom=Yesterday\r\n"));
}

void TestConfigSession::newAndCopyNeverShareANumber()
{
    QCOMPARE(other({u"add"_s}), u"ZizaVureessGroup:3"_s);
    QCOMPARE(m_session->addGroup(nullptr).GroupName, u"ZizaVureessGroup:4"_s);
    QCOMPARE(other({u"copy"_s, u"ZizaVureessGroup:1"_s}), u"ZizaVureessGroup:5"_s);
    QCOMPARE(m_session->addGroup(&group(0)).GroupName, u"ZizaVureessGroup:6"_s);
    QCOMPARE(ConfigFile(path()).ListedGroupNames().size(), 6);
    verifyListMatchesSections(path());
}

void TestConfigSession::followsTheFile()
{
    QSignalSpy changed(m_session.get(), &TConfigSession::fileChanged);
    other({u"add"_s});
    QTRY_VERIFY_WITH_TIMEOUT(changed.count() > 0, 2000);
    QCOMPARE(m_session->refresh(), QStringList{u"ZizaVureessGroup:3 was added by another program."_s});
    other({u"set"_s, u"ZizaVureessGroup:2"_s, u"Description"_s, u"Changed"_s});
    QTRY_VERIFY_WITH_TIMEOUT(changed.count() > 1, 2000);
    QCOMPARE(m_session->refresh(), QStringList{u"ZizaVureessGroup:2 was changed by another program."_s});
    QCOMPARE(group(1).Description, u"Changed"_s);
    // The group being edited stays in the list when another erases it.
    TZizaVureGroupItem* edited = &group(2);
    other({u"erase"_s, u"ZizaVureessGroup:3"_s});
    QTRY_VERIFY_WITH_TIMEOUT(changed.count() > 2, 2000);
    m_session->refresh(edited);
    QCOMPARE(m_groups->IndexOf(edited), 2);
    QVERIFY(m_session->erasedElsewhere(*edited));
}

void TestConfigSession::killedAtAnyStep()
{
    for (int run = 0; run < 12; ++run) {
        QProcess process;
        process.start(QStringLiteral(CONFIGOPERATOR_PATH), {path(), u"cycle"_s, u"200"_s});
        QVERIFY(process.waitForReadyRead(10000));
        QTest::qWait(int(QRandomGenerator::global()->bounded(1, 40)));
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        verifyListMatchesSections(path());
    }
}

namespace {

// "kind program: section change key before>after; ..." for each version.
QStringList historyLines(const QString& configPath)
{
    QStringList lines;
    for (const THistoryVersion& version : TConfigHistory(configPath).versions()) {
        QStringList changes;
        for (const THistoryGroup& group : version.groups) {
            QString text = group.name + u' ' + group.change;
            for (const THistoryField& field : group.fields)
                text += u' ' + field.key + u' ' + field.before + u'>' + field.after;
            changes.append(text);
        }
        lines.append(version.kind + u' ' + version.program + u": "_s + changes.join(u"; "_s));
    }
    return lines;
}

// Rows for this program recording as the window does, in the background,
// and as the other programs do.
void addRecordingRows()
{
    QTest::addColumn<bool>("background");
    QTest::newRow("recorded at once") << false;
    QTest::newRow("recorded in the background") << true;
}

} // namespace

void TestConfigSession::historyOfThreeWriters_data()
{
    addRecordingRows();
}

// This program, another operator's program and a text editor change the file:
// each change is one version, with its writer; a rewrite that only
// re-formats is none.
void TestConfigSession::historyOfThreeWriters()
{
    QFETCH(bool, background);
    m_config->setRecordsInBackground(background);
    QCOMPARE(historyLines(path()).size(), 1); // the load's baseline
    save(0, [](TZizaVureGroupItem& g) { g.StartFrom = u"Yesterday"_s; });
    other({u"pair"_s, u"ZizaVureessGroup:2"_s, u"ST02"_s, u"RAIN"_s, u"R"_s});
    QByteArray edited = TestFiles::read(path()).replace("Description=Second", "Description=Edited");
    TestFiles::write(path(), edited);
    m_session->refresh();
    TestFiles::write(path(), edited.replace("\r\n", "\n").replace("Description=Edited", "Description = Edited"));
    m_session->refresh();
    const QStringList lines = historyLines(path());
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].startsWith(u"baseline : DeraDivurir added"_s), qPrintable(lines[0]));
    QCOMPARE(lines[1], u"save tst_configsession: ZizaVureessGroup:1 changed StartFrom NOW>Yesterday"_s);
    QCOMPARE(lines[2], u"save configoperator: ZizaVureessGroup:2 changed pair ST02.RAIN >R / "_s);
    QCOMPARE(lines[3], u"external : ZizaVureessGroup:2 changed Description Second>Edited"_s);
    // Who wrote outside the program is the file's owner.
    QCOMPARE(TConfigHistory(path()).versions().last().user, QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name));
    // The sections of a version come back as they were.
    QVERIFY(TConfigHistory(path()).sectionsAt(1).value(u"ZizaVureessGroup:2"_s).contains(u"Description=Second"_s));
}

// The database password is recorded as changed, never by its value; a
// journal line cut short by a kill is left out and cut off.
void TestConfigSession::historyKeepsNoPassword()
{
    const QString stored = *ProtectPassword(u"s3cret-pass"_s);
    QVERIFY(m_config->WriteDatabaseSettings({u"QVDEMO"_s, u"QVDEMO"_s, stored}));
    const QString journal = TConfigHistory::folderPath(path()) + u"/journal"_s;
    QFile append(journal);
    QVERIFY(append.open(QIODevice::Append));
    append.write("{\"id\":3,\"kind\":\"sa");
    append.close();
    QCOMPARE(TConfigHistory(path()).versions().size(), 2);
    QVERIFY(m_config->WriteDatabaseSettings({u"QVDEMO"_s, u"OTHER"_s, stored}));
    QCOMPARE(TConfigHistory(path()).versions().size(), 3);
    QVERIFY(TestFiles::read(journal).endsWith("\n"));
    QCOMPARE(historyLines(path())[1], u"save tst_configsession: Database Settings added ODBC Data Source >QVDEMO "
                                      "ODBC Password >changed ODBC Username >QVDEMO"_s);
    QDirIterator files(TConfigHistory::folderPath(path()), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QByteArray content = TestFiles::read(file);
        const QByteArray text = file.contains(u"/objects/"_s) ? qUncompress(content) : content;
        QVERIFY2(!text.contains(stored.toUtf8()) && !text.contains("s3cret"), qPrintable(file));
        QCOMPARE(QFileInfo(file).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
                 QFile::WriteGroup);
    }
    // The other operators of the folder's group write there too, whatever this one's umask.
    QVERIFY(QFileInfo(TConfigHistory::folderPath(path()) + u"/objects"_s).permissions() & QFile::WriteGroup);
}

void TestConfigSession::historyFailureLeavesTheSave_data()
{
    QTest::addColumn<QString>("notFolder"); // in the history's folder, "" for the folder itself
    QTest::addColumn<bool>("background");
    QTest::newRow("no folder") << QString() << false;
    QTest::newRow("no folder, in the background") << QString() << true;
    QTest::newRow("no objects") << u"objects"_s << false;
    QTest::newRow("no objects, in the background") << u"objects"_s << true;
}

void TestConfigSession::historyFailureLeavesTheSave()
{
    QFETCH(QString, notFolder);
    QFETCH(bool, background);
    const QString folder = TConfigHistory::folderPath(path());
    const QString file = notFolder.isEmpty() ? folder : folder + u'/' + notFolder;
    QVERIFY(QDir(file).removeRecursively());
    TestFiles::write(file, "not a folder");
    QStringList told;
    m_config->setStatusSink([&](const QString& line) { told.append(line); });
    m_config->setRecordsInBackground(background);
    save(0, [](TZizaVureGroupItem& g) { g.StartFrom = u"Yesterday"_s; });
    QCOMPARE(ConfigFile(path()).ReadGroup(u"ZizaVureessGroup:1"_s, 0)->StartFrom, u"Yesterday"_s);
    QTRY_COMPARE(told.size(), 1);
    QVERIFY2(
        told[0].startsWith(u"The change history in %1 cannot be written: "_s.arg(TConfigHistory::folderPath(path()))),
        qPrintable(told[0]));
}

// Versions older than the days kept go, but a pinned one and the newest;
// each version kept still reads as it was.
void TestConfigSession::historyPrunedButPinned()
{
    for (const char* start : {"Yesterday", "Today", "NOW"})
        save(0, [start](TZizaVureGroupItem& g) { g.StartFrom = QString::fromLatin1(start); });
    TConfigHistory history(path());
    const QString journal = TConfigHistory::folderPath(path()) + u"/journal"_s;
    // Versions 1 to 3 were made long ago.
    QByteArray lines = TestFiles::read(journal);
    const QByteArray now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).left(10).toLatin1();
    for (int n = 0; n < 3; ++n)
        lines.replace(lines.indexOf("\"time\":\"" + now), 17, "\"time\":\"2020-01-0");
    TestFiles::write(journal, lines);
    QVERIFY(history.pin(2));
    const QMap<QString, QString> second = history.sectionsAt(2);
    const QMap<QString, QString> fourth = history.sectionsAt(4);
    QCOMPARE(history.prune(30), 2);
    QList<int> ids;
    for (const THistoryVersion& version : history.versions())
        ids.append(version.id);
    QCOMPARE(ids, (QList<int>{2, 4}));
    QCOMPARE(history.sectionsAt(2), second);
    QCOMPARE(history.sectionsAt(4), fourth);
    QCOMPARE(history.prune(30), 0);
}

QTEST_GUILESS_MAIN(TestConfigSession)
#include "tst_configsession.moc"
