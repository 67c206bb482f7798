#pragma once

#include "DataDef.h"
#include "ProfileFile.h"

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
    bool LogMessage = false; // the "Log Status Messages" switch
    int LogDetail = 1;       // 0 Low, 1 Medium, 2 High
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

    QString path() const { return m_file.path(); }
    ProfileFile& file() { return m_file; }

    // Reads the file afresh and builds a new group list from it. A time or
    // date that cannot be read takes its default and gets a status line naming
    // its group and key; the group loads all the same, so that the group list
    // written later still names it. Ends with "Startup parameters loaded.".
    std::unique_ptr<TZizaVureGroups> LoadConfiguration(TLogSettings& settings, const StatusSink& addStatusLine);

    // Writes the log settings and the list of group names. Never raises;
    // returns false when the file refused the write.
    bool SaveZizaVureessSection(const TLogSettings& settings, const TZizaVureGroups& groups);

    // Writes every key of the group's section. Raises EWriteError.
    void SaveGroupSection(const TZizaVureGroupItem& group);

    // Removes the section named by a group's GroupName. Raises EWriteError.
    void EraseGroupSection(const QString& groupName);

    TDatabaseSettings ReadDatabaseSettings() const;
    // Never raises; returns false when the file refused the write.
    bool WriteDatabaseSettings(const TDatabaseSettings& settings);

    // Reads the file afresh, as a new open of it would.
    void Reopen();

private:
    // The keys whose values could not be read.
    QByteArrayList readGroupSection(TZizaVureGroupItem& group, bool readIndex, int position) const;

    ProfileFile m_file;
};
