#include "GroupEdit.h"

#include "DataLabelDup.h"
#include "platform/AsciiText.h"

#include <QCoreApplication>
#include <QSet>

namespace {

// Pair texts compare without regard to case: ST01.TEMP and st01.temp are one pair.
QString pairKey(const TStationSensorInfoItem& pair)
{
    return AsciiText::upper(pair.PairText());
}

} // namespace

TGroupEdit::TGroupEdit(TConfigSession& session) : m_session(session), m_groups(session.groups()) {}

void TGroupEdit::fill(const TZizaVureGroupItem& group)
{
    clear();
    setBase(group);
    appendPairs(group);
}

void TGroupEdit::setBase(const TZizaVureGroupItem& base)
{
    m_base.ClearStationSensors();
    m_base.AssignFrom(base);
}

void TGroupEdit::appendPairs(const TZizaVureGroupItem& group)
{
    m_pairs.reserve(m_pairs.size() + group.StationSensors.size());
    for (const auto& pair : group.StationSensors) {
        ++m_pairTexts[pairKey(*pair)];
        m_pairs.push_back(std::make_unique<TStationSensorInfoItem>(*pair));
    }
}

void TGroupEdit::clear()
{
    while (!m_pairs.empty())
        m_pairs.pop_back();
    m_pairTexts.clear();
}

bool TGroupEdit::add(const QString& station, const QString& sensor)
{
    auto pair = std::make_unique<TStationSensorInfoItem>();
    pair->StationId = station;
    pair->SensorName = sensor;
    pair->POLLDataLabel = sensor.trimmed();
    const QString key = pairKey(*pair);
    if (m_pairTexts.contains(key))
        return false;
    m_pairTexts.insert(key, 1);
    m_pairs.push_back(std::move(pair));
    return true;
}

void TGroupEdit::remove(int index)
{
    const QString key = pairKey(*m_pairs.at(std::size_t(index)));
    if (--m_pairTexts[key] <= 0)
        m_pairTexts.remove(key);
    m_pairs.erase(m_pairs.begin() + index);
}

void TGroupEdit::exchange(int first, int second)
{
    std::swap(m_pairs.at(std::size_t(first)), m_pairs.at(std::size_t(second)));
}

// Labels are trimmed as the file trims them when it is read, so that "T"
// and "T " never pass for two labels.
void TGroupEdit::setLabels(const TZizaVureGroupItem& group, int index, const QString& typedLabel,
                           const QString& typedAltLabel)
{
    const QString dataLabel = typedLabel.trimmed();
    const QString altLabel = typedAltLabel.trimmed();
    TStationSensorInfoItem& edited = *m_pairs.at(std::size_t(index));
    for (int g = 0; g < m_groups.Count(); ++g) {
        const TZizaVureGroupItem* other = m_groups.Items(g);
        const bool sameGroup = other == &group;
        for (std::size_t p = 0; p < other->StationSensors.size(); ++p) {
            if (sameGroup && int(p) == index)
                continue;
            const TStationSensorInfoItem& stored = *other->StationSensors[p];
            if (AsciiText::equalsFolded(stored.StationId, edited.StationId) &&
                AsciiText::equalsFolded(stored.POLLDataLabel, dataLabel))
                throw EDataLabelDup(dataLabel, edited.StationId);
        }
    }
    edited.POLLDataLabel = dataLabel;
    edited.POLLAltLabel = altLabel;
}

void TGroupEdit::storeInto(TZizaVureGroupItem& target, const TZizaVureGroupItem* replaced) const
{
    target.ClearStationSensors();
    QSet<QString> taken;
    for (int g = 0; g < m_groups.Count(); ++g) {
        if (m_groups.Items(g) == replaced)
            continue;
        for (const auto& stored : m_groups.Items(g)->StationSensors)
            taken.insert(stored->StationLabelKey());
    }
    for (std::size_t i = 0; i < m_pairs.size(); ++i) {
        const TStationSensorInfoItem& pair = *m_pairs[i];
        const qsizetype before = taken.size();
        taken.insert(pair.StationLabelKey());
        if (taken.size() == before)
            throw EDataLabelDup(pair.POLLDataLabel, pair.StationId, int(i));
    }
    for (const auto& pair : m_pairs)
        target.StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(*pair));
}

TGroupEdit::SaveResult TGroupEdit::save(TZizaVureGroupItem& target,
                                        const std::function<void(TZizaVureGroupItem&)>& takeFields,
                                        const TConfigSession::Resolve& resolve,
                                        const TConfigSession::AskErased& askErased)
{
    // The edits go into a copy, so that a failed save leaves the list alone.
    TZizaVureGroupItem mine;
    mine.AssignFrom(target);
    takeFields(mine);
    const bool stored = m_groups.IndexOf(&target) >= 0;
    storeInto(mine, stored ? &target : nullptr);
    SaveResult result;
    if (stored) {
        result.outcome = m_session.saveGroup(target, m_base, mine, resolve, askErased);
        if (result.outcome == TConfigSession::SaveOutcome::Saved ||
            result.outcome == TConfigSession::SaveOutcome::Merged)
            result.saved = &target;
    } else {
        result.saved = &m_session.addGroup(&mine);
    }
    if (!result.saved)
        return result;
    setBase(*result.saved);
    result.warnings = otherLabelWarnings(*result.saved);
    return result;
}

QStringList TGroupEdit::otherLabelWarnings(const TZizaVureGroupItem& saved) const
{
    QHash<QString, const TStationSensorInfoItem*> savedPairs;
    for (const auto& pair : saved.StationSensors)
        savedPairs.insert(AsciiText::upper(pair->PairText() + u'\n' + saved.FuncName), pair.get());
    QStringList warnings;
    for (int g = 0; g < m_groups.Count(); ++g) {
        const TZizaVureGroupItem& other = *m_groups.Items(g);
        if (&other == &saved)
            continue;
        for (const auto& pair : other.StationSensors) {
            const TStationSensorInfoItem* mine =
                savedPairs.value(AsciiText::upper(pair->PairText() + u'\n' + other.FuncName));
            if (mine && !AsciiText::equalsFolded(mine->POLLDataLabel, pair->POLLDataLabel))
                warnings.append(
                    QCoreApplication::translate("TGroupEdit", "Warning: %1 with %2 is labelled %3 in group %4 and %5 "
                                                              "in group %6; the label table keeps only one of them.")
                        .arg(mine->PairText(), saved.FuncName, mine->POLLDataLabel, QString::number(saved.PPGIndex),
                             pair->POLLDataLabel, QString::number(other.PPGIndex)));
        }
    }
    return warnings;
}
