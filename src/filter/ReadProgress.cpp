#include "ReadProgress.h"

#include "db/DbBackgroundRead.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

namespace {

// A run quicker than this shows no window.
constexpr int ProgressDelayMs = 400;
constexpr int ProgressRefreshMs = 250;

QWidget* visibleOwner(QWidget* parent)
{
    while (parent && !parent->isVisible())
        parent = parent->parentWidget();
    return parent;
}

// Serves timers and painting, never the operator's input, until the run
// ends or the moment is over; true when the run has ended.
bool waitServingTimers(TDbBackgroundRead& run)
{
    QEventLoop loop;
    QObject::connect(&run, &TDbBackgroundRead::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(ProgressDelayMs, &loop, &QEventLoop::quit);
    run.wait(0);
    if (run.isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !run.isRunning();
}

} // namespace

void WaitForRun(QWidget* parent, TDbBackgroundRead& run, const QString& title, const std::function<QString()>& progress,
                bool serveTimers)
{
    if (serveTimers ? waitServingTimers(run) : run.wait(ProgressDelayMs))
        return;

    QProgressDialog dialog(progress(), QCoreApplication::translate("ReadProgress", "Cancel"), 0, 0,
                           visibleOwner(parent));
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QEventLoop loop;
    // The Cancel button, Escape and a close request all stop the run and
    // give the window back without waiting for the driver.
    const auto stop = [&] {
        run.cancel();
        loop.quit();
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, stop);
    QObject::connect(&dialog, &QDialog::rejected, &loop, stop);
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &dialog, [&] { dialog.setLabelText(progress()); });
    refresh.start(ProgressRefreshMs);
    QObject::connect(&run, &TDbBackgroundRead::finished, &loop, &QEventLoop::quit);
    dialog.show();
    loop.exec();
}

void WaitForRead(QWidget* parent, TDbBackgroundRead& read, const QString& label)
{
    WaitForRun(parent, read, QCoreApplication::translate("ReadProgress", "Reading"), [&] {
        return QCoreApplication::translate("ReadProgress", "%1\n%2 rows read")
            .arg(label, QLocale().toString(read.rowsRead()));
    });
}
