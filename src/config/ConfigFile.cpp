#include "ConfigFile.h"

#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/DateTimeValue.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

const QByteArray& MainSection = ConfigFile::MainSectionName;
const QByteArray DatabaseSection = QByteArrayLiteral("Database Settings");

// The file trims the blanks around a value, so a save cannot keep blanks at
// the end of the sensor name.
QByteArrayView withoutTrailingBlanks(QByteArrayView text)
{
    while (text.endsWith(' ') || text.endsWith('\t'))
        text.chop(1);
    return text;
}

// "ST01.AIRTEMP" is station ST01, sensor AIRTEMP; a text without "." names
// both; what follows a second "." is not part of the sensor, nor are the
// blanks before it, which would be lost at the next save.
// The text is split as the file holds it, so that its two parts are decoded
// without decoding the whole first.
void splitPairText(QByteArrayView text, TStationSensorInfoItem& entry)
{
    const bool utf8 = text.isValidUtf8();
    const qsizetype dot = text.indexOf('.');
    if (dot < 0) {
        entry.StationId = CodePage::decodePart(text, utf8);
        entry.SensorName = entry.StationId;
        return;
    }
    entry.StationId = CodePage::decodePart(text.first(dot), utf8);
    const QByteArrayView rest = text.sliced(dot + 1);
    const qsizetype second = rest.indexOf('.');
    entry.SensorName = CodePage::decodePart(second < 0 ? rest : withoutTrailingBlanks(rest.first(second)), utf8);
}

// Names are separated by "," and taken verbatim; a trailing "," adds none.
QStringList splitGroupNames(const QString& text)
{
    QStringList names = text.split(u',');
    if (text.endsWith(u','))
        names.removeLast();
    return names;
}

// The group names that the main section lists: those of "GroupNames", or when
// it is empty the "Groups" numbered sections. `named` tells which.
QStringList listedGroupNames(const ProfileFile& file, bool* named = nullptr)
{
    const QString groupNames = file.readString(MainSection, "GroupNames");
    if (named)
        *named = !groupNames.isEmpty();
    if (!groupNames.isEmpty())
        return splitGroupNames(groupNames);
    // Counted groups are numbered as new groups are, from 1 to MaxGroupNumber;
    // only a damaged file counts more, and would fill the memory with empty groups.
    QStringList names;
    const int count = qMin(file.readInteger(MainSection, "Groups", 0), MaxGroupNumber);
    for (int n = 1; n <= count; ++n)
        names.append(GroupSectionName(n));
    return names;
}

// The name of an entry's key, such as "POLLUpdate12", built without
// allocating: the loader looks up four of them for every entry.
class NumberedKey
{
public:
    NumberedKey(const char* key, int n)
    {
        const size_t keyLength = qMin(strlen(key), sizeof m_text - 12);
        memcpy(m_text, key, keyLength);
        char digits[12];
        int count = 0;
        for (unsigned value = unsigned(n); count == 0 || value > 0; value /= 10)
            digits[count++] = char('0' + value % 10);
        m_size = int(keyLength);
        while (count > 0)
            m_text[m_size++] = digits[--count];
    }
    operator QByteArrayView() const { return QByteArrayView(m_text, m_size); }
    QByteArray toByteArray() const { return QByteArray(m_text, m_size); }

private:
    char m_text[32];
    int m_size = 0;
};

