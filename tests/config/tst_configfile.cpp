#include "GroupDifferences.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "config/UserSettingsFile.h"
#include "platform/DateTimeValue.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
using GroupList = std::unique_ptr<TZizaVureGroups>;

class TestConfigFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void groupLists_data();
    void groupLists();
    void missingFile();
    void unreadableFile_data();
    void unreadableFile();
    void loaderDefaults();
    void entries_data();
    void entries();
    void skippedEntriesCloseUpOnSave();
    void unreadableTimeKeepsGroup_data();
    void unreadableTimeKeepsGroup();
    void integers_data();
    void integers();
    void newGroupSavedAtOnce();
    void roundTrip();
    void intervalDaysAndTimeBound_data();
    void intervalDaysAndTimeBound();
    void foreignLinesSurvive();
    void eraseGroupSection();
    void readOnlyFolder();
    void lineBreakRefused_data();
    void lineBreakRefused();
    void mainSection_data();
    void mainSection();
    void loadReadsFileAfresh();
    void databaseSettings();
    void passwordNotWorldReadable();
    void windowBounds_data();
    void windowBounds();
    void handEdits_data();
    void handEdits();
    void groupListAgainstTheFile_data();
    void groupListAgainstTheFile();
    void windowsFileKeptByteForByte();
    void formsIgnoreTheLocale_data();
    void formsIgnoreTheLocale();
    void systemWideForms();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("QVZizaVure.QVS")); }
    GroupList load(const QByteArray& content, TLogSettings* settings = nullptr, QStringList* status = nullptr);
    GroupList reload(ConfigFile& config);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfigFile::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
}

void TestConfigFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

GroupList TestConfigFile::load(const QByteArray& content, TLogSettings* settings, QStringList* status)
{
    TestFiles::write(path(), content);
    ConfigFile config(path());
    TLogSettings ignored;
    QStringList lines;
    GroupList groups =
        config.LoadConfiguration(settings ? *settings : ignored, [&lines](const QString& line) { lines.append(line); });
    if (status)
        *status = lines;
    return groups;
}

GroupList TestConfigFile::reload(ConfigFile& config)
{
    TLogSettings settings;
    return config.LoadConfiguration(settings, {});
}

void TestConfigFile::groupLists_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("named groups with their indexes")
        << QByteArray("[DeraDivurir]\nGroups=7\nGroupNames=ZizaVureessGroup:2,ZizaVureessGroup:5\n"
                      "[ZizaVureessGroup:2]\nPPGIndex=2\n[ZizaVureessGroup:5]\nPPGIndex=5\n")
        << QStringList{QStringLiteral("ZizaVureessGroup:2"), QStringLiteral("ZizaVureessGroup:5")} << QList<int>{2, 5};
    QTest::newRow("named groups without indexes take their positions")
        << QByteArray("[DeraDivurir]\nGroupNames=ZizaVureessGroup:2,ZizaVureessGroup:5\n")
        << QStringList{QStringLiteral("ZizaVureessGroup:2"), QStringLiteral("ZizaVureessGroup:5")} << QList<int>{1, 2};
    QTest::newRow("counted groups ignore their indexes")
        << QByteArray("[DeraDivurir]\nGroups=3\nGroupNames=\n[ZizaVureessGroup:1]\nPPGIndex=9\n")
        << QStringList{QStringLiteral("ZizaVureessGroup:1"), QStringLiteral("ZizaVureessGroup:2"),
                       QStringLiteral("ZizaVureessGroup:3")}
        << QList<int>{1, 2, 3};
    QTest::newRow("trailing comma adds no group")
        << QByteArray("[DeraDivurir]\nGroupNames=A,B,\n") << QStringList{QStringLiteral("A"), QStringLiteral("B")}
        << QList<int>{1, 2};
    QTest::newRow("two commas give an empty name")
        << QByteArray("[DeraDivurir]\nGroupNames=A,,B\n")
        << QStringList{QStringLiteral("A"), QString(), QStringLiteral("B")} << QList<int>{1, 2, 3};
    QTest::newRow("names are kept, their sections found trimmed")
        << QByteArray("[DeraDivurir]\nGroupNames=A , B\n[ A ]\nPPGIndex=4\n[B]\nPPGIndex=5\n")
        << QStringList{QStringLiteral("A "), QStringLiteral(" B")} << QList<int>{4, 5};
    QTest::newRow("index -1 means the position") << QByteArray("[DeraDivurir]\nGroupNames=X\n[X]\nPPGIndex=-1\n")
                                                 << QStringList{QStringLiteral("X")} << QList<int>{1};
}

