#include "ScheduleHolder.h"
#include "StandinProcess.h"
#include "TestFiles.h"
#include "config/ConfigHistory.h"
#include "platform/FileLock.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// A group whose fields are written as given, after the list that names it.
QByteArray withGroup(const QByteArray& fields, const QByteArray& more = {})
{
    return "[DeraDivurir]\r\nGroupNames=ZizaVureessGroup:1\r\n[ZizaVureessGroup:1]\r\nFuncName=AVG\r\n"
           "TypeInterval=3\r\nPOLLNumber=3\r\nPOLL1=ST1.TEMP\r\nPOLLDataLabel1=T\r\nPOLL2=ST1.RAIN\r\n"
           "POLLDataLabel2=R\r\n" +
           fields + more;
}

} // namespace

class TestQvzctl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void fileCommands_data();
    void fileCommands();
    void validate_data();
    void validate();
    void demoFileIsClean();
    void serviceCommands_data();
    void serviceCommands();
    void processSendsListPosition();
    void resumeRefusedWhileHeld();
    void eventsFollowed();
    void historyDiffAndRestore();

private:
    QString configPath() const { return m_dir->filePath(u"QVZizaVure.QVS"_s); }
    Run run(const QStringList& arguments, const QByteArray& input = {}) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestQvzctl::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_dir->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_dir->path()));
}

Run TestQvzctl::run(const QStringList& arguments, const QByteArray& input) const
{
    QProcess ctl;
    ctl.start(QStringLiteral(QVZCTL_PATH), arguments);
    ctl.write(input);
    ctl.closeWriteChannel();
    if (!ctl.waitForFinished(20000))
        return {};
    return {ctl.exitCode(), ctl.readAllStandardOutput(), ctl.readAllStandardError()};
}

void TestQvzctl::fileCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file"); // "three groups", "fifo", "locked"
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // what standard output holds; the errors' on failure
    QTest::newRow("groups") << QStringList{u"groups"_s} << "three groups" << 0
                            << "2\tZizaVureessGroup:1\tyes\tAVG\tdaily\tNOW\tNOW = ";
    QTest::newRow("groups, json") << QStringList{u"--output"_s, u"json"_s, u"groups"_s} << "three groups" << 0
                                  << "\"name\": \"ZizaVureessGroup:2\"";
    QTest::newRow("show by position") << QStringList{u"show"_s, u"3"_s} << "three groups" << 0 << "ST2.TEMP\t\t\t";
    QTest::newRow("show, json") << QStringList{u"show"_s, u"zizavureessgroup:3"_s, u"--output=json"_s} << "three groups"
                                << 0 << "\"station\": \"ST3\"";
    QTest::newRow("show, no such group") << QStringList{u"show"_s, u"Nope"_s} << "three groups" << 1
                                         << "There is no group Nope";
    QTest::newRow("unreadable") << QStringList{u"groups"_s} << "fifo" << 2 << "it is not a regular file";
    QTest::newRow("locked") << QStringList{u"groups"_s, u"--wait=1"_s} << "locked" << 2
                            << "is held by another program (process";
    QTest::newRow("bad output form") << QStringList{u"groups"_s, u"--output=xml"_s} << "three groups" << 64
                                     << "--output is text or json";
}

void TestQvzctl::fileCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(QString, out);
    if (file == QLatin1String("fifo"))
        QVERIFY(TestFiles::plant(configPath(), QString(), file));
    else
        TestFiles::write(configPath(), StandinProcess::threeGroups(1));
    TestFiles::StoppedLockHolder holder(FileLock::lockPath(configPath()));
    if (file != QLatin1String("locked"))
        holder.release();
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    const QByteArray shown = status == 0 ? result.out : result.err;
    QVERIFY2(shown.contains(out.toUtf8()), shown.constData());
    if (arguments.contains(u"--output"_s) || arguments.contains(u"--output=json"_s))
        QVERIFY(!QJsonDocument::fromJson(result.out).isNull());
}

