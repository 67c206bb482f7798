#pragma once

#include "config/ConfigSession.h"
#include "config/DataDef.h"

#include <QHash>
#include <QStringList>

#include <functional>

// Editing one group's pairs and saving the group, without a window: the pair
// list (copies of the group's pairs, each station.sensor once whatever its
// letter case), the rule that a data label names one result per station
// across all groups, and the save that writes the group's section. The setup
// editor shows and drives it, and registers the saved group's data labels.
class TGroupEdit
{
public:
    // The session is not owned.
    explicit TGroupEdit(TConfigSession& session);

    // The pair list, in list order.
    const TStationSensorList& pairs() const { return m_pairs; }
    // Replaces the list by copies of the group's pairs, and takes the group
    // as the base that a save merges against.
    void fill(const TZizaVureGroupItem& group);
    void clear();
    // The group that a save merges against, and a new one for edits that
    // were loaded from elsewhere (a recovery file).
    const TZizaVureGroupItem& base() const { return m_base; }
    void setBase(const TZizaVureGroupItem& base);
    // Appends copies of the group's pairs, as edits of the list.
    void appendPairs(const TZizaVureGroupItem& group);
    // Appends station.sensor, labelled with the sensor's name, unless the
    // list holds it already in any letter case; false when not added.
    bool add(const QString& station, const QString& sensor);
    void remove(int index);
    void exchange(int first, int second);

    // Gives the list's pair at `index` new labels, trimmed of surrounding
    // blanks as the file trims them. Raises EDataLabelDup, and
    // changes nothing, when another pair of the same station already carries
    // the data label: any pair of another group, or a stored pair of `group`
    // other than the one at `index`.
    void setLabels(const TZizaVureGroupItem& group, int index, const QString& dataLabel, const QString& altLabel);

    // Discards the target's pairs and gives it a copy of each pair of the
    // list. Raises EDataLabelDup, naming the list's first pair whose data
    // label a pair of another group (other than `replaced`, the stored group
    // that the target will replace) or an earlier pair of the list carries
    // for the same station; the target is then left without pairs.
    void storeInto(TZizaVureGroupItem& target, const TZizaVureGroupItem* replaced = nullptr) const;

    struct SaveResult
    {
        TConfigSession::SaveOutcome outcome = TConfigSession::SaveOutcome::Saved;
        TZizaVureGroupItem* saved = nullptr; // the list's group as written, or null
        QStringList warnings;                // status lines, see otherLabelWarnings
    };
    // Saves the edits of `target`, a group of the list, or a new group when
    // it is not in the list: `takeFields` gives a copy of it the edited
    // fields, storeInto the pairs, then the session writes it (merging
    // another writer's changes, asking through `resolve` and `askErased`).
    // Raises what `takeFields`, storeInto or
    // the write raise; the list is then as it was.
    SaveResult save(TZizaVureGroupItem& target, const std::function<void(TZizaVureGroupItem&)>& takeFields,
                    const TConfigSession::Resolve& resolve, const TConfigSession::AskErased& askErased);

    // The label table keeps one label per station, sensor and function, so a
    // pair that another group calculates with the same function under
    // another label overwrites that group's row, or is overwritten by it:
    // one warning for each such pair.
    QStringList otherLabelWarnings(const TZizaVureGroupItem& saved) const;

private:
    TConfigSession& m_session;
    TZizaVureGroups& m_groups;
    TZizaVureGroupItem m_base; // the group as filled, for the merge
    TStationSensorList m_pairs;
    QHash<QString, int> m_pairTexts; // upper-cased pair text -> number of entries
};
