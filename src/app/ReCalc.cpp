#include "ReCalc.h"

#include "ui_ReCalc.h"

#include "calc/TimePreview.h"
#include "calc/TimeText.h"
#include "config/DataDef.h"
#include "platform/AsciiText.h"
#include "widgets/AccessibleNames.h"
#include "widgets/FieldExitWatcher.h"
#include "widgets/GroupFieldControls.h"
#include "widgets/TimeTextCheck.h"

#include <QAbstractEventDispatcher>
#include <QSet>

#include <cmath>

TfrmReCalc::TfrmReCalc(QWidget* owner, TDbSession* session, TDbDatabase* database, TZizaVureGroups& groups)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmReCalc>()), m_session(session), m_database(database), m_groups(groups)
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    ui->cbxInterval->setCurrentIndex(-1);
    ui->cbxFuncName->setCurrentIndex(-1);
    setUpTimeField(ui->cbxDateFrom, QStringLiteral("Yesterday"));
    setUpTimeField(ui->ComboBox1, QStringLiteral("Today"));

    connect(ui->cbxGroup, &QComboBox::currentIndexChanged, this, &TfrmReCalc::showGroup);
    connect(ui->cbxInterval, &QComboBox::currentIndexChanged, this, &TfrmReCalc::updateIntervalFields);
    connect(ui->spnbtnNoChangeInterval, &QSpinBox::valueChanged, this,
            [this](int days) { ui->edtIntervalDay->setText(QString::number(days)); });
    connect(ui->btnSetupSitesSensorsAdd, &QToolButton::clicked, this, &TfrmReCalc::addSelected);
    connect(ui->btnSetupSitesSensorsDelete, &QToolButton::clicked, this, &TfrmReCalc::deleteSelected);
    connect(ui->btnSetupSitesSensorsAddAll, &QToolButton::clicked, this, &TfrmReCalc::addAll);
    connect(ui->btnSetupSitesSensorsDeleteAll, &QToolButton::clicked, this, &TfrmReCalc::deleteAll);
    connect(ui->lbxSiteSensor, &QListWidget::itemDoubleClicked, this, &TfrmReCalc::addSelected);
    connect(ui->lbxSelected, &QListWidget::itemDoubleClicked, this, &TfrmReCalc::deleteSelected);
    // There is no calculation request to send, so the command carries no action.
    connect(ui->btnCalc, &QPushButton::clicked, ui->actCalc, &QAction::trigger);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmReCalc::updateIntervalFields);

    for (int i = 0; i < m_groups.Count(); ++i)
        ui->cbxGroup->addItem(QString::number(i + 1));
    updateIntervalFields();
    for (QComboBox* field : {ui->cbxDateFrom, ui->ComboBox1})
        connect(field, &QComboBox::editTextChanged, this, &TfrmReCalc::updateTimePreviews);
    updateTimePreviews();
}

TfrmReCalc::~TfrmReCalc()
{
    DisconnectControlsForTeardown(*this);
}

void TfrmReCalc::setClock(const TClock& clock)
{
    m_clock = clock;
    updateTimePreviews();
}

void TfrmReCalc::updateTimePreviews()
{
    const QDateTime now = m_clock();
    const std::optional<qint32> start = EvaluateTimeText(ui->cbxDateFrom->currentText(), ReCalcTimeKeywords(), now);
    const std::optional<qint32> stop = EvaluateTimeText(ui->ComboBox1->currentText(), ReCalcTimeKeywords(), now);
    ui->edtStartPreview->setText(TimePreviewText(start));
    ui->edtStopPreview->setText(TimePreviewText(stop));
    ui->edtRangeLength->setText(start && stop ? RangeLengthText(*start, *stop) : QString());
}

void TfrmReCalc::setUpTimeField(QComboBox* field, const QString& text)
{
    field->addItems(ReCalcTimeKeywords().listed);
    field->setCurrentIndex(field->findText(text));
    field->lineEdit()->setMaxLength(TimeTextMaxLength);
    // Typed text stays exactly as typed; no completion to a listed keyword.
    field->setCompleter(nullptr);
    connect(new FieldExitWatcher(field), &FieldExitWatcher::exited, this, [this, field] { validateTimeField(field); });
}

void TfrmReCalc::validateTimeField(QComboBox* field)
{
    if (!ValidateTimeText(this, field->currentText(), ReCalcTimeKeywords()))
        field->setFocus(Qt::OtherFocusReason);
}

void TfrmReCalc::showGroup(int index)
{
    if (index < 0 || index >= m_groups.Count())
        return;
    const TZizaVureGroupItem& group = *m_groups.Items(index);
    // The spin box first: its change writes the day field, which the
    // group's own day count then replaces.
    const double days = std::floor(group.Interval);
    ui->spnbtnNoChangeInterval->setValue(int(qBound(0.0, days, double(ui->spnbtnNoChangeInterval->maximum()))));
    TGroupFieldControls{ui->chkEnable,   ui->cbxFuncName,    ui->edtBase,     ui->edtProcTime,
                        ui->cbxInterval, ui->edtIntervalDay, ui->edtInterval, ui->cbxDataFlags}
        .show(group);
    // The field shows upper case only, as the setup editor enters it.
    ui->edtParameters->setText(AsciiText::upper(group.Parameter));

    // Pairs chosen from other groups stay chosen.
    ui->lbxSiteSensor->clear();
    for (const auto& pair : group.StationSensors)
        ui->lbxSiteSensor->addItem(pair->PairText());
}

void TfrmReCalc::updateIntervalFields()
{
    ui->actCalc->setEnabled(true);
    const bool asEntered = UsesOwnInterval(ui->cbxInterval->currentIndex());
    ui->edtIntervalDay->setEnabled(asEntered);
    ui->spnbtnNoChangeInterval->setEnabled(asEntered);
    ui->edtInterval->setEnabled(asEntered);
}

// Adds the group's pairs (only the selected ones, or all) that the chosen
// list lacks, compared without regard to letter case. One set of the chosen
// texts keeps this linear in the number of pairs.
void TfrmReCalc::addPairs(bool selectedOnly)
{
    QSet<QString> chosen;
    for (int i = 0; i < ui->lbxSelected->count(); ++i)
        chosen.insert(AsciiText::upper(ui->lbxSelected->item(i)->text()));
    QStringList added;
    for (int i = 0; i < ui->lbxSiteSensor->count(); ++i) {
        const QListWidgetItem* item = ui->lbxSiteSensor->item(i);
        if (selectedOnly && !item->isSelected())
            continue;
        const qsizetype before = chosen.size();
        chosen.insert(AsciiText::upper(item->text()));
        if (chosen.size() != before)
            added.append(item->text());
    }
    ui->lbxSelected->addItems(added);
}

void TfrmReCalc::addSelected()
{
    addPairs(true);
}

void TfrmReCalc::addAll()
{
    addPairs(false);
}

void TfrmReCalc::deleteSelected()
{
    qDeleteAll(ui->lbxSelected->selectedItems());
}

void TfrmReCalc::deleteAll()
{
    ui->lbxSelected->clear();
}
