// Measures the setup editor on a site of 100,000 station/sensor rows (10,000
// stations with 10 sensors each, every attribute filled) read from a SQLite
// ODBC data source: opening the window, and for each of the ten views the
// sort of the station cache alone and the whole view change (sort, tree build
// and paint of the offscreen window). Each view is reached from the one
// before it, three times; the best time counts. Prints one "name: value" line
// per figure. Target: view_change_ms_max <= 500.
#include "BenchTiming.h"
#include "ConfigFile.h"
#include "DbDatabase.h"
#include "DbSession.h"
#include "LargeSite.h"
#include "OdbcFixture.h"
#include "Setup.h"
#include "StationTreeModel.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

#include <array>
#include <cstdio>

namespace {

constexpr int Stations = 10000;
constexpr int SensorsPerStation = 10;
constexpr int Rounds = 3;
constexpr int ViewCount = TStationTreeModel::ViewCount;

const std::array<const char*, ViewCount> ViewKeys = {
    "stations", "sensors", "basin",   "district",        "city",
    "county",   "state",   "country", "primary_channel", "random_channel"};

void print(const std::string& name, double value)
{
    std::printf("%s: %.1f\n", name.c_str(), value);
}

void printCount(const std::string& name, std::size_t value)
{
    std::printf("%s: %zu\n", name.c_str(), value);
}

// The views in the order they are measured: each reached from the one before.
int viewAt(int step)
{
    return (step + 1) % ViewCount;
}

std::array<double, ViewCount> measureSorts(const TStationSensorCache& cache)
{
    TStationSensorCache copy;
    for (int i = 0; i < cache.Count(); ++i)
        copy.AddRow(std::make_unique<TStationSensorItem>(*cache.Items(i)));
    copy.SortRows(0);
    std::array<double, ViewCount> best;
    best.fill(1e300);
    for (int round = 0; round < Rounds; ++round) {
        for (int step = 0; step < ViewCount; ++step) {
            const int view = viewAt(step);
            best[std::size_t(view)] = std::min(best[std::size_t(view)], bestMs(1, [&] { copy.SortRows(view); }));
        }
    }
    return best;
}

std::array<double, ViewCount> measureViewChanges(TfrmOptionSetup& window)
{
    auto* views = window.findChild<QComboBox*>(QStringLiteral("cbxView"));
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("tvwLeftTree"));
    std::array<double, ViewCount> best;
    best.fill(1e300);
    for (int round = 0; round < Rounds; ++round) {
        for (int step = 0; step < ViewCount; ++step) {
            const int view = viewAt(step);
            const double ms = bestMs(1, [&] {
                views->setCurrentIndex(view);
                QCoreApplication::processEvents();
                tree->viewport()->repaint();
            });
            best[std::size_t(view)] = std::min(best[std::size_t(view)], ms);
        }
    }
    return best;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OdbcFixture odbc;
    QTemporaryDir folder;
    const QString siteSql = writeLargeSiteSql(folder.path(), Stations, SensorsPerStation);
    if (!odbc.isValid() || siteSql.isEmpty() ||
        odbc.addSqliteDataSource(QStringLiteral("BenchSetup"),
                                 {OdbcFixture::sampleFile(QStringLiteral("schema.sql")), siteSql})
            .isEmpty()) {
        std::fprintf(stderr, "The SQLite ODBC data source could not be set up\n");
        return 1;
    }

    TDbSession session;
    session.open();
    TDbDatabase database(session);
    database.setDatabaseName(QStringLiteral("BenchSetup"));
    try {
        database.open();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    TZizaVureGroups groups;
    ConfigFile config(folder.filePath(QStringLiteral("QVZizaVure.QVS")));

    std::unique_ptr<TfrmOptionSetup> window;
    const double openMs = bestMs(1, [&] {
        window = std::make_unique<TfrmOptionSetup>(nullptr, session, database, groups, config);
        window->show();
        QCoreApplication::processEvents();
    });
    printCount("rows", std::size_t(window->stationCache().Count()));
    print("open_ms", openMs);

    const std::array<double, ViewCount> sorts = measureSorts(window->stationCache());
    const std::array<double, ViewCount> changes = measureViewChanges(*window);
    double sortMax = 0;
    double changeMax = 0;
    for (std::size_t view = 0; view < ViewKeys.size(); ++view) {
        print(std::string("sort_ms_") + ViewKeys[view], sorts[view]);
        print(std::string("view_change_ms_") + ViewKeys[view], changes[view]);
        sortMax = std::max(sortMax, sorts[view]);
        changeMax = std::max(changeMax, changes[view]);
    }
    print("sort_ms_max", sortMax);
    print("view_change_ms_max", changeMax);

    auto* addAll = window->findChild<QToolButton*>(QStringLiteral("btnSetupSitesSensorsAddAll"));
    print("add_all_ms", bestMs(1, [&] { addAll->click(); }));
    printCount("pairs", window->pairs().size());
    return 0;
}
