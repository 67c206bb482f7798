#include "CtlCommands.h"

#include "ConfigCheck.h"
#include "CtlService.h"
#include "GroupListing.h"
#include "HistoryListing.h"
#include "config/ConfigFile.h"
#include "config/ConfigSession.h"
#include "platform/AsciiText.h"
#include "platform/TerminationNotifier.h"
#include "service/EventSink.h"
#include "service/ScheduleHold.h"
#include "service/ServiceContract.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Exit statuses shared by the service commands.
enum Exit { Done = 0, Refused = 1, NotLinked = 2 };

QString tr(const char* text)
{
    return QCoreApplication::translate("CtlCommands", text);
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QString stateWord(const TServiceState& state)
{
    if (!state.linked)
        return QStringLiteral("unknown");
    if (state.active)
        return QStringLiteral("active");
    return state.holders > 0 ? QStringLiteral("held") : QStringLiteral("suspended");
}

// Prints the service's events as they come, until it stops or qvzctl is
// asked to end.
class EventPrinter : public IServiceEventHandler
{
public:
    EventPrinter(const TCtlOutput& output, bool follow) : m_output(output), m_follow(follow) {}

    void HandleServiceEvent(const QString&, const QString& kind, const QString& text) override
    {
        print(kind.toUpper(), text);
    }
    void HandleServiceStopped() override
    {
        print(QStringLiteral("STOPPING"), QString());
        m_loop.quit();
    }

    void run()
    {
        TTerminationNotifier termination;
        QObject::connect(&termination, &TTerminationNotifier::terminationRequested, &m_loop, &QEventLoop::quit);
        m_loop.exec();
        if (m_output.isJson() && !m_follow)
            m_output.print({}, m_collected);
    }

private:
    void print(const QString& kind, const QString& text)
    {
        const QString time = timeText(QDateTime::currentDateTime());
        const QJsonObject event{
            {QStringLiteral("time"), time}, {QStringLiteral("kind"), kind}, {QStringLiteral("text"), text}};
        if (!m_output.isJson())
            TCtlOutput::line(QStringList{time, kind, text}.join(u'\t'));
        else if (m_follow)
            TCtlOutput::jsonLine(event);
        else
            m_collected.append(event);
    }

    const TCtlOutput& m_output;
    bool m_follow;
    QEventLoop m_loop;
    QJsonArray m_collected;
};

// False, with a message, for a file that is there but cannot be read.
bool isReadable(const ConfigFile& config, const QString& shownName = {})
{
    if (config.readError().isEmpty())
        return true;
    TCtlOutput::message(
        tr("%1 cannot be read: %2.").arg(shownName.isEmpty() ? config.path() : shownName, config.readError()));
    return false;
}

} // namespace

TCtlCommands::TCtlCommands(const QString& configPath, const TCtlOutput& output)
    : m_configPath(configPath), m_output(output)
{
}

std::unique_ptr<TZizaVureGroups> TCtlCommands::loadGroups()
{
    ConfigFile config(m_configPath);
    TLogSettings settings;
    auto groups = config.LoadConfiguration(settings, {});
    if (!isReadable(config))
        return nullptr;
    m_dataSource = config.ReadDatabaseSettings().DataSource;
    return groups;
}

int TCtlCommands::findGroup(const TZizaVureGroups& groups, const QString& nameOrPosition)
{
    bool isNumber = false;
    const int number = nameOrPosition.toInt(&isNumber);
    for (int g = 0; g < groups.Count(); ++g) {
        if (isNumber ? number == g + 1 : AsciiText::equalsFolded(groups.Items(g)->GroupName, nameOrPosition))
            return g;
    }
    TCtlOutput::message(tr("There is no group %1 in the list.").arg(nameOrPosition));
    return -1;
}

// A listing reads the groups' fields and counts their pairs, which on a
// large configuration takes a fraction of a whole load.
int TCtlCommands::groups()
{
    const ConfigFile config(m_configPath);
    if (!isReadable(config))
        return 2;
    const QDateTime now = QDateTime::currentDateTime();
    QStringList lines;
    QJsonArray list;
    int position = 0;
    for (const ConfigFile::TGroupSummary& group : config.ReadGroupSummaries()) {
        const QJsonObject summary = GroupListing::summary(*group.group, group.pairCount, ++position, now);
        lines.append(GroupListing::summaryLine(summary));
        list.append(summary);
    }
    m_output.print(lines, list);
    return 0;
}

