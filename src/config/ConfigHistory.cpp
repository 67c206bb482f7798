#include "ConfigHistory.h"

#include "ConfigFile.h"
#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/FileLock.h"
#include "platform/ProfileFile.h"
#include "platform/SharedFolderFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t FileMode = 0660;
const QString DatabaseSection = QStringLiteral("DATABASE SETTINGS");
const QString PasswordKey = QStringLiteral("ODBC PASSWORD");
const QString MaskPrefix = QStringLiteral("hmac:");

QString loginOf(uint uid)
{
    const struct passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString hashOf(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

// "key=value" lines of a section's content, by upper-cased key.
QMap<QString, std::pair<QString, QString>> fieldsOf(const QString& text)
{
    QMap<QString, std::pair<QString, QString>> fields;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        fields.insert(AsciiText::upper(line.left(equals)), {line.left(equals), line.mid(equals + 1)});
    }
    return fields;
}

// The entries of a group as pairs: the upper-cased pair text -> "label / alt".
QMap<QString, std::pair<QString, QString>> pairsOf(QMap<QString, std::pair<QString, QString>>& fields)
{
    QMap<QString, std::pair<QString, QString>> pairs;
    QStringList entryKeys;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (!it.key().startsWith(u"POLL"))
            continue;
        entryKeys.append(it.key());
        bool isNumber = false;
        const QString number = it.key().mid(4);
        number.toInt(&isNumber);
        if (!isNumber)
            continue;
        const QString labels = fields.value(QStringLiteral("POLLDATALABEL") + number).second + QStringLiteral(" / ") +
                               fields.value(QStringLiteral("POLLALTLABEL") + number).second;
        pairs.insert(AsciiText::upper(it.value().second), {it.value().second, labels});
    }
    // What the pairs say is taken; their numbers and update times are not changes.
    for (const QString& key : std::as_const(entryKeys))
        fields.remove(key);
    return pairs;
}

void addDifferences(const QMap<QString, std::pair<QString, QString>>& before,
                    const QMap<QString, std::pair<QString, QString>>& after, const QString& prefix,
                    QList<THistoryField>& changes)
{
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const auto now = after.constFind(it.key());
        if (now == after.cend())
            changes.append({prefix + it.value().first, it.value().second, QString()});
        else if (now.value().second != it.value().second)
            changes.append({prefix + it.value().first, it.value().second, now.value().second});
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            changes.append({prefix + it.value().first, QString(), it.value().second});
    }
}

// What changed in one section, field by field, pairs as pairs.
THistoryGroup changesOf(const QString& name, const QString& before, const QString& after)
{
    THistoryGroup group{name,
                        before.isNull()  ? QStringLiteral("added")
                        : after.isNull() ? QStringLiteral("erased")
                                         : QStringLiteral("changed"),
                        {}};
    auto fieldsBefore = fieldsOf(before);
    auto fieldsAfter = fieldsOf(after);
    const auto pairsBefore = pairsOf(fieldsBefore);
    const auto pairsAfter = pairsOf(fieldsAfter);
    addDifferences(fieldsBefore, fieldsAfter, QString(), group.fields);
    addDifferences(pairsBefore, pairsAfter, QStringLiteral("pair "), group.fields);
    for (THistoryField& field : group.fields) {
        if (field.before.startsWith(MaskPrefix) || field.after.startsWith(MaskPrefix)) {
            field.before.clear();
            field.after = QStringLiteral("changed");
        }
    }
    return group;
}

QJsonObject journalLine(const THistoryVersion& version, const QJsonObject& sections)
{
    const QJsonArray groups = TConfigHistory::toJson(version.groups);
    QJsonObject line{
        {QStringLiteral("id"), version.id},     {QStringLiteral("time"), version.time.toString(Qt::ISODate)},
        {QStringLiteral("user"), version.user}, {QStringLiteral("uid"), qint64(version.uid)},
        {QStringLiteral("host"), version.host}, {QStringLiteral("program"), version.program},
        {QStringLiteral("kind"), version.kind}, {QStringLiteral("sections"), sections},
        {QStringLiteral("groups"), groups}};
    if (version.restoredFrom > 0)
        line.insert(QStringLiteral("restored_from"), version.restoredFrom);
    return line;
}

