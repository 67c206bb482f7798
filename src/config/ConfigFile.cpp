#include "ConfigFile.h"

#include "AsciiText.h"
#include "DateTimeValue.h"
#include "Exception.h"
#include "FormatSettings.h"
#include "ProgramFolder.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

const QByteArray MainSection = QByteArrayLiteral("DeraDivurir");
const QByteArray DatabaseSection = QByteArrayLiteral("Database Settings");

// "ST01.AIRTEMP" is station ST01, sensor AIRTEMP; a text without "." names
// both; what follows a second "." is not part of the sensor.
void splitPairText(const QString& text, TStationSensorInfoItem& entry)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0) {
        entry.StationId = text;
        entry.SensorName = text;
        return;
    }
    entry.StationId = text.left(dot);
    const QString rest = text.mid(dot + 1);
    entry.SensorName = rest.left(rest.indexOf(u'.') < 0 ? rest.size() : rest.indexOf(u'.'));
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

// Two group names name one section when they match as section names do:
// without surrounding blanks, a-z folded.
QString sectionKey(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && (name[begin] == u' ' || name[begin] == u'\t'))
        ++begin;
    while (end > begin && (name[end - 1] == u' ' || name[end - 1] == u'\t'))
        --end;
    return AsciiText::upper(name.mid(begin, end - begin));
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