void TestQvzctl::validate_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("problem"); // ":LINE: GROUP: severity: ..."
    QTest::newRow("refused start text") << withGroup("StartFrom=Tomorrow-ish\r\n") << 2
                                        << ":11: ZizaVureessGroup:1: error: the start text";
    QTest::newRow("unreadable time") << withGroup("BaseTime=25:99\r\n") << 2
                                     << ":11: ZizaVureessGroup:1: error: BaseTime cannot be read";
    QTest::newRow("listed without section") << QByteArray("[DeraDivurir]\r\nGroupNames=ZizaVureessGroup:4\r\n") << 2
                                            << ":2: ZizaVureessGroup:4: error: listed, but the file has no section";
    QTest::newRow("section not listed") << withGroup({}, "[ZizaVureessGroup:9]\r\nFuncName=MAX\r\n") << 1
                                        << ":11: ZizaVureessGroup:9: warning: a group section that the list";
    QTest::newRow("one label, two sensors") << withGroup("POLL3=ST1.WIND\r\nPOLLDataLabel3=t\r\n") << 2
                                            << ":12: ZizaVureessGroup:1: error: the data label \"t\" of ST1.WIND";
    QTest::newRow("label of two groups")
        << withGroup({}, "[ZizaVureessGroup:2]\r\nPOLLNumber=1\r\nPOLL1=ST2.TEMP\r\nPOLLDataLabel1=T\r\n")
               .replace("GroupNames=ZizaVureessGroup:1", "GroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2")
        << 1 << ":14: ZizaVureessGroup:2: warning: the data label \"T\" is also given to ST1.TEMP";
    QTest::newRow("station id with a dot") << withGroup("POLL3=ST.9.TEMP\r\n") << 2
                                           << ":11: ZizaVureessGroup:1: error: the pair \"ST.9.TEMP\" has a station id";
    QTest::newRow("missing filter") << withGroup("Filter=DIR/none.flt\r\n") << 1
                                    << ":11: ZizaVureessGroup:1: warning: the filter file";
    QTest::newRow("refused filter") << withGroup("Filter=DIR/bad.flt\r\n") << 2
                                    << ":11: ZizaVureessGroup:1: error: the filter";
}

void TestQvzctl::validate()
{
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QString, problem);
    TestFiles::write(m_dir->filePath(u"bad.flt"_s), "STATE = 'X') UNION SELECT name FROM sqlite_master WHERE (1=1\r\n");
    content.replace("DIR", QFile::encodeName(m_dir->path()));
    TestFiles::write(configPath(), content);
    const Run fromFile = run({u"validate"_s});
    QCOMPARE(fromFile.status, status);
    QVERIFY2(fromFile.out.contains((configPath() + problem).toUtf8()), fromFile.out.constData());
    QCOMPARE(fromFile.out.count('\n'), 1);
    // The same from standard input, as JSON.
    const Run fromInput = run({u"validate"_s, u"-"_s, u"--output=json"_s}, content);
    QCOMPARE(fromInput.status, status);
    const QJsonObject found = QJsonDocument::fromJson(fromInput.out).array().at(0).toObject();
    QCOMPARE(found.value(u"file").toString(), u"-"_s);
    QCOMPARE(found.value(u"severity").toString(), status == 2 ? u"error"_s : u"warning"_s);
}

// The file that the demonstration starts from holds nothing to report.
void TestQvzctl::demoFileIsClean()
{
    QProcess seed;
    seed.start(QStringLiteral(SEED_PATH), {configPath(), u"QVDEMO"_s, u"QVDEMO"_s});
    QVERIFY(seed.waitForFinished() && seed.exitCode() == 0);
    const Run result = run({u"validate"_s});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QByteArray());
}

