#include "FixedClock.h"
#include "calc/TimeExpression.h"
#include "calc/TimePreview.h"
#include "platform/FormatSettings.h"

#include <QTest>

class TestTimePreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        FormatSettings::setCurrent(FormatSettings(QStringLiteral("MM/dd/yyyy"), QStringLiteral("HH:mm:ss")));
    }

    void preview_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("keyword") << "yesterday"
                                 << "= 12/07/2026 00:00:00";
        QTest::newRow("week starts on Sunday") << "Last Week"
                                               << "= 11/29/2026 00:00:00";
        QTest::newRow("hours") << "Last 6 Hours"
                               << "= 12/08/2026 08:00:00";
        QTest::newRow("date") << "12/01/2026 06:30:00"
                              << "= 12/01/2026 06:30:00";
        QTest::newRow("empty is now") << ""
                                      << "= 12/08/2026 14:37:22";
        // The window's check takes no offset, so neither does its preview.
        QTest::newRow("offset") << "Today-1:00:00"
                                << "";
        QTest::newRow("invalid date") << "2/30/2005"
                                      << "";
        QTest::newRow("leading blank") << " Yesterday"
                                       << "";
    }

    void preview()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(TimePreviewText(EvaluateTimeText(text, SetupTimeKeywords(), FixedNow())), shown);
    }

    void keywordSetOfTheWindow()
    {
        // "Last 5 Days" belongs to the setup editor only.
        QVERIFY(EvaluateTimeText(QStringLiteral("Last 5 Days"), SetupTimeKeywords(), FixedNow()));
        QVERIFY(!EvaluateTimeText(QStringLiteral("Last 5 Days"), ReCalcTimeKeywords(), FixedNow()));
    }

    void rangeLength_data()
    {
        QTest::addColumn<qint32>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::newRow("days") << 3 * SecondsPerDay << "3 days 0:00:00";
        QTest::newRow("one day") << SecondsPerDay + 6 * 3600 + 5 << "1 day 6:00:05";
        QTest::newRow("hours") << 5 * 3600 + 61 << "5:01:01";
        QTest::newRow("empty") << 0 << "0:00:00";
        QTest::newRow("backwards") << -1 << "Stop is before start";
    }

    void rangeLength()
    {
        QFETCH(qint32, seconds);
        QFETCH(QString, shown);
        const qint32 start = TimeValueFromDateTime(FixedNow());
        QCOMPARE(RangeLengthText(start, start + seconds), shown);
    }

    void timeUntil_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hours and minutes") << qint64(3 * 3600 + 20 * 60) << "in 3 h 20 min";
        QTest::newRow("rounded up") << qint64(61) << "in 2 min";
        QTest::newRow("days") << qint64(2 * 86400 + 3600) << "in 2 d 1 h";
        QTest::newRow("within a minute") << qint64(-59) << "now";
        QTest::newRow("past") << qint64(-(12 * 60 + 30)) << "12 min ago";
        QTest::newRow("long past") << qint64(-(86400 + 60)) << "1 d 1 min ago";
    }

    void timeUntil()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, shown);
        QCOMPARE(TimeUntilText(FixedNow(), FixedNow().addSecs(seconds)), shown);
    }
};

QTEST_GUILESS_MAIN(TestTimePreview)
#include "tst_timepreview.moc"
