// qvzctl: the program's groups and its service from a shell, for
// administrators and monitoring. See --help and qvzctl(1).
#include "CtlCommands.h"
#include "CtlOutput.h"
#include "config/ConfigFile.h"
#include "platform/AppTranslation.h"
#include "platform/FormatSettings.h"
#include "platform/LockWait.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <optional>

namespace {

struct Command
{
    const char* name;
    const char* arguments;
    const char* summary;
};

// In the order of --help.
const Command Commands[] = {
    {"groups", "",
     QT_TRANSLATE_NOOP("qvzctl", "List the groups: position, name, enabled, function, interval, start "
                                 "and what it means now, pairs.")},
    {"show", "GROUP",
     QT_TRANSLATE_NOOP("qvzctl", "Show every field of one group (by name or position) and its "
                                 "pairs.")},
    {"validate", "[FILE|-]",
     QT_TRANSLATE_NOOP("qvzctl", "Check a configuration for what the setup editor or the "
                                 "service would refuse or lose.")},
    {"status", "", QT_TRANSLATE_NOOP("qvzctl", "Show the service: running, processing state, holders, next group.")},
    {"check", "[--warn-held MINUTES]", QT_TRANSLATE_NOOP("qvzctl", "One monitoring-plugin line about the service.")},
    {"process", "GROUP... | --all", QT_TRANSLATE_NOOP("qvzctl", "Ask the service to process groups now.")},
    {"stop-processing", "", QT_TRANSLATE_NOOP("qvzctl", "Stop the processing under way.")},
    {"suspend", "", QT_TRANSLATE_NOOP("qvzctl", "Suspend scheduled processing.")},
    {"resume", "[--force]", QT_TRANSLATE_NOOP("qvzctl", "Resume scheduled processing, unless a window holds it.")},
    {"events", "[--follow]", QT_TRANSLATE_NOOP("qvzctl", "Print the service's events as they come, until it stops.")},
    {"history", "[GROUP] [--since TIME] | --pin VERSION",
     QT_TRANSLATE_NOOP("qvzctl", "List the versions of the configuration's change history, newest first.")},
    {"diff", "VERSION [VERSION]",
     QT_TRANSLATE_NOOP("qvzctl", "Show what a version changed, or what changed from one version to another.")},
    {"restore", "VERSION [--group GROUP]",
     QT_TRANSLATE_NOOP("qvzctl", "Write a group, or the whole configuration, as a version of the history holds it.")},
};

const Command* findCommand(const QString& name)
{
    for (const Command& command : Commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

QString commandList()
{
    QString text = QCoreApplication::translate("qvzctl", "Commands:") + u'\n';
    for (const Command& command : Commands)
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(command.name), QLatin1String(command.arguments),
                         QCoreApplication::translate("qvzctl", command.summary));
    return text;
}

int usageError(const QString& text)
{
    TCtlOutput::message(text + QStringLiteral(" (qvzctl --help)"));
    return 64; // EX_USAGE
}

QString configPath(const QCommandLineParser& parser, const QCommandLineOption& folder)
{
    if (!parser.isSet(folder))
        return ConfigFile::defaultPath();
    return QDir(parser.value(folder)).filePath(QFileInfo(ConfigFile::defaultPath()).fileName());
}

// The switches of single commands.
struct Switches
{
    bool all = false;
    bool force = false;
    bool follow = false;
    QString warnHeld;
    QString since;
    QString group;
    QString pin;
};

// Version numbers of the history, from 1.
std::optional<QList<int>> versionNumbers(const QStringList& texts)
{
    QList<int> numbers;
    for (const QString& text : texts) {
        bool isNumber = false;
        numbers.append(text.toInt(&isNumber));
        if (!isNumber || numbers.last() < 1)
            return std::nullopt;
    }
    return numbers;
}

int runHistoryCommand(TCtlCommands& commands, const QString& name, const QStringList& rest, const Switches& switches)
{
    if (name == QLatin1String("history") && !switches.pin.isEmpty()) {
        const std::optional<QList<int>> pinned = versionNumbers({switches.pin});
        return pinned && rest.isEmpty()
                   ? commands.pin(pinned->at(0))
                   : usageError(QCoreApplication::translate("qvzctl", "--pin takes one version number."));
    }
    if (name == QLatin1String("history")) {
        const QDateTime since = QDateTime::fromString(switches.since, Qt::ISODate);
        if (rest.size() > 1 || (!switches.since.isEmpty() && !since.isValid()))
            return usageError(QCoreApplication::translate("qvzctl", "history takes one group and --since "
                                                                    "YYYY-MM-DDTHH:MM:SS."));
        return commands.history(rest.value(0), since);
    }
    const std::optional<QList<int>> versions = versionNumbers(rest);
    if (name == QLatin1String("diff"))
        return versions && !rest.isEmpty() && rest.size() <= 2
                   ? commands.diff(versions->at(0), versions->value(1))
                   : usageError(QCoreApplication::translate("qvzctl", "diff takes one or two version numbers."));
    return versions && rest.size() == 1
               ? commands.restore(versions->at(0), switches.group)
               : usageError(QCoreApplication::translate("qvzctl", "restore takes one version number."));
}

int runCommand(TCtlCommands& commands, const QString& name, const QStringList& rest, const Switches& switches)
{
    if (name == QLatin1String("groups"))
        return commands.groups();
    if (name == QLatin1String("show"))
        return rest.size() == 1 ? commands.show(rest.first())
                                : usageError(QCoreApplication::translate("qvzctl", "show takes one group."));
    if (name == QLatin1String("validate"))
        return rest.size() <= 1 ? commands.validate(rest.value(0))
                                : usageError(QCoreApplication::translate("qvzctl", "validate takes one file."));
    if (name == QLatin1String("status"))
        return commands.status();
    if (name == QLatin1String("check")) {
        bool isNumber = false;
        const int minutes = switches.warnHeld.toInt(&isNumber);
        return isNumber && minutes >= 0
                   ? commands.check(minutes)
                   : usageError(QCoreApplication::translate("qvzctl", "--warn-held takes a number of minutes."));
    }
    if (name == QLatin1String("process"))
        return rest.isEmpty() == switches.all
                   ? commands.process(rest, switches.all)
                   : usageError(QCoreApplication::translate("qvzctl", "process takes groups, or --all."));
    if (name == QLatin1String("stop-processing"))
        return commands.stopProcessing();
    if (name == QLatin1String("suspend"))
        return commands.suspend();
    if (name == QLatin1String("resume"))
        return commands.resume(switches.force);
    if (name == QLatin1String("events"))
        return commands.events(switches.follow);
    return runHistoryCommand(commands, name, rest, switches);
}

int printHelp(const QCommandLineParser& parser, const Command* command)
{
    if (command)
        std::printf("Usage: qvzctl [--folder DIR] [--output text|json] %s %s\n\n%s\n", command->name,
                    command->arguments, qPrintable(QCoreApplication::translate("qvzctl", command->summary)));
    else
        std::printf("%s\n%s", qPrintable(parser.helpText()), qPrintable(commandList()));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qvzctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QVZ_VERSION));
    AppTranslation::install();
    FormatSettings::setCurrent(FormatSettings::fromLocale(QLocale::system()));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("qvzctl", "The groups and the service of QV ZizaVure from a shell."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("qvzctl", "Show this help, or a command's."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QCoreApplication::translate("qvzctl", "Show the version."));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QCoreApplication::translate("qvzctl", "The program folder, instead of the "
                                                                          "usual one."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QCoreApplication::translate("qvzctl", "text (the default) or json."),
                                    QStringLiteral("FORM"), QStringLiteral("text"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QCoreApplication::translate("qvzctl", "How long to wait for a configuration that "
                                                                        "another program has locked (default 30)."),
                                  QStringLiteral("SECONDS"), QString::number(LockWait::DefaultDeadlineMs / 1000));
    const QCommandLineOption warnHeld(QStringLiteral("warn-held"),
                                      QCoreApplication::translate("qvzctl", "check: warn when held or suspended "
                                                                            "longer than this (default 30)."),
                                      QStringLiteral("MINUTES"), QStringLiteral("30"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QCoreApplication::translate("qvzctl", "process: every enabled group."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QCoreApplication::translate("qvzctl", "resume: even while a window holds it."));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QCoreApplication::translate("qvzctl", "history: versions from this time on."),
                                   QStringLiteral("TIME"));
    const QCommandLineOption pin(QStringLiteral("pin"),
                                 QCoreApplication::translate("qvzctl", "history: keep this version for good."),
                                 QStringLiteral("VERSION"));
    const QCommandLineOption group(QStringLiteral("group"),
                                   QCoreApplication::translate("qvzctl", "restore: the group to restore."),
                                   QStringLiteral("GROUP"));
    const QCommandLineOption follow(QStringLiteral("follow"),
                                    QCoreApplication::translate("qvzctl", "events: print JSON one event a line."));
    parser.addOptions({help, version, folder, output, wait, warnHeld, all, force, follow, since, group, pin});
    parser.addPositionalArgument(QStringLiteral("command"), QCoreApplication::translate("qvzctl", "What to do."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());

    const QStringList arguments = parser.positionalArguments();
    const Command* command = arguments.isEmpty() ? nullptr : findCommand(arguments.first());
    if (parser.isSet(version)) {
        std::printf("qvzctl %s\n", QVZ_VERSION);
        return 0;
    }
    if (parser.isSet(help))
        return printHelp(parser, command);
    if (!command)
        return usageError(arguments.isEmpty()
                              ? QCoreApplication::translate("qvzctl", "No command given.")
                              : QCoreApplication::translate("qvzctl", "Unknown command %1.").arg(arguments.first()));
    const QString form = parser.value(output);
    if (form != QLatin1String("text") && form != QLatin1String("json"))
        return usageError(QCoreApplication::translate("qvzctl", "--output is text or json, not %1.").arg(form));

    bool isNumber = false;
    const int waitSeconds = parser.value(wait).toInt(&isNumber);
    if (!isNumber || waitSeconds < 0)
        return usageError(QCoreApplication::translate("qvzctl", "--wait takes a number of seconds."));
    LockWait::setDeadlineMs(waitSeconds * 1000);

    TCtlCommands commands(configPath(parser, folder),
                          TCtlOutput(form == QLatin1String("json") ? TCtlOutput::Form::Json : TCtlOutput::Form::Text));
    return runCommand(commands, QLatin1String(command->name), arguments.mid(1),
                      {parser.isSet(all), parser.isSet(force), parser.isSet(follow), parser.value(warnHeld),
                       parser.value(since), parser.value(group), parser.value(pin)});
}
