#include "CodePage.h"

#include <algorithm>
#include <optional>

namespace {

// The characters of bytes 0x80 to 0x9F. The five bytes that Windows-1252
// leaves unassigned stand for the C1 controls of the same number, as Windows
// itself maps them, so that they survive a round trip.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decode1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : char16_t(byte));
    }
    return text;
}

std::optional<char> byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] == u)
            return char(0x80 + i);
    }
    return std::nullopt;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

std::optional<QByteArray> encode1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const std::optional<char> byte = byteOf(c);
        if (!byte)
            return std::nullopt;
        *out++ = *byte;
    }
    return bytes;
}

} // namespace

namespace CodePage {

QString decode(QByteArrayView bytes)
{
    return decodePart(bytes, bytes.isValidUtf8());
}

QString decodePart(QByteArrayView part, bool wholeIsUtf8)
{
    return wholeIsUtf8 ? QString::fromUtf8(part) : decode1252(part);
}

QByteArray encodePreferring1252(QStringView text)
{
    const std::optional<QByteArray> bytes = encode1252(text);
    // Bytes that happen to form UTF-8 ("Ã©" is C3 A9) would read back as other
    // text; ASCII reads back as itself either way.
    if (bytes && (isAscii(*bytes) || !bytes->isValidUtf8()))
        return *bytes;
    return text.toUtf8();
}

} // namespace CodePage
