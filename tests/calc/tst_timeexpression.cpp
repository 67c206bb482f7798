#include "calc/TimeExpression.h"

#include <QTest>

class TestTimeExpression : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeValues_data();
    void timeValues();
    void evaluate_data();
    void evaluate();
    void rawValues_data();
    void rawValues();
    void invalidBaseIsNow();
};

namespace {

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// Wednesday, ISO weekday 3.
const QDateTime Wednesday = at(2024, 5, 15, 14, 37, 22);

} // namespace

void TestTimeExpression::timeValues_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<qint32>("value");
    // Seconds counted by hand from 1984-12-31 00:00:00.
    QTest::newRow("day 0") << at(1984, 12, 31) << 0;
    QTest::newRow("day 1") << at(1985, 1, 1) << 86400;
    // 39 years with 9 leap days, 121 days before May in a leap year, the 15th.
    QTest::newRow("Wednesday") << Wednesday << (14244 + 136) * 86400 + 14 * 3600 + 37 * 60 + 22;
    // 15 years with 3 leap days, 31 + 29 days.
    QTest::newRow("29 February") << at(2000, 2, 29, 12) << (5478 + 60) * 86400 + 43200;
    QTest::newRow("largest value") << at(2053, 1, 18, 3, 14, 7) << 2147483647;
}

void TestTimeExpression::timeValues()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(qint32, value);
    QCOMPARE(TimeValueFromDateTime(dateTime), value);
    QCOMPARE(DateTimeFromTimeValue(value), dateTime);
}