int TCtlCommands::show(const QString& group)
{
    const auto groups = loadGroups();
    if (!groups)
        return 2;
    const int index = findGroup(*groups, group);
    if (index < 0)
        return 1;
    const QJsonObject detail = GroupListing::detail(*groups->Items(index), index + 1, QDateTime::currentDateTime());
    m_output.print(GroupListing::detailLines(detail), detail);
    return 0;
}

// "-" reads the configuration from standard input, through a file of its own.
int TCtlCommands::validate(const QString& file)
{
    QString path = file.isEmpty() ? m_configPath : file;
    QString shown = path;
    QString filterFolder = QFileInfo(path).absolutePath();
    QTemporaryDir copyFolder;
    if (file == QLatin1String("-")) {
        QFile input;
        path = copyFolder.filePath(QStringLiteral("stdin.QVS"));
        QFile copy(path);
        if (!input.open(stdin, QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) ||
            copy.write(input.readAll()) < 0 || !copy.flush()) {
            TCtlOutput::message(tr("Standard input cannot be read."));
            return 2;
        }
        shown = QStringLiteral("-");
        filterFolder = QDir::currentPath();
    }
    const ConfigFile config(path);
    if (!isReadable(config, shown))
        return 2;
    const QList<TConfigProblem> problems = ConfigCheck::check(config, filterFolder);
    QStringList lines;
    QJsonArray list;
    int status = 0;
    for (const TConfigProblem& problem : problems) {
        const QString severity = problem.isError ? QStringLiteral("error") : QStringLiteral("warning");
        lines.append(QStringLiteral("%1:%2: %3: %4: %5")
                         .arg(shown)
                         .arg(problem.line)
                         .arg(problem.group, severity, problem.text));
        list.append(QJsonObject{{QStringLiteral("file"), shown},
                                {QStringLiteral("line"), problem.line},
                                {QStringLiteral("group"), problem.group},
                                {QStringLiteral("severity"), severity},
                                {QStringLiteral("problem"), problem.text}});
        status = qMax(status, problem.isError ? 2 : 1);
    }
    m_output.print(lines, list);
    return status;
}

int TCtlCommands::status()
{
    TCtlService service(m_configPath);
    const TServiceState state = service.state();
    loadGroups();
    const QString word = stateWord(state);
    const QJsonObject json{{QStringLiteral("running"), state.running},
                           {QStringLiteral("linked"), state.linked},
                           {QStringLiteral("state"), word},
                           {QStringLiteral("holders"), state.holders},
                           {QStringLiteral("next_group"), state.nextGroup},
                           {QStringLiteral("next_time"), timeText(state.nextTime)},
                           {QStringLiteral("database"), m_dataSource}};
    m_output.print(
        {tr("service: %1")
             .arg(state.running ? (state.linked ? tr("running, linked") : tr("running, not answering"))
                                : tr("not running")),
         tr("processing: %1").arg(word), tr("holders: %1").arg(state.holders),
         tr("next group: %1")
             .arg(state.nextGroup.isEmpty() ? tr("none") : state.nextGroup + u' ' + timeText(state.nextTime)),
         tr("database: %1").arg(m_dataSource)},
        json);
    if (!state.busAvailable)
        return 3;
    if (!state.running)
        return 2;
    if (!state.linked)
        return 3;
    return state.active ? 0 : 1;
}

