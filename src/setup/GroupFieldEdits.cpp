#include "GroupFieldEdits.h"

#include "ui_Setup.h"

#include "calc/TimeText.h"
#include "platform/AsciiText.h"
#include "widgets/FieldExitWatcher.h"
#include "widgets/GroupFieldControls.h"
#include "widgets/MessageBox.h"

#include <QButtonGroup>

namespace {

constexpr int MaxIntervalDays = 365;

double timeOfDay(const QLineEdit* field)
{
    const QString text = field->text();
    if (const std::optional<double> time = ReadTimeField(text))
        return *time;
    throw EConvertError(TGroupFieldEdits::tr("'%1' is not a valid time").arg(text));
}

} // namespace

TGroupFieldEdits::TGroupFieldEdits(QWidget* window, Ui::TfrmOptionSetup& ui)
    : QObject(window), m_window(window), ui(ui), m_timeBound(new QButtonGroup(this))
{
    m_timeBound->addButton(ui.radTimeBound0, 0);
    m_timeBound->addButton(ui.radTimeBound1, 1);
    m_timeBound->addButton(ui.radTimeBound2, 2);

    ui.cbxDateFrom->addItems(SetupTimeKeywords().listed);
    ui.cbxDateFrom->setCurrentIndex(-1);
    ui.cbxDateFrom->lineEdit()->setMaxLength(TimeTextMaxLength);
    // Typed text stays exactly as typed; no completion to a listed keyword.
    ui.cbxDateFrom->setCompleter(nullptr);
    connect(ui.edtParameters, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = this->ui.edtParameters->cursorPosition();
        this->ui.edtParameters->setText(AsciiText::upper(text));
        this->ui.edtParameters->setCursorPosition(cursor);
    });
    connectModifiedMarks();
    connectIntervalAndStart();
}

// Every field that a save takes marks the group modified, so that no change
// is left where Save cannot reach it. Loading a group clears the mark again.
void TGroupFieldEdits::connectModifiedMarks()
{
    for (QLineEdit* field :
         {ui.edtBase, ui.edtProcTime, ui.edtInterval, ui.edtIntervalDay, ui.edtParameters, ui.edtFilterFile})
        connect(field, &QLineEdit::textChanged, this, &TGroupFieldEdits::modified);
    for (QComboBox* box : {ui.cbxFuncName, ui.cbxDataFlags})
        connect(box, &QComboBox::currentIndexChanged, this, &TGroupFieldEdits::modified);
    connect(ui.chkEnable, &QCheckBox::toggled, this, &TGroupFieldEdits::modified);
    connect(m_timeBound, &QButtonGroup::idToggled, this, &TGroupFieldEdits::modified);
}

void TGroupFieldEdits::connectIntervalAndStart()
{
    connect(ui.cbxInterval, &QComboBox::currentIndexChanged, this, [this] {
        updateIntervalControls();
        Q_EMIT modified();
    });
    connect(ui.spnbtnNoChangeIntervalUp, &QToolButton::clicked, this, [this] { stepDays(1); });
    connect(ui.spnbtnNoChangeIntervalDown, &QToolButton::clicked, this, [this] { stepDays(-1); });
    connect(ui.cbxDateFrom, &QComboBox::activated, this, &TGroupFieldEdits::startFromLeft);
    connect(new FieldExitWatcher(ui.cbxDateFrom), &FieldExitWatcher::exited, this, &TGroupFieldEdits::startFromLeft);
    connect(ui.cbxDateFrom, &QComboBox::editTextChanged, this, &TGroupFieldEdits::updateStartPreview);
}

void TGroupFieldEdits::show(const TZizaVureGroupItem& group)
{
    TGroupFieldControls{ui.chkEnable,   ui.cbxFuncName,    ui.edtBase,     ui.edtProcTime,
                        ui.cbxInterval, ui.edtIntervalDay, ui.edtInterval, ui.cbxDataFlags}
        .show(group);
    ui.edtParameters->setText(group.Parameter);
    if (QAbstractButton* bound = m_timeBound->button(group.TimeBound)) {
        bound->setChecked(true);
    } else if (QAbstractButton* checked = m_timeBound->checkedButton()) {
        m_timeBound->setExclusive(false);
        checked->setChecked(false);
        m_timeBound->setExclusive(true);
    }
    ui.cbxDateFrom->setCurrentIndex(-1);
    ui.cbxDateFrom->setEditText(group.StartFrom);
    ui.edtFilterFile->setText(group.Filter);
}

void TGroupFieldEdits::take(TZizaVureGroupItem& target) const
{
    target.Enabled = ui.chkEnable->isChecked();
    target.FuncName = ui.cbxFuncName->currentIndex() >= 0 ? ui.cbxFuncName->currentText() : QString();
    target.TypeInterval = quint8(ui.cbxInterval->currentIndex()); // none selected: 255
    // Texts are trimmed as the file trims them when it is read, so that the
    // group held here is the one the file holds: another would look changed
    // by another program at the next save.
    target.StartFrom = ui.cbxDateFrom->currentText().trimmed();
    target.DataType = quint8(ui.cbxDataFlags->currentIndex());
    target.Parameter = ui.edtParameters->text().trimmed();
    target.TimeBound = m_timeBound->checkedId();
    target.Filter = ui.edtFilterFile->text().trimmed();
    target.BaseTime = timeOfDay(ui.edtBase);
    target.ProcTime = timeOfDay(ui.edtProcTime);
    bool wholeDays = false;
    const int days = ui.edtIntervalDay->text().toInt(&wholeDays);
    target.Interval = timeOfDay(ui.edtInterval) + (wholeDays ? days : 0);
}

void TGroupFieldEdits::updateIntervalControls()
{
    const bool entered = UsesOwnInterval(ui.cbxInterval->currentIndex());
    ui.edtIntervalDay->setEnabled(entered);
    ui.spnbtnNoChangeInterval->setEnabled(entered);
    ui.edtInterval->setEnabled(entered);
}

// The steps wrap between 0 and 365; a typed day count outside that range
// steps on from where it is.
void TGroupFieldEdits::stepDays(int step)
{
    bool isNumber = false;
    int days = ui.edtIntervalDay->text().toInt(&isNumber);
    if (!isNumber) {
        MessageBox::error(m_window, tr("Error 1504: Invalid day value"));
        return;
    }
    if (step > 0)
        days = days == MaxIntervalDays ? 0 : days + 1;
    else
        days = days == 0 ? MaxIntervalDays : days - 1;
    ui.edtIntervalDay->setText(QString::number(days));
    Q_EMIT modified();
}

void TGroupFieldEdits::setClock(const TClock& clock)
{
    m_clock = clock;
    updateStartPreview();
}

void TGroupFieldEdits::updateStartPreview()
{
    const QString text = ui.cbxDateFrom->currentText();
    ui.edtStartPreview->setText(TimePreviewText(EvaluateTimeText(text, SetupTimeKeywords(), m_clock())));
}