THistoryVersion fromJson(const QJsonObject& line)
{
    THistoryVersion version;
    version.id = line.value(u"id").toInt();
    version.time = QDateTime::fromString(line.value(u"time").toString(), Qt::ISODate);
    version.user = line.value(u"user").toString();
    version.uid = uint(line.value(u"uid").toInteger());
    version.host = line.value(u"host").toString();
    version.program = line.value(u"program").toString();
    version.kind = line.value(u"kind").toString();
    version.restoredFrom = line.value(u"restored_from").toInt();
    for (const auto& groupValue : line.value(u"groups").toArray()) {
        const QJsonObject group = groupValue.toObject();
        THistoryGroup changes{group.value(u"name").toString(), group.value(u"change").toString(), {}};
        for (const auto& fieldValue : group.value(u"fields").toArray()) {
            const QJsonObject field = fieldValue.toObject();
            changes.fields.append(
                {field.value(u"key").toString(), field.value(u"before").toString(), field.value(u"after").toString()});
        }
        version.groups.append(changes);
    }
    return version;
}

// A version's sections over those of the one before: a null hash erases.
void applyDelta(QHash<QString, QString>& sections, const QJsonObject& delta)
{
    for (auto it = delta.constBegin(); it != delta.constEnd(); ++it) {
        if (it.value().isNull())
            sections.remove(it.key());
        else
            sections.insert(it.key(), it.value().toString());
    }
}

QJsonObject deltaBetween(const QHash<QString, QString>& before, const QHash<QString, QString>& after)
{
    QJsonObject delta;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            delta.insert(it.key(), it.value());
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            delta.insert(it.key(), QJsonValue());
    }
    return delta;
}

// The complete lines of the journal, each parsed.
QList<QJsonObject> journalLines(const QString& path)
{
    QList<QJsonObject> lines;
    const std::optional<QByteArray> content = SharedFolderFile::read(path);
    if (!content)
        return lines;
    const QByteArray whole = content->left(content->lastIndexOf('\n') + 1);
    for (const QByteArray& line : whole.split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (!object.isEmpty())
            lines.append(object);
    }
    return lines;
}

// One thread, so that the process's records are written in the order taken.
QThreadPool& backgroundRecords()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return pool;
}

} // namespace

TConfigHistory::TConfigHistory(const QString& configPath) : m_folder(folderPath(configPath)) {}

QString TConfigHistory::folderPath(const QString& configPath)
{
    return configPath + QStringLiteral(".history");
}

int TConfigHistory::fail(const QString& what)
{
    m_error = QCoreApplication::translate("ConfigHistory", "The change history in %1 cannot be written: %2")
                  .arg(m_folder, what);
    return -1;
}

THistoryVersion TConfigHistory::versionBy(const Source& source) const
{
    THistoryVersion version;
    version.time = QDateTime::currentDateTimeUtc();
    version.uid = ::getuid();
    version.user = loginOf(version.uid);
    version.host = QSysInfo::machineHostName();
    version.program = source.program;
    version.kind = source.kind;
    version.restoredFrom = source.restoredFrom;
    return version;
}

int TConfigHistory::record(const ProfileFile& file, const Source& source, const QList<QByteArray>& sections,
                           const QString& replacedIdentity)
{
    return recordLocked(file, versionBy(source), &sections, replacedIdentity);
}

