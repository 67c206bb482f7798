#include "calc/TimeText.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeTextCheck.h"

#include <QTest>

class TestTimeText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void keywordSets();
    void messages();
    void validate_data();
    void validate();
    void monthFirstWhateverTheLocale();
};

namespace {

// The two windows with time fields.
constexpr int Setup = 0;
constexpr int ReCalc = 1;

const TTimeKeywordSet& keywordsOf(int window)
{
    return window == Setup ? SetupTimeKeywords() : ReCalcTimeKeywords();
}

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DateTimeValue::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

} // namespace

void TestTimeText::init()
{
    MessageBox::setTestMode(true);
}

void TestTimeText::keywordSets()
{
    const QStringList setup = {
        QStringLiteral("Last Year"),    QStringLiteral("Last Month"),   QStringLiteral("Last Week"),
        QStringLiteral("Last 5 Days"),  QStringLiteral("Last 3 Days"),  QStringLiteral("Last 2 Days"),
        QStringLiteral("This Year"),    QStringLiteral("This Month"),   QStringLiteral("This Week"),
        QStringLiteral("Yesterday"),    QStringLiteral("Today"),        QStringLiteral("Last 12 Hours"),
        QStringLiteral("Last 6 Hours"), QStringLiteral("Last 3 Hours"), QStringLiteral("Last 2 Hours"),
        QStringLiteral("Last Hour"),    QStringLiteral("This Hour"),    QStringLiteral("Now"),
        QStringLiteral("Next Hour"),    QStringLiteral("Tomorrow"),     QStringLiteral("Next Week"),
        QStringLiteral("Next Month"),   QStringLiteral("Next Year")};
    QCOMPARE(SetupTimeKeywords().listed, setup);
    QCOMPARE(SetupTimeKeywords().accepted, setup);

    const QStringList reCalc = {QStringLiteral("Last Year"), QStringLiteral("Last Month"), QStringLiteral("Last Week"),
                                QStringLiteral("This Year"), QStringLiteral("This Month"), QStringLiteral("This Week"),
                                QStringLiteral("Yesterday"), QStringLiteral("Today"),      QStringLiteral("This Hour"),
                                QStringLiteral("Now"),       QStringLiteral("Next Hour"),  QStringLiteral("Tomorrow"),
                                QStringLiteral("Next Week"), QStringLiteral("Next Month"), QStringLiteral("Next Year")};
    QCOMPARE(ReCalcTimeKeywords().listed, reCalc);
    QCOMPARE(ReCalcTimeKeywords().accepted.size(), 16);
    QVERIFY(ReCalcTimeKeywords().accepted.contains(QStringLiteral("Last Hour")));
    QCOMPARE(TimeTextMaxLength, int(qstrlen("mm/dd/yyyy hh:mm:ss")));
}

void TestTimeText::messages()
{
    QCOMPARE(SetupTimeKeywords().message,
             QStringLiteral("Error 1505: Invalid date.  Please enter date in the format of mm/dd/yyyy HH:MM:SS."));
    QCOMPARE(ReCalcTimeKeywords().message,
             QStringLiteral("Invalid date!  Please enter date in \r\nthe format mm/dd/yyyy HH:MM:SS."));
}

void TestTimeText::validate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("valid");

    QTest::newRow("empty, setup") << "" << Setup << true;
    QTest::newRow("empty, recalc") << "" << ReCalc << true;
    QTest::newRow("as listed") << "Yesterday" << ReCalc << true;
    QTest::newRow("lower case") << "yesterday" << ReCalc << true;
    QTest::newRow("upper case") << "YESTERDAY" << Setup << true;
    QTest::newRow("leading blank, setup") << " Yesterday" << Setup << false;
    QTest::newRow("leading blank, recalc") << " Yesterday" << ReCalc << false;
    QTest::newRow("trailing blank") << "Yesterday " << Setup << false;
    QTest::newRow("setup keyword in setup") << "Last 5 Days" << Setup << true;
    QTest::newRow("setup keyword in recalc") << "Last 5 Days" << ReCalc << false;
    QTest::newRow("last 12 hours in recalc") << "last 12 hours" << ReCalc << false;
    QTest::newRow("Last Hour typed in recalc") << "Last Hour" << ReCalc << true;
    QTest::newRow("Next Hour in recalc") << "Next Hour" << ReCalc << true;
    QTest::newRow("unknown word") << "Someday" << Setup << false;
    QTest::newRow("before 1900") << "12/31/1899 23:59:59" << Setup << false;
    QTest::newRow("1/1/1900") << "1/1/1900" << ReCalc << true;
    QTest::newRow("01/01/1900 00:00:00") << "01/01/1900 00:00:00" << Setup << true;
    QTest::newRow("month 13") << "13/01/2005" << Setup << false;
    QTest::newRow("30 February") << "2/30/2005" << ReCalc << false;
    QTest::newRow("29 February, leap year") << "2/29/2004" << ReCalc << true;
    QTest::newRow("29 February, common year") << "2/29/2005" << ReCalc << false;
    QTest::newRow("hours and minutes") << "12/31/2005 14:37" << Setup << true;
    QTest::newRow("hour 24") << "12/31/2005 24:00:00" << Setup << false;
    QTest::newRow("minute 61") << "12/31/2005 14:61:00" << Setup << false;
    QTest::newRow("dashes") << "12-31-2005" << Setup << false;
    QTest::newRow("year first") << "2005/12/31" << Setup << false;
    QTest::newRow("no year") << "12/31" << Setup << false;
    QTest::newRow("two-digit year 00") << "1/1/00" << Setup << true;
    QTest::newRow("two-digit year 99") << "1/1/99" << ReCalc << true;
}

void TestTimeText::validate()
{
    QFETCH(QString, text);
    QFETCH(int, window);
    QFETCH(bool, valid);
    const TTimeKeywordSet& keywords = keywordsOf(window);
    QCOMPARE(IsValidTimeText(text, keywords), valid);
    QVERIFY(MessageBox::shownTexts().isEmpty());
    QCOMPARE(ValidateTimeText(nullptr, text, keywords), valid);
    QCOMPARE(MessageBox::shownTexts(), valid ? QStringList() : QStringList{keywords.message});
}

void TestTimeText::monthFirstWhateverTheLocale()
{
    const FormatSettings previous = FormatSettings::current();
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss")));

    QVERIFY(IsValidTimeText(QStringLiteral("12/31/2005"), SetupTimeKeywords()));
    QVERIFY(!IsValidTimeText(QStringLiteral("31/12/2005"), SetupTimeKeywords()));
    QCOMPARE(ReadMonthFirstDateTime(u"12/31/2005"), std::optional<double>(at(2005, 12, 31)));
    QCOMPARE(ReadMonthFirstDateTime(u"5/6/2005 14:37:22"), std::optional<double>(at(2005, 5, 6, 14, 37, 22)));
    QCOMPARE(ReadMonthFirstDateTime(u"1/2/99 2:05"), std::optional<double>(at(1999, 1, 2, 2, 5)));
    // The process-wide format is the one set above, untouched by the reads.
    QCOMPARE(FormatSettings::current().dateOrder(), FormatSettings::DateOrder::DayMonthYear);
    QCOMPARE(FormatSettings::current().parseDateTime(u"31/12/2005"), std::optional<double>(at(2005, 12, 31)));

    FormatSettings::setCurrent(previous);
    QLocale::setDefault(previousLocale);
}

QTEST_MAIN(TestTimeText)
#include "tst_timetext.moc"
