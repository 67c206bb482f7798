#include "Setup.h"

#include "ui_Setup.h"

#include "DataLabelDup.h"
#include "GroupFieldEdits.h"
#include "GroupLabels.h"
#include "MergeConflicts.h"
#include "PairListControls.h"
#include "StationPicker.h"
#include "calc/TimeText.h"
#include "config/ConfigFile.h"
#include "config/ConfigLog.h"
#include "config/RecoveryFile.h"
#include "db/DbError.h"
#include "filter/FilterSelect.h"
#include "platform/LockWait.h"
#include "widgets/AccessibleNames.h"
#include "widgets/FieldExitWatcher.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeTextCheck.h"

#include <QAbstractEventDispatcher>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

TfrmOptionSetup::TfrmOptionSetup(QWidget* owner, TDbSession& session, TDbDatabase& database, TZizaVureGroups& groups,
                                 ConfigFile& config)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmOptionSetup>()), m_session(session), m_database(database),
      m_groups(groups), m_configSession(config, groups), m_edit(m_configSession)
{
    ui->setupUi(this);
    // The change history names the editor as the writer of its saves.
    m_programBefore = config.programName();
    config.setProgramName(QStringLiteral("QV ZizaVure setup editor"));
    NameControlsByTheirLabels(*this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Return in a field finishes the field; it never runs a button such as "Browse".
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    setUpGroupControls();
    setUpStationControls();
    setUpPairControls();

    fillGroupSelector();
    if (m_groups.Count() == 0) {
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
        LoadGroup(-1);
    } else {
        ui->cbxGroup->setCurrentIndex(0);
        LoadGroup(0);
    }
    // Loading a group with a filter has read the list already.
    if (!m_stations->filterName())
        ReloadStations();

    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmOptionSetup::updateActions);
    connect(&m_configSession, &TConfigSession::fileChanged, this, &TfrmOptionSetup::followFile);
    updateActions();
}

TfrmOptionSetup::~TfrmOptionSetup()
{
    m_configSession.config().setProgramName(m_programBefore);
    m_pairs->clear();
    DisconnectControlsForTeardown(*this);
}

void TfrmOptionSetup::setUpGroupControls()
{
    m_fields = new TGroupFieldEdits(this, *ui);
    connect(m_fields, &TGroupFieldEdits::modified, this, &TfrmOptionSetup::markModified);
    connect(m_fields, &TGroupFieldEdits::startFromLeft, this, &TfrmOptionSetup::startFromPicked);

    bindButton(ui->btnNew, ui->actNew);
    bindButton(ui->btnCopy, ui->actCopy);
    bindButton(ui->btnDelete, ui->actDelete);
    bindButton(ui->btnDeleteAll, ui->actDeleteAll);
    bindButton(ui->btnSave, ui->actSave);
    addActions({ui->actNew, ui->actSave, ui->actDelete, ui->actDeleteAll});
    connect(ui->actNew, &QAction::triggered, this, &TfrmOptionSetup::actNewExecute);
    connect(ui->actCopy, &QAction::triggered, this, &TfrmOptionSetup::actCopyExecute);
    connect(ui->actDelete, &QAction::triggered, this, &TfrmOptionSetup::actDeleteExecute);
    connect(ui->actDeleteAll, &QAction::triggered, this, &TfrmOptionSetup::actDeleteAllExecute);
    connect(ui->actSave, &QAction::triggered, this, &TfrmOptionSetup::actSaveExecute);

    connect(ui->cbxGroup, &QComboBox::activated, this, &TfrmOptionSetup::cbxGroupChange);
    connect(ui->btnFilter, &QPushButton::clicked, this, &TfrmOptionSetup::btnFilterClick);
    connect(ui->edtFilterFile, &QLineEdit::editingFinished, this, &TfrmOptionSetup::edtFilterFileExit);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->btnHelp, &QPushButton::clicked, this, [this] {
        if (m_openHelp)
            m_openHelp(this, QStringLiteral("setup.html"));
    });
}

