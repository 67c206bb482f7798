// The start and stop time fields: arbitrary text checked as the setup editor
// and the recalculation window check it.
// - The check that shows the error box agrees with the plain check, and
//   shows the window's message exactly when it refuses the text.
// - Accepted are the empty text, the window's keywords in any case of a-z,
//   and dates from 1 January 1900 on; a date written month first reads back
//   the same.

#include "FuzzSupport.h"
#include "calc/TimeText.h"
#include "platform/AsciiText.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeTextCheck.h"

using Fuzz::expect;

namespace {

bool isKeyword(const QString& text, const TTimeKeywordSet& keywords)
{
    for (const QString& keyword : keywords.accepted) {
        if (AsciiText::equalsFolded(text, keyword))
            return true;
    }
    return false;
}

void check(const QString& text, const TTimeKeywordSet& keywords)
{
    const bool valid = IsValidTimeText(text, keywords);
    MessageBox::clearShownTexts();
    expect(ValidateTimeText(nullptr, text, keywords) == valid, "both checks agree", text);
    expect(MessageBox::shownTexts() == (valid ? QStringList() : QStringList{keywords.message}),
           "the message is shown exactly on refusal", text);

    static const double earliest = *DateTimeValue::encodeDate(QDate(1900, 1, 1));
    const std::optional<double> value = ReadMonthFirstDateTime(text);
    expect(valid == (text.isEmpty() || isKeyword(text, keywords) || (value && *value >= earliest)),
           "accepted are the empty text, the keywords and dates from 1900 on", text);
    if (!value)
        return;
    static const FormatSettings monthFirst(QStringLiteral("M/d/yyyy"), QStringLiteral("H:mm:ss"));
    const QString written = monthFirst.formatDateTime(*value);
    expect(ReadMonthFirstDateTime(written) == value, "a date written month first reads back the same",
           text + QStringLiteral(" -> ") + written);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    MessageBox::setTestMode(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    check(text, SetupTimeKeywords());
    check(text, ReCalcTimeKeywords());
    return 0;
}
