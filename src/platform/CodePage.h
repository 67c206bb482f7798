#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text written on the Windows side is in its 8-bit code page, Windows-1252,
// while text written here is UTF-8. Bytes that are valid UTF-8 are taken as
// UTF-8 (plain ASCII is both); any others as Windows-1252, which gives every
// byte a character, so nothing read is ever lost.
namespace CodePage {

QString decode(QByteArrayView bytes);
// A part of a text cut at ASCII characters, decoded as decode() would read
// the whole text, whose validity as UTF-8 the caller found once.
QString decodePart(QByteArrayView part, bool wholeIsUtf8);

// The Windows-1252 bytes of the text where every character has one and those
// bytes do not read back by decode() as some other text; otherwise UTF-8.
QByteArray encodePreferring1252(QStringView text);

} // namespace CodePage
