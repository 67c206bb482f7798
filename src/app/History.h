#pragma once

#include "config/ConfigHistory.h"

#include <QDialog>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class TfrmHistory;
}

// The change history of the configuration: every recorded version, newest
// first, filtered by group and by who made it; one selected version shows
// what it changed, two selected show what differs between them. The window
// only reads: the history is read once, when it opens.
class TfrmHistory : public QDialog
{
    Q_OBJECT

public:
    TfrmHistory(QWidget* owner, const QString& configPath);
    ~TfrmHistory() override;

private:
    void fillVersions();
    void fillFilters();
    void applyFilters();
    void showSelection();
    void showChanges(const QList<THistoryGroup>& groups);
    const THistoryVersion& versionOf(const QTreeWidgetItem* item) const;
    static QString kindText(const THistoryVersion& version);
    static QString groupText(const THistoryGroup& group);

    std::unique_ptr<Ui::TfrmHistory> ui;
    TConfigHistory m_history;
    QList<THistoryVersion> m_versions; // oldest first
};
