// Another operator's program for the configuration-session tests: loads the
// file, does one thing through its own session, and exits.
//
//   configoperator FILE add              writes a new group, prints its name
//   configoperator FILE copy GROUP       writes a copy of GROUP, prints its name
//   configoperator FILE erase GROUP
//   configoperator FILE set GROUP FIELD VALUE     FIELD: Description or StartFrom
//   configoperator FILE pair GROUP STATION SENSOR LABEL
//   configoperator FILE cycle COUNT      adds, copies, saves and erases groups
//                                        in turn, printing "step N" after each
//
// Exits 1 with the error on standard error when a write fails.

#include "config/ConfigSession.h"
#include "platform/Exception.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

TZizaVureGroupItem* findGroup(TZizaVureGroups& groups, const QString& name)
{
    for (int i = 0; i < groups.Count(); ++i) {
        if (ConfigFile::SectionKey(groups.Items(i)->GroupName) == ConfigFile::SectionKey(name))
            return groups.Items(i);
    }
    throw Exception(QStringLiteral("no group ") + name);
}

void edit(TConfigSession& session, TZizaVureGroupItem& group, const QStringList& args)
{
    TZizaVureGroupItem mine;
    mine.AssignFrom(group);
    if (args[0] == u"set" && args[2] == u"Description")
        mine.Description = args[3];
    else if (args[0] == u"set")
        mine.StartFrom = args[3];
    else {
        auto pair = std::make_unique<TStationSensorInfoItem>();
        pair->StationId = args[2];
        pair->SensorName = args[3];
        pair->POLLDataLabel = args[4];
        mine.StationSensors.push_back(std::move(pair));
    }
    TZizaVureGroupItem base;
    base.AssignFrom(group);
    session.saveGroup(
        group, base, mine, [](QList<TMergeConflict>&, const QDateTime&) { return true; },
        [](const QString&) { return true; });
}

// Every step is one of the session's writes, so a kill between any two
// instructions must leave the file with every listed group's section.
void cycle(TConfigSession& session, int count)
{
    for (int step = 1; step <= count; ++step) {
        TZizaVureGroups& groups = session.groups();
        switch (step % 4) {
        case 0:
            session.addGroup(nullptr);
            break;
        case 1:
            if (groups.Count() > 0)
                session.addGroup(groups.Items(0));
            break;
        case 2:
            if (groups.Count() > 0)
                edit(session, *groups.Items(groups.Count() - 1),
                     {QStringLiteral("set"), {}, QStringLiteral("Description"), QString::number(step)});
            break;
        default:
            if (groups.Count() > 2)
                session.eraseGroup(*groups.Items(1));
            break;
        }
        printf("step %d\n", step);
        fflush(stdout);
    }
}

void run(TConfigSession& session, const QStringList& args)
{
    const QString& command = args[0];
    if (command == u"add")
        printf("%s\n", qPrintable(session.addGroup(nullptr).GroupName));
    else if (command == u"copy")
        printf("%s\n", qPrintable(session.addGroup(findGroup(session.groups(), args[1])).GroupName));
    else if (command == u"erase")
        session.eraseGroup(*findGroup(session.groups(), args[1]));
    else if (command == u"cycle")
        cycle(session, args[1].toInt());
    else
        edit(session, *findGroup(session.groups(), args[1]), args);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() < 3) {
        fprintf(stderr, "usage: configoperator FILE COMMAND ...\n");
        return 2;
    }
    ConfigFile config(args[1]);
    TLogSettings log;
    const std::unique_ptr<TZizaVureGroups> groups = config.LoadConfiguration(log, {});
    TConfigSession session(config, *groups);
    try {
        run(session, args.mid(2));
    } catch (const Exception& error) {
        fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
