#pragma once

#include "ConfigFile.h"
#include "GroupMerge.h"

#include <QDateTime>
#include <QObject>
#include <QSet>

#include <functional>

class QFileSystemWatcher;
class QTimer;

// The program's work on the shared configuration file, which other operators'
// programs, the service and people with a text editor change too. A window
// never writes back the copy it read: every change is an operation on the
// file as it is under its lock, and the group list in memory follows the file.
//
// - A group's save compares its section on disk with the group as the window
//   loaded it; another writer's changes are merged in (TGroupMerge), and only
//   where both changed the same field is the operator asked.
// - Adding, copying, saving and erasing a group each write its section and
//   the file's group list in one rewrite, so that whenever the program ends,
//   every listed group has its section and every section it wrote is listed.
//   The list changes only by what this program did.
// - The file is watched; fileChanged() follows any change within a moment,
//   and refresh() brings the group list in line with the file and says what
//   another writer changed.
class TConfigSession : public QObject
{
    Q_OBJECT

public:
    // Neither is owned. `groups` is the list as loaded from `config`.
    TConfigSession(ConfigFile& config, TZizaVureGroups& groups, QObject* parent = nullptr);
    ~TConfigSession() override;

    ConfigFile& config() { return m_config; }
    TZizaVureGroups& groups() { return m_groups; }
    QString path() const { return m_config.path(); }

    // Asked, without the file locked, when both sides changed the same
    // fields: sets each conflict's choice and returns true, or false to
    // abandon the save. `written` is when the other writer wrote the file.
    using Resolve = std::function<bool(QList<TMergeConflict>& conflicts, const QDateTime& written)>;
    // Asked when another writer erased the group meanwhile: true writes it
    // again, false lets it go.
    using AskErased = std::function<bool(const QString& groupName)>;

    enum class SaveOutcome {
        Saved,     // as edited
        Merged,    // with another writer's changes; the list's group shows the result
        Cancelled, // nothing written
        LetGo      // erased by another writer, and left erased
    };
    // Saves `mine`, the edited version of the list's group `target`, which the
    // window loaded as `base`. The list's group becomes what was written, or
    // leaves the list when it was let go. Raises EWriteError.
    SaveOutcome saveGroup(TZizaVureGroupItem& target, const TZizaVureGroupItem& base, const TZizaVureGroupItem& mine,
                          const Resolve& resolve, const AskErased& askErased);

    // Writes the list's group `target` as version `versionId` of the history
    // holds it (`restored`), through the same merge as a save, with the list's
    // group as the base; the history records it as a restore of that version.
    SaveOutcome restoreGroup(TZizaVureGroupItem& target, const TZizaVureGroupItem& restored, int versionId,
                             const Resolve& resolve, const AskErased& askErased);
    // Writes the groups, the group list and the status settings as version
    // `versionId` of the history holds them, in one rewrite: its groups
    // written whole, groups it did not have erased. The database settings
    // stay as they are (a restore never brings back an old password). The
    // list then follows the file. Raises EWriteError.
    void restoreVersion(const TConfigHistory& history, int versionId);
    // Writes a new group, a copy of `source` or a default one, under the
    // lowest number that the file as it is now leaves free, and lists it, in
    // one rewrite; appends it to the list and returns it. Raises EWriteError,
    // also when no number is left.
    TZizaVureGroupItem& addGroup(const TZizaVureGroupItem* source);

    // Erases the group's section and its entry in the file's list in one
    // rewrite, and takes it out of the list. Raises EWriteError.
    void eraseGroup(TZizaVureGroupItem& group);

    // Writes the status-memo settings alone. Raises EWriteError.
    void writeLogSettings(const TLogSettings& settings);

    // When the file may have changed: reads it again and, when it could be
    // read, brings the list in line with it, keeping the objects of groups that stay. Returns a status
    // line for each group that another writer added, changed or erased.
    // `keep`, when given, stays in the list even when erased on disk, and is
    // then erasedElsewhere().
    QStringList refresh(const TZizaVureGroupItem* keep = nullptr);
    bool erasedElsewhere(const TZizaVureGroupItem& group) const;

Q_SIGNALS:
    // The file may have changed; refresh() tells what.
    void fileChanged();

private:
    void watch();
    void onWatchEvent();
    void replaceInList(TZizaVureGroupItem& target, const TZizaVureGroupItem& written);
    void letGo(TZizaVureGroupItem& target);
    std::unique_ptr<TZizaVureGroupItem> versionToWrite(const TZizaVureGroupItem& base, const TZizaVureGroupItem& mine,
                                                       const TZizaVureGroupItem* theirs, const Resolve& resolve,
                                                       SaveOutcome& outcome) const;
    bool writeIfUnchanged(const TZizaVureGroupItem& written, const TZizaVureGroupItem* expected,
                          std::unique_ptr<TZizaVureGroupItem>& found, bool& listed);
    QStringList listedWith(const QString& name) const;
    QStringList listedWithout(const QString& name) const;

    ConfigFile& m_config;
    TZizaVureGroups& m_groups;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
    QSet<QString> m_erasedElsewhere; // section keys
};
