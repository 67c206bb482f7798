#include "AccessibleNames.h"

#include <QLabel>
#include <QRegularExpression>

void NameControlsByTheirLabels(QWidget& window)
{
    // "&File" marks its accelerator; "&&" is a plain "&".
    static const QRegularExpression accelerator(QStringLiteral("&(?!&)"));
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        QWidget* control = label->buddy();
        if (!control || !control->accessibleName().isEmpty())
            continue;
        QString name = label->text();
        name.remove(accelerator);
        name = name.trimmed();
        if (name.endsWith(u':'))
            name.chop(1);
        control->setAccessibleName(name);
    }
}