void TestConfigFile::groupLists()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, indexes);
    const GroupList groups = load(content);
    QCOMPARE(groups->Count(), names.size());
    for (int i = 0; i < groups->Count(); ++i) {
        QCOMPARE(groups->Items(i)->GroupName, names[i]);
        QCOMPARE(groups->Items(i)->PPGIndex, indexes[i]);
    }
}

void TestConfigFile::missingFile()
{
    ConfigFile config(path());
    TLogSettings settings{true, 2};
    QStringList lines;
    const GroupList groups = config.LoadConfiguration(settings, [&lines](const QString& l) { lines.append(l); });
    QCOMPARE(groups->Count(), 0);
    QCOMPARE(settings.LogMessage, false);
    QCOMPARE(settings.LogDetail, 1);
    QCOMPARE(lines, QStringList{QStringLiteral("Startup parameters loaded.")});
    QVERIFY(!QFile::exists(path()));
}

void TestConfigFile::unreadableFile_data()
{
    QTest::addColumn<QString>("planted"); // in the file's place; empty: another operator's 0600 file
    QTest::addColumn<QString>("reason");
    QTest::newRow("another operator's file") << QString() << u"permission denied"_s;
    QTest::newRow("link of another user") << u"foreign link"_s << u"it is a link owned by another user"_s;
    QTest::newRow("FIFO") << u"fifo"_s << u"it is not a regular file"_s;
}

// A file that is there but cannot be read is no empty configuration: the
// load says so, and nothing is written to it, not even the group list.
void TestConfigFile::unreadableFile()
{
    QFETCH(QString, planted);
    QFETCH(QString, reason);
    const QByteArray before = "[DeraDivurir]\r\nGroupNames=G\r\n[G]\r\nPPGIndex=1\r\n";
    const QString target = planted.isEmpty() ? path() : m_dir->filePath(u"victim"_s);
    TestFiles::write(target, before);
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    if (!planted.isEmpty() && !TestFiles::plant(path(), target, planted))
        QSKIP("giving a link to another user needs root");
    // A folder open to all, as a shared one is: only the file keeps the write out.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOther | QFile::WriteOther | QFile::ExeOther |
                                                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    std::optional<TestFiles::WithoutFilePrivileges> unprivileged;
    if (planted.isEmpty())
        unprivileged.emplace();

    ConfigFile config(path());
    TLogSettings settings;
    QStringList lines;
    const GroupList groups = config.LoadConfiguration(settings, [&lines](const QString& l) { lines.append(l); });
    QCOMPARE(groups->Count(), 0);
    QCOMPARE(lines, QStringList{u"%1 cannot be read: %2. Nothing will be written to it until it can be read."_s.arg(
                        path(), reason)});
    QVERIFY(!config.SaveZizaVureessSection(settings, *groups));
    QCOMPARE(config.writeError(), u"Unable to write to %1: %2"_s.arg(path(), reason));
    QVERIFY(!config.WriteDatabaseSettings({u"QVDEMO"_s, u"demo"_s, QString()}));
    unprivileged.reset();
    QCOMPARE(TestFiles::read(target), before);
}

void TestConfigFile::loaderDefaults()
{
    TLogSettings settings;
    const GroupList groups = load("[DeraDivurir]\nLogMessage=1\nLogDetail=2\nGroups=1\n", &settings);
    QCOMPARE(settings.LogMessage, true);
    QCOMPARE(settings.LogDetail, 2);
    QCOMPARE(groups->Count(), 1);
    const TZizaVureGroupItem& group = *groups->Items(0);
    QCOMPARE(group.FuncName, QString());
    QCOMPARE(group.Enabled, false);
    QCOMPARE(group.StartFrom, QStringLiteral("NOW"));
    QCOMPARE(group.BaseTime, 0.0);
    QCOMPARE(group.ProcTime, 0.0);
    QCOMPARE(group.Interval, 0.0);
    QCOMPARE(group.TypeInterval, quint8(3));
    QCOMPARE(group.DataType, quint8(0));
    QCOMPARE(group.TimeBound, 0);
    QVERIFY(group.StationSensors.empty());
}

