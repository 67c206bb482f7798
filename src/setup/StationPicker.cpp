#include "StationPicker.h"

#include "StationQuery.h"
#include "StationTreeModel.h"
#include "config/FilterFile.h"
#include "db/DbBackgroundRead.h"
#include "filter/ReadProgress.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeView>

TStationPicker::TStationPicker(QWidget* window, const Widgets& widgets, TDbDatabase& database)
    : QObject(window), m_window(window), m_view(widgets.tree), m_viewSelector(widgets.view), m_database(database),
      m_tree(new TStationTreeModel(this))
{
    m_view->setModel(m_tree);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, m_view, &QTreeView::expand);
    connect(m_view, &QTreeView::doubleClicked, this, &TStationPicker::pickSelected);
    m_view->installEventFilter(this);
    fillViewSelector();
    connect(m_viewSelector, &QComboBox::currentIndexChanged, this, &TStationPicker::buildTree);
    connect(widgets.add, &QToolButton::clicked, this, &TStationPicker::pickSelected);
    connect(widgets.addAll, &QToolButton::clicked, this, &TStationPicker::pickAll);
}

TStationPicker::~TStationPicker()
{
    // The tree refers to the cache's rows, so it goes first.
    m_tree->clear();
    m_cache.ClearRows();
}

void TStationPicker::fillViewSelector()
{
    const QSignalBlocker blocker(m_viewSelector);
    const QStringList names = TStationTreeModel::viewNames();
    for (int view = 0; view < names.size(); ++view)
        m_viewSelector->addItem(TStationTreeModel::imageIcon(view), names[view]);
    m_viewSelector->setCurrentIndex(0);
}

bool TStationPicker::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a node adds it, as a double click does.
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pickSelected();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TStationPicker::reload(const QString& filterText)
{
    m_tree->clear();
    m_cache.ClearRows();
    query(filterText);
    buildTree(m_viewSelector->currentIndex());
}

void TStationPicker::query(const QString& filterText)
{
    m_filterName = filterText.trimmed();
    QString statement;
    try {
        statement = StationListQuery(filterText);
    } catch (const EFilterError& error) {
        MessageBox::error(m_window, error.message());
        return;
    }
    TStationSensorCache rows;
    TDbBackgroundRead read(m_database);
    if (statement != StationQueryBase)
        read.setProbe(StationProbeQuery());
    TStationRowReader station;
    read.start(statement, [&rows, &station](const TDbQuery& row) { rows.AddRow(station(row)); });
    WaitForRead(m_window, read, tr("Reading the stations and sensors..."));
    if (read.wasCancelled())
        return;
    if (read.statementRefused()) {
        MessageBox::error(m_window,
                          tr("The filter of this group was refused by the database: %1").arg(read.errorMessage()));
        return;
    }
    // A database that fails (a lost connection, no open database) shows the
    // stations that could be read, and no message.
    m_cache = std::move(rows);
}

// A view change sorts the rows already read; it never queries.
void TStationPicker::buildTree(int view)
{
    if (view < 0 || view >= TStationTreeModel::ViewCount) {
        m_tree->clear();
        return;
    }
    m_cache.SortRows(view);
    m_tree->build(m_cache, view);
}

void TStationPicker::pickSelected()
{
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        Q_EMIT nodesPicked({selected.first()});
}

void TStationPicker::pickAll()
{
    QModelIndexList nodes;
    for (int i = 0; i < m_tree->rowCount(); ++i)
        nodes.append(m_tree->index(i, 0));
    Q_EMIT nodesPicked(nodes);
}
