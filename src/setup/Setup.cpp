#include "Setup.h"

#include "ui_Setup.h"

#include "AsciiText.h"
#include "DataLabelDup.h"
#include "FormatSettings.h"
#include "StationQuery.h"
#include "StationTreeModel.h"
#include "TimeText.h"

#include <QButtonGroup>
#include <QSignalBlocker>

#include <cmath>

namespace {

// "hh:nn:ss" of a time of day, with the ":" that the masks of the time fields hold.
QString timeText(double value)
{
    static const FormatSettings format(QStringLiteral("M/d/yyyy"), QStringLiteral("HH:mm:ss"));
    return format.formatTime(value);
}

// Selects `index`, or nothing when the box has no such item.
void selectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index < box->count() ? index : -1);
}

void selectTextIgnoringCase(QComboBox* box, const QString& text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (AsciiText::equalsFolded(box->itemText(i), text)) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setCurrentIndex(-1);
}

// Pair texts compare without regard to case: ST01.TEMP and st01.temp are one pair.
QString pairKey(const TStationSensorInfoItem& pair)
{
    return AsciiText::upper(pair.PairText());
}

} // namespace

TfrmOptionSetup::TfrmOptionSetup(QWidget* owner, TDbSession& session, TDbDatabase& database, TZizaVureGroups& groups,
                                 ConfigFile& config)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmOptionSetup>()), m_session(session), m_database(database),
      m_groups(groups), m_config(config)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setUpGroupControls();
    setUpStationControls();
    setUpPairControls();
    fillViewSelector();

    if (m_groups.Count() == 0) {
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
        LoadGroup(-1);
    } else {
        for (int i = 0; i < m_groups.Count(); ++i)
            ui->cbxGroup->addItem(QString::number(m_groups.Items(i)->PPGIndex));
        ui->cbxGroup->setCurrentIndex(0);
        LoadGroup(0);
    }
    // Loading a group with a filter has read the list already.
    if (!m_filterName)
        ReloadStations();
}

TfrmOptionSetup::~TfrmOptionSetup()
{
    // The tree refers to the cache's rows, so it goes first.
    m_tree->clear();
    m_cache.ClearRows();
    ClearPairList();
}

void TfrmOptionSetup::setUpGroupControls()
{
    m_timeBound = new QButtonGroup(this);
    m_timeBound->addButton(ui->radTimeBound0, 0);
    m_timeBound->addButton(ui->radTimeBound1, 1);
    m_timeBound->addButton(ui->radTimeBound2, 2);

    ui->cbxDateFrom->addItems(SetupTimeKeywords().listed);
    ui->cbxDateFrom->setCurrentIndex(-1);
    ui->cbxDateFrom->lineEdit()->setMaxLength(TimeTextMaxLength);
    // Typed text stays exactly as typed; no completion to a listed keyword.
    ui->cbxDateFrom->setCompleter(nullptr);
    connect(ui->edtParameters, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = ui->edtParameters->cursorPosition();
        ui->edtParameters->setText(AsciiText::upper(text));
        ui->edtParameters->setCursorPosition(cursor);
    });

    bindButton(ui->btnNew, ui->actNew);
    bindButton(ui->btnCopy, ui->actCopy);
    bindButton(ui->btnDelete, ui->actDelete);
    bindButton(ui->btnDeleteAll, ui->actDeleteAll);
    bindButton(ui->btnSave, ui->actSave);
    addActions({ui->actNew, ui->actSave, ui->actDelete, ui->actDeleteAll});
    connect(ui->cbxGroup, &QComboBox::activated, this, &TfrmOptionSetup::groupSelected);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmOptionSetup::setUpStationControls()
{
    m_tree = new TStationTreeModel(this);
    ui->tvwLeftTree->setModel(m_tree);
    connect(ui->tvwLeftTree->selectionModel(), &QItemSelectionModel::currentChanged, ui->tvwLeftTree,
            &QTreeView::expand);
    connect(ui->tvwLeftTree, &QTreeView::doubleClicked, this, &TfrmOptionSetup::addSelectedNode);
    connect(ui->cbxView, &QComboBox::currentIndexChanged, this, &TfrmOptionSetup::BuildTree);
    connect(ui->btnSetupSitesSensorsAdd, &QToolButton::clicked, this, &TfrmOptionSetup::addSelectedNode);
    connect(ui->btnSetupSitesSensorsAddAll, &QToolButton::clicked, this, &TfrmOptionSetup::addAllNodes);
}

