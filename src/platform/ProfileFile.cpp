#include "ProfileFile.h"

#include "CodePage.h"
#include "Exception.h"
#include "FileLock.h"
#include "SharedFolderFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char foldByte(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// The name inside "[name]", or nothing when the line is not a section header.
std::optional<QByteArrayView> sectionHeaderName(QByteArrayView line)
{
    const QByteArrayView text = trimmedBlanks(line);
    if (text.isEmpty() || text.front() != '[')
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    return trimmedBlanks(text.sliced(1, (close < 0 ? text.size() : close) - 1));
}

// The key of a "key=value" line; comment lines (";") and lines without "="
// carry no key.
std::optional<QByteArrayView> keyName(QByteArrayView line)
{
    const QByteArrayView text = trimmedBlanks(line);
    if (text.isEmpty() || text.front() == ';')
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return trimmedBlanks(text.first(equals));
}

// The line break to put after the file's last line when it has none. A bare
// CR at its end must stay part of its text: with a plain LF after it, the two
// would read as one CR LF line ending.
QByteArray breakAfterLastLine(QByteArrayView lastLine, const QByteArray& eol)
{
    return lastLine.endsWith('\r') ? QByteArrayLiteral("\r\n") : eol;
}

bool fitsOnOneLine(QByteArrayView text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

bool isStorableName(QByteArrayView name, char forbidden)
{
    return fitsOnOneLine(name) && !name.contains(forbidden);
}

const QByteArray Utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// The UTF-16 form of a file that starts with a UTF-16 mark.
std::optional<QStringConverter::Encoding> utf16FormOf(QByteArrayView raw)
{
    if (raw.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (raw.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QByteArray utf16ToUtf8(QByteArrayView raw, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding); // passes over the mark
    return QString(decoder(raw)).toUtf8();
}

QByteArray utf8ToUtf16(const QByteArray& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(QString::fromUtf8(text));
}

// Times with a fraction of a second come from a file system that keeps
// them finer than this; once that much older, no later write can share them.
constexpr qint64 SettledFineNs = 100'000'000;
// Longer than the clock step of any file system (whole seconds on some NFS
// servers and ext4 with small inodes, two on FAT).
constexpr qint64 SettledCoarseNs = 2'000'000'000;

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whole seconds are all a coarse clock gives: a file whose times have no
// fraction may be on such a file system, where a write within the same
// second or two would leave the same times.
bool settledAt(const timespec& now, const timespec& modified, const timespec& changed)
{
    const qint64 age = nanoseconds(now) - qMax(nanoseconds(modified), nanoseconds(changed));
    const bool fine = modified.tv_nsec != 0 && changed.tv_nsec != 0;
    return age > (fine ? SettledFineNs : SettledCoarseNs);
}

} // namespace

bool ProfileFile::Stamp::sameFile(const Stamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && sameTime(modified, other.modified) &&
           sameTime(changed, other.changed);
}

std::optional<ProfileFile::Stamp> ProfileFile::stampOf(int fd)
{
    struct stat status;
    if (fstat(fd, &status) != 0)
        return std::nullopt;
    return stampOf(status);
}

ProfileFile::Stamp ProfileFile::stampOf(const struct stat& status)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    Stamp stamp;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modified = status.st_mtim;
    stamp.changed = status.st_ctim;
    stamp.settled = settledAt(now, stamp.modified, stamp.changed);
    return stamp;
}

bool ProfileFile::unchangedSinceLastRead() const
{
    if (!m_stamp || !m_stamp->settled)
        return false;
    const int fd = SharedFolderFile::open(m_path, O_RDONLY);
    if (fd < 0)
        return false;
    const std::optional<Stamp> now = stampOf(fd);
    ::close(fd);
    return now && now->sameFile(*m_stamp);
}

qint64 ProfileFile::modifiedMSecsSinceEpoch() const
{
    return m_stamp ? nanoseconds(m_stamp->modified) / 1'000'000 : 0;
}

bool ProfileFile::FoldedName::operator==(const FoldedName& other) const
{
    if (text.size() != other.text.size())
        return false;
    // Names are mostly spelt alike; the byte compare settles those at once.
    if (memcmp(text.data(), other.text.data(), size_t(text.size())) == 0)
        return true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (foldByte(text[i]) != foldByte(other.text[i]))
            return false;
    }
    return true;
}

