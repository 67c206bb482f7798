#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"

#include <QTest>

class TestFormatSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatTime_data();
    void formatTime();
    void parseTime_data();
    void parseTime();
    void dateTimes_data();
    void dateTimes();
    void parseDateTime_data();
    void parseDateTime();
    void fromLocale_data();
    void fromLocale();
    void dayCounts_data();
    void dayCounts();
};

namespace {

FormatSettings us()
{
    return FormatSettings(QStringLiteral("M/d/yy"), QStringLiteral("h:mm:ss AP"));
}

FormatSettings german()
{
    return FormatSettings(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
}

FormatSettings iso()
{
    return FormatSettings(QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH.mm.ss"));
}

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DateTimeValue::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

} // namespace

void TestFormatSettings::formatTime_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("us");
    QTest::addColumn<QString>("iso");
    QTest::newRow("midnight") << 0.0 << "00:00:00"
                              << "00.00.00";
    QTest::newRow("afternoon") << DateTimeValue::encodeTime(14, 37, 22) << "14:37:22"
                               << "14.37.22";
    QTest::newRow("whole days are dropped") << 2.25 << "06:00:00"
                                            << "06.00.00";
    QTest::newRow("a hair before midnight") << 0.9999999999 << "23:59:59"
                                            << "23.59.59";
}

void TestFormatSettings::formatTime()
{
    QFETCH(double, value);
    QFETCH(QString, us);
    QFETCH(QString, iso);
    QCOMPARE(::us().formatTime(value), us);
    QCOMPARE(::iso().formatTime(value), iso);
}

void TestFormatSettings::parseTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds"); // -1: not a time
    QTest::newRow("hh:nn:ss") << "14:37:22" << 52642;
    QTest::newRow("hours and minutes") << "6:05" << 21900;
    QTest::newRow("blanks around") << " 06:00:00 " << 21600;
    QTest::newRow("pm") << "2:05:00 PM" << 50700;
    QTest::newRow("am, lower case") << "12:30 am" << 1800;
    QTest::newRow("noon pm") << "12:00:00 PM" << 43200;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("hour alone") << "14" << -1;
    QTest::newRow("hour 24") << "24:00:00" << -1;
    QTest::newRow("minute 60") << "10:60" << -1;
    QTest::newRow("four fields") << "1:02:03:04" << -1;
    QTest::newRow("letters") << "ab:cd" << -1;
    QTest::newRow("13 pm") << "13:00 PM" << -1;
    QTest::newRow("wrong separator") << "14.37.22" << -1;
    QTest::newRow("trailing separator") << "14:37:" << -1;
}

void TestFormatSettings::parseTime()
{
    QFETCH(QString, text);
    QFETCH(int, seconds);
    const std::optional<double> parsed = us().parseTime(text);
    QCOMPARE(parsed.has_value(), seconds >= 0);
    if (parsed)
        QCOMPARE(qRound(*parsed * 86400), seconds);
}

void TestFormatSettings::dateTimes_data()
{
    QTest::addColumn<int>("style"); // 0 US, 1 German, 2 ISO
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("day 0, US") << 0 << 0.0 << "12/30/1899";
    QTest::newRow("day 0, German") << 1 << 0.0 << "30.12.1899";
    QTest::newRow("afternoon, US") << 0 << at(2024, 5, 15, 14, 37, 22) << "5/15/2024 2:37:22 PM";
    QTest::newRow("morning, US") << 0 << at(2024, 5, 5, 9, 3, 1) << "5/5/2024 9:03:01 AM";
    QTest::newRow("afternoon, German") << 1 << at(2024, 5, 5, 14, 37, 22) << "05.05.2024 14:37:22";
    QTest::newRow("ISO") << 2 << at(1999, 12, 31, 23, 59, 59) << "1999-12-31 23.59.59";
    QTest::newRow("before day 0") << 1 << at(1899, 12, 29, 6) << "29.12.1899 06:00:00";
}

void TestFormatSettings::dateTimes()
{
    QFETCH(int, style);
    QFETCH(double, value);
    QFETCH(QString, text);
    const FormatSettings settings = style == 0 ? us() : style == 1 ? german() : iso();
    QCOMPARE(settings.formatDateTime(value), text);
    const std::optional<double> back = settings.parseDateTime(text);
    QVERIFY(back.has_value());
    QCOMPARE(qRound64(*back * 86400), qRound64(value * 86400));
}

void TestFormatSettings::parseDateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("two-digit year, 2000s") << "1/2/24" << true << at(2024, 1, 2);
    QTest::newRow("two-digit year, 1900s") << "1/2/99" << true << at(1999, 1, 2);
    QTest::newRow("24-hour time") << "1/2/2024 18:00" << true << at(2024, 1, 2, 18);
    QTest::newRow("no such day") << "2/30/2024" << false << 0.0;
    QTest::newRow("month 13") << "13/1/2024" << false << 0.0;
    QTest::newRow("two fields") << "1/2" << false << 0.0;
    QTest::newRow("bad time") << "1/2/2024 25:00" << false << 0.0;
    QTest::newRow("glued time") << "1/2/202418:00" << false << 0.0;
    QTest::newRow("text") << "yesterday" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
}

void TestFormatSettings::parseDateTime()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> parsed = us().parseDateTime(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed)
        QCOMPARE(qRound64(*parsed * 86400), qRound64(value * 86400));
}

void TestFormatSettings::fromLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("C") << "C"
                       << "05/15/2024"
                       << "05/15/2024 14:37:22";
    QTest::newRow("United States") << "en_US"
                                   << "5/15/2024"
                                   << "5/15/2024 2:37:22 PM";
    QTest::newRow("Germany") << "de_DE"
                             << "15.05.2024"
                             << "15.05.2024 14:37:22";
    QTest::newRow("Japan") << "ja_JP"
                           << "2024/05/15"
                           << "2024/05/15 14:37:22";
}

void TestFormatSettings::fromLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, date);
    QFETCH(QString, time);
    const FormatSettings settings = FormatSettings::fromLocale(QLocale(locale));
    QCOMPARE(settings.formatDateTime(at(2024, 5, 15)), date);
    QCOMPARE(settings.formatDateTime(at(2024, 5, 15, 14, 37, 22)), time);
    QCOMPARE(settings.parseDateTime(time).value_or(-1) * 86400, at(2024, 5, 15, 14, 37, 22) * 86400);
    QCOMPARE(settings.formatTime(at(2024, 5, 15, 14, 37, 22)), QStringLiteral("14:37:22"));
}

void TestFormatSettings::dayCounts_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<double>("value");
    QTest::newRow("day 0") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("day 1 noon") << QDateTime(QDate(1899, 12, 31), QTime(12, 0)) << 1.5;
    QTest::newRow("before day 0") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("2000") << QDateTime(QDate(2000, 1, 1), QTime(18, 0)) << 36526.75;
}

void TestFormatSettings::dayCounts()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(double, value);
    QCOMPARE(DateTimeValue::fromDateTime(dateTime), value);
    QCOMPARE(DateTimeValue::toDateTime(value), dateTime);
}

QTEST_GUILESS_MAIN(TestFormatSettings)
#include "tst_formatsettings.moc"