void TestConfigFile::entries_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QStringList>("stations");
    QTest::addColumn<QStringList>("sensors");
    QTest::newRow("station and sensor") << QByteArray("POLLNumber=1\nPOLL1=ST01.AIRTEMP\n")
                                        << QStringList{QStringLiteral("ST01")}
                                        << QStringList{QStringLiteral("AIRTEMP")};
    QTest::newRow("no dot names both") << QByteArray("POLLNumber=1\nPOLL1=ABC\n") << QStringList{QStringLiteral("ABC")}
                                       << QStringList{QStringLiteral("ABC")};
    QTest::newRow("second dot cuts the sensor") << QByteArray("POLLNumber=1\nPOLL1=A.B.C\n")
                                                << QStringList{QStringLiteral("A")} << QStringList{QStringLiteral("B")};
    // A save could not keep the blanks that end the sensor name.
    QTest::newRow("blanks before a second dot")
        << QByteArray("POLLNumber=1\nPOLL1=A . B \t.C\n") << QStringList{QStringLiteral("A ")}
        << QStringList{QStringLiteral(" B")};
    QTest::newRow("missing entry is skipped")
        << QByteArray("POLLNumber=3\nPOLL1=S1.A\nPOLL3=S3.C\nPOLLDataLabel2=orphan\n")
        << QStringList{QStringLiteral("S1"), QStringLiteral("S3")}
        << QStringList{QStringLiteral("A"), QStringLiteral("C")};
    QTest::newRow("entries above the count are not read")
        << QByteArray("POLLNumber=1\nPOLL1=S1.A\nPOLL2=S2.B\n") << QStringList{QStringLiteral("S1")}
        << QStringList{QStringLiteral("A")};
    QTest::newRow("keys in any case, out of order, first line counts")
        << QByteArray("poll2=S2.B\npollnumber=2\nPOLL1=S1.A\nPoll2=S9.Z\n")
        << QStringList{QStringLiteral("S1"), QStringLiteral("S2")}
        << QStringList{QStringLiteral("A"), QStringLiteral("B")};
    QTest::newRow("a leading zero is another key")
        << QByteArray("POLLNumber=1\nPOLL01=S0.X\nPOLL1=S1.A\n") << QStringList{QStringLiteral("S1")}
        << QStringList{QStringLiteral("A")};
    QTest::newRow("Windows-1252 in one half decodes both halves alike")
        << QByteArray("POLLNumber=1\nPOLL1=Z\xc3\xbc.\xb0"
                      "C\n")
        << QStringList{QStringLiteral("ZÃ¼")} << QStringList{QStringLiteral("°C")};
}

void TestConfigFile::entries()
{
    QFETCH(QByteArray, keys);
    QFETCH(QStringList, stations);
    QFETCH(QStringList, sensors);
    const GroupList groups = load("[DeraDivurir]\nGroupNames=G\n[G]\n" + keys);
    const TStationSensorList& entries = groups->Items(0)->StationSensors;
    QCOMPARE(qsizetype(entries.size()), stations.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        QCOMPARE(entries[i]->StationId, stations[qsizetype(i)]);
        QCOMPARE(entries[i]->SensorName, sensors[qsizetype(i)]);
    }
}

void TestConfigFile::skippedEntriesCloseUpOnSave()
{
    load("[DeraDivurir]\nGroupNames=G\n[G]\nPOLLNumber=3\nPOLL1=S1.A\nPOLLDataLabel1=L1\n"
         "POLL3=S3.C\nPOLLDataLabel3=L3\nPOLLAltLabel3=ALT3\n");
    ConfigFile config(path());
    GroupList groups = reload(config);
    config.SaveGroupSection(*groups->Items(0));

    const ProfileFile file(path());
    QCOMPARE(file.readInteger("G", "POLLNumber", -1), 2);
    QCOMPARE(file.readString("G", "POLL2"), QStringLiteral("S3.C"));
    QCOMPARE(file.readString("G", "POLLDataLabel2"), QStringLiteral("L3"));
    QCOMPARE(file.readString("G", "POLLAltLabel2"), QStringLiteral("ALT3"));
    // The old third entry stays in the section, beyond the count, unread.
    QCOMPARE(file.readString("G", "POLL3"), QStringLiteral("S3.C"));
    groups = reload(config);
    QCOMPARE(groups->Items(0)->StationSensors.size(), size_t(2));
    QCOMPARE(groups->Items(0)->StationSensors[1]->POLLAltLabel, QStringLiteral("ALT3"));
}

void TestConfigFile::unreadableTimeKeepsGroup_data()
{
    QTest::addColumn<QByteArray>("badKey");
    QTest::newRow("empty BaseTime") << QByteArray("BaseTime=");
    QTest::newRow("ProcTime out of range") << QByteArray("ProcTime=25:00:00");
    QTest::newRow("Interval not a time") << QByteArray("Interval=abc");
    QTest::newRow("POLLUpdate not a date") << QByteArray("POLLUpdate1=13/45/2023");
}

