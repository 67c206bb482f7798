#pragma once

#include "ConfigHistory.h"
#include "DataDef.h"
#include "platform/ProfileFile.h"

#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

// The database login as the configuration file keeps it; the password only
// in its protected form.
struct TDatabaseSettings
{
    QString DataSource;
    QString UserName;
    QString ProtectedPassword;
};

// The status-memo settings that travel with the groups.
struct TLogSettings
{
    bool LogMessage = false;      // the "Log Status Messages" switch
    int LogDetail = DetailMedium; // a TDetailLevel
};

// The configuration file "QVZizaVure.QVS" that the program and the
// post-processing service share: the log settings, the list of groups, one
// section per group and the database login settings.
class ConfigFile
{
public:
    using StatusSink = std::function<void(const QString&)>;

    static QString defaultPath();

    explicit ConfigFile(const QString& path);
    // Waits for the records of its writes in the background.
    ~ConfigFile();
    // The file's writes report to this object.
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    QString path() const { return m_file.path(); }
    ProfileFile& file() { return m_file; }
    const ProfileFile& file() const { return m_file; }

    // Reads the file afresh and builds a new group list from it. A time or
    // date that cannot be read takes its default and gets a status line naming
    // its group and key; the group loads all the same, so that the group list
    // written later still names it. Ends with "Startup parameters loaded.",
    // or, when the file is there but cannot be read (readError()), with a
    // line that says so: the list is then empty and every write is refused.
    std::unique_ptr<TZizaVureGroups> LoadConfiguration(TLogSettings& settings, const StatusSink& addStatusLine);

    // Writes the log settings and the list of group names: the groups given,
    // then every group of the file's list as it is now that is not among them
    // and that this program did not erase (another program added it), with a
    // status line when there are such groups. Never raises; returns false
    // when the file refused the write.
    bool SaveZizaVureessSection(const TLogSettings& settings, const TZizaVureGroups& groups);

    // Writes every key of the group's section. Raises EWriteError.
    void SaveGroupSection(const TZizaVureGroupItem& group);

    // The keys of the group's fields, without its pairs, as the section
    // holds them; with GroupSectionKeys, every key of the section.
    static ProfileFile::KeyValues GroupFieldKeys(const TZizaVureGroupItem& group);
    static ProfileFile::KeyValues GroupSectionKeys(const TZizaVureGroupItem& group);

    // The group named `name` in the file as last read, as LoadConfiguration
    // reads it at `position` of the list: values that cannot be read (their
    // keys go to `unreadable`) and a missing section take their defaults.
    std::unique_ptr<TZizaVureGroupItem> ReadGroup(const QString& name, int position,
                                                  QByteArrayList* unreadable = nullptr) const;
    // Every group that the file as last read lists, in its order, read as
    // ReadGroup reads one; `unreadable` gets each group's keys that could not
    // be read.
    std::vector<std::unique_ptr<TZizaVureGroupItem>>
    ReadListedGroups(std::vector<QByteArrayList>* unreadable = nullptr) const;
    // A listed group's fields without its pairs, and how many pairs it has:
    // what a listing of the groups needs, read without the cost of every pair.
    struct TGroupSummary
    {
        std::unique_ptr<TZizaVureGroupItem> group;
        int pairCount = 0;
    };
    std::vector<TGroupSummary> ReadGroupSummaries() const;
    // The names that the file as last read lists.
    QStringList ListedGroupNames() const;
    // The lowest number of 1..MaxGroupNumber that no listed group's number,
    // name or position and no section of the file as last read uses; 0 when
    // none is left.
    int FreeGroupNumber() const;
    // Two group names name one section when their keys are equal.
    static QString SectionKey(const QString& name);
    // The main section's keys of a group list.
    static ProfileFile::KeyValues GroupListKeys(const QStringList& names);
    static const QByteArray MainSectionName;

    // Removes the section named by a group's GroupName. Raises EWriteError.
    void EraseGroupSection(const QString& groupName);

    // The number for a new group: the lowest of 1..MaxGroupNumber that is no
    // group's PPGIndex and whose section name is used neither by a group of
    // the list nor by a section of the file as it is now; 0 when none is left.
    int NewGroupNumber(const TZizaVureGroups& groups) const;

    // Where the writers report what the operator should know: a file that
    // vanished and was written again whole, groups added by another program.
    void setStatusSink(const StatusSink& addStatusLine);

    // Every write is recorded in the file's change history (TConfigHistory)
    // as made by this program; the application's name unless set.
    // A history that cannot be written is reported to the status sink; the
    // write stands.
    void setProgramName(const QString& name) { m_programName = name; }
    QString programName() const { return m_programName; }
    // Whether writes and changes found at a load are recorded at all (they
    // are unless turned off, as a benchmark does to measure a save alone, or
    // the fuzzer, whose scratch file changes with every input).
    void setKeepsHistory(bool keeps) { m_keepsHistory = keeps; }
    // For a file that a window's thread writes: the history of each write is
    // compared and stored in a thread of its own (see
    // TConfigHistory::recordInBackground), and a failure reported later.
    void setRecordsInBackground(bool background) { m_recordsInBackground = background; }
    // Writes from now on restore version `versionId` of the history (0: they
    // are saves).
    void setRestoredFrom(int versionId) { m_restoredFrom = versionId; }
    // Records the file as last read in the history when another writer
    // changed it since the newest version.
    void RecordExternalChanges();

    TDatabaseSettings ReadDatabaseSettings() const;
    // Never raises; returns false when the file refused the write.
    bool WriteDatabaseSettings(const TDatabaseSettings& settings);

    // Reads the file afresh. A file that vanished keeps what was last read,
    // which the next write puts back whole.
    // False when the file is there but could not be read.
    bool Reopen();

    // Why the file could not be read at the last load or reopening; empty
    // when it was read or does not exist.
    QString readError() const { return m_file.readError(); }

    // Why the last write that returned false failed: "Unable to write to
    // <path>", with the reason where one is known.
    QString writeError() const { return m_writeError; }

private:
    void reportRestoredFile();
    void recordWrites();

    std::unique_ptr<TZizaVureGroupItem> readListedGroup(const QString& name, int position, bool named,
                                                        QByteArrayList* unreadable) const;
    // The keys whose values could not be read. With `pairCount`, the pairs
    // are counted there instead of read.
    static QByteArrayList readGroupSection(const ProfileFile& file, TZizaVureGroupItem& group, bool readIndex,
                                           int position, int* pairCount = nullptr);

    ProfileFile m_file;
    TConfigHistory m_history;
    QString m_programName;
    int m_restoredFrom = 0;
    bool m_keepsHistory = true;
    bool m_recordsInBackground = false;
    StatusSink m_status;
    // False once this is gone, for the reports of records in the background.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QSet<QString> m_erased;  // section names (as sectionKey) this program erased since the load
    QStringList m_keptAdded; // groups of others kept at the last list write, reported once
    QString m_writeError;
};