void TfrmOptionSetup::setClock(const TClock& clock)
{
    m_fields->setClock(clock);
}

void TfrmOptionSetup::setUpStationControls()
{
    m_stations = new TStationPicker(
        this, {ui->tvwLeftTree, ui->cbxView, ui->btnSetupSitesSensorsAdd, ui->btnSetupSitesSensorsAddAll}, m_database);
    connect(m_stations, &TStationPicker::nodesPicked, this,
            [this](const QModelIndexList& nodes) { m_pairs->addNodes(m_stations->model(), nodes); });
}

void TfrmOptionSetup::setUpPairControls()
{
    m_pairs =
        new TPairListControls(this,
                              {ui->lbxSiteSensor, ui->edtDataLabel, ui->edtAltDataLabel, ui->btnSetupSitesSensorsDelete,
                               ui->btnSetupSitesSensorsDeleteAll, ui->BitBtn1, ui->BitBtn2},
                              m_edit, [this]() -> TZizaVureGroupItem& { return currentGroup(); });
    connect(m_pairs, &TPairListControls::modified, this, &TfrmOptionSetup::markModified);
}

// The buttons run their commands and follow their enabled state.
void TfrmOptionSetup::bindButton(QPushButton* button, QAction* action)
{
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
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
    if (stored)
        m_placeholder.reset(); // the list is no longer empty
    const TZizaVureGroupItem& group = stored ? *m_groups.Items(index) : *m_placeholder;
    m_fields->show(group);
    m_pairs->fill(group);
    m_groupIndex = ui->cbxGroup->currentIndex();

    const QString filter = ui->edtFilterFile->text().trimmed();
    if (m_stations->filterName() != filter)
        ReloadStations();
    m_modified = false;
}

bool TfrmOptionSetup::SaveGroup()
{
    const auto takeEdits = [&](TZizaVureGroupItem& target) {
        m_fields->take(target);
        m_pairs->commitEdited();
    };
    const auto resolve = [this](QList<TMergeConflict>& conflicts, const QDateTime& written) {
        return resolveConflicts(conflicts, written);
    };
    const auto askErased = [this](const QString& name) {
        return MessageBox::question(this, tr("%1 was erased by another program. Save it again?").arg(name)) ==
               MessageBox::Ok;
    };
    TGroupEdit::SaveResult result;
    m_saving = true;
    try {
        result = m_edit.save(currentGroup(), takeEdits, resolve, askErased);
    } catch (const EDataLabelDup& clash) {
        m_saving = false;
        m_pairs->showClash(clash);
        throw;
    } catch (...) {
        m_saving = false;
        throw;
    }
    // The registration serves events while it runs; the list must not change
    // under it either.
    if (result.saved)
        RegisterGroupLabels(this, m_database, *result.saved);
    m_saving = false;
    if (result.outcome == TConfigSession::SaveOutcome::Cancelled)
        return false;
    if (m_status) {
        for (const QString& warning : std::as_const(result.warnings))
            m_status(warning);
    }
    if (m_placeholder && result.saved)
        joinPlaceholder(*result.saved);
    else if (result.outcome != TConfigSession::SaveOutcome::Saved)
        fillGroupSelector(); // merged or let go: the list and the fields show the file
    m_modified = false;
    if (result.outcome != TConfigSession::SaveOutcome::Saved)
        showSelectedGroup();
    return true;
}

bool TfrmOptionSetup::resolveConflicts(QList<TMergeConflict>& conflicts, const QDateTime& written)
{
    return TfrmMergeConflicts::resolve(this, currentGroup().GroupName, conflicts, written);
}

// The placeholder exists only while the list is empty; the session has
// put the saved group into the list.
void TfrmOptionSetup::joinPlaceholder(TZizaVureGroupItem& saved)
{
    m_placeholder.reset();
    fillGroupSelector();
    const QSignalBlocker blocker(ui->cbxGroup);
    m_groupIndex = m_groups.IndexOf(&saved);
    ui->cbxGroup->setCurrentIndex(m_groupIndex);
}