void TestQvzctl::serviceCommands_data()
{
    QTest::addColumn<QStringList>("standin"); // its arguments; "none": not started
    QTest::addColumn<QStringList>("before");  // a command run first
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    const QStringList none{u"none"_s};
    QTest::newRow("status") << QStringList() << QStringList() << QStringList{u"status"_s, u"--output=json"_s} << 0
                            << "\"state\": \"active\"";
    QTest::newRow("check") << QStringList() << QStringList() << QStringList{u"check"_s} << 0
                           << "QVZ OK - processing active, next ZizaVureessGroup:";
    QTest::newRow("suspended, status") << QStringList() << QStringList{u"suspend"_s} << QStringList{u"status"_s} << 1
                                       << "processing: suspended";
    QTest::newRow("suspended, check") << QStringList() << QStringList{u"suspend"_s} << QStringList{u"check"_s} << 1
                                      << "QVZ WARNING - processing suspended";
    QTest::newRow("resumed") << QStringList() << QStringList{u"suspend"_s} << QStringList{u"resume"_s} << 0 << "";
    QTest::newRow("not running, status") << none << QStringList() << QStringList{u"status"_s} << 2
                                         << "service: not running";
    QTest::newRow("not running, check") << none << QStringList() << QStringList{u"check"_s} << 2
                                        << "QVZ CRITICAL - service not running | groups=3 enabled=3 held=0";
    QTest::newRow("not running, process") << none << QStringList() << QStringList{u"process"_s, u"--all"_s} << 2 << "";
    QTest::newRow("not running, suspend") << none << QStringList() << QStringList{u"suspend"_s} << 2 << "";
    QTest::newRow("hung, check") << QStringList{u"--hang"_s, u"GetProcessingState"_s} << QStringList()
                                 << QStringList{u"check"_s} << 2 << "QVZ CRITICAL - service does not answer";
    QTest::newRow("unknown group") << QStringList() << QStringList() << QStringList{u"process"_s, u"Nope"_s} << 1 << "";
}

void TestQvzctl::serviceCommands()
{
    QFETCH(QStringList, standin);
    QFETCH(QStringList, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    TestFiles::write(configPath(), StandinProcess::threeGroups(1));
    StandinProcess service;
    if (standin != QStringList{u"none"_s})
        QVERIFY(service.start(standin));
    if (!before.isEmpty())
        QCOMPARE(run(before).status, 0);
    QElapsedTimer answered;
    answered.start();
    const Run result = run(arguments);
    // A monitor waits for a service that hangs no longer than its calls' bound.
    QVERIFY(!standin.contains(u"--hang"_s) || answered.elapsed() < 2000);
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.contains(out.toUtf8()), result.out.constData());
}

// Groups go by their position in the file's list, which the service counts
// from 0: the second of the list here.
void TestQvzctl::processSendsListPosition()
{
    TestFiles::write(configPath(), StandinProcess::threeGroups(1));
    StandinProcess service;
    QVERIFY(service.start({u"--process-ms"_s, u"20000"_s}));
    QCOMPARE(run({u"process"_s, u"ZizaVureessGroup:1"_s}).status, 0);
    QTRY_COMPARE(StandinProcess::ask(u"GetProcessingGroup"_s), u"ZizaVureessGroup:1"_s);
}

void TestQvzctl::resumeRefusedWhileHeld()
{
    TestFiles::write(configPath(), StandinProcess::threeGroups(1));
    StandinProcess service;
    QVERIFY(service.start());
    ScheduleHolder holder;
    QVERIFY(holder.start(configPath()));
    const Run refused = run({u"resume"_s});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains("held by 1 window(s): ") && refused.err.contains("(scheduleholder, process"),
             refused.err.constData());
    QCOMPARE(run({u"check"_s}).out.left(34), QByteArray("QVZ OK - processing held by 1 wind"));
    QCOMPARE(run({u"check"_s, u"--warn-held=-1"_s}).status, 64);
    QCOMPARE(run({u"resume"_s, u"--force"_s}).status, 0);
    QCOMPARE(run({u"status"_s}).status, 0);
}