void TestConfigFile::unreadableTimeKeepsGroup()
{
    QFETCH(QByteArray, badKey);
    const QByteArray sectionB = "[B]\nFuncName=SUM\nPOLLNumber=1\nPOLL1=S.T\n" + badKey + "\nDataType=1\n";
    QStringList status;
    const GroupList groups = load("[DeraDivurir]\nGroupNames=A,B,C\n[A]\nFuncName=MIN\nBaseTime=01:00:00\n" + sectionB +
                                      "[C]\nFuncName=MAX\n",
                                  nullptr, &status);
    QCOMPARE(groups->Count(), 3);
    const TZizaVureGroupItem& b = *groups->Items(1);
    QCOMPARE(b.FuncName, QStringLiteral("SUM"));
    QCOMPARE(b.DataType, quint8(1));
    QCOMPARE(b.BaseTime + b.ProcTime + b.Interval + b.StationSensors[0]->POLLUpdate, 0.0);
    const QString key = QString::fromLatin1(badKey.left(badKey.indexOf('=')));
    QCOMPARE(status,
             (QStringList{u"Group B: %1 cannot be read and takes its default until the group is saved."_s.arg(key),
                          u"Startup parameters loaded."_s}));

    ConfigFile config(path());
    QVERIFY(config.SaveZizaVureessSection({}, *groups));
    QCOMPARE(ProfileFile(path()).readString("DeraDivurir", "GroupNames"), QStringLiteral("A,B,C"));
    QVERIFY(TestFiles::read(path()).contains(sectionB));
}

void TestConfigFile::integers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("typeInterval");
    QTest::newRow("hex") << QByteArray("0x4") << 4;
    QTest::newRow("letters") << QByteArray("abc") << 3;
    QTest::newRow("empty") << QByteArray("") << 3;
    QTest::newRow("low 8 bits") << QByteArray("261") << 5;
}

void TestConfigFile::integers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, typeInterval);
    const GroupList groups = load("[DeraDivurir]\nGroups=1\n[ZizaVureessGroup:1]\nTypeInterval=" + value + "\n");
    QCOMPARE(int(groups->Items(0)->TypeInterval), typeInterval);
}

void TestConfigFile::newGroupSavedAtOnce()
{
    ConfigFile config(path());
    TZizaVureGroupItem group;
    config.SaveGroupSection(group);
    QCOMPARE(TestFiles::read(path()), QByteArray("[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=AVG\r\nEnabled=1\r\n"
                                                 "BaseTime=00:00:00\r\nProcTime=00:00:00\r\nTypeInterval=3\r\n"
                                                 "Interval=00:00:00\r\nIntervalDays=0\r\nStartFrom=\r\n"
                                                 "Description=\r\nPurpose=\r\nDataType=0\r\nParameter=\r\n"
                                                 "Filter=\r\nTimeBound=0\r\nPOLLNumber=0\r\n"));
}

void TestConfigFile::roundTrip()
{
    ConfigFile config(path());
    TZizaVureGroups groups;
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = 7;
    group->GroupName = GroupSectionName(7);
    group->Enabled = false;
    group->FuncName = QStringLiteral("STDEV");
    group->BaseTime = DateTimeValue::encodeTime(6, 30, 0);
    group->ProcTime = DateTimeValue::encodeTime(23, 59, 59);
    group->TypeInterval = 6;
    group->StartFrom = QStringLiteral("Last Week");
    group->Description = QStringLiteral("spaced, with = sign");
    group->Purpose = QStringLiteral("Zürich");
    group->DataType = 1;
    group->Parameter = QStringLiteral("p;1");
    group->Filter = QStringLiteral("/tmp/north.flt");
    for (int i = 1; i <= 3; ++i) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = QStringLiteral("ST%1").arg(i);
        entry->SensorName = QStringLiteral("TEMP");
        entry->POLLUpdate = i == 2 ? 0.0 : DateTimeValue::fromDateTime(QDateTime(QDate(2024, 5, i), QTime(13, 5, i)));
        entry->POLLDataLabel = QStringLiteral("t_avg%1").arg(i);
        entry->POLLAltLabel = i == 3 ? QString() : QStringLiteral("alt");
        group->StationSensors.push_back(std::move(entry));
    }
    config.SaveGroupSection(*group);
    groups.AddGroup(std::move(group));
    QVERIFY(config.SaveZizaVureessSection(TLogSettings{true, 0}, groups));

    TLogSettings settings;
    const GroupList loaded = config.LoadConfiguration(settings, {});
    QCOMPARE(settings.LogMessage, true);
    QCOMPARE(settings.LogDetail, 0);
    QCOMPARE(loaded->Count(), 1);
    QCOMPARE(groupDifferences(*groups.Items(0), *loaded->Items(0)), QStringList());
    // Day 0 is written as a bare date.
    QCOMPARE(ProfileFile(path()).readString("ZizaVureessGroup:7", "POLLUpdate2"), QStringLiteral("12/30/1899"));
    QCOMPARE(ProfileFile(path()).readString("ZizaVureessGroup:7", "POLLUpdate1"),
             QStringLiteral("05/01/2024 13:05:01"));
}