// The selector lists the groups by number; a group that another writer
// erased while it is shown here says so.
void TfrmOptionSetup::fillGroupSelector()
{
    const QSignalBlocker blocker(ui->cbxGroup);
    ui->cbxGroup->clear();
    for (int i = 0; i < m_groups.Count(); ++i) {
        const TZizaVureGroupItem& group = *m_groups.Items(i);
        const QString number = QString::number(group.PPGIndex);
        ui->cbxGroup->addItem(m_configSession.erasedElsewhere(group) ? tr("%1 (erased by another program)").arg(number)
                                                                     : number);
    }
    ui->cbxGroup->setCurrentIndex(m_groupIndex < m_groups.Count() ? m_groupIndex : -1);
}

// Another writer changed the file: the selector offers what the file lists,
// the group being edited stays, and an unmodified group shows the file's
// version of itself.
void TfrmOptionSetup::followFile()
{
    if (m_saving || LockWait::isWaitingOnMainThread())
        return;
    TZizaVureGroupItem* shown = m_groupIndex >= 0 ? m_groups.Items(m_groupIndex) : nullptr;
    const QStringList lines = m_configSession.refresh(m_modified ? shown : nullptr);
    if (lines.isEmpty())
        return;
    if (m_status) {
        for (const QString& line : lines)
            m_status(line);
    }
    m_groupIndex = shown ? m_groups.IndexOf(shown) : -1;
    if (m_groupIndex < 0 && !m_placeholder && m_groups.Count() > 0)
        m_groupIndex = 0;
    fillGroupSelector();
    if (!m_modified)
        showSelectedGroup();
}

bool TfrmOptionSetup::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        followFile();
    return QDialog::event(event);
}

bool TfrmOptionSetup::ValidateStartFrom(const QString& text)
{
    return ValidateTimeText(this, text, SetupTimeKeywords());
}

void TfrmOptionSetup::markModified()
{
    m_modified = true;
}

void TfrmOptionSetup::actNewExecute()
{
    if (saveIfModified())
        addGroup(nullptr);
}

// The copy is written without its pairs: their labels repeat the source's,
// which the label rule refuses for the same stations. They wait in the pair
// list for the operator to relabel and save them.
void TfrmOptionSetup::actCopyExecute()
{
    if (!saveIfModified() || m_groupIndex < 0)
        return;
    addWithPendingPairs(*m_groups.Items(m_groupIndex));
}

void TfrmOptionSetup::addWithPendingPairs(const TZizaVureGroupItem& source)
{
    TZizaVureGroupItem fields;
    fields.AssignFrom(source);
    fields.ClearStationSensors();
    if (addGroup(&fields))
        m_pairs->append(source);
}

// A new group or a copy is written at once under the number that the file
// leaves free, so that no other program can take that number meanwhile.
bool TfrmOptionSetup::addGroup(const TZizaVureGroupItem* source)
{
    try {
        m_configSession.addGroup(source);
    } catch (const EWriteError& error) {
        reportError(error.message());
        return false;
    }
    m_placeholder.reset();
    m_groupIndex = m_groups.Count() - 1;
    fillGroupSelector();
    LoadGroup(m_groupIndex);
    return true;
}

// Pending changes go with the group; its data labels stay registered.
void TfrmOptionSetup::actDeleteExecute()
{
    const int index = ui->cbxGroup->currentIndex();
    if (index < 0)
        return;
    if (MessageBox::question(this, tr("Are you sure you want to delete this Group?")) != MessageBox::Ok)
        return;
    if (!eraseGroup(index))
        return;
    selectAfterDeletion(index < ui->cbxGroup->count() ? index : ui->cbxGroup->count() - 1);
}

void TfrmOptionSetup::actDeleteAllExecute()
{
    if (MessageBox::question(this, tr("Are you sure you want to delete all the Groups?")) != MessageBox::Ok)
        return;
    for (int i = m_groups.Count() - 1; i >= 0; --i) {
        if (!eraseGroup(i))
            break;
    }
    selectAfterDeletion(ui->cbxGroup->count() - 1);
}

