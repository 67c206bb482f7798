// A writer process saves group sections into a configuration file over and
// over and is killed with SIGKILL at random moments. After every kill the
// file must parse, each group must stand in its old or its new version (the
// one that the interrupted save was writing may be either), and every line
// that the saves do not own (comments, foreign sections and keys, blank
// lines) must be exactly as it was.

#include "GroupDifferences.h"
#include "GroupSaves.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <signal.h>

namespace {

// Seeded, so that a failure can be replayed.
constexpr quint32 Seed = 20240611;
constexpr int Kills = 250;
constexpr qint64 MinimumSaves = 1000;

// The file before the writer starts, less the groups' own keys, which the
// test saves into it first: a comment, the group list, a foreign section
// between the groups, foreign keys and comments inside the group sections,
// blank lines, all with CR LF.
const QByteArray Skeleton = "; Site north: post-processing groups\r\n"
                            "[DeraDivurir]\r\n"
                            "LogMessage=1\r\n"
                            "LogDetail=2\r\n"
                            "Groups=3\r\n"
                            "GroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2,ZizaVureessGroup:7\r\n"
                            "\r\n"
                            "[ZizaVureessGroup:1]\r\n"
                            "; checked by the night shift\r\n"
                            "Operator=north\r\n"
                            "[Report Tool]\r\n"
                            "Path=/srv/reports\r\n"
                            "Format=csv\r\n"
                            "\r\n"
                            "[ZizaVureessGroup:2]\r\n"
                            "Operator=south\r\n"
                            "\r\n"
                            "\r\n"
                            "[ZizaVureessGroup:7]\r\n"
                            "Operator=east\r\n"
                            "; end of file\r\n";

// The keys that a group save writes.
bool isOwnedKey(QByteArrayView key)
{
    static const QRegularExpression owned(
        QStringLiteral("^(PPGIndex|FuncName|Enabled|BaseTime|ProcTime|TypeInterval|Interval|IntervalDays|StartFrom|"
                       "Description|Purpose|DataType|Parameter|Filter|TimeBound|POLLNumber|"
                       "POLL[0-9]+|POLLUpdate[0-9]+|POLLDataLabel[0-9]+|POLLAltLabel[0-9]+)$"),
        QRegularExpression::CaseInsensitiveOption);
    return owned.match(QString::fromUtf8(key.trimmed())).hasMatch();
}

// The file without the lines that group saves own: what no save may change.
QByteArray foreignLines(const QByteArray& content)
{
    QByteArray kept;
    bool inGroup = false;
    for (const QByteArray& line : content.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('[')) {
            const QByteArray name = text.mid(1, text.indexOf(']') - 1).trimmed();
            inGroup = GroupSaves::groupNames().contains(QString::fromUtf8(name), Qt::CaseInsensitive);
        } else if (inGroup && !text.startsWith(';') && text.contains('=') && isOwnedKey(text.left(text.indexOf('=')))) {
            continue;
        }
        kept += line + '\n';
    }
    return kept;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedWriterLeavesOldOrNewGroups();

private:
    const QByteArray& state(qint64 saves);
    void checkFile(const QByteArray& content, qint64 reported, qint64& completed);

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<ConfigFile> m_model;
    QList<QByteArray> m_states; // the file after 0, 1, 2, … saves
};

void TestCrashSafety::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The model: the same saves made here, one at a time, in a file of its own.
    const QString modelPath = m_dir.filePath(QStringLiteral("model/QVZizaVure.QVS"));
    QVERIFY(QDir().mkpath(QFileInfo(modelPath).path()));
    TestFiles::write(modelPath, Skeleton);
    m_model = std::make_unique<ConfigFile>(modelPath);
    for (int slot = 0; slot < GroupSaves::groupCount(); ++slot)
        m_model->SaveGroupSection(*GroupSaves::makeGroup(slot, false));
    m_states.append(TestFiles::read(modelPath));
    QCOMPARE(foreignLines(m_states.first()), foreignLines(Skeleton));

    m_path = m_dir.filePath(QStringLiteral("home/QVZizaVure.QVS"));
    QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
    TestFiles::write(m_path, m_states.first());
}

const QByteArray& TestCrashSafety::state(qint64 saves)
{
    while (m_states.size() <= saves) {
        m_model->SaveGroupSection(*GroupSaves::groupOfSave(m_states.size()));
        m_states.append(TestFiles::read(m_model->path()));
    }
    return m_states[saves];
}