void TestTimeExpression::evaluate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("base");
    QTest::addColumn<QDateTime>("expected");

    // Every keyword from a Wednesday afternoon.
    QTest::newRow("NOW") << "NOW" << Wednesday << Wednesday;
    QTest::newRow("THIS HOUR") << "THIS HOUR" << Wednesday << at(2024, 5, 15, 14);
    QTest::newRow("NEXT HOUR") << "NEXT HOUR" << Wednesday << at(2024, 5, 15, 15);
    QTest::newRow("LAST HOUR") << "LAST HOUR" << Wednesday << at(2024, 5, 15, 13);
    QTest::newRow("LAST 2 HOURS") << "LAST 2 HOURS" << Wednesday << at(2024, 5, 15, 12);
    QTest::newRow("LAST 3 HOURS") << "LAST 3 HOURS" << Wednesday << at(2024, 5, 15, 11);
    QTest::newRow("LAST 6 HOURS") << "LAST 6 HOURS" << Wednesday << at(2024, 5, 15, 8);
    QTest::newRow("LAST 12 HOURS") << "LAST 12 HOURS" << Wednesday << at(2024, 5, 15, 2);
    QTest::newRow("TODAY") << "TODAY" << Wednesday << at(2024, 5, 15);
    QTest::newRow("YESTERDAY") << "YESTERDAY" << Wednesday << at(2024, 5, 14);
    QTest::newRow("TOMORROW") << "TOMORROW" << Wednesday << at(2024, 5, 16);
    QTest::newRow("LAST 2 DAYS") << "LAST 2 DAYS" << Wednesday << at(2024, 5, 13);
    QTest::newRow("LAST 3 DAYS") << "LAST 3 DAYS" << Wednesday << at(2024, 5, 12);
    QTest::newRow("LAST 5 DAYS") << "LAST 5 DAYS" << Wednesday << at(2024, 5, 10);
    QTest::newRow("THIS WEEK") << "THIS WEEK" << Wednesday << at(2024, 5, 12);
    QTest::newRow("LAST WEEK") << "LAST WEEK" << Wednesday << at(2024, 5, 5);
    QTest::newRow("NEXT WEEK") << "NEXT WEEK" << Wednesday << at(2024, 5, 19);
    QTest::newRow("THIS MONTH") << "THIS MONTH" << Wednesday << at(2024, 5, 1);
    QTest::newRow("LAST MONTH") << "LAST MONTH" << Wednesday << at(2024, 4, 1);
    QTest::newRow("NEXT MONTH") << "NEXT MONTH" << Wednesday << at(2024, 6, 1);
    QTest::newRow("THIS YEAR") << "THIS YEAR" << Wednesday << at(2024, 1, 1);
    QTest::newRow("LAST YEAR") << "LAST YEAR" << Wednesday << at(2023, 1, 1);
    QTest::newRow("NEXT YEAR") << "NEXT YEAR" << Wednesday << at(2025, 1, 1);

    // Weeks from a Sunday (w = 7) and from the ends of the week.
    const QDateTime sunday = at(2024, 5, 19, 9, 5);
    QTest::newRow("Sunday THIS WEEK") << "THIS WEEK" << sunday << at(2024, 5, 12);
    QTest::newRow("Sunday LAST WEEK") << "LAST WEEK" << sunday << at(2024, 5, 5);
    QTest::newRow("Sunday NEXT WEEK") << "NEXT WEEK" << sunday << at(2024, 5, 19);
    QTest::newRow("Monday THIS WEEK") << "THIS WEEK" << at(2024, 5, 13, 8) << at(2024, 5, 12);
    QTest::newRow("Saturday NEXT WEEK") << "NEXT WEEK" << at(2024, 5, 18, 8) << at(2024, 5, 19);
    QTest::newRow("THIS WEEK across the year") << "THIS WEEK" << at(2024, 1, 2, 8) << at(2023, 12, 31);

    // Month and year ends, 29 February.
    QTest::newRow("LAST MONTH in January") << "LAST MONTH" << at(2024, 1, 10, 8) << at(2023, 12, 1);
    QTest::newRow("NEXT MONTH in December") << "NEXT MONTH" << at(2023, 12, 20, 8) << at(2024, 1, 1);
    QTest::newRow("TOMORROW on 31 December") << "TOMORROW" << at(2023, 12, 31, 10) << at(2024, 1, 1);
    QTest::newRow("NEXT HOUR before midnight") << "NEXT HOUR" << at(2023, 12, 31, 23, 10) << at(2024, 1, 1);
    QTest::newRow("LAST HOUR after midnight") << "LAST HOUR" << at(2024, 1, 1, 0, 30) << at(2023, 12, 31, 23);
    QTest::newRow("YESTERDAY, leap year") << "YESTERDAY" << at(2024, 3, 1, 8) << at(2024, 2, 29);
    QTest::newRow("YESTERDAY, common year") << "YESTERDAY" << at(2023, 3, 1, 8) << at(2023, 2, 28);
    QTest::newRow("LAST 5 DAYS across February") << "LAST 5 DAYS" << at(2024, 3, 3, 8) << at(2024, 2, 27);
    QTest::newRow("LAST YEAR on 29 February") << "LAST YEAR" << at(2024, 2, 29, 8) << at(2023, 1, 1);

    // Offsets, with and without a date part.
    QTest::newRow("TODAY+5") << "TODAY+5" << Wednesday << at(2024, 5, 15, 5);
    QTest::newRow("YESTERDAY+6:00:00") << "YESTERDAY+6:00:00" << Wednesday << at(2024, 5, 14, 6);
    QTest::newRow("NOW-1:30:00") << "NOW-1:30:00" << Wednesday << at(2024, 5, 15, 13, 7, 22);
    QTest::newRow("seconds carry") << "NOW+0:0:40" << Wednesday << at(2024, 5, 15, 14, 38, 2);
    QTest::newRow("minutes carry") << "THIS HOUR+0:90" << Wednesday << at(2024, 5, 15, 15, 30);
    QTest::newRow("day 0 of the month") << "THIS MONTH-0/1/0" << Wednesday << at(2024, 4, 30);
    QTest::newRow("every date field") << "TODAY+1/2/1 3:00:00" << Wednesday << at(2025, 6, 17, 3);
    QTest::newRow("absolute with offset")
        << "5/15/2024 14:37:22-0/20/0 15:00:00" << Wednesday << at(2024, 4, 24, 23, 37, 22);
    QTest::newRow("month -12") << "12/5/2024-24/0/0" << Wednesday << at(2022, 12, 5);
    QTest::newRow("a month on 31 December") << "12/31/2024+0/1/0" << Wednesday << at(2025, 1, 1);

    // The absolute form, trusted as written.
    QTest::newRow("absolute") << "5/15/2024 14:37:22" << Wednesday << Wednesday;
    QTest::newRow("date only") << "05/15/2024" << Wednesday << at(2024, 5, 15);
    QTest::newRow("leading blanks") << "   5/15/2024 8:00" << Wednesday << at(2024, 5, 15, 8);
    QTest::newRow("29 February 2024") << "2/29/2024 12:00:00" << Wednesday << at(2024, 2, 29, 12);
    QTest::newRow("29 February 2023 rolls over") << "2/29/2023" << Wednesday << at(2023, 3, 1);
    QTest::newRow("day 32") << "1/32/2024" << Wednesday << at(2024, 2, 1);
    QTest::newRow("month 14") << "14/1/2023" << Wednesday << at(2024, 2, 1);
    QTest::newRow("month 0") << "0/15/2024" << Wednesday << at(2023, 12, 15);
    QTest::newRow("hour 25") << "5/15/2024 25:00:00" << Wednesday << at(2024, 5, 16, 1);

    // Letter case and blanks around keywords.
    QTest::newRow("lower case") << "yesterday" << Wednesday << at(2024, 5, 14);
    QTest::newRow("mixed case") << "Last 5 Days" << Wednesday << at(2024, 5, 10);
    QTest::newRow("blanks around") << "  Next Week   " << Wednesday << at(2024, 5, 19);
    QTest::newRow("blank before the sign") << "today +5" << Wednesday << at(2024, 5, 15, 5);

    // Unknown keywords are the start of the current hour.
    QTest::newRow("FOO") << "FOO" << Wednesday << at(2024, 5, 15, 14);
    QTest::newRow("LAST 4 DAYS") << "LAST 4 DAYS" << Wednesday << at(2024, 5, 15, 14);
    QTest::newRow("blank inside") << "LAST  WEEK" << Wednesday << at(2024, 5, 15, 14);

    // An empty base is NOW.
    QTest::newRow("empty") << "" << Wednesday << Wednesday;
    QTest::newRow("blanks only") << "   " << Wednesday << Wednesday;
    QTest::newRow("nothing before +") << "+1:00" << Wednesday << at(2024, 5, 15, 15, 37, 22);
    QTest::newRow("nothing before -") << " -1" << Wednesday << at(2024, 5, 15, 13, 37, 22);
}

