// Measures `qvzctl groups` on the large site of bench_config (999 groups of
// 50 entries), run as a process the way a monitoring system or an
// administrator's script runs it, against loading the same file in this
// process as bench_config does. What the command adds to the load (starting
// the process, Qt and the output) should stay small: the target is
// groups_vs_load_ratio <= 1.5. Prints "name: value" lines; both times are the
// median of a few runs, since a process start varies more than a load.
#include "LargeConfiguration.h"
#include "config/ConfigFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr int GroupCount = 999;
constexpr int EntriesPerGroup = 50;
constexpr int Runs = 7;
constexpr int TimeoutMs = 60000;

double medianOf(int runs, const std::function<double()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(work());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs `qvzctl --folder FOLDER groups` once; its standard output goes to
// `output` (or is discarded when that is empty). Returns what went wrong,
// or an empty text.
QString runGroups(const QString& folder, const QString& output, double& ms)
{
    QProcess process;
    process.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(QVZCTL_PATH), {QStringLiteral("--folder"), folder, QStringLiteral("groups")});
    const bool finished = process.waitForFinished(TimeoutMs);
    ms = timer.nsecsElapsed() / 1e6;
    if (!finished)
        return QStringLiteral("qvzctl groups did not finish: %1").arg(process.errorString());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("qvzctl groups failed with exit status %1: %2")
            .arg(process.exitCode())
            .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.QVS"));
    writeLargeConfiguration(path, GroupCount, EntriesPerGroup);

    // One untimed run whose output is kept: a command that fails, or lists
    // other than the file's groups, would make the ratio meaningless.
    const QString listing = dir.filePath(QStringLiteral("groups.txt"));
    double ms = 0;
    QString failure = runGroups(dir.path(), listing, ms);
    if (failure.isEmpty()) {
        QFile file(listing);
        file.open(QIODevice::ReadOnly);
        const qsizetype lines = file.readAll().count('\n');
        if (lines != GroupCount)
            failure = QStringLiteral("qvzctl groups listed %1 lines for %2 groups").arg(lines).arg(GroupCount);
    }

    const double groupsMs = medianOf(Runs, [&] {
        double runMs = 0;
        const QString runFailure = runGroups(dir.path(), {}, runMs);
        if (failure.isEmpty())
            failure = runFailure;
        return runMs;
    });
    if (!failure.isEmpty()) {
        out << "error: " << failure << '\n';
        return 1;
    }

    int loadedGroups = 0;
    const double loadMs = medianOf(Runs, [&] {
        ConfigFile config(path);
        TLogSettings settings;
        QElapsedTimer timer;
        timer.start();
        const auto loaded = config.LoadConfiguration(settings, {});
        const double runMs = timer.nsecsElapsed() / 1e6;
        loadedGroups = loaded->Count();
        return runMs;
    });

    out << "loaded_groups: " << loadedGroups << '\n';
    out << "groups_ms: " << groupsMs << '\n';
    out << "load_ms: " << loadMs << '\n';
    out << "groups_vs_load_ratio: " << groupsMs / loadMs << '\n';
    return loadedGroups == GroupCount ? 0 : 1;
}