void TestConfigFile::intervalDaysAndTimeBound_data()
{
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("timeBound");
    QTest::addColumn<QString>("intervalText");
    QTest::newRow("2 days 6 hours") << 2.25 << 2 << "06:00:00";
    QTest::newRow("below a day") << DateTimeValue::encodeTime(1, 30, 0) << 1 << "01:30:00";
    QTest::newRow("365 days") << 365.0 << 0 << "00:00:00";
}

void TestConfigFile::intervalDaysAndTimeBound()
{
    QFETCH(double, interval);
    QFETCH(int, timeBound);
    QFETCH(QString, intervalText);
    ConfigFile config(path());
    TZizaVureGroups groups;
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->Interval = interval;
    group->TimeBound = timeBound;
    config.SaveGroupSection(*group);
    groups.AddGroup(std::move(group));
    config.SaveZizaVureessSection({}, groups);
    QCOMPARE(ProfileFile(path()).readString("ZizaVureessGroup:1", "Interval"), intervalText);

    const GroupList loaded = reload(config);
    QCOMPARE(qRound(loaded->Items(0)->Interval * 86400), qRound(interval * 86400));
    QCOMPARE(loaded->Items(0)->TimeBound, timeBound);
}

void TestConfigFile::foreignLinesSurvive()
{
    const QByteArray head = "; written by hand\r\n\r\n[Vendor]\r\nSetting=keep me \r\n\r\n";
    const QByteArray middle = "[DeraDivurir]\r\nLogMessage=0\r\nLogDetail=1\r\nGroups=1\r\n"
                              "GroupNames=ZizaVureessGroup:1\r\nUnknownKey=stays\r\n\r\n";
    const QByteArray tail = "[Database Settings]\nODBC Data Source=Site\n";
    const QByteArray group = "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=AVG\r\n; a note\r\n\r\n";
    TestFiles::write(path(), head + middle + group + tail);

    ConfigFile config(path());
    TLogSettings settings;
    GroupList groups = config.LoadConfiguration(settings, {});
    groups->Items(0)->FuncName = QStringLiteral("MAX");
    config.SaveGroupSection(*groups->Items(0));
    QVERIFY(config.SaveZizaVureessSection(settings, *groups));

    const QByteArray after = TestFiles::read(path());
    QVERIFY2(after.startsWith(head + middle), after.constData());
    QVERIFY2(after.endsWith(tail), after.constData());
    const QByteArray savedGroup =
        after.mid(head.size() + middle.size(), after.size() - head.size() - middle.size() - tail.size());
    QVERIFY(savedGroup.startsWith("[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=MAX\r\n; a note\r\nEnabled=0\r\n"));
    QVERIFY(savedGroup.endsWith("POLLNumber=0\r\n\r\n"));
}

