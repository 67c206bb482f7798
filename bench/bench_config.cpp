// Measures the configuration file on a large site: 999 groups of 50 entries.
// Prints one "name: value" line per figure; times are the best of a few runs.
#include "BenchTiming.h"
#include "ConfigFile.h"
#include "LargeConfiguration.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int GroupCount = 999;
constexpr int EntriesPerGroup = 50;
constexpr int LargeGroupEntries = 1000;
constexpr int Runs = 5;

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.QVS"));

    writeLargeConfiguration(path, GroupCount, EntriesPerGroup);

    qsizetype lineCount = 0;
    // Each figure stops its clock before the results are freed.
    const double splitMs = bestOf(Runs, [&] {
        QElapsedTimer timer;
        timer.start();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QList<QByteArray> lines = file.readAll().split('\n');
        const double ms = timer.nsecsElapsed() / 1e6;
        lineCount = lines.size();
        return ms;
    });

    int loadedEntries = 0;
    const double loadMs = bestOf(Runs, [&] {
        ConfigFile config(path);
        TLogSettings settings;
        QElapsedTimer timer;
        timer.start();
        const auto loaded = config.LoadConfiguration(settings, {});
        const double ms = timer.nsecsElapsed() / 1e6;
        loadedEntries = 0;
        for (int i = 0; i < loaded->Count(); ++i)
            loadedEntries += int(loaded->Items(i)->StationSensors.size());
        return ms;
    });

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
    return loadedEntries == GroupCount * EntriesPerGroup ? 0 : 1;
}
