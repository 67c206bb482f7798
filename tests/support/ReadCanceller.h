#pragma once

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

// Presses Cancel in the progress window of a slow read at the second tick of
// a timer that finds it showing: ticks during a read show that the program
// went on answering.
class ReadCanceller
{
public:
    ReadCanceller()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(50);
    }

    // The progress window's text when it showed; empty if it never did.
    const QString& label() const { return m_label; }

private:
    void tick()
    {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!progress)
            return;
        if (m_label.isEmpty()) {
            m_label = progress->labelText();
            return;
        }
        if (auto* cancel = progress->findChild<QPushButton*>())
            cancel->click();
    }

    QTimer m_timer;
    QString m_label;
};