size_t ProfileFile::FoldedName::hash(size_t seed) const
{
    // FNV-1a over the folded bytes, mixed with the seed.
    size_t hash = 1469598103934665603ULL ^ seed;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(foldByte(c));
        hash *= 1099511628211ULL;
    }
    return hash;
}

ProfileFile::ProfileFile(const QString& path) : m_path(path)
{
    reread();
}

std::unique_ptr<const ProfileFile> ProfileFile::snapshot() const
{
    std::unique_ptr<ProfileFile> copy(new ProfileFile(*this));
    copy->m_writeObserver = nullptr;
    return copy;
}

bool ProfileFile::reread()
{
    const FileLock lock(m_path, FileLock::Mode::Shared);
    m_readAbandoned = lock.wasAbandoned();
    if (!m_readAbandoned && readFromDisk())
        return true;
    if (m_readAbandoned)
        m_readError = lock.abandonReason();
    parse({});
    return false;
}

void ProfileFile::parse(QByteArray raw)
{
    m_utf16 = utf16FormOf(raw);
    if (m_utf16) {
        m_content = utf16ToUtf8(raw, *m_utf16);
        m_utf16Intact = utf8ToUtf16(m_content, *m_utf16) == raw;
    } else {
        m_content = std::move(raw);
    }
    m_bodyStart = m_content.startsWith(Utf8Mark) ? Utf8Mark.size() : 0;
    m_validUtf8.reset();
    m_lines.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    m_keyIndex.clear();
    m_convertedNames.clear();

    const char* data = m_content.constData();
    const qsizetype size = m_content.size();
    // Settings lines run to some 25 bytes; growing the table as it fills
    // would copy it a dozen times over for a large file.
    m_lines.reserve(size_t(size / 24 + 1));
    qsizetype start = m_bodyStart;
    while (start < size) {
        const void* found = memchr(data + start, '\n', size_t(size - start));
        Line line;
        line.start = start;
        if (found) {
            const qsizetype newline = static_cast<const char*>(found) - data;
            const bool crlf = newline > start && data[newline - 1] == '\r';
            line.length = newline - start - (crlf ? 1 : 0);
            line.eolLength = crlf ? 2 : 1;
        } else {
            line.length = size - start;
        }
        start = line.end();

        // Only lines that open with "[" need the closer look.
        const QByteArrayView text(data + line.start, line.length);
        const qsizetype first = std::find_if_not(text.begin(), text.end(), isBlank) - text.begin();
        if (first < text.size() && text[first] == '[') {
            if (!m_sections.empty())
                m_sections.back().end = qsizetype(m_lines.size());
            SectionSpan section;
            section.name = matchingName(*sectionHeaderName(text));
            section.header = qsizetype(m_lines.size());
            m_sections.push_back(section);
        }
        m_lines.push_back(line);
    }
    if (!m_sections.empty())
        m_sections.back().end = qsizetype(m_lines.size());

    // The first section of a name wins, as it does for keys.
    for (qsizetype i = qsizetype(m_sections.size()) - 1; i >= 0; --i)
        m_sectionIndex.insert(FoldedName{m_sections[size_t(i)].name}, i);
    m_keyIndex.resize(m_sections.size());
}

// Names match as UTF-8; one written in Windows-1252 is converted once and
// kept, so that the indexes can point at it.
QByteArrayView ProfileFile::matchingName(QByteArrayView name) const
{
    if (name.isValidUtf8())
        return name;
    m_convertedNames.push_back(CodePage::decode(name).toUtf8());
    return m_convertedNames.back();
}