void TfrmOptionSetup::setUpPairControls()
{
    connect(ui->btnSetupSitesSensorsDelete, &QToolButton::clicked, this, &TfrmOptionSetup::removeSelectedPair);
    connect(ui->btnSetupSitesSensorsDeleteAll, &QToolButton::clicked, this, &TfrmOptionSetup::removeAllPairs);
    connect(ui->BitBtn1, &QToolButton::clicked, this, &TfrmOptionSetup::movePairUp);
    connect(ui->BitBtn2, &QToolButton::clicked, this, &TfrmOptionSetup::movePairDown);
    connect(ui->lbxSiteSensor, &QListWidget::itemSelectionChanged, this, &TfrmOptionSetup::selectionStep);
    connect(ui->lbxSiteSensor, &QListWidget::itemDoubleClicked, this, &TfrmOptionSetup::removeSelectedPair);

    connect(ui->edtDataLabel, &QLineEdit::textEdited, this, &TfrmOptionSetup::dataLabelEdited);
    connect(ui->edtDataLabel, &QLineEdit::editingFinished, this, &TfrmOptionSetup::dataLabelEdited);
    connect(ui->edtAltDataLabel, &QLineEdit::textEdited, this, &TfrmOptionSetup::altDataLabelEdited);
    connect(ui->edtAltDataLabel, &QLineEdit::editingFinished, this, &TfrmOptionSetup::altDataLabelEdited);
}

// The buttons run their commands and follow their enabled state.
void TfrmOptionSetup::bindButton(QPushButton* button, QAction* action)
{
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
}

void TfrmOptionSetup::fillViewSelector()
{
    const QSignalBlocker blocker(ui->cbxView);
    const QStringList names = TStationTreeModel::viewNames();
    for (int view = 0; view < names.size(); ++view)
        ui->cbxView->addItem(TStationTreeModel::imageIcon(view), names[view]);
    ui->cbxView->setCurrentIndex(0);
}

TZizaVureGroupItem& TfrmOptionSetup::currentGroup()
{
    if (m_groupIndex >= 0)
        return *m_groups.Items(m_groupIndex);
    if (!m_placeholder)
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
    return *m_placeholder;
}

void TfrmOptionSetup::LoadGroup(int index)
{
    const bool stored = index >= 0 && index < ui->cbxGroup->count();
    if (!stored && !m_placeholder)
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
    const TZizaVureGroupItem& group = stored ? *m_groups.Items(index) : *m_placeholder;
    showGroupFields(group);
    FillPairList(group);
    m_groupIndex = ui->cbxGroup->currentIndex();

    const QString filter = ui->edtFilterFile->text().trimmed();
    if (!m_filterName || *m_filterName != filter)
        ReloadStations();
    m_modified = false;
}

void TfrmOptionSetup::showGroupFields(const TZizaVureGroupItem& group)
{
    ui->chkEnable->setChecked(group.Enabled);
    selectTextIgnoringCase(ui->cbxFuncName, group.FuncName);
    ui->edtParameters->setText(group.Parameter);
    ui->edtBase->setText(timeText(group.BaseTime));
    selectIndex(ui->cbxInterval, group.TypeInterval);
    const double days = std::floor(group.Interval);
    ui->edtIntervalDay->setText(QString::number(qint64(days)));
    ui->edtInterval->setText(timeText(group.Interval - days));
    if (QAbstractButton* bound = m_timeBound->button(group.TimeBound)) {
        bound->setChecked(true);
    } else if (QAbstractButton* checked = m_timeBound->checkedButton()) {
        m_timeBound->setExclusive(false);
        checked->setChecked(false);
        m_timeBound->setExclusive(true);
    }
    ui->cbxDateFrom->setCurrentIndex(-1);
    ui->cbxDateFrom->setEditText(group.StartFrom);
    ui->edtProcTime->setText(timeText(group.ProcTime));
    selectIndex(ui->cbxDataFlags, group.DataType);
    ui->edtFilterFile->setText(group.Filter);
}

// The save prompt for a modified group belongs in front of this.
void TfrmOptionSetup::groupSelected()
{
    m_modified = false;
    m_groupIndex = ui->cbxGroup->currentIndex();
    if (m_groupIndex < 0)
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
    LoadGroup(m_groupIndex);
}

void TfrmOptionSetup::markModified()
{
    m_modified = true;
}

void TfrmOptionSetup::ReloadStations()
{
    m_tree->clear();
    m_cache.ClearRows();
    QueryStations();
    BuildTree(ui->cbxView->currentIndex());
}

void TfrmOptionSetup::QueryStations()
{
    m_filterName = ui->edtFilterFile->text().trimmed();
    try {
        ReadStations(m_database, StationListQuery(ui->edtFilterFile->text()), m_cache);
    } catch (const std::exception&) {
        // No open database, or a filter that the database refuses: the
        // operator sees the stations that could be read, and no message.
    }
}

