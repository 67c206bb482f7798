#include "TimeTextCheck.h"

#include "MessageBox.h"

bool ValidateTimeText(QWidget* parent, const QString& text, const TTimeKeywordSet& keywords)
{
    if (IsValidTimeText(text, keywords))
        return true;
    MessageBox::error(parent, keywords.message);
    return false;
}
