#pragma once

#include <QLocale>

// The program's texts in the operator's language. The English texts in the
// code are the source and the default; texts written into files that other
// programs read are never translated.
namespace AppTranslation {

// Installs the program's catalogue for the first of the locale's interface
// languages that it has, with Qt's own catalogue for the same language, so
// that the program's texts and Qt's buttons speak one language. Returns
// false, and installs nothing, when the program has none of them.
bool install(const QLocale& locale = QLocale::system());

} // namespace AppTranslation