void TConfigHistory::recordInBackground(const ProfileFile& file, const Source& source,
                                        const QList<QByteArray>& sections, const QString& replacedIdentity,
                                        const std::function<void(const QString&)>& failed)
{
    m_error.clear();
    const std::shared_ptr<FileLock> lock = lockJournal();
    if (!lock) {
        failed(m_error);
        return;
    }
    const std::shared_ptr<const ProfileFile> snapshot = file.snapshot();
    QObject* caller = QCoreApplication::instance();
    backgroundRecords().start([history = *this, snapshot, lock, version = versionBy(source), sections, replacedIdentity,
                               failed, caller]() mutable {
        if (history.recordHoldingLock(*snapshot, version, &sections, replacedIdentity) < 0)
            QMetaObject::invokeMethod(caller, [failed, error = history.error()] { failed(error); });
    });
}

void TConfigHistory::waitForBackgroundRecords()
{
    backgroundRecords().waitForDone();
}

int TConfigHistory::recordExternal(const ProfileFile& file)
{
    // The common case, a file that nobody changed since, costs a small read.
    if (file.identity().isEmpty() || readHead().identity == file.identity())
        return 0;
    struct stat status;
    THistoryVersion version;
    version.time = QDateTime::currentDateTimeUtc();
    if (::stat(QFile::encodeName(file.path()).constData(), &status) == 0) {
        version.uid = status.st_uid;
        version.time = QDateTime::fromMSecsSinceEpoch(file.modifiedMSecsSinceEpoch(), Qt::UTC);
    }
    version.user = loginOf(version.uid);
    version.host = QSysInfo::machineHostName();
    version.kind = QStringLiteral("external");
    return recordLocked(file, version, nullptr, QString());
}

std::unique_ptr<FileLock> TConfigHistory::lockJournal()
{
    if (!SharedFolderFile::makeFolder(m_folder)) {
        fail(SharedFolderFile::reason(errno));
        return nullptr;
    }
    auto lock = std::make_unique<FileLock>(m_folder + QStringLiteral("/journal"), FileLock::Mode::Exclusive);
    if (lock->isHeld())
        return lock;
    fail(lock->wasAbandoned() ? lock->abandonReason() : SharedFolderFile::reason(errno));
    return nullptr;
}

int TConfigHistory::recordLocked(const ProfileFile& file, THistoryVersion version, const QList<QByteArray>* sections,
                                 const QString& replacedIdentity)
{
    m_error.clear();
    const std::unique_ptr<FileLock> lock = lockJournal();
    return lock ? recordHoldingLock(file, std::move(version), sections, replacedIdentity) : -1;
}

int TConfigHistory::recordHoldingLock(const ProfileFile& file, THistoryVersion version,
                                      const QList<QByteArray>* sections, const QString& replacedIdentity)
{
    const QString journal = m_folder + QStringLiteral("/journal");
    const int lastId = repairJournal();
    Head head = readHead();
    if (head.id != lastId)
        head = replay(lastId);

    if (head.id == 0)
        version.kind = QStringLiteral("baseline");
    const bool whole = head.id == 0 || !sections || head.identity != replacedIdentity;
    QJsonObject changed;
    if (!compareSections(file, whole ? nullptr : sections, head, version, changed))
        return -1;
    if (changed.isEmpty()) {
        if (head.identity != file.identity())
            writeHead(head, file.identity());
        return 0;
    }
    version.id = head.id + 1;
    head.id = version.id;
    const QByteArray line = QJsonDocument(journalLine(version, changed)).toJson(QJsonDocument::Compact) + '\n';
    if (!appendLine(journal, line))
        return fail(SharedFolderFile::reason(errno));
    writeHead(head, file.identity());
    return version.id;
}

