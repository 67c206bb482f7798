#include "GroupLabels.h"

#include "config/DataDef.h"
#include "db/DataLabels.h"
#include "db/DbBackgroundRead.h"
#include "db/DbDatabase.h"
#include "filter/ReadProgress.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QLocale>

#include <memory>
#include <vector>

namespace {

// A box names at most this many pairs; a long list would not fit on screen.
constexpr std::size_t ListedPairs = 20;

QString pairList(const TZizaVureGroupItem& group, const std::vector<std::size_t>& missed)
{
    QStringList lines;
    for (std::size_t i = 0; i < missed.size() && i < ListedPairs; ++i) {
        const TStationSensorInfoItem& pair = *group.StationSensors.at(missed[i]);
        lines.append(
            QCoreApplication::translate("GroupLabels", "%1 labelled %2").arg(pair.PairText(), pair.POLLDataLabel));
    }
    if (missed.size() > ListedPairs)
        lines.append(QCoreApplication::translate("GroupLabels", "and %1 more")
                         .arg(QLocale().toString(qulonglong(missed.size() - ListedPairs))));
    return lines.join(u'\n');
}

std::vector<std::size_t> allPairs(const TZizaVureGroupItem& group)
{
    std::vector<std::size_t> positions(group.StationSensors.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    return positions;
}

void tellMissed(QWidget* window, const TZizaVureGroupItem& group, const TDbBackgroundRead& run,
                const std::vector<std::size_t>& missed)
{
    QString text =
        run.wasCancelled()
            ? QCoreApplication::translate("GroupLabels", "Registering the data labels of group %1 was cancelled.")
            : QCoreApplication::translate("GroupLabels", "The data labels of group %1 could not all be registered.");
    text = text.arg(group.PPGIndex) + u'\n' +
           QCoreApplication::translate(
               "GroupLabels", "The group was saved in the configuration; these data labels are not in the database:") +
           u'\n' + pairList(group, missed);
    if (run.failed())
        text += QStringLiteral("\n\n") + run.errorMessage();
    MessageBox::error(window, text);
}

} // namespace

void RegisterGroupLabels(QWidget* window, const TDbDatabase& database, const TZizaVureGroupItem& group)
{
    if (!database.isOpen() || group.StationSensors.empty())
        return;
    auto groups = std::make_shared<TZizaVureGroups>();
    auto copy = std::make_unique<TZizaVureGroupItem>();
    copy->AssignFrom(group);
    groups->AddGroup(std::move(copy));

    std::vector<std::size_t> missed;
    TDbBackgroundRead run(database);
    run.start([groups, &missed](TDbDatabase& db, TDbBackgroundRead::Run& progress) {
        const std::vector<std::size_t> left = RegisterAllDataLabels(
            db, *groups, [&progress](int done, int total) { progress.setProgress(done, total); },
            progress.cancel().get());
        progress.handOver([&] { missed = left; });
    });
    WaitForRun(
        window, run, QCoreApplication::translate("GroupLabels", "Registering"),
        [&run] {
            return QCoreApplication::translate("GroupLabels", "Registering data labels...\n%1 of %2 registered")
                .arg(QLocale().toString(run.rowsRead()), QLocale().toString(run.progressTotal()));
        },
        true);
    // A cancelled registration is abandoned: the labels not known to be in the
    // database are every one of the group's, since its transaction is rolled
    // back unless it was committing at the very moment of the cancel.
    if (run.wasCancelled() || run.failed())
        missed = allPairs(group);
    if (!missed.empty())
        tellMissed(window, group, run, missed);
}