// The numbers n from 1 to `count` that have a "POLL" n key in the section,
// in order: the only entries the section can hold. Looking up every number up
// to the count instead would take minutes for the count of a damaged file.
std::vector<int> entryNumbers(const ProfileFile::SectionView& section, int count)
{
    std::vector<int> numbers;
    for (const QByteArrayView key : section.keys()) {
        // Keys are looked up as NumberedKey spells them: no leading zero.
        if (key.size() <= 4 || key.size() > 14 || key[4] == '0' || qstrnicmp(key.data(), "POLL", 4) != 0)
            continue;
        const QByteArrayView digits = key.sliced(4);
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const qint64 n = digits.toLongLong();
        if (n <= count)
            numbers.push_back(int(n));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

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

// A time or date: a missing key is 0, and so is a value that cannot be read,
// whose key is noted so that the operator learns of it.
double readFileValue(const ProfileFile::SectionView& section, QByteArrayView key, Parser parse,
                     QByteArrayList& unreadable)
{
    const std::optional<QString> text = section.value(key);
    if (!text)
        return 0.0;
    const std::optional<double> value = parseFileValue(parse, *text);
    if (!value)
        unreadable.append(key.toByteArray());
    return value.value_or(0.0);
}

} // namespace

QString ConfigFile::defaultPath()
{
    return ProgramFolder::filePath(QStringLiteral("QVZizaVure.QVS"));
}

ConfigFile::ConfigFile(const QString& path) : m_file(path) {}

QByteArrayList ConfigFile::readGroupSection(TZizaVureGroupItem& group, bool readIndex, int position) const
{
    QByteArrayList unreadable;
    const ProfileFile::SectionView section = m_file.section(group.GroupName.toUtf8());
    if (readIndex) {
        const int index = section.readInteger("PPGIndex", -1);
        group.PPGIndex = index == -1 ? position + 1 : index;
    }
    group.FuncName = section.readString("FuncName");
    group.Enabled = section.readBool("Enabled", false);
    group.BaseTime = readFileValue(section, "BaseTime", &FormatSettings::parseTime, unreadable);
    group.ProcTime = readFileValue(section, "ProcTime", &FormatSettings::parseTime, unreadable);
    group.TypeInterval = quint8(section.readInteger("TypeInterval", 3));
    group.Interval = qMax(0, section.readInteger("IntervalDays", 0)) +
                     readFileValue(section, "Interval", &FormatSettings::parseTime, unreadable);
    group.StartFrom = section.readString("StartFrom", QStringLiteral("NOW"));
    group.Description = section.readString("Description");
    group.Purpose = section.readString("Purpose");
    group.DataType = quint8(section.readInteger("DataType", 0));
    group.Parameter = section.readString("Parameter");
    group.Filter = section.readString("Filter");
    const int timeBound = section.readInteger("TimeBound", 0);
    group.TimeBound = (timeBound >= 0 && timeBound <= 2) ? timeBound : 0;

    for (const int n : entryNumbers(section, section.readInteger("POLLNumber", 0))) {
        const QString pair = section.readString(NumberedKey("POLL", n));
        if (pair.isEmpty())
            continue;
        auto entry = std::make_unique<TStationSensorInfoItem>();
        splitPairText(pair, *entry);
        entry->POLLUpdate =
            readFileValue(section, NumberedKey("POLLUpdate", n), &FormatSettings::parseDateTime, unreadable);
        entry->POLLDataLabel = section.readString(NumberedKey("POLLDataLabel", n));
        entry->POLLAltLabel = section.readString(NumberedKey("POLLAltLabel", n));
        group.StationSensors.push_back(std::move(entry));
    }
    return unreadable;
}

std::unique_ptr<TZizaVureGroups> ConfigFile::LoadConfiguration(TLogSettings& settings, const StatusSink& addStatusLine)
{
    m_file = ProfileFile(m_file.path());
    m_erased.clear();
    m_keptAdded.clear();
    auto groups = std::make_unique<TZizaVureGroups>();
    settings.LogMessage = m_file.readBool(MainSection, "LogMessage", false);
    settings.LogDetail = m_file.readInteger(MainSection, "LogDetail", 1);
    bool named = false;
    const QStringList names = listedGroupNames(m_file, &named);
    for (int p = 0; p < names.size(); ++p) {
        auto group = std::make_unique<TZizaVureGroupItem>();
        group->GroupName = names[p];
        if (!named)
            group->PPGIndex = p + 1;
        const QByteArrayList unreadable = readGroupSection(*group, named, p);
        for (const QByteArray& key : unreadable)
            report(addStatusLine, QStringLiteral("Group %1: %2 cannot be read and takes its default until the group "
                                                 "is saved.")
                                      .arg(group->GroupName, QString::fromUtf8(key)));
        groups->AddGroup(std::move(group));
    }
    report(addStatusLine, QStringLiteral("Startup parameters loaded."));
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
                known.insert(sectionKey(groups.Items(i)->GroupName));
            }
            added.clear();
            for (const QString& name : listedGroupNames(current)) {
                if (!known.contains(sectionKey(name)))
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
        report(m_status, QStringLiteral("Groups that another program added to %1 stay in its group list: %2.")
                             .arg(path(), added.join(QStringLiteral(", "))));
    m_keptAdded = added;
    return true;
}

void ConfigFile::SaveGroupSection(const TZizaVureGroupItem& group)
{
    const FormatSettings& format = FormatSettings::files();
    ProfileFile::KeyValues keys = {
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
    keys.reserve(keys.size() + 4 * qsizetype(group.StationSensors.size()));
    int n = 0;
    for (const auto& entry : group.StationSensors) {
        ++n;
        keys.append({NumberedKey("POLL", n).toByteArray(), entry->PairText()});
        keys.append({NumberedKey("POLLUpdate", n).toByteArray(), format.formatDateTime(entry->POLLUpdate)});
        keys.append({NumberedKey("POLLDataLabel", n).toByteArray(), entry->POLLDataLabel});
        keys.append({NumberedKey("POLLAltLabel", n).toByteArray(), entry->POLLAltLabel});
    }
    m_file.writeKeys(group.GroupName.toUtf8(), keys);
    reportRestoredFile();
}

void ConfigFile::EraseGroupSection(const QString& groupName)
{
    m_file.eraseSection(groupName.toUtf8());
    m_erased.insert(sectionKey(groupName));
    reportRestoredFile();
}

int ConfigFile::NewGroupNumber(const TZizaVureGroups& groups) const
{
    QSet<int> taken;
    QSet<QString> names;
    for (int i = 0; i < groups.Count(); ++i) {
        taken.insert(groups.Items(i)->PPGIndex);
        names.insert(sectionKey(groups.Items(i)->GroupName));
    }
    const ProfileFile current(path());
    for (const QByteArrayView name : current.sectionNames())
        names.insert(sectionKey(QString::fromUtf8(name)));
    for (int number = 1; number <= MaxGroupNumber; ++number) {
        if (names.contains(sectionKey(GroupSectionName(number))))
            taken.insert(number);
    }
    return LowestFreeGroupNumber(taken);
}

void ConfigFile::setStatusSink(const StatusSink& addStatusLine)
{
    m_status = addStatusLine;
}

void ConfigFile::reportRestoredFile()
{
    if (m_file.restoresVanishedFile())
        report(m_status,
               QStringLiteral("%1 had vanished; it was written again whole from the program's memory.").arg(path()));
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
    if (!settings.ProtectedPassword.isEmpty()) {
        const QFileDevice::Permissions others =
            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QFile::setPermissions(m_file.path(), QFile::permissions(m_file.path()) & ~others);
    }
    return true;
}

void ConfigFile::Reopen()
{
    m_file.reread();
}