QByteArrayView ProfileFile::lineText(qsizetype index) const
{
    const Line& line = m_lines[size_t(index)];
    return QByteArrayView(m_content.constData() + line.start, line.length);
}

const ProfileFile::SectionSpan* ProfileFile::findSection(QByteArrayView name) const
{
    const auto it = m_sectionIndex.constFind(FoldedName{trimmedBlanks(name)});
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[size_t(it.value())];
}

const QHash<ProfileFile::FoldedName, qsizetype>& ProfileFile::keysOf(const SectionSpan& section) const
{
    std::optional<QHash<FoldedName, qsizetype>>& keys = m_keyIndex[size_t(&section - m_sections.data())];
    if (!keys) {
        keys.emplace();
        keys->reserve(section.end - section.header);
        // Backwards, so that the first line of a key is the one that stays.
        for (qsizetype i = section.end - 1; i > section.header; --i) {
            if (const std::optional<QByteArrayView> key = keyName(lineText(i)))
                keys->insert(FoldedName{matchingName(*key)}, i);
        }
    }
    return *keys;
}

std::optional<QByteArrayView> ProfileFile::rawValue(const SectionSpan& section, QByteArrayView key) const
{
    const QHash<FoldedName, qsizetype>& keys = keysOf(section);
    const auto it = keys.constFind(FoldedName{trimmedBlanks(key)});
    if (it == keys.cend())
        return std::nullopt;
    const QByteArrayView line = lineText(it.value());
    return trimmedBlanks(line.sliced(line.indexOf('=') + 1));
}

ProfileFile::SectionView ProfileFile::section(QByteArrayView name) const
{
    return SectionView(this, findSection(name));
}

QList<QByteArrayView> ProfileFile::sectionNames() const
{
    QList<QByteArrayView> names;
    names.reserve(qsizetype(m_sections.size()));
    for (const SectionSpan& section : m_sections)
        names.append(section.name);
    return names;
}

void ProfileFile::forEachKey(QByteArrayView sectionName,
                             const std::function<void(QByteArrayView key, QByteArrayView value)>& visit) const
{
    const SectionSpan* section = findSection(sectionName);
    if (!section)
        return;
    for (qsizetype i = section->header + 1; i < section->end; ++i) {
        const QByteArrayView line = lineText(i);
        if (const std::optional<QByteArrayView> key = keyName(line))
            visit(matchingName(*key), trimmedBlanks(line.sliced(line.indexOf('=') + 1)));
    }
}

std::optional<QString> ProfileFile::value(QByteArrayView section, QByteArrayView key) const
{
    return this->section(section).value(key);
}

QString ProfileFile::readString(QByteArrayView section, QByteArrayView key, const QString& defaultValue) const
{
    return this->section(section).readString(key, defaultValue);
}

int ProfileFile::readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    return this->section(section).readInteger(key, defaultValue);
}

bool ProfileFile::readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const
{
    return this->section(section).readBool(key, defaultValue);
}

std::optional<QByteArrayView> ProfileFile::SectionView::rawValue(QByteArrayView key) const
{
    return m_section ? m_file->rawValue(*m_section, key) : std::nullopt;
}

std::optional<QString> ProfileFile::SectionView::value(QByteArrayView key) const
{
    const std::optional<QByteArrayView> raw = rawValue(key);
    if (!raw)
        return std::nullopt;
    return CodePage::decode(*raw);
}

QString ProfileFile::SectionView::readString(QByteArrayView key, const QString& defaultValue) const
{
    return value(key).value_or(defaultValue);
}

int ProfileFile::SectionView::readInteger(QByteArrayView key, int defaultValue) const
{
    const std::optional<QByteArrayView> raw = rawValue(key);
    return raw ? parseInteger(*raw, defaultValue) : defaultValue;
}

