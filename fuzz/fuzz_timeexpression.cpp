// Start time expressions: arbitrary text evaluated against a base time that
// the input chooses as well. The evaluator never fails, so the rules are the
// ones it promises on any text:
// - the same text and base give the same value;
// - leading blanks and the case of a-z change nothing;
// - time values from 0 up convert to a date and time and back unchanged.

#include "FuzzSupport.h"
#include "calc/TimeExpression.h"
#include "platform/AsciiText.h"

#include <cstring>

using Fuzz::expect;

namespace {

// Takes `count` bytes from the front of the input as a number (fewer when
// the input is shorter).
quint64 take(const uint8_t*& data, size_t& size, size_t count)
{
    quint64 value = 0;
    for (size_t i = 0; i < count && size > 0; ++i, ++data, --size)
        value = (value << 8) | *data;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every day has 24 hours, so a time value and a local time convert both ways.
    qputenv("TZ", "UTC");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int year = 1 + int(take(data, size, 2) % 9999);
    const int month = 1 + int(take(data, size, 1) % 12);
    const int day = 1 + int(take(data, size, 1) % 28);
    const int seconds = int(take(data, size, 3) % SecondsPerDay);
    const QDateTime base(QDate(year, month, day), QTime(0, 0).addSecs(seconds));
    const qint32 number = qint32(quint32(take(data, size, 4)));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const qint32 value = EvaluateTimeExpression(text, base);
    expect(EvaluateTimeExpression(text, base) == value, "the same text and base give the same value", text);
    expect(EvaluateTimeExpression(QStringLiteral("  ") + text, base) == value, "leading blanks change nothing", text);
    expect(EvaluateTimeExpression(AsciiText::upper(text), base) == value, "the case of a-z changes nothing", text);

    (void)TimeDayNumber(int(number), int(number >> 7), int(number >> 3));
    if (number >= 0) {
        const QDateTime back = DateTimeFromTimeValue(number);
        expect(TimeValueFromDateTime(back) == number, "a time value converts back unchanged", QString::number(number));
    }
    return 0;
}
