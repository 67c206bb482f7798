#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// A sectioned settings file: a "[name]" line opens a section, and the
// "key=value" lines after it belong to that section until the next one.
//
// Section and key names match without regard to the case of a-z and are
// trimmed of surrounding blanks; values are taken verbatim, whole, from the
// character after the first "=" to the end of the line. A missing file,
// section or key reads as the caller's default. The file is parsed once when
// it is read; lookups use that snapshot.
//
// Every write re-reads the file, applies all of its keys and replaces the file
// in one atomic step (temporary file in the same folder, flushed, renamed), so
// a reader never sees half of a write and a failed write leaves the file as it
// was. Lines that a write does not touch are kept byte for byte, and new lines
// take the file's own line ending (CRLF for a new file).
class ProfileFile
{
public:
    using KeyValues = QList<std::pair<QByteArray, QString>>;

    // Reads the file; a file that does not exist reads as empty.
    explicit ProfileFile(const QString& path);
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;
    ProfileFile(ProfileFile&&) = default;
    ProfileFile& operator=(ProfileFile&&) = default;

    QString path() const { return m_path; }

    class SectionView;

    // One section, looked up once for many reads; a missing section reads
    // every key as missing.
    SectionView section(QByteArrayView name) const;

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

    // Removes the section's header line and every line up to the next
    // section. Raises EWriteError like writeKeys.
    void eraseSection(QByteArrayView section);

private:
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

    void parse(QByteArray content);
    void readFromDisk();
    void replaceContent(const std::vector<Edit>& edits);
    const SectionSpan* findSection(QByteArrayView name) const;
    const QHash<FoldedName, qsizetype>& keysOf(const SectionSpan& section) const;
    std::optional<QByteArrayView> rawValue(const SectionSpan& section, QByteArrayView key) const;
    QByteArrayView lineText(qsizetype index) const;
    QByteArray lineEnding() const;
    [[noreturn]] void raiseWriteError() const;

    QString m_path;
    QByteArray m_content;
    std::vector<Line> m_lines;
    std::vector<SectionSpan> m_sections;
    QHash<FoldedName, qsizetype> m_sectionIndex;                                 // first section of each name
    mutable std::vector<std::optional<QHash<FoldedName, qsizetype>>> m_keyIndex; // per section, built on first use
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