// A monitoring plugin's line and status: OK, WARNING, CRITICAL, UNKNOWN.
int TCtlCommands::check(int warnHeldMinutes)
{
    TCtlService service(m_configPath);
    const TServiceState state = service.state();
    const auto groups = loadGroups();
    int enabled = 0;
    for (int g = 0; groups && g < groups->Count(); ++g)
        enabled += groups->Items(g)->Enabled ? 1 : 0;
    QString perf = QStringLiteral("held=%1").arg(state.holders);
    if (groups)
        perf = QStringLiteral("groups=%1 enabled=%2 ").arg(groups->Count()).arg(enabled) + perf;

    // The line is for machines and never translated; the reason in the
    // operator's language goes to standard error.
    int status = 0;
    QString text;
    if (!state.error.isEmpty())
        TCtlOutput::message(state.error);
    if (!state.busAvailable) {
        status = 3;
        text = QStringLiteral("no bus: ") + ServiceContract::bus().lastError().message();
    } else if (!state.linked) {
        status = 2;
        text = state.running ? QStringLiteral("service does not answer") : QStringLiteral("service not running");
    } else {
        const QString next = state.nextGroup.isEmpty()
                                 ? QStringLiteral("no group scheduled")
                                 : QStringLiteral("next %1 at %2").arg(state.nextGroup, timeText(state.nextTime));
        if (state.active) {
            text = QStringLiteral("processing active, ") + next;
        } else if (state.holders > 0) {
            const qint64 minutes =
                state.heldSince.isValid() ? state.heldSince.secsTo(QDateTime::currentDateTime()) / 60 : 0;
            text =
                QStringLiteral("processing held by %1 window(s) for %2 min, ").arg(state.holders).arg(minutes) + next;
            status = minutes > warnHeldMinutes ? 1 : 0;
        } else {
            // Nobody holds it: somebody suspended it on purpose, since when is not known.
            text = QStringLiteral("processing suspended, ") + next;
            status = 1;
        }
        if (!groups) {
            text += QStringLiteral("; the configuration cannot be read");
            status = qMax(status, 1);
        }
    }
    static const char* const words[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
    TCtlOutput::line(QStringLiteral("QVZ %1 - %2 | %3").arg(QLatin1String(words[status]), text, perf));
    return status;
}

int TCtlCommands::process(const QStringList& groupNames, bool all)
{
    const auto groups = loadGroups();
    if (!groups)
        return 2;
    QList<int> positions;
    for (int g = 0; all && g < groups->Count(); ++g) {
        if (groups->Items(g)->Enabled)
            positions.append(g);
    }
    for (const QString& name : groupNames) {
        const int position = findGroup(*groups, name);
        if (position < 0)
            return Refused;
        positions.append(position);
    }
    return callService([&](TServiceLink& link) {
        for (const int position : std::as_const(positions)) {
            link.ProcessGroupNow(position);
            TCtlOutput::message(tr("%1 asked to be processed now.").arg(groups->Items(position)->GroupName));
        }
    });
}

int TCtlCommands::stopProcessing()
{
    return callService([](TServiceLink& link) { link.StopProcessNow(); });
}

int TCtlCommands::suspend()
{
    return callService([](TServiceLink& link) { link.SuspendProcessing(); });
}

// A window that holds the schedule resumes it when it is done; resuming
// under it would let groups run on a setup that is being edited.
int TCtlCommands::resume(bool force)
{
    const QStringList holders = TScheduleHold::holderNames(m_configPath);
    if (!holders.isEmpty() && !force) {
        TCtlOutput::message(tr("The schedule is held by %1 window(s): %2. It resumes when the last one closes. Not "
                               "resumed; --force resumes it anyway.")
                                .arg(holders.size())
                                .arg(holders.join(QStringLiteral("; "))));
        return Refused;
    }
    return callService([](TServiceLink& link) { link.ResumeProcessing(); });
}

int TCtlCommands::callService(const std::function<void(TServiceLink&)>& call)
{
    TCtlService service(m_configPath);
    try {
        if (!service.link())
            throw EServiceError(service.error());
        call(service.calls());
    } catch (const EServiceError& error) {
        TCtlOutput::message(error.message());
        return NotLinked;
    }
    return Done;
}

int TCtlCommands::events(bool follow)
{
    TCtlService service(m_configPath);
    if (!service.link()) {
        TCtlOutput::message(service.error());
        return NotLinked;
    }
    EventPrinter printer(m_output, follow);
    TEventSink sink(printer);
    if (!sink.Connect(ServiceContract::bus())) {
        TCtlOutput::message(tr("Unable to subscribe to the service's events."));
        return NotLinked;
    }
    printer.run();
    return Done;
}

int TCtlCommands::history(const QString& group, const QDateTime& since)
{
    QStringList lines;
    QJsonArray list;
    const QList<THistoryVersion> versions = TConfigHistory(m_configPath).versions();
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QJsonObject version = HistoryListing::version(*it, group);
        if ((group.isEmpty() || !version.value(u"groups").toArray().isEmpty()) &&
            (!since.isValid() || it->time >= since)) {
            lines.append(HistoryListing::versionLine(version));
            list.append(version);
        }
    }
    m_output.print(lines, list);
    return 0;
}

