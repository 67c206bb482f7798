#include "PairListControls.h"

#include "DataLabelDup.h"
#include "StationTreeModel.h"
#include "widgets/MessageBox.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QToolButton>

TPairListControls::TPairListControls(QWidget* window, const Widgets& widgets, TGroupEdit& edit,
                                     const CurrentGroup& currentGroup)
    : QObject(window), m_window(window), m_list(widgets.list), m_dataLabel(widgets.dataLabel),
      m_altLabel(widgets.altLabel), m_edit(edit), m_currentGroup(currentGroup)
{
    connectWidgets(widgets);
}

void TPairListControls::connectWidgets(const Widgets& widgets)
{
    connect(widgets.remove, &QToolButton::clicked, this, &TPairListControls::removeSelected);
    connect(widgets.removeAll, &QToolButton::clicked, this, &TPairListControls::removeAll);
    connect(widgets.up, &QToolButton::clicked, this, &TPairListControls::moveUp);
    connect(widgets.down, &QToolButton::clicked, this, &TPairListControls::moveDown);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &TPairListControls::selectionStep);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &TPairListControls::removeSelected);

    connect(m_dataLabel, &QLineEdit::textEdited, this, &TPairListControls::dataLabelEdited);
    connect(m_dataLabel, &QLineEdit::editingFinished, this, &TPairListControls::dataLabelEdited);
    connect(m_altLabel, &QLineEdit::textEdited, this, &TPairListControls::altLabelEdited);
    connect(m_altLabel, &QLineEdit::editingFinished, this, &TPairListControls::altLabelEdited);
}

void TPairListControls::addNodes(const TStationTreeModel& tree, const QModelIndexList& nodes)
{
    const std::size_t first = m_edit.pairs().size();
    for (const QModelIndex& node : nodes)
        addNodePairs(tree, node);
    listFrom(first);
    selectFirstIfNone();
    reportRefusedStations();
}

void TPairListControls::append(const TZizaVureGroupItem& group)
{
    const std::size_t first = m_edit.pairs().size();
    m_edit.appendPairs(group);
    listFrom(first);
    selectFirstIfNone();
    Q_EMIT modified();
}

void TPairListControls::commitEdited()
{
    if (m_editedPair >= 0)
        commitLabels(m_currentGroup(), m_editedPair);
}

// A node with children stands for the pairs of all of them, in tree order.
void TPairListControls::addNodePairs(const TStationTreeModel& tree, const QModelIndex& node)
{
    const int children = tree.rowCount(node);
    if (children > 0) {
        for (int i = 0; i < children; ++i)
            addNodePairs(tree, tree.index(i, 0, node));
        return;
    }
    if (const TStationSensorItem* row = tree.rowAt(node))
        addPair(row->STATION_ID, row->SENSORNAME);
}

void TPairListControls::addPair(const QString& station, const QString& sensor)
{
    // The pair is stored as "station.sensor" and split at its first ".", here
    // and by the service: such a station would be read as another.
    if (station.contains(u'.')) {
        if (!m_refusedStations.contains(station))
            m_refusedStations.append(station);
        return;
    }
    if (m_edit.add(station, sensor))
        Q_EMIT modified();
}

// One message for all the stations that the last add left out.
void TPairListControls::reportRefusedStations()
{
    QStringList lines;
    for (const QString& station : std::as_const(m_refusedStations))
        lines.append(tr("Station %1 cannot be processed: its id contains '.'").arg(station));
    m_refusedStations.clear();
    if (!lines.isEmpty())
        MessageBox::error(m_window, lines.join(u'\n'));
}

void TPairListControls::selectFirstIfNone()
{
    if (!m_edit.pairs().empty() && selectedIndex() < 0) {
        select(0);
        selectionStep();
    }
}

// Lists the pairs from `first` on in one insert, which for the 100,000 pairs
// of a large site is several times faster than entry by entry.
void TPairListControls::listFrom(std::size_t first)
{
    const TStationSensorList& pairs = m_edit.pairs();
    QStringList texts;
    texts.reserve(qsizetype(pairs.size() - first));
    for (std::size_t i = first; i < pairs.size(); ++i)
        texts.append(pairs[i]->PairText());
    const QSignalBlocker blocker(m_list);
    m_list->addItems(texts);
}

