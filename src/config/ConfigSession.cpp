#include "ConfigSession.h"

#include "platform/Exception.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <map>

namespace {

// Watch events come in bursts (a temporary file, a rename); one look after
// the burst is enough and still well within the two seconds operators expect.
constexpr int SettleMs = 200;

// How often a save merges again when the section keeps changing under it.
constexpr int MaxMergeRounds = 5;

// The section changed between the merge and the write.
struct SectionMoved
{
};

bool sameGroup(const TZizaVureGroupItem& a, const TZizaVureGroupItem& b)
{
    return ConfigFile::GroupSectionKeys(a) == ConfigFile::GroupSectionKeys(b);
}

std::unique_ptr<TZizaVureGroupItem> copyOf(const TZizaVureGroupItem& group)
{
    auto copy = std::make_unique<TZizaVureGroupItem>();
    copy->AssignFrom(group);
    return copy;
}

int indexOfName(const QStringList& names, const QString& name)
{
    const QString key = ConfigFile::SectionKey(name);
    for (int i = 0; i < names.size(); ++i) {
        if (ConfigFile::SectionKey(names[i]) == key)
            return i;
    }
    return -1;
}

} // namespace

TConfigSession::TConfigSession(ConfigFile& config, TZizaVureGroups& groups, QObject* parent)
    : QObject(parent), m_config(config), m_groups(groups), m_watcher(new QFileSystemWatcher(this)),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, &TConfigSession::onWatchEvent);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    watch();
}

TConfigSession::~TConfigSession() = default;

