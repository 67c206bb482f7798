#include "AsciiText.h"

namespace AsciiText {

namespace {

constexpr char16_t CaseDistance = u'a' - u'A';

constexpr bool isLowerAscii(char16_t unit)
{
    return unit >= u'a' && unit <= u'z';
}

constexpr char16_t foldedUnit(char16_t unit)
{
    return isLowerAscii(unit) ? char16_t(unit - CaseDistance) : unit;
}

// UTF-16 order differs from code point order only because surrogates
// (0xD800..0xDFFF) encode characters above 0xFFFF yet sit below 0xE000..0xFFFF.
// Moving the surrogates to the top and shifting 0xE000..0xFFFF down makes
// comparing code units give code point order.
constexpr char16_t codePointOrder(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit < 0xE000 ? char16_t(unit + 0x2000) : char16_t(unit - 0x800);
}

} // namespace

int compareFolded(QStringView a, QStringView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    const char16_t* left = a.utf16();
    const char16_t* right = b.utf16();
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t l = foldedUnit(left[i]);
        const char16_t r = foldedUnit(right[i]);
        if (l != r)
            return int(codePointOrder(l)) - int(codePointOrder(r));
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsFolded(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    const char16_t* left = a.utf16();
    const char16_t* right = b.utf16();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldedUnit(left[i]) != foldedUnit(right[i]))
            return false;
    }
    return true;
}

QString upper(const QString& text)
{
    QString result = text;
    for (QChar& ch : result) {
        if (isLowerAscii(ch.unicode()))
            ch = QChar(foldedUnit(ch.unicode()));
    }
    return result;
}

} // namespace AsciiText