void TestConfigFile::eraseGroupSection()
{
    const QByteArray before = "[A]\r\nx=1\r\n[ZizaVureessGroup:2]\r\nPPGIndex=2\r\nPOLL1=a.b\r\n[B]\r\ny=2\r\n";
    TestFiles::write(path(), before);
    ConfigFile config(path());
    config.EraseGroupSection(QStringLiteral("zizavureessgroup:2"));
    QCOMPARE(TestFiles::read(path()), QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n"));
}

void TestConfigFile::readOnlyFolder()
{
    const QByteArray before = "[DeraDivurir]\r\nGroups=1\r\n[ZizaVureessGroup:1]\r\nPPGIndex=1\r\n";
    TestFiles::write(path(), before);
    ConfigFile config(path());
    GroupList groups = reload(config);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    {
        TestFiles::WithoutFilePrivileges unprivileged;
        try {
            config.SaveGroupSection(*groups->Items(0));
            QFAIL("the save was accepted");
        } catch (const EWriteError& error) {
            QCOMPARE(error.message(), QStringLiteral("Unable to write to %1").arg(path()));
        }
        QVERIFY(!config.SaveZizaVureessSection({}, *groups));
        QVERIFY_THROWS_EXCEPTION(EWriteError, config.EraseGroupSection(groups->Items(0)->GroupName));
    }
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(TestFiles::read(path()), before);
}

void TestConfigFile::lineBreakRefused_data()
{
    QTest::addColumn<int>("field");
    QTest::newRow("description") << 0;
    QTest::newRow("data label") << 1;
    QTest::newRow("group name") << 2;
}

void TestConfigFile::lineBreakRefused()
{
    QFETCH(int, field);
    const QByteArray before = "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nFuncName=MIN\r\n";
    TestFiles::write(path(), before);
    ConfigFile config(path());
    TZizaVureGroupItem group;
    auto entry = std::make_unique<TStationSensorInfoItem>();
    entry->StationId = QStringLiteral("S");
    entry->SensorName = QStringLiteral("T");
    group.StationSensors.push_back(std::move(entry));
    if (field == 0)
        group.Description = QStringLiteral("two\r\nlines");
    else if (field == 1)
        group.StationSensors[0]->POLLDataLabel = QStringLiteral("L\n[DeraDivurir]");
    else
        group.GroupName = QStringLiteral("ZizaVureessGroup:1]\n[X");
    QVERIFY_THROWS_EXCEPTION(EWriteError, config.SaveGroupSection(group));
    QCOMPARE(TestFiles::read(path()), before);
}

void TestConfigFile::mainSection_data()
{
    QTest::addColumn<int>("groupCount");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no groups") << 0
                               << QByteArray(
                                      "[DeraDivurir]\r\nLogMessage=1\r\nLogDetail=2\r\nGroups=0\r\nGroupNames=\r\n");
    QTest::newRow("three groups") << 3
                                  << QByteArray(
                                         "[DeraDivurir]\r\nLogMessage=1\r\nLogDetail=2\r\nGroups=3\r\n"
                                         "GroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2,ZizaVureessGroup:3\r\n");
}

void TestConfigFile::mainSection()
{
    QFETCH(int, groupCount);
    QFETCH(QByteArray, expected);
    TZizaVureGroups groups;
    for (int i = 1; i <= groupCount; ++i) {
        auto group = std::make_unique<TZizaVureGroupItem>();
        group->GroupName = GroupSectionName(i);
        groups.AddGroup(std::move(group));
    }
    ConfigFile config(path());
    QVERIFY(config.SaveZizaVureessSection(TLogSettings{true, 2}, groups));
    QCOMPARE(TestFiles::read(path()), expected);
}

void TestConfigFile::loadReadsFileAfresh()
{
    TestFiles::write(path(), "[DeraDivurir]\nGroups=1\n");
    ConfigFile config(path());
    QCOMPARE(reload(config)->Count(), 1);
    TestFiles::write(path(), "[DeraDivurir]\nGroups=2\n");
    QCOMPARE(reload(config)->Count(), 2);
}

void TestConfigFile::databaseSettings()
{
    TestFiles::write(path(), "[DeraDivurir]\r\nGroups=0\r\n[database settings]\r\nodbc username=reader\r\n");
    ConfigFile config(path());
    TDatabaseSettings read = config.ReadDatabaseSettings();
    QCOMPARE(read.DataSource, QString());
    QCOMPARE(read.UserName, QStringLiteral("reader"));

    QVERIFY(
        config.WriteDatabaseSettings({QStringLiteral("QVDEMO"), QStringLiteral("demo"), QStringLiteral("c2VjcmV0")}));
    QCOMPARE(TestFiles::read(path()), QByteArray("[DeraDivurir]\r\nGroups=0\r\n[database settings]\r\n"
                                                 "odbc username=demo\r\nODBC Data Source=QVDEMO\r\n"
                                                 "ODBC Password=c2VjcmV0\r\n"));
    read = ConfigFile(path()).ReadDatabaseSettings();
    QCOMPARE(read.DataSource, QStringLiteral("QVDEMO"));
    QCOMPARE(read.ProtectedPassword, QStringLiteral("c2VjcmV0"));
}

// Once it holds a password, the file is readable by nobody but its owner and group.
void TestConfigFile::passwordNotWorldReadable()
{
    TestFiles::write(path(), "[DeraDivurir]\r\nGroups=0\r\n");
    QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    ConfigFile config(path());
    QVERIFY(config.WriteDatabaseSettings({QStringLiteral("QVDEMO"), QStringLiteral("demo"), QString()}));
    QVERIFY(QFile::permissions(path()) & QFileDevice::ReadOther);
    QVERIFY(
        config.WriteDatabaseSettings({QStringLiteral("QVDEMO"), QStringLiteral("demo"), QStringLiteral("c2VjcmV0")}));
    QVERIFY(!(QFile::permissions(path()) & QFileDevice::ReadOther));
}

void TestConfigFile::windowBounds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("bounds");
    QTest::newRow("missing file") << QByteArray() << QList<int>{300, 186, 465, 377};
    QTest::newRow("stored") << QByteArray("[Windows Settings]\nLeft=-5\nTop=0x10\nWidth=800\nHeight=600\n")
                            << QList<int>{-5, 16, 800, 600};
    QTest::newRow("malformed keeps defaults")
        << QByteArray("[windows settings]\nleft=abc\nWidth=1e3\n") << QList<int>{300, 186, 465, 377};
}

