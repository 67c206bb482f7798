#include "ReadProgress.h"

#include "db/DbBackgroundRead.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

namespace {

// A read quicker than this shows no window and serves no events.
constexpr int ProgressDelayMs = 400;
constexpr int ProgressRefreshMs = 250;

QWidget* visibleOwner(QWidget* parent)
{
    while (parent && !parent->isVisible())
        parent = parent->parentWidget();
    return parent;
}

QString progressText(const QString& label, int rows)
{
    return QCoreApplication::translate("ReadProgress", "%1\n%2 rows read").arg(label, QLocale().toString(rows));
}

} // namespace

void WaitForRead(QWidget* parent, TDbBackgroundRead& read, const QString& label)
{
    if (read.wait(ProgressDelayMs))
        return;

    QProgressDialog progress(progressText(label, read.rowsRead()),
                             QCoreApplication::translate("ReadProgress", "Cancel"), 0, 0, visibleOwner(parent));
    progress.setWindowTitle(QCoreApplication::translate("ReadProgress", "Reading"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // The Cancel button, Escape and a close request all stop the statement.
    QObject::connect(&progress, &QProgressDialog::canceled, &read, &TDbBackgroundRead::cancel);
    QObject::connect(&progress, &QDialog::rejected, &read, &TDbBackgroundRead::cancel);
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &progress,
                     [&] { progress.setLabelText(progressText(label, read.rowsRead())); });
    refresh.start(ProgressRefreshMs);
    QEventLoop loop;
    QObject::connect(&read, &TDbBackgroundRead::finished, &loop, &QEventLoop::quit);
    progress.show();
    loop.exec();
}
