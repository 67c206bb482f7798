#pragma once

#include <QString>

class QComboBox;

// Selecting a stored value in a drop-down list whose items may not hold it:
// a value the list does not have selects nothing, so that the window shows
// no item rather than a wrong one.
namespace ComboBoxSelection {

// Selects `index`, or nothing when the box has no such item.
void selectIndex(QComboBox* box, int index);

// Selects the first item whose text equals `text` with a-z folded, or nothing.
void selectTextIgnoringCase(QComboBox* box, const QString& text);

} // namespace ComboBoxSelection
