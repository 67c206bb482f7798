#include "ComboBoxSelection.h"

#include "platform/AsciiText.h"

#include <QComboBox>

namespace ComboBoxSelection {

void selectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index < box->count() ? index : -1);
}

void selectTextIgnoringCase(QComboBox* box, const QString& text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (AsciiText::equalsFolded(box->itemText(i), text)) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setCurrentIndex(-1);
}

} // namespace ComboBoxSelection