// `reported` saves were reported complete before the kill; the one after it
// may have completed too. Sets `completed` to the saves that the file holds.
void TestCrashSafety::checkFile(const QByteArray& content, qint64 reported, qint64& completed)
{
    // It parses, with every group in one of its two versions…
    ConfigFile config(m_path);
    TLogSettings settings;
    const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(settings, {});
    QVERIFY(settings.LogMessage);
    QCOMPARE(settings.LogDetail, 2);
    QCOMPARE(groups->Count(), GroupSaves::groupCount());
    for (int slot = 0; slot < GroupSaves::groupCount(); ++slot) {
        const QStringList fromA = groupDifferences(*GroupSaves::makeGroup(slot, false), *groups->Items(slot));
        const QStringList fromB = groupDifferences(*GroupSaves::makeGroup(slot, true), *groups->Items(slot));
        QVERIFY2(fromA.isEmpty() || fromB.isEmpty(),
                 qPrintable(QStringLiteral("%1 is neither version: %2 / %3")
                                .arg(GroupSaves::groupNames()[slot], fromA.join(QLatin1String("; ")),
                                     fromB.join(QLatin1String("; ")))));
    }
    // …nothing that the saves do not own has changed…
    QCOMPARE(foreignLines(content), foreignLines(m_states.first()));
    // …and it is the file before or after the save that was under way.
    if (content == state(reported)) {
        completed = reported;
    } else {
        QVERIFY2(content == state(reported + 1),
                 qPrintable(QStringLiteral("after save %1 the file is neither before nor after save %2")
                                .arg(reported)
                                .arg(reported + 1)));
        completed = reported + 1;
    }
}

void TestCrashSafety::killedWriterLeavesOldOrNewGroups()
{
    QRandomGenerator random(Seed);
    qint64 completed = 0;      // saves that the file holds
    int killedAfterRename = 0; // the file was the new one: killed after a rename, before the report
    int leftTemporary = 0;     // killed with the new file written but not yet renamed into place
    QElapsedTimer total;
    total.start();
    for (int kill = 0; kill < Kills; ++kill) {
        QProcess writer;
        writer.setProgram(QStringLiteral(GROUPWRITER_PATH));
        writer.setArguments({m_path, QString::number(completed + 1)});
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start();
        QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));

        // Let it complete a few saves, timing them, then kill it somewhere in
        // one of the next two.
        const int savesBeforeKill = int(random.bounded(3, 7));
        QByteArray output;
        QElapsedTimer clock; // from the first report on
        int reports = 0;
        int reportsAtFirst = 0;
        while (reports < savesBeforeKill) {
            QVERIFY2(writer.waitForReadyRead(10000), "the writer stopped reporting saves");
            output += writer.readAllStandardOutput();
            reports = int(output.count('\n'));
            if (!clock.isValid()) {
                clock.start();
                reportsAtFirst = reports;
            }
        }
        const qint64 perSaveUs = reports > reportsAtFirst
                                     ? qMax<qint64>(clock.nsecsElapsed() / 1000 / (reports - reportsAtFirst), 50)
                                     : 1000;
        QThread::usleep(random.bounded(quint64(2 * perSaveUs)));
        QCOMPARE(::kill(pid_t(writer.processId()), SIGKILL), 0);
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        output += writer.readAllStandardOutput();

        const QList<QByteArray> lines = output.trimmed().split('\n');
        const qint64 reported = lines.last().toLongLong();
        QCOMPARE(reported, completed + lines.size());

        // A kill between writing the new file and renaming it into place
        // leaves the new file under its temporary name; the configuration
        // itself must be whole.
        QDir home(QFileInfo(m_path).path());
        QStringList leftovers =
            home.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).filter(QStringLiteral("QVZizaVure.QVS."));
        leftovers.removeAll(QStringLiteral("QVZizaVure.QVS.lock"));
        if (!leftovers.isEmpty())
            ++leftTemporary;
        for (const QString& leftover : leftovers)
            QVERIFY(home.remove(leftover));

        checkFile(TestFiles::read(m_path), reported, completed);
        if (QTest::currentTestFailed()) {
            qWarning("kill %d (after save %lld) failed the check", kill + 1, static_cast<long long>(reported));
            return;
        }
        if (completed > reported)
            ++killedAfterRename;
    }
    QVERIFY2(completed >= MinimumSaves,
             qPrintable(QStringLiteral("only %1 saves completed between the kills").arg(completed)));
    qInfo("%d kills during %lld group saves in %lld ms: the old file after %d (%d of them with the new one left "
          "under a temporary name), the new file after %d; every file whole",
          Kills, static_cast<long long>(completed), static_cast<long long>(total.elapsed()), Kills - killedAfterRename,
          leftTemporary, killedAfterRename);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