void TfrmOptionSetup::actSaveExecute()
{
    trySaveGroup();
}

void TfrmOptionSetup::updateActions()
{
    const bool stored = m_groups.Count() > 0;
    ui->actNew->setEnabled(true);
    ui->actCopy->setEnabled(m_groupIndex >= 0);
    ui->actDelete->setEnabled(stored);
    ui->actDeleteAll->setEnabled(stored);
    ui->actSave->setEnabled(m_modified && (m_placeholder || (stored && ui->cbxGroup->currentIndex() >= 0)));
    m_fields->updateIntervalControls();
}

// Saves the current group and tells the operator when that failed. The
// service must never read a start text that the window itself refuses.
bool TfrmOptionSetup::trySaveGroup()
{
    if (!ValidateStartFrom(ui->cbxDateFrom->currentText())) {
        ui->cbxDateFrom->setFocus(Qt::OtherFocusReason);
        return false;
    }
    try {
        return SaveGroup();
    } catch (const EConvertError& error) {
        MessageBox::error(this, error.message());
    } catch (const Exception& error) {
        reportError(error.message());
    }
    return false;
}

// The save prompt: true when the action that asked may go on.
bool TfrmOptionSetup::saveIfModified()
{
    if (!m_modified)
        return true;
    switch (MessageBox::saveQuestion(this, tr("Save all current parameters?"))) {
    case MessageBox::Ok:
        return trySaveGroup();
    case MessageBox::Discard:
        m_modified = false;
        return true;
    default:
        return false;
    }
}

// A group whose section cannot be erased stays, so that memory and file agree.
bool TfrmOptionSetup::eraseGroup(int index)
{
    try {
        m_configSession.eraseGroup(*m_groups.Items(index));
    } catch (const EWriteError& error) {
        reportError(error.message());
        return false;
    }
    const QSignalBlocker blocker(ui->cbxGroup);
    ui->cbxGroup->removeItem(index);
    return true;
}

void TfrmOptionSetup::selectAfterDeletion(int index)
{
    {
        const QSignalBlocker blocker(ui->cbxGroup);
        ui->cbxGroup->setCurrentIndex(index);
    }
    showSelectedGroup();
}

void TfrmOptionSetup::reportError(const QString& message)
{
    MessageBox::error(this, tr("Error 1500: ") + message);
}

// When the previous group cannot be saved, the selector goes back to it.
void TfrmOptionSetup::cbxGroupChange()
{
    if (ui->cbxGroup->currentIndex() == m_groupIndex)
        return;
    if (!saveIfModified()) {
        const QSignalBlocker blocker(ui->cbxGroup);
        ui->cbxGroup->setCurrentIndex(m_groupIndex);
        return;
    }
    showSelectedGroup();
}

// Loads the selected group, or a fresh placeholder when nothing is selected.
void TfrmOptionSetup::showSelectedGroup()
{
    m_modified = false;
    m_groupIndex = ui->cbxGroup->currentIndex();
    if (m_groupIndex < 0)
        m_placeholder = std::make_unique<TZizaVureGroupItem>();
    LoadGroup(m_groupIndex);
}

void TfrmOptionSetup::startFromPicked()
{
    if (!ValidateStartFrom(ui->cbxDateFrom->currentText()))
        ui->cbxDateFrom->setFocus(Qt::OtherFocusReason);
    markIfStartFromChanged();
}

// Typing alone marks nothing; leaving or picking does, for a stored group.
void TfrmOptionSetup::markIfStartFromChanged()
{
    if (m_groupIndex >= 0 && ui->cbxDateFrom->currentText() != m_groups.Items(m_groupIndex)->StartFrom)
        markModified();
}

// The filter editor starts from nothing of the field; its saved file replaces the field's text.
void TfrmOptionSetup::btnFilterClick()
{
    TfrmFilterSelect editor(this, m_session, m_database);
    if (editor.exec() != QDialog::Accepted)
        return;
    QString name;
    if (!editor.GetFilterFileName(name))
        return;
    ui->edtFilterFile->setText(name);
    edtFilterFileExit();
}