void TPairListControls::fill(const TZizaVureGroupItem& group)
{
    clear();
    m_edit.fill(group);
    listFrom(0);
    m_editedPair = -1;
    // With no pairs this empties the label edits, which would otherwise
    // still show the previous group's labels.
    select(m_edit.pairs().empty() ? -1 : 0);
    selectionStep();
}

void TPairListControls::clear()
{
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
    }
    m_edit.clear();
}

void TPairListControls::removeSelected()
{
    const int selected = selectedIndex();
    if (selected >= 0)
        remove(selected);
}

void TPairListControls::remove(int index)
{
    m_edit.remove(index);
    {
        const QSignalBlocker blocker(m_list);
        delete m_list->takeItem(index);
    }
    m_editedPair = -1;
    select(index > 0 ? index - 1 : (m_edit.pairs().empty() ? -1 : 0));
    selectionStep();
    Q_EMIT modified();
}

void TPairListControls::removeAll()
{
    clear();
    m_editedPair = -1;
    m_dataLabel->clear();
    m_altLabel->clear();
    Q_EMIT modified();
}

// Moving keeps the labels being typed with their pair: the edited index
// follows the entry, and nothing is committed.
void TPairListControls::moveUp()
{
    const int selected = selectedIndex();
    if (selected <= 0)
        return;
    exchange(selected, selected - 1);
    select(selected - 1);
    Q_EMIT modified();
}

void TPairListControls::moveDown()
{
    const int selected = selectedIndex();
    if (selected < 0 || selected + 1 >= int(m_edit.pairs().size()))
        return;
    exchange(selected, selected + 1);
    select(selected + 1);
    Q_EMIT modified();
}

void TPairListControls::exchange(int first, int second)
{
    m_edit.exchange(first, second);
    m_list->item(first)->setText(m_edit.pairs()[std::size_t(first)]->PairText());
    m_list->item(second)->setText(m_edit.pairs()[std::size_t(second)]->PairText());
    if (m_editedPair == first)
        m_editedPair = second;
    else if (m_editedPair == second)
        m_editedPair = first;
}

int TPairListControls::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

// Selects without running the selection step; the callers decide whether it runs.
void TPairListControls::select(int index)
{
    const QSignalBlocker blocker(m_list);
    if (index < 0) {
        m_list->clearSelection();
        m_list->setCurrentItem(nullptr);
    } else {
        m_list->setCurrentRow(index);
    }
}

// Another pair selected: the labels typed for the previous one reach it,
// unless they would repeat a label of its station, in which case they are
// dropped without a word.
void TPairListControls::selectionStep()
{
    if (m_editedPair >= 0) {
        try {
            commitLabels(m_currentGroup(), m_editedPair);
        } catch (const EDataLabelDup&) {
        }
    }
    showLabels(selectedIndex());
}

void TPairListControls::showLabels(int index)
{
    if (index < 0) {
        m_dataLabel->clear();
        m_altLabel->clear();
        m_editedPair = -1;
        return;
    }
    const TStationSensorInfoItem& pair = *m_edit.pairs().at(std::size_t(index));
    m_dataLabel->setText(pair.POLLDataLabel);
    m_altLabel->setText(pair.POLLAltLabel);
    m_editedPair = index;
}

void TPairListControls::dataLabelEdited()
{
    if (m_editedPair >= 0 && m_dataLabel->text() != m_edit.pairs().at(std::size_t(m_editedPair))->POLLDataLabel)
        Q_EMIT modified();
}

void TPairListControls::altLabelEdited()
{
    if (m_editedPair >= 0 && m_altLabel->text() != m_edit.pairs().at(std::size_t(m_editedPair))->POLLAltLabel)
        Q_EMIT modified();
}

void TPairListControls::commitLabels(const TZizaVureGroupItem& group, int index)
{
    m_edit.setLabels(group, index, m_dataLabel->text(), m_altLabel->text());
}

void TPairListControls::storeInto(TZizaVureGroupItem& target)
{
    target.ClearStationSensors();
    if (m_editedPair >= 0)
        commitLabels(target, m_editedPair);
    try {
        m_edit.storeInto(target);
    } catch (const EDataLabelDup& clash) {
        showClash(clash);
        throw;
    }
}

// The pair whose label clashes is selected, with its labels in the edits.
void TPairListControls::showClash(const EDataLabelDup& clash)
{
    if (clash.pairIndex() < 0)
        return;
    select(clash.pairIndex());
    showLabels(clash.pairIndex());
}