bool ProfileFile::SectionView::readBool(QByteArrayView key, bool defaultValue) const
{
    return readInteger(key, defaultValue ? 1 : 0) != 0;
}

QList<QByteArrayView> ProfileFile::SectionView::keys() const
{
    QList<QByteArrayView> names;
    if (!m_section)
        return names;
    const QHash<FoldedName, qsizetype>& index = m_file->keysOf(*m_section);
    names.reserve(index.size());
    for (auto it = index.cbegin(); it != index.cend(); ++it)
        names.append(it.key().text);
    return names;
}

int ProfileFile::parseInteger(QByteArrayView text, int defaultValue)
{
    const QByteArrayView trimmed = trimmedBlanks(text);
    bool ok = false;
    if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
        const QByteArrayView digits = trimmed.sliced(2);
        // Eight hex digits fill 32 bits; 0xFFFFFFFF is -1 as a signed integer.
        const bool allHex = std::all_of(digits.begin(), digits.end(), [](char c) { return isxdigit(uchar(c)); });
        const qulonglong value = digits.toULongLong(&ok, 16);
        return (ok && allHex && value <= 0xFFFFFFFFULL) ? int(quint32(value)) : defaultValue;
    }
    const int value = trimmed.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

QByteArray ProfileFile::lineEnding() const
{
    for (const Line& line : m_lines) {
        if (line.eolLength == 1)
            return QByteArrayLiteral("\n");
        if (line.eolLength == 2)
            break;
    }
    return QByteArrayLiteral("\r\n");
}

void ProfileFile::raiseWriteError() const
{
    throw EWriteError(QStringLiteral("Unable to write to %1").arg(m_path));
}

// Returns false when the file exists but cannot be read, with the reason in
// m_readError.
bool ProfileFile::readFromDisk()
{
    const int fd = SharedFolderFile::open(m_path, O_RDONLY);
    m_stamp.reset();
    m_readError.clear();
    if (fd < 0 && errno == ENOENT) {
        m_vanished = m_existed;
        if (!m_vanished)
            parse({});
        return true;
    }
    m_vanished = false;
    // Taken before the bytes: a write while they are read changes the times.
    const std::optional<Stamp> stamp = fd < 0 ? std::nullopt : stampOf(fd);
    std::optional<QByteArray> content = fd < 0 ? std::nullopt : SharedFolderFile::readAll(fd);
    m_readError = content ? QString() : SharedFolderFile::reason(errno);
    if (fd >= 0)
        ::close(fd);
    if (!content)
        return false;
    m_stamp = stamp;
    // The same bytes need no new parse (a file in UTF-16 is held converted).
    const bool same = m_existed && !m_utf16 && *content == m_content;
    m_existed = true;
    if (!same)
        parse(std::move(*content));
    return true;
}

// A file that exists but cannot be read must not be replaced by what little
// a write would put into it, and another user's link or anything but a
// regular file in the file's place is never written.
void ProfileFile::readForWrite()
{
    if (unchangedSinceLastRead())
        return;
    if (!readFromDisk())
        throw EWriteError(QStringLiteral("Unable to write to %1: %2").arg(m_path, m_readError));
}

// Only a file without a mark can hold Windows-1252: a mark says UTF-8 or UTF-16.
bool ProfileFile::holdsWindows1252() const
{
    if (m_utf16 || m_bodyStart != 0)
        return false;
    if (!m_validUtf8)
        m_validUtf8 = QByteArrayView(m_content).isValidUtf8();
    return !*m_validUtf8;
}

QByteArray ProfileFile::encoded(const QString& text, bool windows1252) const
{
    return windows1252 ? CodePage::encodePreferring1252(text) : text.toUtf8();
}

int ProfileFile::lineOf(QByteArrayView sectionName, QByteArrayView key) const
{
    const SectionSpan* section = findSection(sectionName);
    if (!section)
        return 0;
    if (key.isEmpty())
        return int(section->header) + 1;
    const QHash<FoldedName, qsizetype>& keys = keysOf(*section);
    const auto it = keys.constFind(FoldedName{key});
    return it == keys.cend() ? 0 : int(it.value()) + 1;
}