void report(const ConfigFile::StatusSink& addStatusLine, const QString& line)
{
    if (addStatusLine)
        addStatusLine(line);
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

using Parser = std::optional<double> (FormatSettings::*)(QStringView) const;

// A value that does not read in the configured form may still be in the form
// that the file has always held.
std::optional<double> parseFileValue(Parser parse, QStringView text)
{
    const std::optional<double> value = (FormatSettings::files().*parse)(text);
    return value ? value : (FormatSettings::fileDefault().*parse)(text);
}

// The keys of a group section, taken in one pass over its lines (a section
// of a large site holds thousands): the group's fields by name, and the
// entries' keys by number. As for any lookup, names match with a-z folded
// and the first line of a key counts.
class GroupSection
{
public:
    enum Field {
        PPGIndex,
        FuncName,
        Enabled,
        BaseTime,
        ProcTime,
        TypeInterval,
        IntervalDays,
        Interval,
        StartFrom,
        Description,
        Purpose,
        DataType,
        Parameter,
        Filter,
        TimeBound,
        POLLNumber,
        FieldCount
    };
    enum EntryKey { Pair, Update, DataLabel, AltLabel, EntryKeyCount };

    struct Entry
    {
        int number = 0;
        std::array<std::optional<QByteArrayView>, EntryKeyCount> keys;
    };

    GroupSection(const ProfileFile& file, const QString& name)
    {
        file.forEachKey(name.toUtf8(), [this](QByteArrayView key, QByteArrayView value) { take(key, value); });
    }

    std::optional<QByteArrayView> field(Field field) const { return m_fields[field]; }

    // The entries numbered 1 to `count` that have a "POLL" n key, by number.
    std::vector<Entry> entries(int count)
    {
        std::stable_sort(m_entryKeys.begin(), m_entryKeys.end(),
                         [](const EntryLine& a, const EntryLine& b) { return a.number < b.number; });
        std::vector<Entry> entries;
        for (const EntryLine& line : m_entryKeys) {
            if (line.number > count)
                break;
            if (entries.empty() || entries.back().number != line.number)
                entries.push_back({int(line.number), {}});
            std::optional<QByteArrayView>& slot = entries.back().keys[line.key];
            if (!slot)
                slot = line.value;
        }
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.keys[Pair]; }),
                      entries.end());
        return entries;
    }

private:
    struct EntryLine
    {
        qint64 number;
        EntryKey key;
        QByteArrayView value;
    };

    static constexpr std::array<const char*, FieldCount> FieldNames = {
        "PPGIndex",  "FuncName",    "Enabled", "BaseTime", "ProcTime",  "TypeInterval", "IntervalDays", "Interval",
        "StartFrom", "Description", "Purpose", "DataType", "Parameter", "Filter",       "TimeBound",    "POLLNumber"};
    static constexpr std::array<const char*, EntryKeyCount> EntryKeyNames = {"POLL", "POLLUpdate", "POLLDataLabel",
                                                                             "POLLAltLabel"};

    static bool startsWithFolded(QByteArrayView text, const char* prefix, qsizetype length)
    {
        return text.size() >= length && qstrnicmp(text.data(), prefix, size_t(length)) == 0;
    }

    void take(QByteArrayView key, QByteArrayView value)
    {
        if (takeEntryKey(key, value))
            return;
        for (int field = 0; field < FieldCount; ++field) {
            const qsizetype length = qsizetype(strlen(FieldNames[field]));
            if (key.size() == length && startsWithFolded(key, FieldNames[field], length)) {
                if (!m_fields[field])
                    m_fields[field] = value;
                return;
            }
        }
    }

    // A key such as "POLLDataLabel12"; numbers are spelt without a leading
    // zero, as the writer spells them. The letter after "POLL" tells the kind.
    bool takeEntryKey(QByteArrayView key, QByteArrayView value)
    {
        if (!startsWithFolded(key, "POLL", 4) || key.size() < 5)
            return false;
        EntryKey kind = Pair;
        switch (key[4]) {
        case 'U':
        case 'u':
            kind = Update;
            break;
        case 'D':
        case 'd':
            kind = DataLabel;
            break;
        case 'A':
        case 'a':
            kind = AltLabel;
            break;
        default:
            break;
        }
        const qsizetype length = qsizetype(strlen(EntryKeyNames[kind]));
        if (!startsWithFolded(key, EntryKeyNames[kind], length))
            return false;
        const QByteArrayView digits = key.sliced(length);
        if (digits.isEmpty() || digits.size() > 10 || digits[0] == '0')
            return false;
        qint64 number = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return false;
            number = number * 10 + (c - '0');
        }
        m_entryKeys.push_back({number, kind, value});
        return true;
    }

    std::array<std::optional<QByteArrayView>, FieldCount> m_fields;
    std::vector<EntryLine> m_entryKeys;
};

QString readString(std::optional<QByteArrayView> raw, const QString& defaultValue = {})
{
    return raw ? CodePage::decode(*raw) : defaultValue;
}

int readInteger(std::optional<QByteArrayView> raw, int defaultValue)
{
    return raw ? ProfileFile::parseInteger(*raw, defaultValue) : defaultValue;
}

