#pragma once

#include <QObject>

class QWidget;

// Tells when the operator leaves a field for another control of its window,
// once the focus has moved, so that a check of the field can put the focus
// back. Opening the field's own list or switching to another window is not
// leaving it, and neither is closing the window.
class FieldExitWatcher : public QObject
{
    Q_OBJECT

public:
    // Watches `field`, which owns the watcher.
    explicit FieldExitWatcher(QWidget* field);

Q_SIGNALS:
    void exited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reportExit();

    QWidget* m_field;
};

// A window destroyed while it is shown hides itself on the way, and its
// focused field then loses the focus: its exit or "activated" would reach
// slots of a window already half gone. Called in such a window's destructor,
// this cuts every connection from its controls to the window itself.
void DisconnectControlsForTeardown(QWidget& window);