// A view change sorts the rows already read; it never queries.
void TfrmOptionSetup::BuildTree(int view)
{
    if (view < 0 || view >= TStationTreeModel::ViewCount) {
        m_tree->clear();
        return;
    }
    m_cache.SortRows(view);
    m_tree->build(m_cache, view);
}

void TfrmOptionSetup::addSelectedNode()
{
    const QModelIndexList selected = ui->tvwLeftTree->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const std::size_t first = m_pairs.size();
    AddNodePairs(selected.first());
    listPairsFrom(first);
    selectFirstPairIfNone();
}

void TfrmOptionSetup::addAllNodes()
{
    const std::size_t first = m_pairs.size();
    for (int i = 0; i < m_tree->rowCount(); ++i)
        AddNodePairs(m_tree->index(i, 0));
    listPairsFrom(first);
    selectFirstPairIfNone();
}

// A node with children stands for the pairs of all of them, in tree order.
void TfrmOptionSetup::AddNodePairs(const QModelIndex& node)
{
    const int children = m_tree->rowCount(node);
    if (children > 0) {
        for (int i = 0; i < children; ++i)
            AddNodePairs(m_tree->index(i, 0, node));
        return;
    }
    if (const TStationSensorItem* row = m_tree->rowAt(node))
        AddPair(row->STATION_ID, row->SENSORNAME);
}

void TfrmOptionSetup::AddPair(const QString& station, const QString& sensor)
{
    if (m_pairTexts.contains(AsciiText::upper(station + QLatin1Char('.') + sensor)))
        return;
    auto pair = std::make_unique<TStationSensorInfoItem>();
    pair->StationId = station;
    pair->SensorName = sensor;
    pair->POLLDataLabel = sensor;
    appendPair(std::move(pair));
    markModified();
}

void TfrmOptionSetup::selectFirstPairIfNone()
{
    if (!m_pairs.empty() && selectedPairIndex() < 0) {
        selectPair(0);
        selectionStep();
    }
}

// The pair list's entry follows with listPairsFrom.
void TfrmOptionSetup::appendPair(std::unique_ptr<TStationSensorInfoItem> pair)
{
    ++m_pairTexts[pairKey(*pair)];
    m_pairs.push_back(std::move(pair));
}

// Lists the pairs from `first` on in one insert, which for the 100,000 pairs
// of a large site is several times faster than entry by entry.
void TfrmOptionSetup::listPairsFrom(std::size_t first)
{
    QStringList texts;
    texts.reserve(qsizetype(m_pairs.size() - first));
    for (std::size_t i = first; i < m_pairs.size(); ++i)
        texts.append(m_pairs[i]->PairText());
    const QSignalBlocker blocker(ui->lbxSiteSensor);
    ui->lbxSiteSensor->addItems(texts);
}

void TfrmOptionSetup::FillPairList(const TZizaVureGroupItem& group)
{
    ClearPairList();
    for (const auto& pair : group.StationSensors)
        appendPair(std::make_unique<TStationSensorInfoItem>(*pair));
    listPairsFrom(0);
    m_editedPair = -1;
    // With no pairs this empties the label edits, which would otherwise
    // still show the previous group's labels.
    selectPair(m_pairs.empty() ? -1 : 0);
    selectionStep();
}

void TfrmOptionSetup::ClearPairList()
{
    {
        const QSignalBlocker blocker(ui->lbxSiteSensor);
        ui->lbxSiteSensor->clear();
    }
    while (!m_pairs.empty())
        m_pairs.pop_back();
    m_pairTexts.clear();
}

void TfrmOptionSetup::removeSelectedPair()
{
    const int selected = selectedPairIndex();
    if (selected >= 0)
        RemovePair(selected);
}

void TfrmOptionSetup::RemovePair(int index)
{
    const QString key = pairKey(*m_pairs.at(std::size_t(index)));
    if (--m_pairTexts[key] <= 0)
        m_pairTexts.remove(key);
    m_pairs.erase(m_pairs.begin() + index);
    {
        const QSignalBlocker blocker(ui->lbxSiteSensor);
        delete ui->lbxSiteSensor->takeItem(index);
    }
    m_editedPair = -1;
    selectPair(index > 0 ? index - 1 : (m_pairs.empty() ? -1 : 0));
    selectionStep();
    markModified();
}

void TfrmOptionSetup::removeAllPairs()
{
    ClearPairList();
    m_editedPair = -1;
    ui->edtDataLabel->clear();
    ui->edtAltDataLabel->clear();
    markModified();
}