// A time or date: a missing key is 0, and so is a value that cannot be read,
// whose key is noted so that the operator learns of it.
double readFileValue(std::optional<QByteArrayView> raw, QByteArrayView key, Parser parse, QByteArrayList& unreadable)
{
    if (!raw)
        return 0.0;
    // A large site holds hundreds of thousands of these; the usual short
    // ASCII text is parsed from a buffer on the stack.
    QVarLengthArray<char16_t, 64> units;
    const bool ascii = std::all_of(raw->begin(), raw->end(), [](char c) { return uchar(c) < 0x80; });
    const QString decoded = ascii ? QString() : CodePage::decode(*raw);
    if (ascii) {
        for (const char c : *raw)
            units.append(char16_t(c));
    }
    const QStringView text = ascii ? QStringView(units.constData(), units.size()) : QStringView(decoded);
    const std::optional<double> value = parseFileValue(parse, text);
    if (!value)
        unreadable.append(key.toByteArray());
    return value.value_or(0.0);
}

// The lowest number that is not taken and whose section name is neither
// among `names` (as section keys) nor a section of the file.
int freeGroupNumber(const ProfileFile& file, QSet<int> taken, QSet<QString> names)
{
    for (const QByteArrayView name : file.sectionNames())
        names.insert(ConfigFile::SectionKey(QString::fromUtf8(name)));
    for (int number = 1; number <= MaxGroupNumber; ++number) {
        if (names.contains(ConfigFile::SectionKey(GroupSectionName(number))))
            taken.insert(number);
    }
    return LowestFreeGroupNumber(taken);
}

} // namespace

const QByteArray ConfigFile::MainSectionName = QByteArrayLiteral("DeraDivurir");

// As section names match: without surrounding blanks, a-z folded.
QString ConfigFile::SectionKey(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && (name[begin] == u' ' || name[begin] == u'\t'))
        ++begin;
    while (end > begin && (name[end - 1] == u' ' || name[end - 1] == u'\t'))
        --end;
    return AsciiText::upper(name.mid(begin, end - begin));
}

QString ConfigFile::defaultPath()
{
    return ProgramFolder::filePath(QStringLiteral("QVZizaVure.QVS"));
}

ConfigFile::ConfigFile(const QString& path)
    : m_file(path), m_history(path), m_programName(QCoreApplication::applicationName())
{
    recordWrites();
    // A group's section is recorded as the group reads, defaults included.
    m_history.setSectionReader(
        [](const ProfileFile& file, QByteArrayView section) -> std::optional<ProfileFile::KeyValues> {
            const QString name = QString::fromUtf8(section);
            if (!name.startsWith(GroupSectionPrefix, Qt::CaseInsensitive))
                return std::nullopt;
            TZizaVureGroupItem group;
            group.GroupName = name;
            readGroupSection(file, group, true, 0);
            return GroupSectionKeys(group);
        });
}

ConfigFile::~ConfigFile()
{
    if (m_recordsInBackground)
        TConfigHistory::waitForBackgroundRecords();
    *m_alive = false;
}

void ConfigFile::recordWrites()
{
    m_file.setWriteObserver(
        [this](const ProfileFile& file, const QList<QByteArray>& sections, const QString& replacedIdentity) {
            if (!m_keepsHistory)
                return;
            const TConfigHistory::Source source{
                m_programName, m_restoredFrom > 0 ? QStringLiteral("restore") : QStringLiteral("save"), m_restoredFrom};
            if (m_recordsInBackground)
                m_history.recordInBackground(file, source, sections, replacedIdentity,
                                             [alive = m_alive, status = m_status](const QString& error) {
                                                 if (*alive)
                                                     report(status, error);
                                             });
            else if (m_history.record(file, source, sections, replacedIdentity) < 0)
                report(m_status, m_history.error());
        });
}

void ConfigFile::RecordExternalChanges()
{
    if (m_keepsHistory && m_file.readError().isEmpty() && m_history.recordExternal(m_file) < 0)
        report(m_status, m_history.error());
}

