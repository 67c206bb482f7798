#include "ConfigCheck.h"

#include "calc/TimeText.h"
#include "config/ConfigFile.h"
#include "config/FilterFile.h"
#include "platform/AsciiText.h"
#include "platform/SharedFolderFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>

#include <cerrno>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ConfigCheck", text);
}

// Where a pair's key stands: the entry whose "POLL" n holds the pair.
int pairLine(const ProfileFile& file, const QByteArray& section, const char* key, const QString& pairText)
{
    const int count = file.readInteger(section, "POLLNumber", 0);
    for (int n = 1; n <= count; ++n) {
        const QByteArray number = QByteArray::number(n);
        if (AsciiText::equalsFolded(file.readString(section, "POLL" + number), pairText))
            return file.lineOf(section, key + number);
    }
    return file.lineOf(section);
}

class Checker
{
public:
    Checker(const ConfigFile& config, const QString& filterFolder) : m_file(config.file()), m_folder(filterFolder) {}

    QList<TConfigProblem> run(const ConfigFile& config)
    {
        checkList(config.ListedGroupNames());
        std::vector<QByteArrayList> unreadable;
        const auto groups = config.ReadListedGroups(&unreadable);
        for (std::size_t g = 0; g < groups.size(); ++g)
            checkGroup(*groups[g], unreadable[g]);
        return m_problems;
    }

private:
    void add(int line, const QString& group, bool isError, const QString& text)
    {
        m_problems.append({line, group, isError, text});
    }

    void checkList(const QStringList& listed)
    {
        const QByteArray main = ConfigFile::MainSectionName;
        const int listLine =
            m_file.lineOf(main, "GroupNames") ? m_file.lineOf(main, "GroupNames") : m_file.lineOf(main, "Groups");
        QSet<QString> names;
        for (const QString& name : listed) {
            names.insert(AsciiText::upper(name));
            if (!m_file.hasSection(name.toUtf8()))
                add(listLine, name, true, tr("listed, but the file has no section for it"));
        }
        for (const QByteArrayView section : m_file.sectionNames()) {
            const QString name = QString::fromUtf8(section);
            const bool groupLike = name.startsWith(GroupSectionPrefix, Qt::CaseInsensitive) ||
                                   m_file.value(section, "FuncName").has_value();
            if (groupLike && !names.contains(AsciiText::upper(name)))
                add(m_file.lineOf(section), name, false, tr("a group section that the list leaves out"));
        }
    }

    void checkGroup(const TZizaVureGroupItem& group, const QByteArrayList& unreadable)
    {
        const QByteArray section = group.GroupName.toUtf8();
        for (const QByteArray& key : unreadable)
            add(m_file.lineOf(section, key), group.GroupName, true,
                tr("%1 cannot be read; the group takes its default").arg(QString::fromUtf8(key)));
        if (!IsValidTimeText(group.StartFrom, SetupTimeKeywords()))
            add(m_file.lineOf(section, "StartFrom"), group.GroupName, true,
                tr("the start text \"%1\" is one the setup editor refuses").arg(group.StartFrom));
        checkFilter(group);
        checkPairTexts(group);
        for (const auto& pair : group.StationSensors)
            checkPair(group, *pair);
    }

    void checkFilter(const TZizaVureGroupItem& group)
    {
        if (group.Filter.trimmed().isEmpty())
            return;
        const int line = m_file.lineOf(group.GroupName.toUtf8(), "Filter");
        const QString path = QDir(m_folder).absoluteFilePath(group.Filter.trimmed());
        QStringList lines;
        if (!ReadFilterLines(path, lines)) {
            const bool missing = errno == ENOENT;
            add(line, group.GroupName, !missing,
                missing ? tr("the filter file %1 is missing; every station is listed").arg(path)
                        : tr("the filter file %1 cannot be read: %2").arg(path, SharedFolderFile::reason(errno)));
            return;
        }
        const QString problem = FilterTextProblem(JoinFilterLines(lines));
        if (!problem.isEmpty())
            add(line, group.GroupName, true, tr("the filter %1 cannot be used: %2").arg(path, problem));
    }

    // "station.sensor" splits at the first "."; a station id that holds one
    // leaves a sensor name that is cut short.
    void checkPairTexts(const TZizaVureGroupItem& group)
    {
        const QByteArray section = group.GroupName.toUtf8();
        const int count = m_file.readInteger(section, "POLLNumber", 0);
        for (int n = 1; n <= count; ++n) {
            const QByteArray key = "POLL" + QByteArray::number(n);
            const QString text = m_file.readString(section, key);
            if (text.count(u'.') > 1)
                add(m_file.lineOf(section, key), group.GroupName, true,
                    tr("the pair \"%1\" has a station id holding \".\"; it reads as station \"%2\"")
                        .arg(text, text.section(u'.', 0, 0)));
        }
    }

    void checkPair(const TZizaVureGroupItem& group, const TStationSensorInfoItem& pair)
    {
        const QByteArray section = group.GroupName.toUtf8();
        const QString pairText = pair.PairText();
        if (pair.POLLDataLabel.isEmpty())
            return;
        const int line = pairLine(m_file, section, "POLLDataLabel", pairText);
        const Use use{group.GroupName, pairText};
        const auto station = m_stationLabels.constFind(pair.StationLabelKey());
        if (station != m_stationLabels.cend()) {
            add(line, group.GroupName, true,
                tr("the data label \"%1\" of %2 is also the label of %3 in %4; a label names one result per "
                   "station")
                    .arg(pair.POLLDataLabel, pairText, station->pair, station->group));
            return;
        }
        m_stationLabels.insert(pair.StationLabelKey(), use);
        const QString label = AsciiText::upper(pair.POLLDataLabel);
        const auto other = m_labels.constFind(label);
        if (other == m_labels.cend())
            m_labels.insert(label, use);
        else if (other->group != group.GroupName)
            add(line, group.GroupName, false,
                tr("the data label \"%1\" is also given to %2 in %3")
                    .arg(pair.POLLDataLabel, other->pair, other->group));
    }

    struct Use
    {
        QString group;
        QString pair;
    };

    const ProfileFile& m_file;
    QString m_folder;
    QList<TConfigProblem> m_problems;
    QHash<QString, Use> m_stationLabels; // by StationLabelKey
    QHash<QString, Use> m_labels;        // first use of each label, upper-cased
};

} // namespace

namespace ConfigCheck {

QList<TConfigProblem> check(const ConfigFile& config, const QString& filterFolder)
{
    return Checker(config, filterFolder).run(config);
}

} // namespace ConfigCheck
