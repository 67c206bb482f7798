// The main window linked to the real stand-in service on the test's session bus.
#include "ScheduleHolder.h"
#include "ServiceWindowBench.h"
#include "app/Main.h"
#include "app/PollForm.h"
#include "platform/FormatSettings.h"
#include "service/ServiceContract.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDBusInterface>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// The retry timer ticks every 5 s; a relink may take one tick and a bit.
constexpr int RelinkTimeoutMs = 12000;

} // namespace

class TestMainService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void linkedAtStart();
    void crashThenRelink();
    void mutexWithoutObject();
    void processNowSendsSelectedPositions_data();
    void processNowSendsSelectedPositions();
    void processNowUnlinkedShowsNoDialog();
    void detailLevelReachesService();
    void hungServiceDoesNotFreeze();
    void recalculationHoldsTheService_data();
    void recalculationHoldsTheService();
    void recalculationWhenUnlinked();
    void recalculationReportsAFailingService();
    void holdLeftByAProgramThatEnded_data();
    void holdLeftByAProgramThatEnded();
    void processingStateShown();

private:
    void openRecalculation(TfrmZizaVureGUI& window, const std::function<void()>& whileOpen);
    static QString panel(TfrmZizaVureGUI& window, const char* name);

    std::unique_ptr<ServiceWindowBench> m_bench;
};

void TestMainService::initTestCase()
{
    QVERIFY2(ServiceContract::bus().isConnected(), "run the test under dbus-run-session");
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP")));
}

void TestMainService::init()
{
    m_bench = std::make_unique<ServiceWindowBench>();
}

void TestMainService::cleanup()
{
    m_bench.reset();
    QVERIFY(!StandinProcess::onBus());
}

QString TestMainService::panel(TfrmZizaVureGUI& window, const char* name)
{
    return window.findChild<QLabel*>(QLatin1String(name))->text();
}

void TestMainService::linkedAtStart()
{
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));
    QTRY_VERIFY(panel(*window, "lblPollGroup").startsWith(QStringLiteral("ZizaVureessGroup:")));
    QVERIFY(panel(*window, "lblPollTime") != QStringLiteral("Disabled"));
    QVERIFY(!window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
    // Closing unlinks.
    window->close();
    QCOMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Stopped"));
}

void TestMainService::crashThenRelink()
{
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));

    QVERIFY(m_bench->service().kill());
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Stopped"));
    QVERIFY(ServiceWindowBench::statusMemo(*window)
                .section(u'\n', 0, 0)
                .endsWith(QStringLiteral("    Post processing service stopped.")));
    QVERIFY(window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
    QCOMPARE(panel(*window, "lblProcessingState"), QString());

    QVERIFY(m_bench->startService());
    QTRY_COMPARE_WITH_TIMEOUT(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"), RelinkTimeoutMs);
    QVERIFY(!window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
}

void TestMainService::mutexWithoutObject()
{
    QVERIFY(m_bench->startService({QStringLiteral("--no-object")}));
    auto window = ServiceWindowBench::openWindow();
    QTest::qWait(800);
    QCOMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Stopped"));
    QVERIFY(!ServiceWindowBench::statusMemo(*window).contains(QStringLiteral("service")));
    QVERIFY(window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
}

void TestMainService::processNowSendsSelectedPositions_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("processed");
    QTest::newRow("rows 1 and 2") << QList<int>{1, 2}
                                  << QStringList{QStringLiteral("ZizaVureessGroup:1"),
                                                 QStringLiteral("ZizaVureessGroup:2")};
    QTest::newRow("first row") << QList<int>{0} << QStringList{QStringLiteral("ZizaVureessGroup:3")};
    QTest::newRow("nothing selected") << QList<int>{} << QStringList{};
}

void TestMainService::processNowSendsSelectedPositions()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, processed);
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));

    QStringList shownRows;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<TfrmPoll*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lbxPollGroups"));
        for (int i = 0; i < list->count(); ++i)
            shownRows.append(list->item(i)->text());
        for (const int row : rows)
            list->item(row)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
    });
    window->findChild<QAction*>(QStringLiteral("actStartProcessNow"))->trigger();
    QCOMPARE(shownRows, (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));

    for (const QString& group : processed)
        QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(
            QStringLiteral("Processing group %1 finished.").arg(group)));
    QTest::qWait(300);
    const QString text = ServiceWindowBench::statusMemo(*window);
    QCOMPARE(text.count(QStringLiteral(" started.")), processed.size());
    // Newest first: the first group sent finished before the second started.
    if (processed.size() == 2)
        QVERIFY(text.indexOf(processed[1] + QStringLiteral(" started.")) <
                text.indexOf(processed[0] + QStringLiteral(" finished.")));
}

