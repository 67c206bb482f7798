// The history window over a configuration that this program, a second save
// and a text editor changed, opened from the main window and driven through
// its filters and its list.
#include "Controls.h"
#include "TestFiles.h"
#include "app/History.h"
#include "app/Main.h"
#include "config/ConfigSession.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

#include <pwd.h>

using namespace Qt::StringLiterals;

class TestHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void opensFromTheOptionsMenu();
    void filters_data();
    void filters();
    void selectionShowsChanges_data();
    void selectionShowsChanges();
    void pins();
    void restores_data();
    void restores();

private:
    QString path() const { return m_home->filePath(u"QVZizaVure.QVS"_s); }
    // The ids of the rows shown, top down.
    static QStringList shownVersions(const TfrmHistory& window);

    std::unique_ptr<QTemporaryDir> m_home;
    // Who rewrote the file outside the program: another user where the tests
    // may give the file away, else this one.
    QString m_editor;
};

namespace {

constexpr int HoursEast = 5;

QString ownUser()
{
    return QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
}

void save(TConfigSession& session, int index, const std::function<void(TZizaVureGroupItem&)>& change)
{
    TZizaVureGroupItem& target = *session.groups().Items(index);
    TZizaVureGroupItem base;
    base.AssignFrom(target);
    TZizaVureGroupItem mine;
    mine.AssignFrom(base);
    change(mine);
    session.saveGroup(target, base, mine, {}, [](const QString&) { return true; });
}

void select(QTreeWidget* list, const QString& id, Qt::KeyboardModifiers modifiers)
{
    const QList<QTreeWidgetItem*> rows = list->findItems(id, Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(rows.first()).center());
}

QStringList tableRows(const QTableWidget* table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells.append(table->item(row, column)->text());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

} // namespace

void TestHistory::initTestCase()
{
    // A clock ahead of UTC, so that a time shown in UTC stands out.
    qputenv("TZ", QByteArray("QVZ-") + QByteArray::number(HoursEast));
    ::tzset();
    FormatSettings::setCurrent(FormatSettings(u"d.M.yyyy"_s, u"HH:mm:ss"_s));
}

// Version 1 is the first load's, 2 and 3 are saves of two groups, 4 is a text
// editor's rewrite found by the next load.
void TestHistory::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home->path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home->path()));
    MessageBox::setTestMode(true);
    TestFiles::write(path(), "[DeraDivurir]\r\nGroups=2\r\nGroupNames=ZizaVureessGroup:1,ZizaVureessGroup:2\r\n"
                             "[ZizaVureessGroup:1]\r\nPPGIndex=1\r\nStartFrom=NOW\r\n"
                             "[ZizaVureessGroup:2]\r\nPPGIndex=2\r\nDescription=Second\r\n");
    {
        ConfigFile config(path());
        TLogSettings log;
        const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(log, {});
        TConfigSession session(config, *groups);
        save(session, 0, [](TZizaVureGroupItem& group) { group.StartFrom = u"Yesterday"_s; });
        save(session, 1, [](TZizaVureGroupItem& group) { group.Description = u"Saved"_s; });
    }
    TestFiles::write(path(), TestFiles::read(path()).replace("Description=Saved", "Description=Edited") +
                                 "[Notes]\r\nOwner=Ops\r\n");
    m_editor = ::chown(QFile::encodeName(path()).constData(), 65534, 65534) == 0 ? u"nobody"_s : ownUser();
    TLogSettings log;
    ConfigFile(path()).LoadConfiguration(log, {});
}

void TestHistory::cleanup()
{
    MessageBox::setTestMode(false);
}

QStringList TestHistory::shownVersions(const TfrmHistory& window)
{
    const auto* list = child<QTreeWidget>(window, "lvwVersions");
    QStringList ids;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (!list->topLevelItem(row)->isHidden())
            ids.append(list->topLevelItem(row)->text(0));
    }
    return ids;
}

void TestHistory::opensFromTheOptionsMenu()
{
    TfrmZizaVureGUI main;
    main.waitForConfiguration();
    // Read while the window runs, checked once it has closed.
    QStringList ids;
    QStringList newest;
    QTimer::singleShot(0, this, [&] {
        if (auto* window = qobject_cast<TfrmHistory*>(QApplication::activeModalWidget())) {
            ids = shownVersions(*window);
            const QTreeWidgetItem* row = child<QTreeWidget>(*window, "lvwVersions")->topLevelItem(0);
            for (int column = 0; column < row->columnCount(); ++column)
                newest.append(row->text(column));
            window->close();
        }
    });
    child<QAction>(main, "actOptionsHistory")->trigger();
    QCOMPARE(ids, (QStringList{u"4"_s, u"3"_s, u"2"_s, u"1"_s}));
    const THistoryVersion recorded = TConfigHistory(path()).versions().last();
    QCOMPARE(newest.mid(2), (QStringList{m_editor + u'@' + recorded.host, QString(), u"changed outside the program"_s,
                                         u"ZizaVureessGroup:2, Notes"_s}));
    const std::optional<double> shown = FormatSettings::current().parseDateTime(newest.value(1));
    QVERIFY2(shown, qPrintable(newest.value(1)));
    const QString seconds = u"yyyy-MM-dd HH:mm:ss"_s;
    QCOMPARE(DateTimeValue::toDateTime(*shown).toString(seconds),
             recorded.time.addSecs(HoursEast * 3600).toString(seconds));
}

