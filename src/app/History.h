#pragma once

#include "config/ConfigHistory.h"

#include <QDialog>

#include <functional>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class TfrmHistory;
}

// The change history of the configuration: every recorded version, newest
// first, filtered by group and by who made it; one selected version shows
// what it changed, two selected show what differs between them. Nothing
// changes the file until the operator restores the group chosen in the group
// filter, or a whole version, as one selected version holds it, and confirms
// the question that names what will change.
class TfrmHistory : public QDialog
{
    Q_OBJECT

public:
    // Restores a group (or with no group, the whole version) as version
    // `versionId` holds it; raises nothing, reports its own failures.
    using Restore = std::function<void(int versionId, const QString& group)>;

    TfrmHistory(QWidget* owner, const QString& configPath, Restore restore);
    ~TfrmHistory() override;

private:
    void reload();
    void fillVersions();
    void updateRestoreButtons();
    void restoreSelected(bool wholeVersion);
    void pinSelected();
    QString kindText(const THistoryVersion& version) const;
    void fillFilters();
    void applyFilters();
    void showSelection();
    void showChanges(const QList<THistoryGroup>& groups);
    const THistoryVersion& versionOf(const QTreeWidgetItem* item) const;
    static QString groupText(const THistoryGroup& group);

    std::unique_ptr<Ui::TfrmHistory> ui;
    TConfigHistory m_history;
    QList<THistoryVersion> m_versions; // oldest first
    Restore m_restore;
    QList<int> m_pinned;
};
