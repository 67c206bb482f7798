#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "platform/ProfileFile.h"

#include <functional>
#include <memory>
#include <optional>

// One field of a group (or another section) that a version changed; a pair
// shows as "pair STATION.SENSOR" with its labels.
struct THistoryField
{
    QString key;
    QString before;
    QString after;
};

struct THistoryGroup
{
    QString name;
    QString change; // "added", "erased" or "changed"
    QList<THistoryField> fields;
};

struct THistoryVersion
{
    int id = 0;
    QDateTime time; // UTC
    QString user;
    uint uid = 0;
    QString host;
    QString program;
    QString kind; // "baseline", "save", "external" or "restore"
    int restoredFrom = 0;
    QList<THistoryGroup> groups;
};

// The change history of the shared configuration, in the folder
// "<configuration>.history" beside it: every version that a program writes or
// finds, who made it and when, and what it changed, section by section.
//
// A version is compared by content, not by bytes: the keys of each section
// sorted, trimmed, one spelling of line ends, so that a rewrite that only
// re-formats is no version. Sections are stored once per distinct content,
// compressed, under the hash of that content ("objects/"); the journal holds
// one JSON line per version with the sections it changed; "head" names the
// sections of the newest version, so that a save reads neither the journal
// nor the objects. A journal line cut short by a kill is left out and cut
// off at the next record. The database password is never stored: a keyed
// hash (with a key of the folder's own) tells only that it changed.
//
// Files are made 0660, through SharedFolderFile, under the journal's lock.
class FileLock;
class TZizaVureGroupItem;

class TConfigHistory
{
public:
    explicit TConfigHistory(const QString& configPath);

    static QString folderPath(const QString& configPath);

    // The keys that a section stands for, where the file's owner knows them
    // better than its lines say (a group's fields with their defaults, so
    // that a save that writes a default adds nothing); nothing for a section
    // to be taken line by line.
    // It may be called in another thread (see recordInBackground).
    using SectionReader =
        std::function<std::optional<ProfileFile::KeyValues>(const ProfileFile& file, QByteArrayView section)>;
    void setSectionReader(SectionReader reader) { m_reader = std::move(reader); }

    struct Source
    {
        QString program;
        QString kind = QStringLiteral("save");
        int restoredFrom = 0;
    };
    // Records the file as last written when its content differs from the
    // newest version; the first record is the baseline. Only `sections` are
    // compared when the write replaced the file as last recorded
    // (`replacedIdentity`); after another writer, the whole file is. Returns
    // the new version's id, 0 when nothing changed, and -1 with error() when
    // the history cannot be written.
    int record(const ProfileFile& file, const Source& source, const QList<QByteArray>& sections,
               const QString& replacedIdentity);
    // As record(), but the comparing and storing are done in a thread that
    // the process's records share, on the file as it stands now, so that a
    // large save does not hold a window. The journal's lock is taken here
    // and held until the version is written, so that versions keep the
    // order of the writes. `failed` gets the error, later, in the thread
    // that called this, unless it could be told at once.
    void recordInBackground(const ProfileFile& file, const Source& source, const QList<QByteArray>& sections,
                            const QString& replacedIdentity, const std::function<void(const QString&)>& failed);
    // Waits until the records in the background of this process are written.
    static void waitForBackgroundRecords();
    // The file as last read, when another writer changed it since the newest
    // version: who and when are the file's owner and modification time.
    int recordExternal(const ProfileFile& file);

    // Oldest first.
    QList<THistoryVersion> versions() const;
    // Every section of a version, by name, as its content is compared.
    QMap<QString, QString> sectionsAt(int id) const;
    // Writes version `id` to a file of its own at `path`, section by section
    // as its content is compared (the password as its hash); false when it
    // cannot be written.
    bool writeVersion(int id, const QString& path) const;
    // A group as version `id` holds it; null when the version has no such section.
    std::unique_ptr<TZizaVureGroupItem> groupAt(int id, const QString& name) const;
    // What changed from one set of sections (sectionsAt) to another, section
    // by section, as a version records its changes.
    static QList<THistoryGroup> compare(const QMap<QString, QString>& before, const QMap<QString, QString>& after);
    // Changes as the journal and qvzctl write them: [{"name", "change",
    // "fields": [{"key", "before", "after"}]}].
    static QJsonArray toJson(const QList<THistoryGroup>& groups);
    QString error() const { return m_error; }

    // A pinned version is never pruned.
    bool pin(int id);
    QList<int> pinnedIds() const;
    // Drops the versions made more than `keepDays` days ago, but the pinned
    // ones and the newest, and the contents that no version kept needs; the
    // first version kept then holds every section it had. 0 keeps all.
    // Returns how many were dropped, -1 with error().
    int prune(int keepDays);

private:
    struct Head
    {
        int id = 0;
        QString identity;                 // of the file that the newest version recorded
        QHash<QString, QString> sections; // name -> hash of its content
    };
    THistoryVersion versionBy(const Source& source) const;
    // The journal's lock; null with error() when it cannot be taken.
    std::unique_ptr<FileLock> lockJournal();
    // `sections` null: every section is compared.
    int recordLocked(const ProfileFile& file, THistoryVersion version, const QList<QByteArray>* sections,
                     const QString& replacedIdentity);
    // As recordLocked(), with the journal's lock held.
    int recordHoldingLock(const ProfileFile& file, THistoryVersion version, const QList<QByteArray>* sections,
                          const QString& replacedIdentity);
    bool compareSections(const ProfileFile& file, const QList<QByteArray>* sections, Head& head,
                         THistoryVersion& version, QJsonObject& changed);
    static bool appendLine(const QString& journal, const QByteArray& line);
    QString canonical(const ProfileFile& file, QByteArrayView section);
    QString maskedPassword(const QString& value);
    bool storeObject(const QString& hash, const QString& text);
    QString loadObject(const QString& hash) const;
    Head readHead() const;
    void writeHead(Head& head, const QString& identity);
    Head replay(int upToId) const;
    int repairJournal();
    // Sets error() and returns -1.
    int fail(const QString& what);

    QString m_folder;
    QString m_error;
    QByteArray m_key;
    SectionReader m_reader;
};