// The folder is watched as well as the file: a writer that renames a new
// file into place ends the watch of the old one.
void TConfigSession::watch()
{
    const QString folder = QFileInfo(path()).absolutePath();
    if (!m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
    if (!m_watcher->files().contains(path()) && QFileInfo::exists(path()))
        m_watcher->addPath(path());
}

void TConfigSession::onWatchEvent()
{
    watch();
    Q_EMIT fileChanged();
}

TConfigSession::SaveOutcome TConfigSession::saveGroup(TZizaVureGroupItem& target, const TZizaVureGroupItem& base,
                                                      const TZizaVureGroupItem& mine, const Resolve& resolve,
                                                      const AskErased& askErased)
{
    const QString name = mine.GroupName;
    for (int round = 1;; ++round) {
        m_config.Reopen();
        const QStringList listed = m_config.ListedGroupNames();
        const int position = indexOfName(listed, name) >= 0 ? indexOfName(listed, name) : int(listed.size());
        const bool onDisk = m_config.file().hasSection(name.toUtf8());
        const std::unique_ptr<TZizaVureGroupItem> theirs = onDisk ? m_config.ReadGroup(name, position) : nullptr;
        if (!onDisk && indexOfName(listed, name) < 0 && !askErased(name)) {
            letGo(target);
            return SaveOutcome::LetGo;
        }
        SaveOutcome outcome = SaveOutcome::Saved;
        const std::unique_ptr<TZizaVureGroupItem> written = versionToWrite(base, mine, theirs.get(), resolve, outcome);
        if (!written)
            return SaveOutcome::Cancelled;
        try {
            writeGroup(*written, position, theirs.get());
        } catch (const SectionMoved&) {
            if (round < MaxMergeRounds)
                continue;
            throw EWriteError(tr("Unable to write to %1: another program keeps changing %2").arg(path(), name));
        }
        m_erasedElsewhere.remove(ConfigFile::SectionKey(name));
        replaceInList(target, *written);
        return outcome;
    }
}

void TConfigSession::letGo(TZizaVureGroupItem& target)
{
    m_erasedElsewhere.remove(ConfigFile::SectionKey(target.GroupName));
    const int index = m_groups.IndexOf(&target);
    if (index >= 0)
        m_groups.DeleteGroup(index);
}

// Mine as it is, when the file holds the group as the window loaded it or
// holds none; else the merge, after the operator chose where both changed a
// field. None when the operator cancelled.
std::unique_ptr<TZizaVureGroupItem> TConfigSession::versionToWrite(const TZizaVureGroupItem& base,
                                                                   const TZizaVureGroupItem& mine,
                                                                   const TZizaVureGroupItem* theirs,
                                                                   const Resolve& resolve, SaveOutcome& outcome) const
{
    if (!theirs || sameGroup(*theirs, base))
        return copyOf(mine);
    TGroupMerge merge(base, mine, *theirs);
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(m_config.file().modifiedMSecsSinceEpoch());
    if (!merge.conflicts().isEmpty() && !resolve(merge.conflicts(), when))
        return nullptr;
    std::unique_ptr<TZizaVureGroupItem> merged = merge.result();
    if (!sameGroup(*merged, mine))
        outcome = SaveOutcome::Merged;
    return merged;
}

// Raises SectionMoved when the section is no longer `theirs` (none: no
// section) under the lock, so that the merge is made again.
void TConfigSession::writeGroup(const TZizaVureGroupItem& written, int position, const TZizaVureGroupItem* theirs)
{
    const QString& name = written.GroupName;
    const QByteArray section = name.toUtf8();
    m_config.file().update([&](const ProfileFile& current) {
        const bool onDisk = current.hasSection(section);
        if (onDisk != (theirs != nullptr) || (onDisk && !sameGroup(*m_config.ReadGroup(name, position), *theirs)))
            throw SectionMoved();
        ProfileFile::Changes changes{{section, ConfigFile::GroupSectionKeys(written), false}};
        if (indexOfName(m_config.ListedGroupNames(), name) < 0)
            changes.append({ConfigFile::MainSectionName, ConfigFile::GroupListKeys(listedWith(name)), false});
        return changes;
    });
}

void TConfigSession::replaceInList(TZizaVureGroupItem& target, const TZizaVureGroupItem& written)
{
    target.ClearStationSensors();
    target.AssignFrom(written);
}

TZizaVureGroupItem& TConfigSession::addGroup(const TZizaVureGroupItem* source)
{
    std::unique_ptr<TZizaVureGroupItem> group = source ? copyOf(*source) : std::make_unique<TZizaVureGroupItem>();
    m_config.file().update([&](const ProfileFile&) {
        const int number = m_config.FreeGroupNumber();
        if (number == 0)
            throw EWriteError(tr("Unable to write to %1: no group number is left").arg(path()));
        group->PPGIndex = number;
        group->GroupName = GroupSectionName(number);
        return ProfileFile::Changes{
            {group->GroupName.toUtf8(), ConfigFile::GroupSectionKeys(*group), false},
            {ConfigFile::MainSectionName, ConfigFile::GroupListKeys(listedWith(group->GroupName)), false}};
    });
    TZizaVureGroupItem& added = *group;
    m_groups.AddGroup(std::move(group));
    return added;
}

void TConfigSession::eraseGroup(TZizaVureGroupItem& group)
{
    const QString name = group.GroupName;
    m_config.file().update([&](const ProfileFile&) {
        ProfileFile::Changes changes{{name.toUtf8(), {}, true}};
        if (indexOfName(m_config.ListedGroupNames(), name) >= 0)
            changes.append({ConfigFile::MainSectionName, ConfigFile::GroupListKeys(listedWithout(name)), false});
        return changes;
    });
    m_erasedElsewhere.remove(ConfigFile::SectionKey(name));
    const int index = m_groups.IndexOf(&group);
    if (index >= 0)
        m_groups.DeleteGroup(index);
}

void TConfigSession::writeLogSettings(const TLogSettings& settings)
{
    m_config.file().writeKeys(ConfigFile::MainSectionName,
                              {{"LogMessage", settings.LogMessage ? QStringLiteral("1") : QStringLiteral("0")},
                               {"LogDetail", QString::number(settings.LogDetail)}});
}

// Both read the file as it is under the lock.
QStringList TConfigSession::listedWith(const QString& name) const
{
    QStringList names = m_config.ListedGroupNames();
    if (indexOfName(names, name) < 0)
        names.append(name);
    return names;
}

QStringList TConfigSession::listedWithout(const QString& name) const
{
    QStringList names = m_config.ListedGroupNames();
    names.removeAt(indexOfName(names, name));
    return names;
}

QStringList TConfigSession::refresh(const TZizaVureGroupItem* keep)
{
    // A file that cannot be read says nothing about the groups: the list
    // stays as it is until the file can be read again.
    if (m_config.file().isUpToDate() || !m_config.Reopen())
        return {};
    std::map<QString, std::unique_ptr<TZizaVureGroupItem>> held;
    QStringList heldOrder;
    while (m_groups.Count() > 0) {
        std::unique_ptr<TZizaVureGroupItem> group = m_groups.TakeGroup(0);
        const QString key = ConfigFile::SectionKey(group->GroupName);
        heldOrder.append(key);
        held[key] = std::move(group);
    }
    QStringList lines;
    const QStringList names = m_config.ListedGroupNames();
    for (int p = 0; p < names.size(); ++p) {
        std::unique_ptr<TZizaVureGroupItem> fresh = m_config.ReadGroup(names[p], p);
        std::unique_ptr<TZizaVureGroupItem> group = std::move(held[ConfigFile::SectionKey(names[p])]);
        if (!group) {
            lines.append(tr("%1 was added by another program.").arg(names[p]));
            group = std::move(fresh);
        } else if (!sameGroup(*group, *fresh)) {
            lines.append(tr("%1 was changed by another program.").arg(names[p]));
            replaceInList(*group, *fresh);
        }
        m_erasedElsewhere.remove(ConfigFile::SectionKey(names[p]));
        m_groups.AddGroup(std::move(group));
    }
    for (const QString& key : std::as_const(heldOrder)) {
        std::unique_ptr<TZizaVureGroupItem> gone = std::move(held[key]);
        if (!gone)
            continue;
        if (!m_erasedElsewhere.contains(key))
            lines.append(tr("%1 was erased by another program.").arg(gone->GroupName));
        if (gone.get() == keep) {
            m_erasedElsewhere.insert(key);
            m_groups.AddGroup(std::move(gone));
        } else {
            m_erasedElsewhere.remove(key);
        }
    }
    return lines;
}

bool TConfigSession::erasedElsewhere(const TZizaVureGroupItem& group) const
{
    return m_erasedElsewhere.contains(ConfigFile::SectionKey(group.GroupName));
}
