// Damaged configuration files that the fuzz target of the configuration
// reader found; its seed corpus keeps them.
// - Counts far beyond what the file holds: loading once took minutes or all
//   the memory; now it loads what the file holds, at once.
// - A last line that ends in a bare CR (no LF): a save that added lines after
//   it turned the CR into part of a CR LF line ending, and so changed that
//   line's value, which the save does not own.

#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "platform/FormatSettings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// Generous, for sanitizer builds; the unbounded loader took minutes.
constexpr qint64 LoadLimitMs = 5000;

std::unique_ptr<TZizaVureGroups> timedLoad(const QString& path)
{
    ConfigFile config(path);
    TLogSettings settings;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(settings, {});
    if (clock.elapsed() > LoadLimitMs)
        qWarning("loading %s took %lld ms", qPrintable(path), static_cast<long long>(clock.elapsed()));
    return clock.elapsed() > LoadLimitMs ? nullptr : std::move(groups);
}

QStringList pairsOf(const TZizaVureGroupItem& group)
{
    QStringList pairs;
    for (const auto& entry : group.StationSensors)
        pairs.append(entry->PairText());
    return pairs;
}

} // namespace

class TestDamagedConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void groupCount_data();
    void groupCount();
    void entryCount_data();
    void entryCount();
    void corpusInputs();
    void sectionKeys();
    void lastLineEndingInCr_data();
    void lastLineEndingInCr();
    void bareCrCorpusInput();

private:
    QString write(const QByteArray& content);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDamagedConfig::init()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestDamagedConfig::write(const QByteArray& content)
{
    const QString path = m_dir->filePath(QStringLiteral("QVZizaVure.QVS"));
    TestFiles::write(path, content);
    return path;
}

void TestDamagedConfig::groupCount_data()
{
    QTest::addColumn<QByteArray>("groups");
    QTest::addColumn<int>("loaded");
    QTest::newRow("999") << QByteArray("999") << 999;
    QTest::newRow("1000") << QByteArray("1000") << 999;
    QTest::newRow("largest integer") << QByteArray("2147483647") << 999;
}

// Counted groups are ZizaVureessGroup:1 up to the count, with the defaults
// where a section is missing; their numbers stop at 999.
void TestDamagedConfig::groupCount()
{
    QFETCH(QByteArray, groups);
    QFETCH(int, loaded);
    const auto list =
        timedLoad(write("[DeraDivurir]\r\nGroups=" + groups + "\r\n[ZizaVureessGroup:1]\r\nFuncName=AVG\r\n"));
    QVERIFY(list);
    QCOMPARE(list->Count(), loaded);
    QCOMPARE(list->Items(0)->FuncName, QStringLiteral("AVG"));
    QCOMPARE(list->Items(loaded - 1)->GroupName, QStringLiteral("ZizaVureessGroup:%1").arg(loaded));
    QCOMPARE(list->Items(loaded - 1)->FuncName, QString());
}

void TestDamagedConfig::entryCount_data()
{
    QTest::addColumn<QByteArray>("count");
    QTest::addColumn<QStringList>("pairs");
    QTest::newRow("largest integer") << QByteArray("2147483647")
                                     << QStringList{QStringLiteral("S1.A"), QStringLiteral("S12.B"),
                                                    QStringLiteral("S2147483647.Z")};
    QTest::newRow("entries above the count are not read")
        << QByteArray("12") << QStringList{QStringLiteral("S1.A"), QStringLiteral("S12.B")};
    QTest::newRow("no count") << QByteArray("0") << QStringList();
}

// Entries load in the order of their numbers, whatever the order of their
// lines; a key counts only as the loader spells it, without leading zeros.
void TestDamagedConfig::entryCount()
{
    QFETCH(QByteArray, count);
    QFETCH(QStringList, pairs);
    const auto list = timedLoad(write("[DeraDivurir]\r\nGroupNames=G\r\n[G]\r\nPOLLNumber=" + count +
                                      "\r\nPOLL2147483647=S2147483647.Z\r\npoll12=S12.B\r\nPOLL1=S1.A\r\n"
                                      "POLL012=S0.X\r\nPOLL3x=S3.X\r\nPOLL 4=S4.X\r\n"));
    QVERIFY(list);
    QCOMPARE(list->Count(), 1);
    QCOMPARE(pairsOf(*list->Items(0)), pairs);
}

