#include "config/ConfigFile.h"
#include "setup/DataLabelDup.h"
#include "setup/GroupEdit.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The group editing that the setup editor shows, without the window and the
// database.
class TestGroupEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void pairsOncePerText();
    void labelRule_data();
    void labelRule();
    void storeIntoNamesFirstClash();
    void saveWritesOrRestores();
    void otherLabelWarnings();

private:
    // A group numbered `number` with "station.sensor=label" pairs.
    TZizaVureGroupItem& addGroup(int number, const QString& function, const QStringList& pairs);

    QTemporaryDir m_folder;
    TZizaVureGroups m_groups;
    std::unique_ptr<ConfigFile> m_config;
    std::unique_ptr<TConfigSession> m_configSession;
    std::unique_ptr<TGroupEdit> m_edit;
};

void TestGroupEdit::init()
{
    m_groups.ClearGroups();
    m_config = std::make_unique<ConfigFile>(m_folder.filePath(u"QVZizaVure.QVS"_s));
    m_configSession = std::make_unique<TConfigSession>(*m_config, m_groups);
    m_edit = std::make_unique<TGroupEdit>(*m_configSession);
}

TZizaVureGroupItem& TestGroupEdit::addGroup(int number, const QString& function, const QStringList& pairs)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = number;
    group->GroupName = GroupSectionName(number);
    group->FuncName = function;
    for (const QString& text : pairs) {
        auto pair = std::make_unique<TStationSensorInfoItem>();
        const QStringList parts = text.split(QRegularExpression(u"[.=]"_s));
        pair->StationId = parts[0];
        pair->SensorName = parts[1];
        pair->POLLDataLabel = parts[2];
        group->StationSensors.push_back(std::move(pair));
    }
    m_groups.AddGroup(std::move(group));
    return *m_groups.Items(m_groups.Count() - 1);
}

void TestGroupEdit::pairsOncePerText()
{
    m_edit->fill(addGroup(1, u"AVG"_s, {u"st1.temp=T"_s, u"ST1.TEMP=U"_s}));
    QVERIFY(!m_edit->add(u"St1"_s, u"Temp"_s));
    m_edit->remove(0);
    QVERIFY(!m_edit->add(u"st1"_s, u"temp"_s)); // its twin is still listed
    m_edit->remove(0);
    QVERIFY(m_edit->add(u"st1"_s, u"temp"_s));
    QCOMPARE(m_edit->pairs().back()->POLLDataLabel, u"temp"_s);
}

void TestGroupEdit::labelRule_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("refused");

    QTest::newRow("another group's label, other case") << u"rain"_s << true;
    QTest::newRow("the same pair's stored label") << u"t"_s << false;
    QTest::newRow("another stored pair of the group") << u"w"_s << true;
    QTest::newRow("another station's label") << u"x"_s << false;
    // Blanks do not make another label: the file trims them when it is read.
    QTest::newRow("another stored pair's label, blank-padded") << u"W "_s << true;
    QTest::newRow("the same pair's label, blank-padded") << u" T\t"_s << false;
}

void TestGroupEdit::labelRule()
{
    QFETCH(QString, label);
    QFETCH(bool, refused);

    addGroup(1, u"AVG"_s, {u"ST1.RAIN=RAIN"_s, u"ST2.TEMP=X"_s});
    TZizaVureGroupItem& group = addGroup(2, u"MAX"_s, {u"ST1.TEMP=T"_s, u"ST1.WIND=W"_s});
    m_edit->fill(group);
    bool raised = false;
    try {
        m_edit->setLabels(group, 0, label, u"alt"_s);
    } catch (const EDataLabelDup&) {
        raised = true;
    }
    QCOMPARE(raised, refused);
    QCOMPARE(m_edit->pairs()[0]->POLLDataLabel, refused ? u"T"_s : label.trimmed());
}

void TestGroupEdit::storeIntoNamesFirstClash()
{
    addGroup(1, u"AVG"_s, {u"ST9.RAIN=R"_s});
    TZizaVureGroupItem& target = addGroup(2, u"MAX"_s, {u"ST1.TEMP=T"_s, u"ST1.WIND=W"_s});
    m_edit->add(u"ST9"_s, u"R"_s); // labelled R like group 1's pair of ST9
    try {
        m_edit->storeInto(target);
        QFAIL("a clashing label was stored");
    } catch (const EDataLabelDup& clash) {
        QCOMPARE(clash.pairIndex(), 0);
    }
    QVERIFY(target.StationSensors.empty());
}

void TestGroupEdit::saveWritesOrRestores()
{
    TZizaVureGroupItem& group = addGroup(1, u"AVG"_s, {u"ST1.TEMP=T"_s});
    m_edit->fill(group);
    m_edit->add(u"ST2"_s, u"RAIN"_s);
    const auto failing = [](TZizaVureGroupItem& target) {
        target.FuncName = u"MAX"_s;
        throw Exception(u"refused"_s);
    };
    // The group is in no file yet: written as one that another program erased.
    const auto writeAgain = [](const QString&) { return true; };
    QVERIFY_THROWS_EXCEPTION(Exception, m_edit->save(group, failing, {}, writeAgain));
    QCOMPARE(group.FuncName, u"AVG"_s);
    QCOMPARE(group.StationSensors.size(), std::size_t(1));

    m_edit->save(
        group, [](TZizaVureGroupItem& target) { target.FuncName = u"MAX"_s; }, {}, writeAgain);
    QCOMPARE(group.StationSensors.size(), std::size_t(2));
    ConfigFile written(m_config->path());
    QCOMPARE(written.file().readString(group.GroupName.toUtf8(), "FuncName"), u"MAX"_s);
}

void TestGroupEdit::otherLabelWarnings()
{
    TZizaVureGroupItem& saved = addGroup(1, u"AVG"_s, {u"ST1.TEMP=T"_s, u"ST2.TEMP=SAME"_s});
    addGroup(2, u"avg"_s, {u"st1.temp=OTHER"_s, u"ST2.TEMP=same"_s});
    addGroup(3, u"MAX"_s, {u"ST1.TEMP=THIRD"_s});
    const QStringList warnings = m_edit->otherLabelWarnings(saved);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings[0].contains(u"ST1.TEMP with AVG is labelled T in group 1 and OTHER in group 2"_s),
             qPrintable(warnings[0]));
}

QTEST_GUILESS_MAIN(TestGroupEdit)
#include "tst_groupedit.moc"
