#pragma once

#include "CtlOutput.h"
#include "config/DataDef.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ConfigFile;
class TServiceLink;

// The commands of qvzctl; each returns the program's exit status.
class TCtlCommands
{
public:
    TCtlCommands(const QString& configPath, const TCtlOutput& output);

    int groups();
    int show(const QString& group);
    int validate(const QString& file);
    int status();
    int check(int warnHeldMinutes);
    int process(const QStringList& groupNames, bool all);
    int stopProcessing();
    int suspend();
    int resume(bool force);
    int events(bool follow);
    // Versions newest first; with `group`, those that changed it; with
    // `since`, those made from then on.
    int history(const QString& group, const QDateTime& since);
    // The changes of one version, or from `first` to `second`.
    int diff(int first, int second);
    int restore(int versionId, const QString& group);
    // Keeps the version whatever [History] KeepDays says.
    int pin(int versionId);

private:
    // The groups of the configuration; null, with a message, when the file
    // cannot be read.
    std::unique_ptr<TZizaVureGroups> loadGroups();
    // Links to the service and makes the call: 0, or 2 with a message when
    // the service cannot be linked or the call fails.
    int callService(const std::function<void(TServiceLink&)>& call);
    // The group named, or numbered from 1, in the list; -1 with a message.
    static int findGroup(const TZizaVureGroups& groups, const QString& nameOrPosition);

    QString m_configPath;
    TCtlOutput m_output;
    QString m_dataSource; // named by the file as loaded
};