void TestQvzctl::eventsFollowed()
{
    TestFiles::write(configPath(), StandinProcess::threeGroups(1));
    StandinProcess service;
    QVERIFY(service.start());
    QProcess events;
    events.start(QStringLiteral(QVZCTL_PATH), {u"events"_s, u"--follow"_s, u"--output=json"_s});
    // Subscribed once the refresh's message arrives.
    QTRY_VERIFY_WITH_TIMEOUT((StandinProcess::ask(u"RefreshParams"_s), events.canReadLine()), 10000);
    const QJsonObject event = QJsonDocument::fromJson(events.readLine()).object();
    QCOMPARE(event.value(u"kind").toString(), u"MESSAGE"_s);
    QCOMPARE(event.value(u"text").toString(), u"Setup parameters reloaded."_s);
    QVERIFY(service.kill());
    QVERIFY(events.waitForFinished(10000));
    QCOMPARE(events.exitCode(), 0);
    QVERIFY(events.readAll().contains("\"kind\":\"STOPPING\""));
}

// A text editor's change is found by the next read; restoring the group from
// the baseline writes it back as a version that names its source.
void TestQvzctl::historyDiffAndRestore()
{
    const QByteArray before = StandinProcess::threeGroups(1);
    TestFiles::write(configPath(), before);
    QCOMPARE(run({u"show"_s, u"1"_s}).status, 0);
    QByteArray edited = before;
    TestFiles::write(configPath(), edited.replace("PPGIndex=1\r\nFuncName=AVG", "PPGIndex=1\r\nFuncName=MAX"));
    QCOMPARE(run({u"show"_s, u"1"_s}).status, 0);

    const QJsonArray history = QJsonDocument::fromJson(run({u"history"_s, u"--output=json"_s}).out).array();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history[0].toObject().value(u"kind").toString(), u"external"_s);
    QCOMPARE(history[1].toObject().value(u"kind").toString(), u"baseline"_s);
    QCOMPARE(run({u"history"_s, u"ZizaVureessGroup:2"_s}).out.count('\n'), 1);
    const QByteArray change = "ZizaVureessGroup:1\tchanged\tFuncName\tAVG\tMAX\n";
    QCOMPARE(run({u"diff"_s, u"2"_s}).out, change);
    QCOMPARE(run({u"diff"_s, u"1"_s, u"2"_s}).out, change);
    QCOMPARE(run({u"diff"_s, u"9"_s}).status, 1);

    const Run restored = run({u"restore"_s, u"1"_s, u"--group=ZizaVureessGroup:1"_s});
    QVERIFY2(restored.status == 0, restored.err.constData());
    QVERIFY(TestFiles::read(configPath()).contains("PPGIndex=1\r\nFuncName=AVG"));
    const QJsonObject newest = QJsonDocument::fromJson(run({u"history"_s, u"--output=json"_s}).out)[0].toObject();
    QCOMPARE(newest.value(u"kind").toString(), u"restore"_s);
    QCOMPARE(newest.value(u"restored_from").toInt(), 1);
    QCOMPARE(newest.value(u"program").toString(), u"qvzctl restore"_s);
    // The whole version 2 again, which undoes the restore.
    QCOMPARE(run({u"restore"_s, u"2"_s}).status, 0);
    QVERIFY(TestFiles::read(configPath()).contains("PPGIndex=1\r\nFuncName=MAX"));
    QCOMPARE(run({u"restore"_s, u"9"_s}).status, 1);
    QCOMPARE(run({u"history"_s, u"--pin=1"_s}).status, 0);
    QCOMPARE(TConfigHistory(configPath()).pinnedIds(), QList<int>{1});
    QCOMPARE(run({u"history"_s, u"--pin=9"_s}).status, 1);
}

QTEST_GUILESS_MAIN(TestQvzctl)
#include "tst_qvzctl.moc"