// Compares the sections (all of the file's and the head's without
// `sections`) with the head, stores the new contents, and moves the head and
// the version's changes along. False when an object cannot be stored.
bool TConfigHistory::compareSections(const ProfileFile& file, const QList<QByteArray>* sections, Head& head,
                                     THistoryVersion& version, QJsonObject& changed)
{
    QStringList names;
    if (sections) {
        for (const QByteArray& name : *sections)
            names.append(QString::fromUtf8(name));
    } else {
        for (const QByteArrayView name : file.sectionNames())
            names.append(QString::fromUtf8(name));
        names.append(head.sections.keys());
    }
    names.removeDuplicates();
    for (const QString& name : std::as_const(names)) {
        const QByteArray section = name.toUtf8();
        const QString text = file.hasSection(section) ? canonical(file, section) : QString();
        const QString hash = text.isNull() ? QString() : hashOf(text);
        if (hash == head.sections.value(name))
            continue;
        if (!hash.isEmpty() && !storeObject(hash, text))
            return false;
        const QString before = head.sections.contains(name) ? loadObject(head.sections.value(name)) : QString();
        version.groups.append(changesOf(name, before, text));
        changed.insert(name, hash.isEmpty() ? QJsonValue() : QJsonValue(hash));
        if (hash.isEmpty())
            head.sections.remove(name);
        else
            head.sections.insert(name, hash);
    }
    return true;
}

// One write, so that readers never see half a line from us; a kill may
// still cut it, which repairJournal() mends.
bool TConfigHistory::appendLine(const QString& journal, const QByteArray& line)
{
    // Opened as the lock files are: made 0660 whatever the umask.
    const int fd = SharedFolderFile::openLockFile(journal, O_WRONLY | O_APPEND | O_CREAT);
    const bool appended = fd >= 0 && ::write(fd, line.constData(), size_t(line.size())) == line.size();
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    errno = error;
    return appended;
}

// Keys sorted, first spelling of each, values trimmed as the file reads them.
QString TConfigHistory::canonical(const ProfileFile& file, QByteArrayView section)
{
    const bool database = AsciiText::upper(QString::fromUtf8(section)) == DatabaseSection;
    QMap<QString, QString> lines;
    const auto take = [&](const QString& name, const QString& text) {
        const QString folded = AsciiText::upper(name);
        if (!lines.contains(folded))
            lines.insert(folded, name + u'=' + (database && folded == PasswordKey ? maskedPassword(text) : text));
    };
    if (const std::optional<ProfileFile::KeyValues> keys = m_reader ? m_reader(file, section) : std::nullopt) {
        for (const auto& [key, value] : *keys)
            take(QString::fromUtf8(key), value);
    } else {
        file.forEachKey(section, [&](QByteArrayView key, QByteArrayView value) {
            take(CodePage::decode(key), CodePage::decode(value));
        });
    }
    QString text;
    for (const QString& line : std::as_const(lines))
        text += line + u'\n';
    return text.isNull() ? QStringLiteral("") : text;
}

QString TConfigHistory::maskedPassword(const QString& value)
{
    if (value.isEmpty())
        return value;
    if (m_key.isEmpty()) {
        const QString path = m_folder + QStringLiteral("/key");
        m_key = SharedFolderFile::read(path).value_or(QByteArray());
        if (m_key.size() < 32) {
            m_key.resize(32);
            QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(m_key.data()), 8);
            SharedFolderFile::replace(path, m_key, FileMode);
        }
    }
    return MaskPrefix +
           QString::fromLatin1(
               QMessageAuthenticationCode::hash(value.toUtf8(), m_key, QCryptographicHash::Sha256).toHex());
}

bool TConfigHistory::storeObject(const QString& hash, const QString& text)
{
    const QString folder = m_folder + QStringLiteral("/objects");
    if (!SharedFolderFile::makeFolder(folder)) {
        fail(SharedFolderFile::reason(errno));
        return false;
    }
    const QString path = folder + u'/' + hash;
    if (QFileInfo::exists(path))
        return true;
    if (SharedFolderFile::replace(path, qCompress(text.toUtf8()), FileMode))
        return true;
    fail(SharedFolderFile::reason(errno));
    return false;
}

QString TConfigHistory::loadObject(const QString& hash) const
{
    const std::optional<QByteArray> bytes = SharedFolderFile::read(m_folder + QStringLiteral("/objects/") + hash);
    return bytes ? QString::fromUtf8(qUncompress(*bytes)) : QString();
}

