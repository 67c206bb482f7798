#pragma once

#include "config/DataDef.h"

#include <QString>

#include <functional>
#include <vector>

class TDbCancel;
class TDbDatabase;

// Keeps the table QV_PPLIST in step with the groups: one row per station,
// sensor and function (the key) holding the entry's data label, all four
// values upper-cased (a-z only). Rows are added or updated, never removed.
//
// Registration is background bookkeeping: a failure (a closed database, a
// missing table, a refused statement) raises nothing, and the next entry is
// still registered.

// Registers one entry under a function name: a count of the key's rows, then
// an insert when there is none or an update of all of them.
void RegisterDataLabel(TDbDatabase& db, const QString& functionName, const TStationSensorInfoItem& entry);

// Registers every entry of every group, in list order, so that of two entries
// with the same key the later one's label stays. `progress`, when given, is
// told after each entry how many of how many are done.
//
// The entries share one transaction and reuse their prepared statements
// (renewed every few hundred entries, so that the database can plan them anew
// as the table grows), which is many times faster than committing entry by
// entry. When the table is not much larger than the entries, its keys are
// read first, and the entries whose key it cannot hold are inserted in
// batches without counting (see TDbBatch). A refused entry
// never takes the others with it: the transaction is then rolled back and its
// entries are registered again one at a time.
//
// `cancel`, when given, stops the registration before the next entry; the
// running transaction is then rolled back. Returns the positions (counting
// the entries of all groups in list order from 0) of the entries that were
// not registered: those that failed, and those that a cancel left out.
std::vector<std::size_t> RegisterAllDataLabels(TDbDatabase& db, const TZizaVureGroups& groups,
                                               const std::function<void(int done, int total)>& progress = {},
                                               const TDbCancel* cancel = nullptr);