int TCtlCommands::diff(int first, int second)
{
    const TConfigHistory history(m_configPath);
    const QList<THistoryVersion> versions = history.versions();
    const auto has = [&](int id) {
        return std::any_of(versions.cbegin(), versions.cend(), [id](const THistoryVersion& v) { return v.id == id; });
    };
    for (const int id : {first, second}) {
        if (id != 0 && !has(id)) {
            TCtlOutput::message(tr("There is no version %1 in the history.").arg(id));
            return 1;
        }
    }
    const QList<THistoryGroup> groups =
        second == 0 ? std::find_if(versions.cbegin(), versions.cend(),
                                   [first](const THistoryVersion& v) { return v.id == first; })
                          ->groups
                    : TConfigHistory::compare(history.sectionsAt(first), history.sectionsAt(second));
    const QJsonArray changes = TConfigHistory::toJson(groups);
    m_output.print(HistoryListing::changeLines(changes), changes);
    return 0;
}

// As the setup editor saves: merged with changes made meanwhile (where both
// changed a field, the restored value stands), with the schedule held while
// the service runs, which then reads the file again. Without a group, the
// whole version.
int TCtlCommands::restore(int versionId, const QString& groupName)
{
    ConfigFile config(m_configPath);
    TLogSettings settings;
    const auto groups = config.LoadConfiguration(settings, {});
    if (!isReadable(config))
        return 2;
    const TConfigHistory history(m_configPath);
    const std::unique_ptr<TZizaVureGroupItem> restored =
        groupName.isEmpty() ? nullptr : history.groupAt(versionId, groupName);
    const int index = groupName.isEmpty() ? -1 : findGroup(*groups, groupName);
    if (!groupName.isEmpty() && (!restored || index < 0)) {
        if (!restored)
            TCtlOutput::message(tr("Version %1 of the history has no group %2.").arg(versionId).arg(groupName));
        return 1;
    }
    const QList<THistoryVersion> versions = history.versions();
    if (groupName.isEmpty() && std::none_of(versions.cbegin(), versions.cend(),
                                            [versionId](const THistoryVersion& v) { return v.id == versionId; })) {
        TCtlOutput::message(tr("There is no version %1 in the history.").arg(versionId));
        return 1;
    }
    config.setProgramName(QStringLiteral("qvzctl restore"));
    TConfigSession session(config, *groups);
    TCtlService service(m_configPath);
    const bool linked = service.link();
    TScheduleHold hold(service.calls(), m_configPath);
    QString failure;
    try {
        hold.take();
        const auto keepRestored = [](QList<TMergeConflict>&, const QDateTime&) { return true; };
        if (restored)
            session.restoreGroup(*groups->Items(index), *restored, versionId, keepRestored,
                                 [](const QString&) { return true; });
        else
            session.restoreVersion(history, versionId);
    } catch (const Exception& error) {
        failure = error.message();
    }
    try {
        hold.release();
        if (linked && failure.isEmpty())
            service.calls().RefreshParams();
    } catch (const EServiceError& error) {
        TCtlOutput::message(error.message());
    }
    if (!failure.isEmpty()) {
        TCtlOutput::message(failure);
        return 2;
    }
    TCtlOutput::message(
        tr("%1 restored as version %2 holds it.").arg(groupName.isEmpty() ? m_configPath : groupName).arg(versionId));
    return 0;
}

int TCtlCommands::pin(int versionId)
{
    TConfigHistory history(m_configPath);
    const QList<THistoryVersion> versions = history.versions();
    if (std::none_of(versions.cbegin(), versions.cend(),
                     [versionId](const THistoryVersion& v) { return v.id == versionId; })) {
        TCtlOutput::message(tr("There is no version %1 in the history.").arg(versionId));
        return 1;
    }
    if (!history.pin(versionId)) {
        TCtlOutput::message(history.error());
        return 2;
    }
    return 0;
}