// Moving keeps the labels being typed with their pair: the edited index
// follows the entry, and nothing is committed.
void TfrmOptionSetup::movePairUp()
{
    const int selected = selectedPairIndex();
    if (selected <= 0)
        return;
    exchangePairs(selected, selected - 1);
    selectPair(selected - 1);
    markModified();
}

void TfrmOptionSetup::movePairDown()
{
    const int selected = selectedPairIndex();
    if (selected < 0 || selected + 1 >= int(m_pairs.size()))
        return;
    exchangePairs(selected, selected + 1);
    selectPair(selected + 1);
    markModified();
}

void TfrmOptionSetup::exchangePairs(int first, int second)
{
    std::swap(m_pairs[std::size_t(first)], m_pairs[std::size_t(second)]);
    ui->lbxSiteSensor->item(first)->setText(m_pairs[std::size_t(first)]->PairText());
    ui->lbxSiteSensor->item(second)->setText(m_pairs[std::size_t(second)]->PairText());
    if (m_editedPair == first)
        m_editedPair = second;
    else if (m_editedPair == second)
        m_editedPair = first;
}

int TfrmOptionSetup::selectedPairIndex() const
{
    const QList<QListWidgetItem*> selected = ui->lbxSiteSensor->selectedItems();
    return selected.isEmpty() ? -1 : ui->lbxSiteSensor->row(selected.first());
}

// Selects without running the selection step; the callers decide whether it runs.
void TfrmOptionSetup::selectPair(int index)
{
    const QSignalBlocker blocker(ui->lbxSiteSensor);
    if (index < 0) {
        ui->lbxSiteSensor->clearSelection();
        ui->lbxSiteSensor->setCurrentItem(nullptr);
    } else {
        ui->lbxSiteSensor->setCurrentRow(index);
    }
}

// Another pair selected: the labels typed for the previous one reach it,
// unless they would repeat a label of its station, in which case they are
// dropped without a word.
void TfrmOptionSetup::selectionStep()
{
    if (m_editedPair >= 0) {
        try {
            CommitDataLabels(currentGroup(), m_editedPair);
        } catch (const EDataLabelDup&) {
        }
    }
    ShowDataLabels(selectedPairIndex());
}

void TfrmOptionSetup::ShowDataLabels(int index)
{
    if (index < 0) {
        ui->edtDataLabel->clear();
        ui->edtAltDataLabel->clear();
        m_editedPair = -1;
        return;
    }
    const TStationSensorInfoItem& pair = *m_pairs.at(std::size_t(index));
    ui->edtDataLabel->setText(pair.POLLDataLabel);
    ui->edtAltDataLabel->setText(pair.POLLAltLabel);
    m_editedPair = index;
}

void TfrmOptionSetup::dataLabelEdited()
{
    if (m_editedPair >= 0 && ui->edtDataLabel->text() != m_pairs.at(std::size_t(m_editedPair))->POLLDataLabel)
        markModified();
}

void TfrmOptionSetup::altDataLabelEdited()
{
    if (m_editedPair >= 0 && ui->edtAltDataLabel->text() != m_pairs.at(std::size_t(m_editedPair))->POLLAltLabel)
        markModified();
}

void TfrmOptionSetup::CommitDataLabels(const TZizaVureGroupItem& group, int index)
{
    TStationSensorInfoItem& edited = *m_pairs.at(std::size_t(index));
    const QString dataLabel = ui->edtDataLabel->text();
    const QString altLabel = ui->edtAltDataLabel->text();

    for (int g = 0; g < m_groups.Count(); ++g) {
        const TZizaVureGroupItem* other = m_groups.Items(g);
        const bool sameGroup = other == &group;
        for (std::size_t p = 0; p < other->StationSensors.size(); ++p) {
            if (sameGroup && int(p) == index)
                continue;
            const TStationSensorInfoItem& stored = *other->StationSensors[p];
            if (AsciiText::equalsFolded(stored.StationId, edited.StationId) &&
                AsciiText::equalsFolded(stored.POLLDataLabel, dataLabel))
                throw EDataLabelDup(dataLabel, edited.StationId);
        }
    }
    edited.POLLDataLabel = dataLabel;
    edited.POLLAltLabel = altLabel;
}

void TfrmOptionSetup::storePairs(TZizaVureGroupItem& target)
{
    target.ClearStationSensors();
    if (m_editedPair >= 0)
        CommitDataLabels(target, m_editedPair);
    for (const auto& pair : m_pairs)
        target.StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(*pair));
}
