#pragma once

#include "config/GroupMerge.h"

#include <QDateTime>
#include <QDialog>

class QTableWidget;

// Shows the fields of a group that this window and another writer both
// changed, each with both values, and lets the operator keep this window's
// value or take the other writer's, field by field. Nothing is chosen for
// the operator: every row starts at "Keep mine".
class TfrmMergeConflicts : public QDialog
{
    Q_OBJECT

public:
    TfrmMergeConflicts(QWidget* owner, const QString& groupName, const QList<TMergeConflict>& conflicts,
                       const QDateTime& written);

    // The choices, in the order of the conflicts given.
    void applyChoices(QList<TMergeConflict>& conflicts) const;

    // Shows the window and applies the choices; false when the operator cancelled.
    static bool resolve(QWidget* owner, const QString& groupName, QList<TMergeConflict>& conflicts,
                        const QDateTime& written);

private:
    QTableWidget* m_table;
};
