#pragma once

#include "GroupEdit.h"

#include <QModelIndexList>
#include <QObject>
#include <QStringList>

#include <functional>

class EDataLabelDup;
class QLineEdit;
class QListWidget;
class QToolButton;
class QWidget;
class TStationTreeModel;

// The setup editor's pair list and its two label edits: which pairs the
// current group gets, in which order, under which labels. The list shows
// the entries of a TGroupEdit; the label edits show the selected entry's
// labels, which reach it when another entry is selected or the group is
// saved.
class TPairListControls : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        QListWidget* list;
        QLineEdit* dataLabel;
        QLineEdit* altLabel;
        QToolButton* remove;
        QToolButton* removeAll;
        QToolButton* up;
        QToolButton* down;
    };
    // The group whose stored pairs the label rule passes over: the one being edited.
    using CurrentGroup = std::function<TZizaVureGroupItem&()>;

    // `window` shows the messages; nothing is owned.
    TPairListControls(QWidget* window, const Widgets& widgets, TGroupEdit& edit, const CurrentGroup& currentGroup);

    const TStationSensorList& pairs() const { return m_edit.pairs(); }
    // The entry whose labels the two label edits show, or -1.
    int editedIndex() const { return m_editedPair; }

    // Replaces the list by copies of the group's pairs and selects the first.
    void fill(const TZizaVureGroupItem& group);
    void clear();
    // Appends copies of the group's pairs, as edits.
    void append(const TZizaVureGroupItem& group);
    // Adds the pairs of the nodes (a node with children stands for all of
    // them, in tree order); one message names the stations left out.
    void addNodes(const TStationTreeModel& tree, const QModelIndexList& nodes);

    // Stores the label edits into the entry at `index`. Raises EDataLabelDup,
    // and stores nothing, when another pair of the same station already
    // carries the new data label: any pair of another group, or a stored
    // pair of `group` other than the one at `index`.
    void commitLabels(const TZizaVureGroupItem& group, int index);
    // Commits the edited entry's labels against the current group.
    void commitEdited();
    // The pairs' part of saving `target`: its pairs are discarded, the edited
    // pair's labels are committed, every pair of the list is checked, then the
    // target takes a copy of every entry. Raises EDataLabelDup, with the
    // clashing pair selected, and the target is then left without pairs.
    void storeInto(TZizaVureGroupItem& target);
    // Selects the pair that a refused save named, with its labels in the edits.
    void showClash(const EDataLabelDup& clash);

Q_SIGNALS:
    // The operator changed the list or a label.
    void modified();

private:
    void connectWidgets(const Widgets& widgets);
    void addNodePairs(const TStationTreeModel& tree, const QModelIndex& node);
    void addPair(const QString& station, const QString& sensor);
    void reportRefusedStations();
    void selectFirstIfNone();
    void listFrom(std::size_t first);
    void removeSelected();
    void remove(int index);
    void removeAll();
    void moveUp();
    void moveDown();
    void exchange(int first, int second);
    int selectedIndex() const;
    void select(int index);
    void selectionStep();
    void showLabels(int index);
    void dataLabelEdited();
    void altLabelEdited();

    QWidget* m_window;
    QListWidget* m_list;
    QLineEdit* m_dataLabel;
    QLineEdit* m_altLabel;
    TGroupEdit& m_edit;
    CurrentGroup m_currentGroup;
    QStringList m_refusedStations; // stations with "." met by the add under way
    int m_editedPair = -1;
};