void ProfileFile::writeKeys(QByteArrayView sectionName, const KeyValues& keys)
{
    writeKeys(sectionName, [&keys](const ProfileFile&) { return keys; });
}

void ProfileFile::writeKeys(QByteArrayView sectionName, const KeysFor& keysFor)
{
    const QByteArray name = sectionName.toByteArray();
    update([&](const ProfileFile& current) { return Changes{{name, keysFor(current), false}}; });
}

void ProfileFile::eraseSection(QByteArrayView sectionName)
{
    const QByteArray name = sectionName.toByteArray();
    update([&](const ProfileFile&) { return Changes{{name, {}, true}}; });
}

void ProfileFile::withholdFromOthers() const
{
    const int fd = SharedFolderFile::open(m_path, O_RDONLY);
    if (fd < 0)
        return;
    struct stat status;
    if (::fstat(fd, &status) == 0)
        ::fchmod(fd, status.st_mode & 07770);
    ::close(fd);
}

void ProfileFile::update(const ChangesFor& changesFor)
{
    const FileLock lock(m_path, FileLock::Mode::Exclusive);
    if (lock.wasAbandoned())
        throw EWriteError(
            QStringLiteral("Unable to write to %1: %2. Nothing was written.").arg(m_path, lock.abandonReason()));
    if (!lock.isHeld())
        raiseWriteError();
    readForWrite();
    const Changes changes = changesFor(*this);
    std::vector<Edit> edits;
    for (const SectionChange& change : changes) {
        if (change.erase)
            addEraseEdit(change.section, edits);
        else
            addKeyEdits(change.section, change.keys, edits);
    }
    if (edits.empty())
        return;
    const QString replaced = identity();
    replaceContent(edits);
    if (m_writeObserver) {
        QList<QByteArray> sections;
        for (const SectionChange& change : changes)
            sections.append(change.section);
        m_writeObserver(*this, sections, replaced);
    }
}

QString ProfileFile::identity() const
{
    if (!m_stamp)
        return {};
    const Stamp& stamp = *m_stamp;
    return QStringLiteral("%1:%2:%3:%4.%5:%6.%7")
        .arg(stamp.device)
        .arg(stamp.inode)
        .arg(stamp.size)
        .arg(stamp.modified.tv_sec)
        .arg(stamp.modified.tv_nsec)
        .arg(stamp.changed.tv_sec)
        .arg(stamp.changed.tv_nsec);
}