QByteArrayList ConfigFile::readGroupSection(const ProfileFile& file, TZizaVureGroupItem& group, bool readIndex,
                                            int position, int* pairCount)
{
    using G = GroupSection;
    QByteArrayList unreadable;
    G section(file, group.GroupName);
    if (readIndex) {
        const int index = readInteger(section.field(G::PPGIndex), -1);
        group.PPGIndex = index == -1 ? position + 1 : index;
    }
    group.FuncName = readString(section.field(G::FuncName));
    group.Enabled = readInteger(section.field(G::Enabled), 0) != 0;
    group.BaseTime = readFileValue(section.field(G::BaseTime), "BaseTime", &FormatSettings::parseTime, unreadable);
    group.ProcTime = readFileValue(section.field(G::ProcTime), "ProcTime", &FormatSettings::parseTime, unreadable);
    group.TypeInterval = quint8(readInteger(section.field(G::TypeInterval), 3));
    group.Interval = qMax(0, readInteger(section.field(G::IntervalDays), 0)) +
                     readFileValue(section.field(G::Interval), "Interval", &FormatSettings::parseTime, unreadable);
    group.StartFrom = readString(section.field(G::StartFrom), QStringLiteral("NOW"));
    group.Description = readString(section.field(G::Description));
    group.Purpose = readString(section.field(G::Purpose));
    group.DataType = quint8(readInteger(section.field(G::DataType), 0));
    group.Parameter = readString(section.field(G::Parameter));
    group.Filter = readString(section.field(G::Filter));
    const int timeBound = readInteger(section.field(G::TimeBound), 0);
    group.TimeBound = (timeBound >= 0 && timeBound <= 2) ? timeBound : 0;

    for (const G::Entry& line : section.entries(readInteger(section.field(G::POLLNumber), 0))) {
        const QByteArrayView pair = *line.keys[G::Pair];
        if (pair.isEmpty())
            continue;
        if (pairCount) {
            ++*pairCount;
            continue;
        }
        auto entry = std::make_unique<TStationSensorInfoItem>();
        splitPairText(pair, *entry);
        entry->POLLUpdate = readFileValue(line.keys[G::Update], NumberedKey("POLLUpdate", line.number),
                                          &FormatSettings::parseDateTime, unreadable);
        entry->POLLDataLabel = readString(line.keys[G::DataLabel]);
        entry->POLLAltLabel = readString(line.keys[G::AltLabel]);
        group.StationSensors.push_back(std::move(entry));
    }
    return unreadable;
}

std::unique_ptr<TZizaVureGroups> ConfigFile::LoadConfiguration(TLogSettings& settings, const StatusSink& addStatusLine)
{
    // A file provably the one just read (as by the constructor) is not read
    // and parsed again: on a large configuration that is half of the load.
    if (!m_file.isUpToDate() || m_file.restoresVanishedFile()) {
        m_file = ProfileFile(m_file.path());
        recordWrites();
    }
    m_erased.clear();
    m_keptAdded.clear();
    auto groups = std::make_unique<TZizaVureGroups>();
    settings.LogMessage = m_file.readBool(MainSection, "LogMessage", false);
    settings.LogDetail = m_file.readInteger(MainSection, "LogDetail", DetailMedium);
    std::vector<QByteArrayList> unreadable;
    std::vector<std::unique_ptr<TZizaVureGroupItem>> listed = ReadListedGroups(&unreadable);
    for (std::size_t p = 0; p < listed.size(); ++p) {
        for (const QByteArray& key : unreadable[p])
            report(addStatusLine, QCoreApplication::translate("ConfigFile", "Group %1: %2 cannot be read and takes its "
                                                                            "default until the group is saved.")
                                      .arg(listed[p]->GroupName, QString::fromUtf8(key)));
        groups->AddGroup(std::move(listed[p]));
    }
    if (!readError().isEmpty())
        report(addStatusLine,
               QCoreApplication::translate("ConfigFile", "%1 cannot be read: %2. Nothing will be written "
                                                         "to it until it can be read.")
                   .arg(path(), readError()));
    else
        report(addStatusLine, QCoreApplication::translate("ConfigFile", "Startup parameters loaded."));
    if (m_keepsHistory && readError().isEmpty() &&
        (m_history.recordExternal(m_file) < 0 || m_history.prune(m_file.readInteger("History", "KeepDays", 0)) < 0))
        report(addStatusLine, m_history.error());
    return groups;
}