void TestMainService::processNowUnlinkedShowsNoDialog()
{
    auto window = ServiceWindowBench::openWindow();
    bool dialogShown = false;
    QTimer::singleShot(0, this, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialogShown = true;
            dialog->close();
        }
    });
    window->findChild<QAction*>(QStringLiteral("actStartProcessNow"))->trigger();
    window->findChild<QAction*>(QStringLiteral("actStopProcessNow"))->trigger();
    QTest::qWait(50);
    QVERIFY(!dialogShown);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainService::detailLevelReachesService()
{
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));
    // At Low the service reports only errors, so the run of a group leaves no line.
    QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("radDetailLow")), Qt::LeftButton);
    window->serviceLink().ProcessGroupNow(1);
    QTest::qWait(500);
    QVERIFY(!ServiceWindowBench::statusMemo(*window).contains(QStringLiteral("Processing group")));

    QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("radDetailMedium")), Qt::LeftButton);
    window->serviceLink().ProcessGroupNow(1);
    QTRY_VERIFY(ServiceWindowBench::statusMemo(*window).contains(
        QStringLiteral("Processing group ZizaVureessGroup:1 finished.")));
}

void TestMainService::hungServiceDoesNotFreeze()
{
    QVERIFY(m_bench->startService({QStringLiteral("--hang"), QStringLiteral("StopProcessNow")}));
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));
    QElapsedTimer timer;
    timer.start();
    window->findChild<QAction*>(QStringLiteral("actStopProcessNow"))->trigger();
    QVERIFY2(timer.elapsed() < TServiceLink::CallTimeoutMs + 2000, "the call outlived its time-out");
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

// Opens the (hidden) recalculation window, runs `whileOpen` in it, closes it.
void TestMainService::openRecalculation(TfrmZizaVureGUI& window, const std::function<void()>& whileOpen)
{
    QAction* action = window.findChild<QAction*>(QStringLiteral("actReCalc"));
    // Qt cannot trigger a hidden action; the program keeps this one hidden.
    action->setVisible(true);
    QTimer::singleShot(0, this, [whileOpen] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Interactive Calculation"));
        whileOpen();
        dialog->close();
    });
    action->trigger();
    action->setVisible(false);
}

void TestMainService::recalculationHoldsTheService_data()
{
    QTest::addColumn<bool>("activeBefore");
    QTest::newRow("active: suspended, then resumed") << true;
    QTest::newRow("suspended already: not resumed") << false;
}

void TestMainService::recalculationHoldsTheService()
{
    QFETCH(bool, activeBefore);
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));
    TServiceLink& link = window->serviceLink();
    if (!activeBefore)
        link.SuspendProcessing();
    int stateWhileOpen = -1;
    openRecalculation(*window, [&] { stateWhileOpen = link.GetProcessingState(); });
    QCOMPARE(stateWhileOpen, 0);
    QCOMPARE(link.GetProcessingState(), activeBefore ? 1 : 0);
    QVERIFY(!window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainService::recalculationWhenUnlinked()
{
    auto window = ServiceWindowBench::openWindow();
    QTimer* timer = window->findChild<QTimer*>(QStringLiteral("tmrService"));
    QTRY_VERIFY(timer->isActive());
    bool timerWhileOpen = true;
    openRecalculation(*window, [&] { timerWhileOpen = timer->isActive(); });
    QVERIFY(!timerWhileOpen);
    QVERIFY(timer->isActive());
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestMainService::recalculationReportsAFailingService()
{
    QVERIFY(m_bench->startService({QStringLiteral("--fail"), QStringLiteral("GetProcessingState")}));
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"));
    QAction* action = window->findChild<QAction*>(QStringLiteral("actReCalc"));
    action->setVisible(true);
    bool opened = false;
    QTimer::singleShot(0, this, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = true;
            dialog->close();
        }
    });
    action->trigger();
    QVERIFY(!opened);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QVERIFY2(MessageBox::shownTexts()[0].startsWith(QStringLiteral("Error 1500: GetProcessingState failed")),
             qPrintable(MessageBox::shownTexts()[0]));
}

