#include "LockWaitWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

TLockWaitWindow::TLockWaitWindow(const QString& fileName) : QDialog(QApplication::activeWindow())
{
    setObjectName(QStringLiteral("frmLockWait"));
    setWindowTitle(QApplication::applicationDisplayName());
    setWindowModality(Qt::ApplicationModal);
    auto* text = new QLabel(tr("Waiting for %1, locked by another program…").arg(fileName), this);
    text->setObjectName(QStringLiteral("lblLockWait"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

// The first second runs without the operator's input, which stays queued
// until the window is up to block it: nothing the operator does can start
// another command in the middle of this one.
LockWait::Outcome TLockWaitWindow::wait(const LockWait::Request& request)
{
    std::optional<LockWait::Outcome> outcome;
    QEventLoop loop;
    TLockWaitWindow window(request.fileName);
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(LockWait::PollMs);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (request.attempt())
            outcome = LockWait::Outcome::Taken;
        else if (request.isCancelled())
            outcome = LockWait::Outcome::Cancelled;
        else if (request.deadline.hasExpired())
            outcome = LockWait::Outcome::TimedOut;
        if (outcome || (!window.isVisible() && waited.elapsed() >= ShownAfterMs))
            loop.quit();
    });
    connect(&window, &QDialog::rejected, &loop, [] { LockWait::cancelAll(); });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!outcome) {
        window.show();
        loop.exec();
    }
    // A loop that ended without an outcome was ended by the program's end.
    return outcome.value_or(LockWait::Outcome::Cancelled);
}
