// Measures the configuration file on a large site: 999 groups of 50 entries.
// Prints one "name: value" line per figure; times are the best of a few runs.
#include "ConfigFile.h"
#include "DateTimeValue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr int GroupCount = 999;
constexpr int EntriesPerGroup = 50;
constexpr int LargeGroupEntries = 1000;
constexpr int Runs = 5;

std::unique_ptr<TZizaVureGroupItem> makeGroup(int number, int entries)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = number;
    group->GroupName = GroupSectionName(number);
    group->BaseTime = DateTimeValue::encodeTime(1, 0, 0);
    group->StartFrom = QStringLiteral("Yesterday");
    group->Description = QStringLiteral("Benchmark group %1").arg(number);
    for (int i = 1; i <= entries; ++i) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = QStringLiteral("ST%1").arg(i, 5, 10, QLatin1Char('0'));
        entry->SensorName = QStringLiteral("SENSOR%1").arg(number);
        entry->POLLUpdate = 45000.5 + i;
        entry->POLLDataLabel = QStringLiteral("G%1_L%2").arg(number).arg(i);
        entry->POLLAltLabel = QStringLiteral("ALT%1").arg(i);
        group->StationSensors.push_back(std::move(entry));
    }
    return group;
}

// The best of a few runs of `work`, which returns the milliseconds it measured.
double bestOf(const std::function<double()>& work)
{
    double best = 1e300;
    for (int run = 0; run < Runs; ++run)
        best = std::min(best, work());
    return best;
}

double bestMs(const std::function<void()>& work)
{
    return bestOf([&work] {
        QElapsedTimer timer;
        timer.start();
        work();
        return timer.nsecsElapsed() / 1e6;
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QVZizaVure.QVS"));

    // One write of the whole file, as a site that grew to 999 groups has it.
    TZizaVureGroups groups;
    {
        ConfigFile config(path);
        for (int number = 1; number <= GroupCount; ++number)
            groups.AddGroup(makeGroup(number, EntriesPerGroup));
        QByteArray content;
        for (int i = 0; i < groups.Count(); ++i) {
            ConfigFile single(dir.filePath(QStringLiteral("one.QVS")));
            QFile::remove(single.path());
            single.SaveGroupSection(*groups.Items(i));
            QFile part(single.path());
            part.open(QIODevice::ReadOnly);
            content += part.readAll();
        }
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        file.close();
        config.SaveZizaVureessSection({}, groups);
    }

    qsizetype lineCount = 0;
    // Each figure stops its clock before the results are freed.
    const double splitMs = bestOf([&] {
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
    const double loadMs = bestOf([&] {
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
    const double qsettingsMs = bestOf([&] {
        QElapsedTimer timer;
        timer.start();
        QSettings settings(path, QSettings::IniFormat);
        settingsValues = 0;
        for (const QString& key : settings.allKeys())
            settingsValues += settings.value(key).toString().isEmpty() ? 0 : 1;
        return timer.nsecsElapsed() / 1e6;
    });

    ConfigFile config(path);
    const auto large = makeGroup(500, LargeGroupEntries);
    const double saveGroupMs = bestMs([&] { config.SaveGroupSection(*large); });

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