// A head left behind by a kill is found older than the journal and replayed.
void TConfigHistory::writeHead(Head& head, const QString& identity)
{
    head.identity = identity;
    QJsonObject sections;
    for (auto it = head.sections.cbegin(); it != head.sections.cend(); ++it)
        sections.insert(it.key(), it.value());
    const QJsonObject json{{QStringLiteral("id"), head.id},
                           {QStringLiteral("identity"), head.identity},
                           {QStringLiteral("sections"), sections}};
    SharedFolderFile::replace(m_folder + QStringLiteral("/head"), QJsonDocument(json).toJson(QJsonDocument::Compact),
                              FileMode);
}

TConfigHistory::Head TConfigHistory::readHead() const
{
    const QJsonObject json =
        QJsonDocument::fromJson(SharedFolderFile::read(m_folder + QStringLiteral("/head")).value_or(QByteArray()))
            .object();
    Head head;
    head.id = json.value(u"id").toInt();
    head.identity = json.value(u"identity").toString();
    const QJsonObject sections = json.value(u"sections").toObject();
    for (auto it = sections.constBegin(); it != sections.constEnd(); ++it)
        head.sections.insert(it.key(), it.value().toString());
    return head;
}

TConfigHistory::Head TConfigHistory::replay(int upToId) const
{
    Head head;
    for (const QJsonObject& line : journalLines(m_folder + QStringLiteral("/journal"))) {
        const int id = line.value(u"id").toInt();
        if (id > upToId)
            break;
        head.id = id;
        applyDelta(head.sections, line.value(u"sections").toObject());
    }
    return head;
}

// Cuts off a last line that a kill left without its end; returns the id of
// the last whole one.
int TConfigHistory::repairJournal()
{
    const QString path = m_folder + QStringLiteral("/journal");
    const int fd = SharedFolderFile::open(path, O_RDWR);
    if (fd < 0)
        return 0;
    const std::optional<QByteArray> content = SharedFolderFile::readAll(fd);
    int lastId = 0;
    if (content) {
        const qsizetype end = content->lastIndexOf('\n') + 1;
        if (end < content->size() && ::ftruncate(fd, end) != 0)
            qWarning("The change history's journal keeps a cut line: %s", strerror(errno));
        const qsizetype start = content->lastIndexOf('\n', end - 2) + 1;
        lastId = QJsonDocument::fromJson(content->mid(start, end - start)).object().value(u"id").toInt();
    }
    ::close(fd);
    return lastId;
}

QList<THistoryVersion> TConfigHistory::versions() const
{
    waitForBackgroundRecords();
    QList<THistoryVersion> versions;
    for (const QJsonObject& line : journalLines(m_folder + QStringLiteral("/journal")))
        versions.append(fromJson(line));
    return versions;
}

QJsonArray TConfigHistory::toJson(const QList<THistoryGroup>& groups)
{
    QJsonArray list;
    for (const THistoryGroup& group : groups) {
        QJsonArray fields;
        for (const THistoryField& field : group.fields)
            fields.append(QJsonObject{{QStringLiteral("key"), field.key},
                                      {QStringLiteral("before"), field.before},
                                      {QStringLiteral("after"), field.after}});
        list.append(QJsonObject{{QStringLiteral("name"), group.name},
                                {QStringLiteral("change"), group.change},
                                {QStringLiteral("fields"), fields}});
    }
    return list;
}

QList<THistoryGroup> TConfigHistory::compare(const QMap<QString, QString>& before, const QMap<QString, QString>& after)
{
    QStringList names = before.keys() + after.keys();
    names.removeDuplicates();
    std::sort(names.begin(), names.end());
    QList<THistoryGroup> changes;
    for (const QString& name : std::as_const(names)) {
        const QString old = before.value(name);
        const QString now = after.value(name);
        if (old != now || before.contains(name) != after.contains(name))
            changes.append(
                changesOf(name, before.contains(name) ? old : QString(), after.contains(name) ? now : QString()));
    }
    return changes;
}