// Under the file's lock, so that a group that another program lists at this
// moment is kept: every group of the file's list stays unless it is one of
// ours or one that this program erased.
bool ConfigFile::SaveZizaVureessSection(const TLogSettings& settings, const TZizaVureGroups& groups)
{
    QStringList added;
    try {
        m_file.writeKeys(MainSection, [&](const ProfileFile& current) {
            QStringList names;
            QSet<QString> known = m_erased;
            for (int i = 0; i < groups.Count(); ++i) {
                names.append(groups.Items(i)->GroupName);
                known.insert(ConfigFile::SectionKey(groups.Items(i)->GroupName));
            }
            added.clear();
            for (const QString& name : listedGroupNames(current)) {
                if (!known.contains(ConfigFile::SectionKey(name)))
                    added.append(name);
            }
            names += added;
            return ProfileFile::KeyValues{{"LogMessage", flag(settings.LogMessage)},
                                          {"LogDetail", QString::number(settings.LogDetail)},
                                          {"Groups", QString::number(names.size())},
                                          {"GroupNames", names.join(u',')}};
        });
    } catch (const EWriteError& error) {
        m_writeError = error.message();
        return false;
    }
    reportRestoredFile();
    if (!added.isEmpty() && added != m_keptAdded)
        report(m_status, QCoreApplication::translate(
                             "ConfigFile", "Groups that another program added to %1 stay in its group list: %2.")
                             .arg(path(), added.join(QStringLiteral(", "))));
    m_keptAdded = added;
    return true;
}

ProfileFile::KeyValues ConfigFile::GroupFieldKeys(const TZizaVureGroupItem& group)
{
    const FormatSettings& format = FormatSettings::files();
    return {
        {"PPGIndex", QString::number(group.PPGIndex)},
        {"FuncName", group.FuncName},
        {"Enabled", flag(group.Enabled)},
        {"BaseTime", format.formatTime(group.BaseTime)},
        {"ProcTime", format.formatTime(group.ProcTime)},
        {"TypeInterval", QString::number(group.TypeInterval)},
        {"Interval", format.formatTime(group.Interval)},
        {"IntervalDays", QString::number(qint64(DateTimeValue::wholeDays(group.Interval)))},
        {"StartFrom", group.StartFrom},
        {"Description", group.Description},
        {"Purpose", group.Purpose},
        {"DataType", QString::number(group.DataType)},
        {"Parameter", group.Parameter},
        {"Filter", group.Filter},
        {"TimeBound", QString::number(group.TimeBound)},
        {"POLLNumber", QString::number(group.StationSensors.size())},
    };
}

ProfileFile::KeyValues ConfigFile::GroupSectionKeys(const TZizaVureGroupItem& group)
{
    const FormatSettings& format = FormatSettings::files();
    ProfileFile::KeyValues keys = GroupFieldKeys(group);
    keys.reserve(keys.size() + 4 * qsizetype(group.StationSensors.size()));
    int n = 0;
    for (const auto& entry : group.StationSensors) {
        ++n;
        keys.append({NumberedKey("POLL", n).toByteArray(), entry->PairText()});
        keys.append({NumberedKey("POLLUpdate", n).toByteArray(), format.formatDateTime(entry->POLLUpdate)});
        keys.append({NumberedKey("POLLDataLabel", n).toByteArray(), entry->POLLDataLabel});
        keys.append({NumberedKey("POLLAltLabel", n).toByteArray(), entry->POLLAltLabel});
    }
    return keys;
}

void ConfigFile::SaveGroupSection(const TZizaVureGroupItem& group)
{
    m_file.writeKeys(group.GroupName.toUtf8(), GroupSectionKeys(group));
    reportRestoredFile();
}

std::unique_ptr<TZizaVureGroupItem> ConfigFile::ReadGroup(const QString& name, int position,
                                                          QByteArrayList* unreadable) const
{
    bool named = false;
    listedGroupNames(m_file, &named);
    return readListedGroup(name, position, named, unreadable);
}