void TestMainService::holdLeftByAProgramThatEnded_data()
{
    QTest::addColumn<bool>("relink");
    QTest::addColumn<bool>("holderKilled");
    QTest::newRow("at start") << false << true;
    QTest::newRow("at relink") << true << true;
    QTest::newRow("suspended on purpose: left alone") << false << false;
}

// Another program held the schedule and was killed, or somebody suspended it
// without a hold, before this program linked.
void TestMainService::holdLeftByAProgramThatEnded()
{
    QFETCH(bool, relink);
    QFETCH(bool, holderKilled);
    const QString resumedLine =
        QStringLiteral("    Scheduled processing was left on hold by a program that ended; resumed.");
    std::unique_ptr<TfrmZizaVureGUI> window;
    if (relink) {
        // Unlinked, with the retry timer held back until the hold is left.
        window = ServiceWindowBench::openWindow();
        QTRY_VERIFY(window->findChild<QTimer*>(QStringLiteral("tmrService"))->isActive());
        window->findChild<QTimer*>(QStringLiteral("tmrService"))->stop();
    }
    QVERIFY(m_bench->startService());
    ScheduleHolder other;
    if (holderKilled) {
        QVERIFY(other.start(m_bench->configPath()));
        QVERIFY(other.kill());
    } else {
        QDBusInterface(ServiceContract::ServiceName, ServiceContract::ObjectPath, ServiceContract::InterfaceName,
                       ServiceContract::bus())
            .call(QStringLiteral("SuspendProcessing"));
    }
    if (relink)
        window->findChild<QTimer*>(QStringLiteral("tmrService"))->start();
    else
        window = ServiceWindowBench::openWindow();

    QTRY_COMPARE_WITH_TIMEOUT(panel(*window, "StatusPanel0"), QStringLiteral("Service Ready"), RelinkTimeoutMs);
    QCOMPARE(window->serviceLink().GetProcessingState(), int(holderKilled));
    QCOMPARE(ServiceWindowBench::statusMemo(*window).count(resumedLine), int(holderKilled));
    QTRY_COMPARE(panel(*window, "lblProcessingState"),
                 holderKilled ? QStringLiteral("Processing active") : QStringLiteral("Processing suspended"));
}

// Held by another program, then by this one's window too, then by nobody.
void TestMainService::processingStateShown()
{
    QVERIFY(m_bench->startService());
    auto window = ServiceWindowBench::openWindow();
    QTRY_COMPARE(panel(*window, "lblProcessingState"), QStringLiteral("Processing active"));
    ScheduleHolder other;
    QVERIFY(other.start(m_bench->configPath()));
    window->refreshProcessingState();
    QTRY_COMPARE(panel(*window, "lblProcessingState"), QStringLiteral("Processing held by one window"));

    openRecalculation(*window, [&] {
        QTRY_COMPARE(panel(*window, "lblProcessingState"), QStringLiteral("Processing held by 2 windows"));
    });
    QTRY_COMPARE(panel(*window, "lblProcessingState"), QStringLiteral("Processing held by one window"));
    QCOMPARE(window->serviceLink().GetProcessingState(), 0);

    QVERIFY(other.release());
    window->refreshProcessingState();
    QTRY_COMPARE(panel(*window, "lblProcessingState"), QStringLiteral("Processing active"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblProcessingState"))->accessibleName(),
             QStringLiteral("Scheduled processing"));
}

QTEST_MAIN(TestMainService)
#include "tst_mainservice.moc"
