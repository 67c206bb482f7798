// Measures the recalculation window's "Add all" on a group of 8,000 pairs,
// into an empty chosen list and into one that already holds them all (every
// pair then compared and none added). Prints one "name: value" line per
// figure. Target: recalc_add_all_ms <= 50.
#include "BenchTiming.h"
#include "app/ReCalc.h"
#include "config/DataDef.h"

#include <QApplication>
#include <QListWidget>
#include <QToolButton>

#include <cstdio>

namespace {

constexpr int Pairs = 8000;

std::unique_ptr<TZizaVureGroupItem> largeGroup()
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = 1;
    group->GroupName = GroupSectionName(1);
    for (int i = 0; i < Pairs; ++i) {
        auto pair = std::make_unique<TStationSensorInfoItem>();
        pair->StationId = QStringLiteral("ST%1").arg(i / 10, 4, 10, QLatin1Char('0'));
        pair->SensorName = QStringLiteral("SENSOR%1").arg(i % 10);
        group->StationSensors.push_back(std::move(pair));
    }
    return group;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TZizaVureGroups groups;
    groups.AddGroup(largeGroup());
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    auto* addAll = window.findChild<QToolButton*>(QStringLiteral("btnSetupSitesSensorsAddAll"));
    auto* chosen = window.findChild<QListWidget*>(QStringLiteral("lbxSelected"));

    const double intoEmpty = bestMs(3, [&] {
        chosen->clear();
        addAll->click();
    });
    const double intoFull = bestMs(3, [&] { addAll->click(); });
    std::printf("recalc_pairs: %d\n", chosen->count());
    std::printf("recalc_add_all_ms: %.1f\n", intoEmpty);
    std::printf("recalc_add_all_again_ms: %.1f\n", intoFull);
    return chosen->count() == Pairs ? 0 : 1;
}