std::vector<std::unique_ptr<TZizaVureGroupItem>>
ConfigFile::ReadListedGroups(std::vector<QByteArrayList>* unreadable) const
{
    bool named = false;
    const QStringList names = listedGroupNames(m_file, &named);
    std::vector<std::unique_ptr<TZizaVureGroupItem>> groups;
    groups.reserve(std::size_t(names.size()));
    for (int p = 0; p < names.size(); ++p) {
        QByteArrayList keys;
        groups.push_back(readListedGroup(names[p], p, named, &keys));
        if (unreadable)
            unreadable->push_back(keys);
    }
    return groups;
}

std::vector<ConfigFile::TGroupSummary> ConfigFile::ReadGroupSummaries() const
{
    bool named = false;
    const QStringList names = listedGroupNames(m_file, &named);
    std::vector<TGroupSummary> summaries(std::size_t(names.size()));
    for (int p = 0; p < names.size(); ++p) {
        TGroupSummary& summary = summaries[std::size_t(p)];
        summary.group = std::make_unique<TZizaVureGroupItem>();
        summary.group->GroupName = names[p];
        if (!named)
            summary.group->PPGIndex = p + 1;
        readGroupSection(m_file, *summary.group, named, p, &summary.pairCount);
    }
    return summaries;
}

std::unique_ptr<TZizaVureGroupItem> ConfigFile::readListedGroup(const QString& name, int position, bool named,
                                                                QByteArrayList* unreadable) const
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->GroupName = name;
    if (!named)
        group->PPGIndex = position + 1;
    const QByteArrayList keys = readGroupSection(m_file, *group, named, position);
    if (unreadable)
        *unreadable = keys;
    return group;
}

QStringList ConfigFile::ListedGroupNames() const
{
    return listedGroupNames(m_file);
}

int ConfigFile::FreeGroupNumber() const
{
    // A listed group shows the number of its PPGIndex, or of its position.
    QSet<int> taken;
    QSet<QString> names;
    const QStringList listed = listedGroupNames(m_file);
    for (int p = 0; p < listed.size(); ++p) {
        names.insert(SectionKey(listed[p]));
        taken.insert(m_file.readInteger(listed[p].toUtf8(), "PPGIndex", p + 1));
    }
    return freeGroupNumber(m_file, taken, names);
}

ProfileFile::KeyValues ConfigFile::GroupListKeys(const QStringList& names)
{
    return {{"Groups", QString::number(names.size())}, {"GroupNames", names.join(u',')}};
}

void ConfigFile::EraseGroupSection(const QString& groupName)
{
    m_file.eraseSection(groupName.toUtf8());
    m_erased.insert(ConfigFile::SectionKey(groupName));
    reportRestoredFile();
}

int ConfigFile::NewGroupNumber(const TZizaVureGroups& groups) const
{
    QSet<int> taken;
    QSet<QString> names;
    for (int i = 0; i < groups.Count(); ++i) {
        taken.insert(groups.Items(i)->PPGIndex);
        names.insert(SectionKey(groups.Items(i)->GroupName));
    }
    return freeGroupNumber(ProfileFile(path()), taken, names);
}

void ConfigFile::setStatusSink(const StatusSink& addStatusLine)
{
    m_status = addStatusLine;
}

void ConfigFile::reportRestoredFile()
{
    if (m_file.restoresVanishedFile())
        report(m_status, QCoreApplication::translate(
                             "ConfigFile", "%1 had vanished; it was written again whole from the program's memory.")
                             .arg(path()));
}

TDatabaseSettings ConfigFile::ReadDatabaseSettings() const
{
    const ProfileFile::SectionView section = m_file.section(DatabaseSection);
    return {section.readString("ODBC Data Source"), section.readString("ODBC Username"),
            section.readString("ODBC Password")};
}

bool ConfigFile::WriteDatabaseSettings(const TDatabaseSettings& settings)
{
    try {
        m_file.writeKeys(DatabaseSection, {{"ODBC Data Source", settings.DataSource},
                                           {"ODBC Username", settings.UserName},
                                           {"ODBC Password", settings.ProtectedPassword}});
    } catch (const EWriteError& error) {
        m_writeError = error.message();
        return false;
    }
    reportRestoredFile();
    // The protection of a stored password is no secret: the file must not be
    // readable by everybody once it holds one.
    if (!settings.ProtectedPassword.isEmpty())
        m_file.withholdFromOthers();
    return true;
}

bool ConfigFile::Reopen()
{
    return m_file.reread();
}
