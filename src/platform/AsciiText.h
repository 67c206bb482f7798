#pragma once

#include <QString>
#include <QStringView>

// Text rules of the configuration and of the station lists: only the ASCII
// letters a-z fold to A-Z, every other character stays as it is, whatever the
// locale. Station identifiers, sensor names and data labels are compared this way.
namespace AsciiText {

// Orders by folded letters, then by Unicode code point (the unsigned order of
// the UTF-8 bytes); a text that is a prefix of another comes first. Returns a
// negative number, 0 or a positive number.
int compareFolded(QStringView a, QStringView b);

bool equalsFolded(QStringView a, QStringView b);

// Only a-z become A-Z; "ß" or "é" are left alone.
QString upper(const QString& text);

} // namespace AsciiText
