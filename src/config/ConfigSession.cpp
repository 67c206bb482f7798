#include "ConfigSession.h"

#include "platform/Exception.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTimer>

#include <map>

namespace {

// Watch events come in bursts (a temporary file, a rename); one look after
// the burst is enough and still well within the two seconds operators expect.
constexpr int SettleMs = 200;

// How often a save merges again when the section keeps changing under it.
constexpr int MaxMergeRounds = 5;

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

// The section is read once, under the lock of the write: a save that finds
// it as the window loaded it writes at once. Otherwise the merge is made
// and the operator asked without the lock, and the write is tried again
// against the section that the merge was made with.
TConfigSession::SaveOutcome TConfigSession::saveGroup(TZizaVureGroupItem& target, const TZizaVureGroupItem& base,
                                                      const TZizaVureGroupItem& mine, const Resolve& resolve,
                                                      const AskErased& askErased)
{
    std::unique_ptr<TZizaVureGroupItem> written = copyOf(mine);
    std::unique_ptr<TZizaVureGroupItem> theirs; // the section a merge was made with
    const TZizaVureGroupItem* expected = &base; // none: no section is expected
    SaveOutcome outcome = SaveOutcome::Saved;
    for (int round = 1;; ++round) {
        std::unique_ptr<TZizaVureGroupItem> found;
        bool listed = true;
        if (writeIfUnchanged(*written, expected, found, listed))
            break;
        if (round == MaxMergeRounds)
            throw EWriteError(
                tr("Unable to write to %1: another program keeps changing %2").arg(path(), mine.GroupName));
        if (!found) {
            // A listed group without a section is simply written again.
            if (!listed && !askErased(mine.GroupName)) {
                letGo(target);
                return SaveOutcome::LetGo;
            }
            written = copyOf(mine);
            expected = nullptr;
            outcome = SaveOutcome::Saved;
            continue;
        }
        theirs = std::move(found);
        outcome = SaveOutcome::Saved;
        written = versionToWrite(base, mine, theirs.get(), resolve, outcome);
        if (!written)
            return SaveOutcome::Cancelled;
        expected = theirs.get();
    }
    m_erasedElsewhere.remove(ConfigFile::SectionKey(mine.GroupName));
    replaceInList(target, *written);
    return outcome;
}

TConfigSession::SaveOutcome TConfigSession::restoreGroup(TZizaVureGroupItem& target, const TZizaVureGroupItem& restored,
                                                         int versionId, const Resolve& resolve,
                                                         const AskErased& askErased)
{
    TZizaVureGroupItem base;
    base.AssignFrom(target);
    m_config.setRestoredFrom(versionId);
    try {
        const SaveOutcome outcome = saveGroup(target, base, restored, resolve, askErased);
        m_config.setRestoredFrom(0);
        return outcome;
    } catch (...) {
        m_config.setRestoredFrom(0);
        throw;
    }
}

void TConfigSession::restoreVersion(const TConfigHistory& history, int versionId)
{
    QTemporaryDir folder;
    const QString versionPath = folder.filePath(QStringLiteral("version.QVS"));
    if (!folder.isValid() || !history.writeVersion(versionId, versionPath))
        throw EWriteError(
            tr("Unable to write to %1: version %2 of its history cannot be read").arg(path()).arg(versionId));
    const ConfigFile version(versionPath);
    const QStringList names = version.ListedGroupNames();
    const std::vector<std::unique_ptr<TZizaVureGroupItem>> groups = version.ReadListedGroups();
    const ProfileFile::SectionView main = version.file().section(ConfigFile::MainSectionName);
    m_config.setRestoredFrom(versionId);
    try {
        m_config.file().update([&](const ProfileFile&) {
            ProfileFile::Changes changes;
            for (const auto& group : groups)
                changes.append({group->GroupName.toUtf8(), ConfigFile::GroupSectionKeys(*group), false});
            for (const QString& listed : m_config.ListedGroupNames()) {
                if (indexOfName(names, listed) < 0)
                    changes.append({listed.toUtf8(), {}, true});
            }
            ProfileFile::KeyValues mainKeys = ConfigFile::GroupListKeys(names);
            for (const char* key : {"LogMessage", "LogDetail"}) {
                if (const std::optional<QString> value = main.value(key))
                    mainKeys.append({key, *value});
            }
            changes.append({ConfigFile::MainSectionName, mainKeys, false});
            return changes;
        });
    } catch (...) {
        m_config.setRestoredFrom(0);
        throw;
    }
    m_config.setRestoredFrom(0);
    refresh();
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

// Under the lock: writes the section and, when the file does not list it,
// the list, provided the section is still `expected` (none: no section).
// Else writes nothing and gives the section found and whether it is listed.
bool TConfigSession::writeIfUnchanged(const TZizaVureGroupItem& written, const TZizaVureGroupItem* expected,
                                      std::unique_ptr<TZizaVureGroupItem>& found, bool& listed)
{
    const QString& name = written.GroupName;
    const QByteArray section = name.toUtf8();
    bool unchanged = false;
    m_config.file().update([&](const ProfileFile& current) {
        const QStringList names = m_config.ListedGroupNames();
        const int index = indexOfName(names, name);
        listed = index >= 0;
        found = current.hasSection(section) ? m_config.ReadGroup(name, listed ? index : int(names.size())) : nullptr;
        unchanged = found ? expected && sameGroup(*found, *expected) : !expected;
        if (!unchanged)
            return ProfileFile::Changes{};
        ProfileFile::Changes changes{{section, ConfigFile::GroupSectionKeys(written), false}};
        if (!listed)
            changes.append({ConfigFile::MainSectionName, ConfigFile::GroupListKeys(listedWith(name)), false});
        return changes;
    });
    return unchanged;
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
    m_config.RecordExternalChanges();
    std::map<QString, std::unique_ptr<TZizaVureGroupItem>> held;
    QStringList heldOrder;
    while (m_groups.Count() > 0) {
        std::unique_ptr<TZizaVureGroupItem> group = m_groups.TakeGroup(0);
        const QString key = ConfigFile::SectionKey(group->GroupName);
        heldOrder.append(key);
        held[key] = std::move(group);
    }
    QStringList lines;
    for (std::unique_ptr<TZizaVureGroupItem>& fresh : m_config.ReadListedGroups()) {
        const QString name = fresh->GroupName;
        std::unique_ptr<TZizaVureGroupItem> group = std::move(held[ConfigFile::SectionKey(name)]);
        if (!group) {
            lines.append(tr("%1 was added by another program.").arg(name));
            group = std::move(fresh);
        } else if (!sameGroup(*group, *fresh)) {
            lines.append(tr("%1 was changed by another program.").arg(name));
            replaceInList(*group, *fresh);
        }
        m_erasedElsewhere.remove(ConfigFile::SectionKey(name));
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
