// qvz-seed CONFIG_FILE DATA_SOURCE USER_NAME
//
// Gives a configuration file what a first run of the program needs:
//   - a database login: "ODBC Data Source" and "ODBC Username" in section
//     "Database Settings" when that section names no data source yet (no
//     password is written; the login dialog asks for one when needed);
//   - two demonstration groups over the sample stations, when the file has no
//     groups yet, so that the service has something to schedule.
// Whatever the file already holds is left as it is, with the program's own
// settings-file rules.
#include "config/ConfigFile.h"
#include "platform/DateTimeValue.h"
#include "platform/Exception.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void seedLogin(ConfigFile& config, const QString& dataSource, const QString& userName)
{
    const TDatabaseSettings stored = config.ReadDatabaseSettings();
    if (!stored.DataSource.trimmed().isEmpty()) {
        std::printf("%s already names a data source; left as it is\n", qPrintable(config.path()));
        return;
    }
    if (!config.WriteDatabaseSettings({dataSource, userName, stored.ProtectedPassword}))
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(config.path()));
    std::printf("%s now logs in to %s as %s\n", qPrintable(config.path()), qPrintable(dataSource),
                qPrintable(userName));
}

std::unique_ptr<TZizaVureGroupItem> demoGroup(int number, const QString& function, quint8 interval,
                                              const QStringList& pairs)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = number;
    group->GroupName = GroupSectionName(number);
    group->FuncName = function;
    group->TypeInterval = interval;
    group->StartFrom = QStringLiteral("Yesterday");
    group->Description = QStringLiteral("Demonstration group");
    for (const QString& pair : pairs) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = pair.section(u'.', 0, 0);
        entry->SensorName = pair.section(u'.', 1);
        entry->POLLDataLabel = entry->SensorName + u'_' + function;
        group->StationSensors.push_back(std::move(entry));
    }
    return group;
}

void seedGroups(ConfigFile& config)
{
    TLogSettings settings;
    if (config.LoadConfiguration(settings, {})->Count() > 0)
        return;
    TZizaVureGroups groups;
    groups.AddGroup(demoGroup(1, QStringLiteral("AVG"), 0, {QStringLiteral("ST001.TEMP"), QStringLiteral("ST001.RH")}));
    groups.AddGroup(demoGroup(2, QStringLiteral("MAX"), 3, {QStringLiteral("ST001.WSPD")}));
    for (int i = 0; i < groups.Count(); ++i)
        config.SaveGroupSection(*groups.Items(i));
    if (!config.SaveZizaVureessSection(settings, groups))
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(config.path()));
    std::printf("%s now holds %d demonstration groups\n", qPrintable(config.path()), groups.Count());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qvz-seed CONFIG_FILE DATA_SOURCE USER_NAME\n");
        return 2;
    }
    try {
        ConfigFile config(args.at(1));
        seedLogin(config, args.at(2), args.at(3));
        seedGroups(config);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
