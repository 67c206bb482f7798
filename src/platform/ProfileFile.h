#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringConverter>

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>
#include <vector>

// A sectioned settings file: a "[name]" line opens a section, and the
// "key=value" lines after it belong to that section until the next one.
//
// Section and key names match without regard to the case of a-z and are
// trimmed of surrounding blanks, when looked up as when written; values are
// taken whole, from the character after the first "=" to the end of the line,
// trimmed of surrounding blanks. A missing file, section or key reads as the
// caller's default. The file is parsed once when it is read; lookups use that
// snapshot.
//
// Files come from both sides: a line that is valid UTF-8 reads as UTF-8, any
// other as Windows-1252 (CodePage). A UTF-8 byte-order mark is passed over and
// kept. A file that starts with a UTF-16 mark is read as UTF-16 and written
// back as UTF-16, or not at all when it would not come back byte for byte.
// New text goes into a file that holds Windows-1252 as Windows-1252 where it
// fits, else as UTF-8.
//
// Every write holds the file's lock (FileLock) while it re-reads the file,
// applies all of its keys and replaces the file in one atomic step (temporary
// file in the same folder, flushed, renamed), so a reader never sees half of a
// write, two writers never lose each other's changes, and a failed write leaves
// the file as it was. The re-read is skipped when the file is provably the one
// last read or written: the same inode, size, modification and change times,
// with those times older than the moment they were taken by more than the
// file system's clock step (a write in the same step could not be told
// apart): 100 ms for times with a fraction of a second, two seconds for whole
// seconds, which is all that some file systems keep. Lines that a write does
// not touch are kept byte for byte, and new lines take the file's own line
// ending (CRLF for a new file). A file that vanished after it was read is
// written again whole from the content last read, with the change.
//
// The file is opened and replaced by SharedFolderFile: never through another
// user's link, never anything but a regular file.
class ProfileFile
{
public:
    using KeyValues = QList<std::pair<QByteArray, QString>>;
    // Chooses the keys to write from the file as read under the lock.
    using KeysFor = std::function<KeyValues(const ProfileFile& current)>;
    // What one rewrite does to one section: writes its keys, or erases it.
    struct SectionChange
    {
        QByteArray section;
        KeyValues keys;
        bool erase = false;
    };
    using Changes = QList<SectionChange>;
    using ChangesFor = std::function<Changes(const ProfileFile& current)>;

    // Reads the file; a file that does not exist reads as empty.
    explicit ProfileFile(const QString& path);
    ProfileFile& operator=(const ProfileFile&) = delete;
    ProfileFile(ProfileFile&&) = default;
    ProfileFile& operator=(ProfileFile&&) = default;

    QString path() const { return m_path; }

    // The file as it stands, to be read in another thread while this one
    // goes on; it shares the content, and observes no writes.
    std::unique_ptr<const ProfileFile> snapshot() const;

    // Reads the file afresh. A file that vanished keeps the content last read,
    // for the next write to put back. False when the file is there but could
    // not be read; it then reads as empty.
    bool reread();
    // Why the file could not be read at the last read ("permission denied",
    // "it is a link owned by another user"); empty when it was read or is
    // missing. Every write is refused until it can be read.
    QString readError() const { return m_readError; }
    // Whether the last read gave up waiting for the file's lock (another
    // program held it past the deadline, or the wait was cancelled): worth
    // another try later.
    bool readAbandoned() const { return m_readAbandoned; }
    // Whether the file on disk is provably the one last read or written
    // (see the class comment); false means it may have changed.
    bool isUpToDate() const { return unchangedSinceLastRead(); }
    // When the file was last modified, as last read or written; 0 when unknown.
    qint64 modifiedMSecsSinceEpoch() const;
    // The file as last read or written: its device, inode, size and times;
    // empty when unknown. The same identity is the same content (unless two
    // writes fell within one second on a file system that keeps whole seconds).
    QString identity() const;
    // Called after each write through this object, still under the file's
    // lock, with the sections that it changed and the identity of the file
    // that the write replaced.
    using WriteObserver = std::function<void(const ProfileFile& file, const QList<QByteArray>& sections,
                                             const QString& replacedIdentity)>;
    void setWriteObserver(WriteObserver observer) { m_writeObserver = std::move(observer); }
    // Whether the file was gone at the last read while its content was known,
    // so that the next write (or the one under way) writes that content back.
    bool restoresVanishedFile() const { return m_vanished; }

    class SectionView;

    // One section, looked up once for many reads; a missing section reads
    // every key as missing.
    SectionView section(QByteArrayView name) const;
    bool hasSection(QByteArrayView name) const { return findSection(name) != nullptr; }
    // The number (from 1) of the line that holds the key in the section, or
    // of the section's header line without a key; 0 when there is none.
    int lineOf(QByteArrayView section, QByteArrayView key = {}) const;
    // The name of every section, as UTF-8.
    QList<QByteArrayView> sectionNames() const;

    // Every "key=value" line of the section in file order: the key, and the
    // value's bytes as the file holds them, trimmed (CodePage decodes them).
    // For readers that take most keys of a large section; a key that occurs
    // twice is given twice, and the first one is the key's value.
    void forEachKey(QByteArrayView section,
                    const std::function<void(QByteArrayView key, QByteArrayView value)>& visit) const;

    std::optional<QString> value(QByteArrayView section, QByteArrayView key) const;
    QString readString(QByteArrayView section, QByteArrayView key, const QString& defaultValue = {}) const;
    int readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const;
    bool readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const;

