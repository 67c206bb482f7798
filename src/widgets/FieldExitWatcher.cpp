#include "FieldExitWatcher.h"

#include <QFocusEvent>
#include <QWidget>

FieldExitWatcher::FieldExitWatcher(QWidget* field) : QObject(field), m_field(field)
{
    field->installEventFilter(this);
}

bool FieldExitWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            QMetaObject::invokeMethod(this, &FieldExitWatcher::reportExit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void FieldExitWatcher::reportExit()
{
    if (m_field->window()->isVisible())
        Q_EMIT exited();
}

void DisconnectControlsForTeardown(QWidget& window)
{
    for (const QObject* child : window.findChildren<QObject*>())
        QObject::disconnect(child, nullptr, &window, nullptr);
}
