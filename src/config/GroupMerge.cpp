#include "GroupMerge.h"

#include "ConfigFile.h"
#include "platform/AsciiText.h"
#include "platform/FormatSettings.h"

#include <QHash>

#include <array>

namespace {

using Copy = void (*)(TZizaVureGroupItem& to, const TZizaVureGroupItem& from);

template <auto Member>
void copyField(TZizaVureGroupItem& to, const TZizaVureGroupItem& from)
{
    to.*Member = from.*Member;
}

// The fields that merge, each with the section keys that store it; the
// group's name, number and pair count are not merged.
struct MergedField
{
    const char* name;
    std::array<const char*, 2> keys;
    Copy copy;
};

const std::array<MergedField, 13> Fields = {{
    {"FuncName", {"FuncName"}, copyField<&TZizaVureGroupItem::FuncName>},
    {"Enabled", {"Enabled"}, copyField<&TZizaVureGroupItem::Enabled>},
    {"BaseTime", {"BaseTime"}, copyField<&TZizaVureGroupItem::BaseTime>},
    {"ProcTime", {"ProcTime"}, copyField<&TZizaVureGroupItem::ProcTime>},
    {"TypeInterval", {"TypeInterval"}, copyField<&TZizaVureGroupItem::TypeInterval>},
    {"Interval", {"IntervalDays", "Interval"}, copyField<&TZizaVureGroupItem::Interval>},
    {"StartFrom", {"StartFrom"}, copyField<&TZizaVureGroupItem::StartFrom>},
    {"Description", {"Description"}, copyField<&TZizaVureGroupItem::Description>},
    {"Purpose", {"Purpose"}, copyField<&TZizaVureGroupItem::Purpose>},
    {"DataType", {"DataType"}, copyField<&TZizaVureGroupItem::DataType>},
    {"Parameter", {"Parameter"}, copyField<&TZizaVureGroupItem::Parameter>},
    {"Filter", {"Filter"}, copyField<&TZizaVureGroupItem::Filter>},
    {"TimeBound", {"TimeBound"}, copyField<&TZizaVureGroupItem::TimeBound>},
}};

// The fields as the file would hold them, so that a value counts as changed
// only when its stored text changed.
std::array<QString, Fields.size()> fieldTexts(const TZizaVureGroupItem& group)
{
    QHash<QByteArray, QString> byKey;
    for (const auto& [key, value] : ConfigFile::GroupFieldKeys(group))
        byKey.insert(key, value);
    std::array<QString, Fields.size()> texts;
    for (std::size_t f = 0; f < Fields.size(); ++f) {
        QStringList parts;
        for (const char* key : Fields[f].keys) {
            if (key)
                parts.append(byKey.value(key));
        }
        texts[f] = parts.join(u' ');
    }
    return texts;
}

QString pairKey(const TStationSensorInfoItem& pair)
{
    return AsciiText::upper(pair.PairText());
}

// What a merge compares of a pair: its labels and when it was last updated.
QString pairText(const TStationSensorInfoItem* pair)
{
    if (!pair)
        return {};
    return pair->POLLDataLabel + u'\t' + pair->POLLAltLabel + u'\t' +
           FormatSettings::files().formatDateTime(pair->POLLUpdate);
}

QString labelsText(const TStationSensorInfoItem& pair)
{
    return pair.POLLAltLabel.isEmpty() ? pair.POLLDataLabel
                                       : pair.POLLDataLabel + QStringLiteral(" / ") + pair.POLLAltLabel;
}

QHash<QString, const TStationSensorInfoItem*> pairsByKey(const TZizaVureGroupItem& group)
{
    QHash<QString, const TStationSensorInfoItem*> pairs;
    for (const auto& pair : group.StationSensors)
        pairs.insert(pairKey(*pair), pair.get());
    return pairs;
}

} // namespace

TGroupMerge::TGroupMerge(const TZizaVureGroupItem& base, const TZizaVureGroupItem& mine,
                         const TZizaVureGroupItem& theirs)
    : m_base(base), m_mine(mine), m_theirs(theirs)
{
    mergeFields();
    mergePairs();
}

TGroupMerge::Source TGroupMerge::choose(const QString& base, const QString& mine, const QString& theirs,
                                        const QString& field, int& conflict)
{
    if (mine == theirs || theirs == base)
        return Mine;
    if (mine == base)
        return Theirs;
    conflict = int(m_conflicts.size());
    m_conflicts.append({field, mine, theirs, false});
    return Conflict;
}

void TGroupMerge::mergeFields()
{
    const auto base = fieldTexts(m_base);
    const auto mine = fieldTexts(m_mine);
    const auto theirs = fieldTexts(m_theirs);
    for (std::size_t f = 0; f < Fields.size(); ++f) {
        int conflict = -1;
        const Source source = choose(base[f], mine[f], theirs[f], QString::fromLatin1(Fields[f].name), conflict);
        m_fields.push_back({int(f), source, conflict});
    }
}

// Mine's pairs in mine's order, then the pairs that only the other writer
// added, in its order.
void TGroupMerge::mergePairs()
{
    const QHash<QString, const TStationSensorInfoItem*> base = pairsByKey(m_base);
    const QHash<QString, const TStationSensorInfoItem*> theirs = pairsByKey(m_theirs);
    const QHash<QString, const TStationSensorInfoItem*> mine = pairsByKey(m_mine);
    for (const auto& pair : m_mine.StationSensors) {
        const QString key = pairKey(*pair);
        const TStationSensorInfoItem* before = base.value(key);
        const TStationSensorInfoItem* other = theirs.value(key);
        if (before && !other)
            continue; // removed by the other writer
        if (!other) {
            m_pairs.push_back({pair.get(), nullptr, Mine});
            continue;
        }
        // Labels that both sides changed differently are a conflict; a pair
        // whose labels agree keeps this window's update time.
        const QString baseText = pairText(before);
        const QString mineText = pairText(pair.get());
        const QString theirText = pairText(other);
        int conflict = -1;
        Source source = Mine;
        if (mineText != theirText && theirText != baseText) {
            if (mineText == baseText)
                source = Theirs;
            else if (labelsText(*pair) != labelsText(*other))
                source = choose(before ? labelsText(*before) : QString(), labelsText(*pair), labelsText(*other),
                                pair->PairText(), conflict);
        }
        m_pairs.push_back({pair.get(), other, source, conflict});
    }
    for (const auto& pair : m_theirs.StationSensors) {
        const QString key = pairKey(*pair);
        if (!base.contains(key) && !mine.contains(key))
            m_pairs.push_back({nullptr, pair.get(), Theirs});
    }
}

bool TGroupMerge::takesTheirs(Source source, int conflict) const
{
    return source == Theirs || (source == Conflict && m_conflicts[conflict].takeTheirs);
}

std::unique_ptr<TZizaVureGroupItem> TGroupMerge::result() const
{
    auto merged = std::make_unique<TZizaVureGroupItem>();
    merged->AssignFrom(m_mine);
    merged->ClearStationSensors();
    for (const FieldChoice& choice : m_fields) {
        if (takesTheirs(choice.source, choice.conflict))
            Fields[std::size_t(choice.field)].copy(*merged, m_theirs);
    }
    for (const PairChoice& choice : m_pairs) {
        const TStationSensorInfoItem& taken =
            takesTheirs(choice.source, choice.conflict) ? *choice.theirs : *choice.mine;
        merged->StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(taken));
    }
    return merged;
}