    // Decimal, or hexadecimal after "0x"/"0X"; blanks around the number are
    // ignored; anything else, or a number outside 32 bits, gives the default.
    static int parseInteger(QByteArrayView text, int defaultValue);

    // Writes the keys into the section in order: an existing key is replaced
    // in place, a new key goes after the last line of its section, a new
    // section goes at the end of the file. Raises EWriteError ("Unable to
    // write to <path>") when the file cannot be replaced or a name or value
    // cannot be stored on one line; nothing is written then.
    void writeKeys(QByteArrayView section, const KeyValues& keys);
    void writeKeys(QByteArrayView section, const KeysFor& keysFor);

    // Takes every permission of others (neither owner nor group) from the
    // file, for one that holds a secret. A failure is left unreported.
    void withholdFromOthers() const;

    // Removes the section's header line and every line up to the next
    // section. Raises EWriteError like writeKeys.
    void eraseSection(QByteArrayView section);

    // Applies the changes of several sections in one rewrite under one lock,
    // so that no reader and no crash ever sees some of them without the
    // others. `changesFor` chooses them from the file as read under the lock
    // and may raise to abandon the rewrite. Sections are distinct. Raises
    // EWriteError like writeKeys.
    void update(const ChangesFor& changesFor);

private:
    // Only snapshot() copies: the views into the content stay valid since
    // the copy shares it.
    ProfileFile(const ProfileFile&) = default;

    struct Line
    {
        qsizetype start = 0;
        qsizetype length = 0;    // without the line ending
        qsizetype eolLength = 0; // 0, 1 ("\n") or 2 ("\r\n")
        qsizetype end() const { return start + length + eolLength; }
    };
    struct SectionSpan
    {
        QByteArrayView name;
        qsizetype header = 0; // line index of "[name]"
        qsizetype end = 0;    // line index after the last line of the section
    };
    // A byte range that case-insensitive hashing and comparison see with
    // a-z folded; it points into m_content.
    struct FoldedName
    {
        QByteArrayView text;
        bool operator==(const FoldedName& other) const;
        friend size_t qHash(const FoldedName& name, size_t seed) { return name.hash(seed); }
        size_t hash(size_t seed) const;
    };
    struct Edit
    {
        qsizetype start = 0;
        qsizetype end = 0;
        QByteArray text;
    };

    // What the file looked like when its content was last read or written.
    struct Stamp
    {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool settled = false; // its times were old enough when taken
        bool sameFile(const Stamp& other) const;
    };
    static std::optional<Stamp> stampOf(int fd);
    static Stamp stampOf(const struct stat& status);
    bool unchangedSinceLastRead() const;

    void parse(QByteArray raw);
    bool readFromDisk();
    void readForWrite();
    void replaceContent(const std::vector<Edit>& edits);
    void addKeyEdits(QByteArrayView sectionName, const KeyValues& givenKeys, std::vector<Edit>& edits);
    void addEraseEdit(QByteArrayView sectionName, std::vector<Edit>& edits) const;
    QByteArrayView matchingName(QByteArrayView name) const;
    bool holdsWindows1252() const;
    QByteArray encoded(const QString& text, bool windows1252) const;
    const SectionSpan* findSection(QByteArrayView name) const;
    const QHash<FoldedName, qsizetype>& keysOf(const SectionSpan& section) const;
    std::optional<QByteArrayView> rawValue(const SectionSpan& section, QByteArrayView key) const;
    QByteArrayView lineText(qsizetype index) const;
    QByteArray lineEnding() const;
    [[noreturn]] void raiseWriteError() const;

    QString m_path;
    // Set for a file in UTF-16, which m_content holds as UTF-8.
    std::optional<QStringConverter::Encoding> m_utf16;
    bool m_utf16Intact = true; // its bytes come back from m_content unchanged
    bool m_existed = false;    // m_content came from the file
    bool m_vanished = false;
    QString m_readError;
    bool m_readAbandoned = false;
    WriteObserver m_writeObserver;
    std::optional<Stamp> m_stamp;
    QByteArray m_content;
    mutable std::optional<bool> m_validUtf8; // of m_content, found on first use
    qsizetype m_bodyStart = 0;               // after a UTF-8 byte-order mark
    std::vector<Line> m_lines;
    std::vector<SectionSpan> m_sections;
    QHash<FoldedName, qsizetype> m_sectionIndex;                                 // first section of each name
    mutable std::vector<std::optional<QHash<FoldedName, qsizetype>>> m_keyIndex; // per section, built on first use
    // UTF-8 of names written in Windows-1252; a move keeps the bytes where the indexes point.
    mutable std::vector<QByteArray> m_convertedNames;
};

class ProfileFile::SectionView
{
public:
    std::optional<QString> value(QByteArrayView key) const;
    QString readString(QByteArrayView key, const QString& defaultValue = {}) const;
    int readInteger(QByteArrayView key, int defaultValue) const;
    bool readBool(QByteArrayView key, bool defaultValue) const;
    // The names of the section's keys, each once (as one of its lines spells
    // it), in no particular order; none for a missing section.
    QList<QByteArrayView> keys() const;

private:
    friend class ProfileFile;
    SectionView(const ProfileFile* file, const SectionSpan* section) : m_file(file), m_section(section) {}
    std::optional<QByteArrayView> rawValue(QByteArrayView key) const;

    const ProfileFile* m_file;
    const SectionSpan* m_section; // null when the file has no such section
};