void ProfileFile::addKeyEdits(QByteArrayView rawSectionName, const KeyValues& givenKeys, std::vector<Edit>& edits)
{
    KeyValues keys = givenKeys;
    const QByteArrayView sectionName = trimmedBlanks(rawSectionName);
    if (!isStorableName(sectionName, ']'))
        raiseWriteError();
    for (auto& [key, value] : keys) {
        key = trimmedBlanks(key).toByteArray();
        if (key.isEmpty() || !isStorableName(key, '=') || key.startsWith(';') || key.startsWith('[') ||
            value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(u'\0')))
            raiseWriteError();
    }
    const bool windows1252 = holdsWindows1252();

    const QByteArray eol = lineEnding();
    const SectionSpan* section = findSection(sectionName);
    if (!section) {
        // Sections of one rewrite that are new to the file follow each other
        // at its end; only the first may need a line break before it.
        const bool firstAppend = std::none_of(edits.begin(), edits.end(),
                                              [this](const Edit& edit) { return edit.start == m_content.size(); });
        Edit append{m_content.size(), m_content.size(), {}};
        if (firstAppend && !m_lines.empty() && m_lines.back().eolLength == 0)
            append.text += breakAfterLastLine(lineText(qsizetype(m_lines.size()) - 1), eol);
        append.text += '[' + encoded(QString::fromUtf8(sectionName), windows1252) + ']' + eol;
        for (const auto& [key, value] : keys)
            append.text += key + '=' + encoded(value, windows1252) + eol;
        edits.push_back(std::move(append));
        return;
    }
    // New keys go after the last line of the section that is not blank,
    // so that blank lines before the next section stay where they are.
    qsizetype last = section->end - 1;
    while (last > section->header && trimmedBlanks(lineText(last)).isEmpty())
        --last;
    const Line& anchor = m_lines[size_t(last)];
    const QByteArray lead = anchor.eolLength == 0 ? breakAfterLastLine(lineText(last), eol) : QByteArray();
    Edit insertion{anchor.end(), anchor.end(), lead};

    const QHash<FoldedName, qsizetype>& existing = keysOf(*section);
    for (const auto& [key, value] : keys) {
        const auto it = existing.constFind(FoldedName{key});
        if (it == existing.cend()) {
            insertion.text += key + '=' + encoded(value, windows1252) + eol;
            continue;
        }
        // Keep the key as the file spells it; replace what follows "=".
        const QByteArrayView line = lineText(it.value());
        const qsizetype valueStart = m_lines[size_t(it.value())].start + line.indexOf('=') + 1;
        edits.push_back({valueStart, m_lines[size_t(it.value())].start + line.size(), encoded(value, windows1252)});
    }
    if (insertion.text.size() > lead.size())
        edits.push_back(std::move(insertion));
}

void ProfileFile::addEraseEdit(QByteArrayView sectionName, std::vector<Edit>& edits) const
{
    const SectionSpan* section = findSection(sectionName);
    if (!section)
        return;
    const qsizetype start = m_lines[size_t(section->header)].start;
    const qsizetype end =
        section->end < qsizetype(m_lines.size()) ? m_lines[size_t(section->end)].start : m_content.size();
    edits.push_back({start, end, {}});
}

void ProfileFile::replaceContent(const std::vector<Edit>& edits)
{
    std::vector<const Edit*> ordered;
    ordered.reserve(edits.size());
    for (const Edit& edit : edits)
        ordered.push_back(&edit);
    // Stable: sections appended at the end keep their order.
    std::stable_sort(ordered.begin(), ordered.end(), [](const Edit* a, const Edit* b) { return a->start < b->start; });

    // Edits begin and end at line ends or after "=", so valid UTF-8 stays
    // valid when every inserted text is.
    const bool staysUtf8 = m_validUtf8.value_or(false) && std::all_of(edits.begin(), edits.end(), [](const Edit& edit) {
                               return QByteArrayView(edit.text).isValidUtf8();
                           });
    QByteArray content;
    qsizetype grow = 0;
    for (const Edit* edit : ordered)
        grow += edit->text.size() - (edit->end - edit->start);
    content.reserve(m_content.size() + qMax<qsizetype>(grow, 0));
    qsizetype copied = 0;
    for (const Edit* edit : ordered) {
        content.append(m_content.constData() + copied, edit->start - copied);
        content.append(edit->text);
        copied = edit->end;
    }
    content.append(m_content.constData() + copied, m_content.size() - copied);
    if (m_utf16) {
        if (!m_utf16Intact)
            throw EWriteError(QStringLiteral("Unable to write to %1: its UTF-16 text would not be written back as it "
                                             "was")
                                  .arg(m_path));
        content = utf8ToUtf16(content, *m_utf16);
    }

    // A new file is for its owner and the operators' group alone, whatever
    // the umask: it may come to hold the stored password.
    struct stat written;
    if (!SharedFolderFile::replace(m_path, content, mode_t(0660), &written))
        raiseWriteError();
    m_existed = true;
    parse(std::move(content));
    if (staysUtf8 && !m_utf16)
        m_validUtf8 = true;
    m_stamp = stampOf(written);
}