void TestHistory::filters_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("onlyTheEditor");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("everything") << u"All groups"_s << false << QStringList{u"4"_s, u"3"_s, u"2"_s, u"1"_s};
    QTest::newRow("first group") << u"ZizaVureessGroup:1"_s << false << QStringList{u"2"_s, u"1"_s};
    QTest::newRow("second group") << u"ZizaVureessGroup:2"_s << false << QStringList{u"4"_s, u"3"_s, u"1"_s};
    QTest::newRow("added outside") << u"Notes"_s << false << QStringList{u"4"_s};
    QTest::newRow("the editor") << u"All groups"_s << true << QStringList{u"4"_s};
    QTest::newRow("the editor, first group") << u"ZizaVureessGroup:1"_s << true << QStringList{};
}

void TestHistory::filters()
{
    QFETCH(QString, group);
    QFETCH(bool, onlyTheEditor);
    QFETCH(QStringList, shown);
    if (onlyTheEditor && m_editor == ownUser())
        QSKIP("giving the file to another user needs root");
    TfrmHistory window(nullptr, path(), {});
    auto* groups = child<QComboBox>(window, "cbxFilterGroup");
    auto* users = child<QComboBox>(window, "cbxFilterUser");
    users->setCurrentIndex(users->findText(onlyTheEditor ? m_editor : u"Everybody"_s));
    groups->setCurrentIndex(groups->findText(group));
    QVERIFY(groups->currentIndex() >= 0 && users->currentIndex() >= 0);
    QCOMPARE(shownVersions(window), shown);
}

void TestHistory::selectionShowsChanges_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("a save") << QStringList{u"2"_s} << u"Changes of version 2"_s
                            << QStringList{u"ZizaVureessGroup:1|StartFrom|NOW|Yesterday"_s};
    QTest::newRow("a rewrite outside") << QStringList{u"4"_s} << u"Changes of version 4"_s
                                       << QStringList{u"ZizaVureessGroup:2|Description|Saved|Edited"_s,
                                                      u"Notes (added)|Owner||Ops"_s};
    QTest::newRow("two compared, newer first")
        << QStringList{u"4"_s, u"2"_s} << u"From version 2 to version 4"_s
        << QStringList{u"Notes (added)|Owner||Ops"_s, u"ZizaVureessGroup:2|Description|Second|Edited"_s};
}

void TestHistory::selectionShowsChanges()
{
    QFETCH(QStringList, selected);
    QFETCH(QString, shown);
    QFETCH(QStringList, rows);
    TfrmHistory window(nullptr, path(), {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* list = child<QTreeWidget>(window, "lvwVersions");
    select(list, selected.takeFirst(), {});
    for (const QString& id : std::as_const(selected))
        select(list, id, Qt::ControlModifier);
    QCOMPARE(child<QLabel>(window, "lblChanges")->text(), shown);
    QCOMPARE(tableRows(child<QTableWidget>(window, "tblChanges")), rows);
}

void TestHistory::pins()
{
    TfrmHistory window(nullptr, path(), {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    select(child<QTreeWidget>(window, "lvwVersions"), u"2"_s, Qt::NoModifier);
    QTest::mouseClick(child<QPushButton>(window, "btnPin"), Qt::LeftButton);
    QCOMPARE(TConfigHistory(path()).pinnedIds(), QList<int>{2});
    QCOMPARE(child<QTreeWidget>(window, "lvwVersions")->findItems(u"2"_s, Qt::MatchExactly).value(0)->text(4),
             u"saved, pinned"_s);
}

void TestHistory::restores_data()
{
    QTest::addColumn<QString>("group"); // the group filter; "All groups": the whole version
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("group") << u"ZizaVureessGroup:2"_s << u"3"_s << u"btnRestoreGroup"_s
                           << u"Restore ZizaVureessGroup:2 as version 3 holds it? This changes:\nZizaVureessGroup:2: "
                              "Description"_s
                           << QByteArray("Description=Saved");
    QTest::newRow("version") << u"All groups"_s << u"1"_s << u"btnRestoreVersion"_s
                             << u"Restore the configuration as version 1 holds it? This changes:\n"_s
                             << QByteArray("StartFrom=NOW");
}

// Restored through the main window's history as the operator does it; the
// restore is the newest version and names its source.
void TestHistory::restores()
{
    QFETCH(QString, group);
    QFETCH(QString, version);
    QFETCH(QString, button);
    QFETCH(QString, asked);
    QFETCH(QByteArray, written);
    TfrmZizaVureGUI main;
    main.waitForConfiguration();
    MessageBox::setNextAnswer(MessageBox::Ok);
    QTimer::singleShot(0, this, [&] {
        auto* window = qobject_cast<TfrmHistory*>(QApplication::activeModalWidget());
        QVERIFY(window);
        auto* groups = child<QComboBox>(*window, "cbxFilterGroup");
        groups->setCurrentIndex(groups->findText(group));
        select(child<QTreeWidget>(*window, "lvwVersions"), version, Qt::NoModifier);
        QTest::mouseClick(child<QPushButton>(*window, button.toLatin1().constData()), Qt::LeftButton);
        window->close();
    });
    child<QAction>(main, "actOptionsHistory")->trigger();
    QVERIFY2(MessageBox::shownTexts().value(0).startsWith(asked), qPrintable(MessageBox::shownTexts().value(0)));
    QVERIFY2(TestFiles::read(path()).contains(written), TestFiles::read(path()).constData());
    const THistoryVersion newest = TConfigHistory(path()).versions().last();
    QCOMPARE(newest.kind, u"restore"_s);
    QCOMPARE(newest.restoredFrom, version.toInt());
    QCOMPARE(newest.program, u"QV ZizaVure history window"_s);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
