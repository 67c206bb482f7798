#pragma once

#include "DataDef.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// A field, or a pair's labels, that both this window and another writer
// changed since the window loaded the group, each to its own value. The
// operator chooses which value the saved group takes.
struct TMergeConflict
{
    QString field; // the configuration key, or the pair text for labels
    QString mine;
    QString theirs;
    bool takeTheirs = false;
};

// Merges two versions of one group against the version both started from
// (three-way): a field that only one side changed takes that side's value.
// Pairs are matched by station.sensor in any letter case: a pair added on
// either side stays, a pair removed on either side goes, labels changed on
// one side win. Where both sides changed the same field or the same pair's
// labels to different values, there is a conflict, which takes this
// window's value unless the operator chooses the other.
class TGroupMerge
{
public:
    // The three groups must outlive the merge.
    TGroupMerge(const TZizaVureGroupItem& base, const TZizaVureGroupItem& mine, const TZizaVureGroupItem& theirs);

    QList<TMergeConflict>& conflicts() { return m_conflicts; }
    const QList<TMergeConflict>& conflicts() const { return m_conflicts; }

    // The merged group, named and numbered as `mine`, with the conflicts'
    // choices applied.
    std::unique_ptr<TZizaVureGroupItem> result() const;

private:
    enum Source { Mine, Theirs, Conflict };
    struct FieldChoice
    {
        int field; // into the merge's table of fields
        Source source;
        int conflict = -1;
    };
    struct PairChoice
    {
        const TStationSensorInfoItem* mine;
        const TStationSensorInfoItem* theirs;
        Source source;
        int conflict = -1;
    };

    Source choose(const QString& base, const QString& mine, const QString& theirs, const QString& field, int& conflict);
    void mergeFields();
    void mergePairs();
    bool takesTheirs(Source source, int conflict) const;

    const TZizaVureGroupItem& m_base;
    const TZizaVureGroupItem& m_mine;
    const TZizaVureGroupItem& m_theirs;
    std::vector<FieldChoice> m_fields;
    std::vector<PairChoice> m_pairs;
    QList<TMergeConflict> m_conflicts;
};