void TestConfigFile::windowBounds()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, bounds);
    const QString userPath = m_dir->filePath(QStringLiteral("QVPPUsr.QVS"));
    if (!content.isEmpty())
        TestFiles::write(userPath, content);
    UserSettingsFile file(userPath);
    const TWindowBounds read = file.ReadWindowBounds({});
    QCOMPARE((QList<int>{read.Left, read.Top, read.Width, read.Height}), bounds);

    QVERIFY(file.WriteWindowBounds({11, 22, 333, 444}));
    const TWindowBounds back = UserSettingsFile(userPath).ReadWindowBounds({});
    QCOMPARE((QList<int>{back.Left, back.Top, back.Width, back.Height}), (QList<int>{11, 22, 333, 444}));
}

void TestConfigFile::handEdits_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("funcName");
    QTest::newRow("blanks around =") << QByteArray("GroupNames=G\n[G]\nFuncName = MAX \n") << "MAX";
    QTest::newRow("blank after the comma") << QByteArray("GroupNames=X, G\n[G]\nFuncName=MIN\n") << "MIN";
}

void TestConfigFile::handEdits()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, funcName);
    const GroupList groups = load("[DeraDivurir]\n" + content);
    TZizaVureGroupItem& group = *groups->Items(groups->Count() - 1);
    QCOMPARE(group.FuncName, funcName);

    ConfigFile config(path());
    group.Description = QStringLiteral("edited");
    config.SaveGroupSection(group);
    const GroupList again = reload(config);
    QCOMPARE(again->Items(groups->Count() - 1)->Description, QStringLiteral("edited"));
    QCOMPARE(again->Items(groups->Count() - 1)->FuncName, funcName);
}

void TestConfigFile::groupListAgainstTheFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("status");
    QTest::newRow("group added by another program") << "add"
                                                    << "G1,G2,G3"
                                                    << "another program added";
    QTest::newRow("group erased here") << "erase"
                                       << "G1"
                                       << "";
    QTest::newRow("file vanished") << "remove"
                                   << "G1,G2"
                                   << "vanished";
}

void TestConfigFile::groupListAgainstTheFile()
{
    QFETCH(QString, change);
    QFETCH(QString, names);
    QFETCH(QString, status);
    const QByteArray sections = "[G1]\nFuncName=MIN\n[G2]\nFuncName=MAX\n[Database Settings]\nODBC Username=op\n";
    TestFiles::write(path(), "[DeraDivurir]\nGroupNames=G1,G2\n" + sections);
    ConfigFile config(path());
    QStringList lines;
    config.setStatusSink([&lines](const QString& line) { lines.append(line); });
    TLogSettings settings;
    const GroupList groups = config.LoadConfiguration(settings, {});
    if (change == u"add") {
        TestFiles::write(path(), "[DeraDivurir]\nGroupNames=G1,G2,G3\n" + sections + "[G3]\nFuncName=SUM\n");
    } else if (change == u"erase") {
        config.EraseGroupSection(QStringLiteral("G2"));
        groups->DeleteGroup(1);
    } else {
        QVERIFY(QFile::remove(path()));
    }
    QVERIFY(config.SaveZizaVureessSection(settings, *groups));

    QCOMPARE(ProfileFile(path()).readString("DeraDivurir", "GroupNames"), names);
    const GroupList loaded = reload(config);
    QCOMPARE(loaded->Items(0)->FuncName, QStringLiteral("MIN"));
    QCOMPARE(config.ReadDatabaseSettings().UserName, QStringLiteral("op"));
    QCOMPARE(lines.size(), status.isEmpty() ? 0 : 1);
    if (!status.isEmpty())
        QVERIFY2(lines[0].contains(status), qPrintable(lines[0]));
}