void TfrmOptionSetup::edtFilterFileExit()
{
    if (ui->edtFilterFile->text().trimmed() != filterName())
        ReloadStations();
}

// A start text typed and not yet left counts as a change. A modified group
// gets its save prompt, whose save checks the start text; an unmodified one
// with an invalid start text keeps the window open too.
bool TfrmOptionSetup::FormCloseQuery()
{
    markIfStartFromChanged();
    if (m_modified)
        return saveIfModified();
    if (ValidateStartFrom(ui->cbxDateFrom->currentText()))
        return true;
    ui->cbxDateFrom->setFocus(Qt::OtherFocusReason);
    return false;
}

void TfrmOptionSetup::showEvent(QShowEvent* event)
{
    // The default size is the designed one, made smaller to fit a small or
    // much scaled screen together with the window's frame.
    if (!m_shown && screen()) {
        m_shown = true;
        const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        resize(size().boundedTo(screen()->availableGeometry().marginsRemoved(frame).size()));
        QTimer::singleShot(0, this, &TfrmOptionSetup::offerRecovery);
    }
    QDialog::showEvent(event);
}

// Edits kept when the program last had to end are offered once.
void TfrmOptionSetup::offerRecovery()
{
    // An editor closed before its first events ran (a termination request)
    // has just kept its own edits.
    if (!isVisible())
        return;
    TRecoveryFile recovery(TRecoveryFile::defaultPath());
    const std::optional<TRecoveryFile::Edits> kept = recovery.read(m_configSession.path());
    if (!kept)
        return;
    const QString question =
        tr("Edits of %1 were not saved when the program last ended. Recover them?").arg(kept->edited->GroupName);
    const bool recover = MessageBox::question(this, question) == MessageBox::Ok;
    recovery.remove();
    if (recover)
        showRecovered(*kept);
}

// The edits are shown unsaved; their save merges them, as any save does,
// with what others wrote since they were loaded. A group that is gone is
// written again as a new one.
void TfrmOptionSetup::showRecovered(const TRecoveryFile::Edits& kept)
{
    const int index = [&] {
        for (int i = 0; i < m_groups.Count(); ++i) {
            if (ConfigFile::SectionKey(m_groups.Items(i)->GroupName) == ConfigFile::SectionKey(kept.edited->GroupName))
                return i;
        }
        return -1;
    }();
    if (index < 0 || !saveIfModified()) {
        if (index < 0)
            addWithPendingPairs(*kept.edited);
        return;
    }
    m_groupIndex = index;
    fillGroupSelector();
    LoadGroup(index);
    m_fields->show(*kept.edited);
    m_pairs->fill(*kept.edited);
    m_edit.setBase(*kept.base);
    markModified();
}

void TfrmOptionSetup::closeOnRequest()
{
    markIfStartFromChanged();
    if (m_modified)
        keepEditsForRecovery();
    m_modified = false;
    QDialog::reject();
}

// Whatever of the edits can be taken: a field that holds no time keeps its
// loaded value, and labels that clash are kept as typed.
void TfrmOptionSetup::keepEditsForRecovery()
{
    TZizaVureGroupItem edited;
    edited.AssignFrom(currentGroup());
    try {
        m_fields->take(edited);
    } catch (const EConvertError&) {
    }
    try {
        m_pairs->commitEdited();
    } catch (const EDataLabelDup&) {
    }
    edited.ClearStationSensors();
    for (const auto& pair : m_edit.pairs())
        edited.StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(*pair));
    try {
        TRecoveryFile(TRecoveryFile::defaultPath()).write(m_configSession.path(), m_edit.base(), edited);
    } catch (const EWriteError& error) {
        qCWarning(lcConfig, "Edits not kept for recovery: %s", error.what());
    }
}

void TfrmOptionSetup::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

void TfrmOptionSetup::ReloadStations()
{
    m_stations->reload(ui->edtFilterFile->text());
}