void TestTimeExpression::evaluate()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, base);
    QFETCH(QDateTime, expected);
    QCOMPARE(DateTimeFromTimeValue(EvaluateTimeExpression(text, base)), expected);
}

void TestTimeExpression::rawValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("base");
    QTest::addColumn<qint32>("value");

    // Years before 1985 have day number 0: only the time of day is left.
    const QDateTime early = at(1980, 3, 3, 8, 9, 10);
    QTest::newRow("absolute 1984") << "6/1/1984 10:00:00" << Wednesday << 36000;
    QTest::newRow("last second of 1984") << "12/31/1984 23:59:59" << Wednesday << 86399;
    QTest::newRow("first day of 1985") << "1/1/1985" << Wednesday << 86400;
    QTest::newRow("TODAY in 1980") << "TODAY" << early << 0;
    QTest::newRow("NOW in 1980") << "NOW" << early << 8 * 3600 + 9 * 60 + 10;
    QTest::newRow("offset into 1984") << "NOW+1/0/0" << early.addYears(3) << 8 * 3600 + 9 * 60 + 10;
    QTest::newRow("no date part") << "5:00:00" << Wednesday << 5 * 3600;
    // The year reads as 2, the minutes as 0.
    QTest::newRow("unreadable fields") << "12/31/2x 5:zz:10" << Wednesday << 5 * 3600 + 10;
    // Past 2053-01-18 03:14:07 the value wraps; day 24857 is 2053-01-20.
    QTest::newRow("beyond the largest value") << "1/20/2053" << Wednesday << qint32(24857LL * 86400 - 4294967296LL);
    // Day 65536 (2164-06-06) is truncated to day 0.
    QTest::newRow("16-bit day number") << "6/6/2164 12:00:00" << Wednesday << 43200;
}

void TestTimeExpression::rawValues()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, base);
    QFETCH(qint32, value);
    QCOMPARE(EvaluateTimeExpression(text, base), value);
}

void TestTimeExpression::invalidBaseIsNow()
{
    const qint32 before = TimeValueFromDateTime(QDateTime::currentDateTime());
    const qint32 now = EvaluateTimeExpression(QStringLiteral("NOW"), QDateTime());
    const qint32 after = TimeValueFromDateTime(QDateTime::currentDateTime());
    QVERIFY(before <= now && now <= after);
    QCOMPARE(EvaluateTimeExpression(QStringLiteral("TODAY"), QDateTime()) % 86400, 0);
}

QTEST_MAIN(TestTimeExpression)
#include "tst_timeexpression.moc"