void TestConfigFile::windowsFileKeptByteForByte()
{
    // Written by hand as the Windows side writes: Windows-1252, CRLF.
    const QByteArray content = "[DeraDivurir]\r\nGroupNames=A,B\r\n[A]\r\nPPGIndex=1\r\nFuncName=AVG\r\n"
                               "Enabled=1\r\nBaseTime=06:00:00\r\nProcTime=00:00:00\r\nTypeInterval=3\r\n"
                               "Interval=00:00:00\r\nIntervalDays=0\r\nStartFrom=NOW\r\nDescription=D\xE9"
                               "bit\r\n"
                               "Purpose=\r\nDataType=0\r\nParameter=\r\nFilter=\r\nTimeBound=0\r\nPOLLNumber=1\r\n"
                               "POLL1=M\xDCN.TEMP\r\nPOLLUpdate1=03/15/2023 14:00:00\r\nPOLLDataLabel1=T\xE9\r\n"
                               "POLLAltLabel1=\r\n[B]\r\nDescription=Caf\xE9\r\n";
    const GroupList groups = load(content);
    TZizaVureGroupItem& a = *groups->Items(0);
    QCOMPARE(a.Description, QStringLiteral("Débit"));
    QCOMPARE(a.StationSensors[0]->StationId, QStringLiteral("MÜN"));
    QCOMPARE(groups->Items(1)->Description, QStringLiteral("Café"));

    ConfigFile config(path());
    config.SaveGroupSection(a);
    QCOMPARE(TestFiles::read(path()), content);
    a.Description = QStringLiteral("Débit à 5 €");
    config.SaveGroupSection(a);
    QVERIFY(TestFiles::read(path()).contains("Description=D\xE9"
                                             "bit \xE0 5 \x80\r\n"));
}

void TestConfigFile::formsIgnoreTheLocale_data()
{
    QTest::addColumn<QString>("locale");
    // A "." time separator, day first, and month first with a 12-hour clock.
    for (const char* name : {"da_DK", "fi_FI", "id_ID", "en_GB", "en_US", "C"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestConfigFile::formsIgnoreTheLocale()
{
    QFETCH(QString, locale);
    const FormatSettings previous = FormatSettings::current();
    FormatSettings::setCurrent(FormatSettings::fromLocale(QLocale(locale)));
    const GroupList groups = load("[DeraDivurir]\nGroupNames=A,B,C\n[A]\nBaseTime=06:30:00\n"
                                  "[B]\nProcTime=23:15:00\nPOLLNumber=1\nPOLL1=S.T\nPOLLUpdate1=03/04/2023 14:00:00\n"
                                  "[C]\nInterval=01:00:00\n");
    QCOMPARE(groups->Count(), 3);
    QCOMPARE(groups->Items(0)->BaseTime, DateTimeValue::encodeTime(6, 30, 0));
    QCOMPARE(groups->Items(1)->StationSensors[0]->POLLUpdate,
             DateTimeValue::fromDateTime(QDateTime(QDate(2023, 3, 4), QTime(14, 0))));

    ConfigFile config(path());
    config.SaveGroupSection(*groups->Items(1));
    FormatSettings::setCurrent(previous);
    const ProfileFile file(path());
    QCOMPARE(file.readString("B", "ProcTime"), QStringLiteral("23:15:00"));
    QCOMPARE(file.readString("B", "POLLUpdate1"), QStringLiteral("03/04/2023 14:00:00"));
}

void TestConfigFile::systemWideForms()
{
    QTemporaryDir system;
    QVERIFY(QDir(system.path()).mkpath(QStringLiteral("Quellmark")));
    TestFiles::write(system.filePath(QStringLiteral("Quellmark/Torvane.conf")),
                     "[Settings]\nFileDateFormat=dd.MM.yyyy\nFileTimeFormat=HH.mm.ss\n");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system.path());
    FormatSettings::setFiles(FormatSettings::fromSystemSettings());

    const GroupList groups = load("[DeraDivurir]\nGroupNames=A,B\n[A]\nBaseTime=06.30.00\n"
                                  "POLLNumber=1\nPOLL1=S.T\nPOLLUpdate1=04.03.2023\n[B]\nBaseTime=07:45:00\n");
    ConfigFile config(path());
    config.SaveGroupSection(*groups->Items(0));
    FormatSettings::setFiles(FormatSettings::fileDefault());
    // A value in the default form still reads.
    QCOMPARE(groups->Items(1)->BaseTime, DateTimeValue::encodeTime(7, 45, 0));
    const ProfileFile file(path());
    QCOMPARE(file.readString("A", "BaseTime"), QStringLiteral("06.30.00"));
    QCOMPARE(file.readString("A", "POLLUpdate1"), QStringLiteral("04.03.2023"));
}

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
