// Measures the main window: how long it takes from creation to its first
// paint with an empty configuration and with a 999-group one, and what a
// status line costs early and after 10,000 lines. Prints "name: value" lines.
#include "BenchTiming.h"
#include "LargeConfiguration.h"
#include "app/Main.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int Runs = 5;

// Quits `loop` at the first paint of the watched widget.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QEventLoop& loop) : m_loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_loop.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

double startToFirstPaintMs(const QString& home)
{
    qputenv("QVZIZAVURE_HOME", home.toUtf8());
    QEventLoop loop;
    FirstPaint watcher(loop);
    QElapsedTimer timer;
    timer.start();
    TfrmZizaVureGUI window;
    window.installEventFilter(&watcher);
    window.show();
    loop.exec();
    return timer.nsecsElapsed() / 1e6;
}

// The mean cost of one status line over `count` lines, in microseconds.
double statusLineMicros(TfrmZizaVureGUI& window, int count)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        window.AddStatusLine(QStringLiteral("Processed group %1 of the benchmark site.").arg(i));
    return timer.nsecsElapsed() / 1e3 / count;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir empty;
    QTemporaryDir large;
    writeLargeConfiguration(large.filePath(QStringLiteral("QVZizaVure.QVS")), 999, 50);

    // The first window of a process pays for fonts and styles once.
    startToFirstPaintMs(empty.path());
    const double emptyMs = bestOf(Runs, [&] { return startToFirstPaintMs(empty.path()); });
    const double largeMs = bestOf(Runs, [&] { return startToFirstPaintMs(large.path()); });

    qputenv("QVZIZAVURE_HOME", empty.path().toUtf8());
    TfrmZizaVureGUI window;
    window.show();
    const double first100 = statusLineMicros(window, 100);
    statusLineMicros(window, 9900);
    const double after10000 = statusLineMicros(window, 100);

    QTextStream out(stdout);
    out << "start_empty_ms: " << emptyMs << '\n';
    out << "start_999_ms: " << largeMs << '\n';
    out << "start_ratio: " << largeMs / emptyMs << '\n';
    out << "statusline_us_first100: " << first100 << '\n';
    out << "statusline_us_after10000: " << after10000 << '\n';
    out << "statusline_ratio: " << after10000 / first100 << '\n';
    return 0;
}
