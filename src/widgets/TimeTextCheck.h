#pragma once

#include "calc/TimeText.h"

class QWidget;

// IsValidTimeText, showing the set's message in an error box when the text is
// invalid. The caller returns the focus to the field on false.
bool ValidateTimeText(QWidget* parent, const QString& text, const TTimeKeywordSet& keywords);