void TestDamagedConfig::corpusInputs()
{
    // Loaded from copies: a load records the file's history beside it.
    const QString corpus = QStringLiteral(QVZ_CONFIG_CORPUS);
    const auto groups = timedLoad(write(TestFiles::read(corpus + QStringLiteral("/regression-group-count.QVS"))));
    QVERIFY(groups);
    QCOMPARE(groups->Count(), 999);
    const auto entries = timedLoad(write(TestFiles::read(corpus + QStringLiteral("/regression-entry-count.QVS"))));
    QVERIFY(entries);
    QCOMPARE(entries->Count(), 1);
    QCOMPARE(pairsOf(*entries->Items(0)),
             (QStringList{QStringLiteral("S1.A"), QStringLiteral("S12.B"), QStringLiteral("S9.Z")}));
}

void TestDamagedConfig::sectionKeys()
{
    ProfileFile file(write("[G]\r\nB=1\r\n; A=2\r\na=3\r\n  C = 4\r\nb=5\r\n[H]\r\nD=6\r\n"));
    QByteArrayList keys;
    for (const QByteArrayView key : file.section("g").keys())
        keys.append(key.toByteArray().toUpper());
    std::sort(keys.begin(), keys.end());
    QCOMPARE(keys, (QByteArrayList{"A", "B", "C"}));
    QVERIFY(file.section("missing").keys().isEmpty());
}

void TestDamagedConfig::lastLineEndingInCr_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new section, LF file")
        << QByteArray("[A]\nK=v\r") << QByteArray("B") << QByteArray("[A]\nK=v\r\r\n[B]\nN=1\n");
    QTest::newRow("new key, LF file") << QByteArray("[A]\nK=v\r") << QByteArray("A")
                                      << QByteArray("[A]\nK=v\r\r\nN=1\n");
    QTest::newRow("new key, CR LF file") << QByteArray("[A]\r\nK=v\r") << QByteArray("A")
                                         << QByteArray("[A]\r\nK=v\r\r\nN=1\r\n");
    QTest::newRow("without a CR") << QByteArray("[A]\nK=v") << QByteArray("A") << QByteArray("[A]\nK=v\nN=1\n");
}

void TestDamagedConfig::lastLineEndingInCr()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, after);
    const QString path = write(before);
    const QString value = ProfileFile(path).readString("A", "K");
    ProfileFile file(path);
    file.writeKeys(section, {{"N", QStringLiteral("1")}});
    QCOMPARE(TestFiles::read(path), after);
    QCOMPARE(ProfileFile(path).readString("A", "K"), value);
}

// The input as the fuzzer found it: its group list ends in a bare CR, and
// saving the first group used to rename the last one.
void TestDamagedConfig::bareCrCorpusInput()
{
    const QString path = m_dir->filePath(QStringLiteral("QVZizaVure.QVS"));
    QVERIFY(QFile::copy(QStringLiteral(QVZ_CONFIG_CORPUS "/regression-bare-cr.QVS"), path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ConfigFile config(path);
    TLogSettings settings;
    const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(settings, {});
    QVERIFY(groups->Count() > 1);
    const QString lastName = groups->Items(groups->Count() - 1)->GroupName;
    QVERIFY(lastName.endsWith(u'\r'));
    config.SaveGroupSection(*groups->Items(0));
    const std::unique_ptr<TZizaVureGroups> after = config.LoadConfiguration(settings, {});
    QCOMPARE(after->Count(), groups->Count());
    QCOMPARE(after->Items(after->Count() - 1)->GroupName, lastName);
}

QTEST_GUILESS_MAIN(TestDamagedConfig)
#include "tst_damagedconfig.moc"
