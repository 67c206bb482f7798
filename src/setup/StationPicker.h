#pragma once

#include "config/DataDef.h"

#include <QModelIndexList>
#include <QObject>

#include <optional>

class QComboBox;
class QToolButton;
class QTreeView;
class QWidget;
class TDbDatabase;
class TStationTreeModel;

// The setup editor's tree of the database's stations and sensors: reads the
// station list through a group's filter, shows it by the chosen view, and
// says which nodes the operator picks (a double click, Enter, "Add", "Add
// all").
class TStationPicker : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        QTreeView* tree;
        QComboBox* view;
        QToolButton* add;
        QToolButton* addAll;
    };

    // `window` shows the messages and the progress of a long read; nothing is owned.
    TStationPicker(QWidget* window, const Widgets& widgets, TDbDatabase& database);
    ~TStationPicker() override;

    const TStationTreeModel& model() const { return *m_tree; }
    const TStationSensorCache& cache() const { return m_cache; }
    // The trimmed filter text of the last read; none before the first.
    const std::optional<QString>& filterName() const { return m_filterName; }

    // Empties the station list, reads it again through the filter file that
    // `filterText` names, and rebuilds the tree for the selected view. A
    // filter that is not one condition, or that the database refuses, is
    // shown in a message and lists no stations; a failing database is
    // silent, and the tree then shows the rows read before it.
    void reload(const QString& filterText);

Q_SIGNALS:
    void nodesPicked(const QModelIndexList& nodes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillViewSelector();
    void query(const QString& filterText);
    void buildTree(int view);
    void pickSelected();
    void pickAll();

    QWidget* m_window;
    QTreeView* m_view;
    QComboBox* m_viewSelector;
    TDbDatabase& m_database;
    TStationTreeModel* m_tree;
    TStationSensorCache m_cache;
    std::optional<QString> m_filterName;
};