QMap<QString, QString> TConfigHistory::sectionsAt(int id) const
{
    waitForBackgroundRecords();
    const Head head = replay(id);
    QMap<QString, QString> sections;
    for (auto it = head.sections.cbegin(); it != head.sections.cend(); ++it)
        sections.insert(it.key(), loadObject(it.value()));
    return sections;
}

bool TConfigHistory::writeVersion(int id, const QString& path) const
{
    QString text;
    const QMap<QString, QString> sections = sectionsAt(id);
    for (auto it = sections.cbegin(); it != sections.cend(); ++it)
        text += u'[' + it.key() + QStringLiteral("]\n") + it.value();
    return SharedFolderFile::replace(path, text.toUtf8(), 0600);
}

// The section is read back as the program reads a group, from a file of its own.
std::unique_ptr<TZizaVureGroupItem> TConfigHistory::groupAt(int id, const QString& name) const
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("version.QVS"));
    if (!folder.isValid() || !writeVersion(id, path))
        return nullptr;
    const ConfigFile version(path);
    return version.file().hasSection(name.toUtf8()) ? version.ReadGroup(name, 0) : nullptr;
}

bool TConfigHistory::pin(int id)
{
    QList<int> pinned = pinnedIds();
    if (pinned.contains(id))
        return true;
    pinned.append(id);
    QByteArray text;
    for (const int each : std::as_const(pinned))
        text += QByteArray::number(each) + '\n';
    const FileLock lock(m_folder + QStringLiteral("/journal"), FileLock::Mode::Exclusive);
    if (SharedFolderFile::replace(m_folder + QStringLiteral("/pins"), text, FileMode))
        return true;
    fail(SharedFolderFile::reason(errno));
    return false;
}

QList<int> TConfigHistory::pinnedIds() const
{
    QList<int> ids;
    for (const QByteArray& line :
         SharedFolderFile::read(m_folder + QStringLiteral("/pins")).value_or(QByteArray()).split('\n')) {
        if (const int id = line.trimmed().toInt(); id > 0)
            ids.append(id);
    }
    return ids;
}

// The journal is written anew: each version kept records its sections as
// they differ from the version kept before it (all of them for the first),
// while what it changed stays as it was recorded.
int TConfigHistory::prune(int keepDays)
{
    m_error.clear();
    if (keepDays <= 0)
        return 0;
    const QString journal = m_folder + QStringLiteral("/journal");
    const FileLock lock(journal, FileLock::Mode::Exclusive);
    if (!lock.isHeld())
        return 0;
    repairJournal();
    const QList<QJsonObject> lines = journalLines(journal);
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addDays(-keepDays);
    const QList<int> pinned = pinnedIds();
    QByteArray kept;
    QHash<QString, QString> state;     // of the version being read
    QHash<QString, QString> keptState; // of the last version kept
    QSet<QString> needed;
    int dropped = 0;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QJsonObject line = lines[n];
        applyDelta(state, line.value(u"sections").toObject());
        const int id = line.value(u"id").toInt();
        const bool keep = n == lines.size() - 1 || pinned.contains(id) ||
                          QDateTime::fromString(line.value(u"time").toString(), Qt::ISODate) >= cutoff;
        if (!keep) {
            ++dropped;
            continue;
        }
        for (const QString& hash : std::as_const(state))
            needed.insert(hash);
        line.insert(QStringLiteral("sections"), deltaBetween(keptState, state));
        kept += QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
        keptState = state;
    }
    if (dropped == 0)
        return 0;
    if (!SharedFolderFile::replace(journal, kept, FileMode))
        return fail(SharedFolderFile::reason(errno));
    QDirIterator objects(m_folder + QStringLiteral("/objects"), QDir::Files);
    while (objects.hasNext()) {
        const QString path = objects.next();
        if (!needed.contains(QFileInfo(path).fileName()))
            QFile::remove(path);
    }
    return dropped;
}
