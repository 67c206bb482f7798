// Measures the configuration file on a large site, 999 groups of 50 entries,
// and on a very large one, 999 groups of 550 entries (about 50 MB), with the
// same at half its entries to show how the costs grow. Every time is set
// against a baseline measured in the same process: a bare read of the file
// split into lines for a load, and reading, writing and syncing the file's
// bytes to a new file in the same folder for a group save, which on the
// large file is made as the setup editor makes it, merge check included. Prints one
// "name: value" line per figure; times are the best of a few runs.
#include "BenchTiming.h"
#include "LargeConfiguration.h"
#include "config/ConfigFile.h"
#include "config/ConfigSession.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int GroupCount = 999;
constexpr int EntriesPerGroup = 50;
constexpr int LargeGroupEntries = 1000;
constexpr int HugeEntriesPerGroup = 550;
constexpr int Runs = 5;
constexpr int HugeRuns = 3;
constexpr int SaveRuns = 7;

double splitMs(const QString& path, int runs, qsizetype& lineCount)
{
    // Each figure stops its clock before the results are freed.
    return bestOf(runs, [&] {
        QElapsedTimer timer;
        timer.start();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QList<QByteArray> lines = file.readAll().split('\n');
        const double ms = timer.nsecsElapsed() / 1e6;
        lineCount = lines.size();
        return ms;
    });
}

// One save of the group with a new description, as the setup editor makes it.
qint64 folderBytes(const QString& folder)
{
    qint64 bytes = 0;
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        bytes += QFileInfo(files.next()).size();
    return bytes;
}

double saveMs(TConfigSession& session, TZizaVureGroupItem& target, const QString& description)
{
    TZizaVureGroupItem base;
    base.AssignFrom(target);
    TZizaVureGroupItem mine;
    mine.AssignFrom(target);
    mine.Description = description;
    return bestMs(1, [&] { session.saveGroup(target, base, mine, {}, {}); });
}

// What the change history weighs after `saves` saves of one group.
qint64 historyBytesAfter(const QString& path, int saves)
{
    ConfigFile config(path);
    TLogSettings log;
    const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(log, {});
    TConfigSession session(config, *groups);
    const qint64 before = folderBytes(TConfigHistory::folderPath(path));
    for (int n = 0; n < saves; ++n)
        saveMs(session, *groups->Items(GroupCount / 3), QStringLiteral("save %1").arg(n));
    return folderBytes(TConfigHistory::folderPath(path)) - before;
}

double loadMs(const QString& path, int runs, int& loadedEntries)
{
    return bestOf(runs, [&] {
        // As the program loads: the file opened, then its groups taken.
        QElapsedTimer timer;
        timer.start();
        ConfigFile config(path);
        TLogSettings settings;
        const auto loaded = config.LoadConfiguration(settings, {});
        const double ms = timer.nsecsElapsed() / 1e6;
        loadedEntries = 0;
        for (int i = 0; i < loaded->Count(); ++i)
            loadedEntries += int(loaded->Items(i)->StationSensors.size());
        return ms;
    });
}

// What any safe replacement of the file costs at the least.
double copyMs(const QString& path)
{
    return bestMs(1, [&] {
        QFile source(path);
        source.open(QIODevice::ReadOnly);
        QSaveFile copy(path + QStringLiteral(".copy"));
        copy.open(QIODevice::WriteOnly);
        copy.write(source.readAll());
        copy.commit();
    });
}

void printLine(const char* name, double value)
{
    QTextStream(stdout) << name << ": " << value << '\n';
}

// The load and a group save on a file of 999 groups of `entries` entries.
// Returns the load's time.
double measureHuge(const QString& path, int entries, const char* loadName, bool saves)
{
    writeLargeConfiguration(path, GroupCount, entries);
    qsizetype lines = 0;
    int loaded = 0;
    const double split = splitMs(path, HugeRuns, lines);
    const double load = loadMs(path, HugeRuns, loaded);
    printLine(loadName, load);
    if (!saves)
        return load;
    printLine("file_bytes_50mb", double(QFile(path).size()));
    printLine("split_50mb_ms", split);
    printLine("load_50mb_vs_split_ratio", load / split);
    // A save as the setup editor makes it: the section on disk is compared
    // with the group as loaded before the section and the list are written.
    ConfigFile config(path);
    TLogSettings log;
    const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(log, {});
    TConfigSession session(config, *groups);
    TZizaVureGroupItem& target = *groups->Items(GroupCount / 2);
    // Taken in turns, so that both see the disk in the same state.
    double save = 1e300;
    double copy = 1e300;
    for (int run = 0; run < SaveRuns; ++run) {
        save = std::min(save, saveMs(session, target, QString::number(run)));
        copy = std::min(copy, copyMs(path));
    }
    // After those: a save that the history missed makes the next one compare
    // the whole file, as after a text editor's change.
    config.setKeepsHistory(false);
    double saveWithoutHistory = 1e300;
    for (int run = 0; run < SaveRuns; ++run)
        saveWithoutHistory = std::min(saveWithoutHistory, saveMs(session, target, QStringLiteral("bare %1").arg(run)));
    printLine("save_group_50mb_ms", save);
    printLine("copy_50mb_ms", copy);
    printLine("save_group_50mb_vs_copy_ratio", save / copy);
    printLine("save_group_50mb_without_history_ms", saveWithoutHistory);
    printLine("save_group_50mb_with_history_ratio", save / saveWithoutHistory);
    return load;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.QVS"));

    writeLargeConfiguration(path, GroupCount, EntriesPerGroup);

    qsizetype lineCount = 0;
    const double splitMs = ::splitMs(path, Runs, lineCount);
    int loadedEntries = 0;
    const double loadMs = ::loadMs(path, Runs, loadedEntries);

    qsizetype settingsValues = 0;
    const double qsettingsMs = bestOf(Runs, [&] {
        QElapsedTimer timer;
        timer.start();
        QSettings settings(path, QSettings::IniFormat);
        settingsValues = 0;
        for (const QString& key : settings.allKeys())
            settingsValues += settings.value(key).toString().isEmpty() ? 0 : 1;
        return timer.nsecsElapsed() / 1e6;
    });

    ConfigFile config(path);
    const auto large = makeBenchmarkGroup(500, LargeGroupEntries);
    const double saveGroupMs = bestMs(Runs, [&] { config.SaveGroupSection(*large); });

    QTextStream out(stdout);
    out << "lines: " << lineCount << '\n';
    out << "file_bytes: " << QFile(path).size() << '\n';
    out << "loaded_entries: " << loadedEntries << '\n';
    out << "qsettings_values: " << settingsValues << '\n';
    out << "load_ms: " << loadMs << '\n';
    out << "split_ms: " << splitMs << '\n';
    out << "qsettings_ms: " << qsettingsMs << '\n';
    out << "save_group_ms: " << saveGroupMs << '\n';
    out << "load_vs_split_ratio: " << loadMs / splitMs << '\n';
    out << "qsettings_vs_load_ratio: " << qsettingsMs / loadMs << '\n';
    out << "history_bytes_after_1000_saves: " << historyBytesAfter(path, 1000) << '\n';
    out.flush();

    const QString hugePath = dir.filePath(QStringLiteral("Huge.QVS"));
    const double half = measureHuge(hugePath, HugeEntriesPerGroup / 2, "load_half_50mb_ms", false);
    const double whole = measureHuge(hugePath, HugeEntriesPerGroup, "load_50mb_ms", true);
    printLine("load_50mb_vs_half_ratio", whole / half);
    return loadedEntries == GroupCount * EntriesPerGroup ? 0 : 1;
}
