#pragma once

#include "GroupEdit.h"
#include "StationPicker.h"
#include "calc/TimePreview.h"
#include "config/DataDef.h"
#include "config/RecoveryFile.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>
#include <optional>

class ConfigFile;
class EDataLabelDup;
class TGroupFieldEdits;
class QModelIndex;
class QPushButton;
class TDbDatabase;
class TDbSession;
class TPairListControls;
class TStationPicker;

namespace Ui {
class TfrmOptionSetup;
}

// "Edit Setup Options": edits the main window's groups in place, one group at
// a time. The upper half holds the group selector and the group's fields; the
// box "SiteSensors" chooses the group's station/sensor pairs from a tree of the
// database's stations, and the two label edits below it name each pair's
// result.
//
// The pair list holds copies of the current group's pairs; the group itself
// takes them only when it is saved.
class TfrmOptionSetup : public QDialog
{
    Q_OBJECT

public:
    // None of the references is owned. The database is read for the station
    // list, and with the session it is lent to the filter editor.
    TfrmOptionSetup(QWidget* owner, TDbSession& session, TDbDatabase& database, TZizaVureGroups& groups,
                    ConfigFile& config);
    ~TfrmOptionSetup() override;

    // Where a save reports what the operator should know without a prompt
    // (the main window's status memo).
    using StatusSink = std::function<void(const QString& line)>;
    void setStatusSink(const StatusSink& addStatusLine) { m_status = addStatusLine; }
    // Opens the manual at a page for a window of the editor's (the editor
    // itself, or one it opens), so that the modal editor does not block it.
    using HelpOpener = std::function<void(QWidget* owner, const QString& page)>;
    void setHelpOpener(const HelpOpener& openHelp) { m_openHelp = openHelp; }
    // The time that the start preview is reckoned from; tests fix it.
    void setClock(const TClock& clock);

    // The group that the controls show: the stored group at the current
    // index, or the window's own placeholder while the index is -1.
    TZizaVureGroupItem& currentGroup();
    int currentGroupIndex() const { return m_groupIndex; }
    bool isModified() const { return m_modified; }

    // Shows the list's group at `index`, or the placeholder when the selector
    // has no such item, and reads the station list again when its filter
    // name differs. Leaves the group unmodified.
    void LoadGroup(int index);

    // Takes the controls into the current group, writes its section (merged
    // with another writer's changes to it, asking where both changed a field)
    // and registers its data labels; the placeholder joins the list under the
    // lowest number free in the file. Returns false when the operator
    // cancelled the merge. A group that another writer erased meanwhile is
    // written again or, when the operator lets it go, leaves the list.
    // Raises EDataLabelDup, EWriteError, or an error for a time field that
    // holds no time of day; the group in memory is then left as it was before
    // the save, and the controls keep the edits.
    bool SaveGroup();

    // Closes without a question, on a termination request (a signal, a
    // logout): unsaved edits go to the operator's recovery file, which the
    // next editor on this configuration offers.
    void closeOnRequest();

    // True for a start text the service can read; shows "Error 1505: ..." otherwise.
    bool ValidateStartFrom(const QString& text);

    // Empties the station cache, reads it again through the filter file of
    // the filter field and rebuilds the tree for the selected view. A filter
    // that is not one condition, or that the database refuses, is shown in a
    // message and lists no stations; a failing database is silent, and the
    // tree then shows the rows read before it.
    void ReloadStations();
    // The trimmed filter field as it was when the station list was last read.
    QString filterName() const { return m_stations->filterName().value_or(QString()); }
    const TStationSensorCache& stationCache() const { return m_stations->cache(); }

    // The pair list and its label edits (see TPairListControls).
    TPairListControls& pairList() { return *m_pairs; }
    const TStationSensorList& pairs() const { return m_edit.pairs(); }

protected:
    // Every way of closing ends here: the start text is checked and a
    // modified group has to be saved first.
    void reject() override;
    // The window opens at its natural size, but never larger than its screen.
    void showEvent(QShowEvent* event) override;
    // Activation looks whether the file changed: a watch alone misses
    // network file systems.
    bool event(QEvent* event) override;

private:
    void setUpGroupControls();
    void setUpStationControls();
    void setUpPairControls();
    void bindButton(QPushButton* button, QAction* action);
    void joinPlaceholder(TZizaVureGroupItem& saved);
    void followFile();
    void fillGroupSelector();
    bool resolveConflicts(QList<TMergeConflict>& conflicts, const QDateTime& written);
    void markModified();

    // The group actions and what they share.
    void actNewExecute();
    void actCopyExecute();
    void actDeleteExecute();
    void actDeleteAllExecute();
    void actSaveExecute();
    void updateActions();
    bool trySaveGroup();
    bool saveIfModified();
    bool addGroup(const TZizaVureGroupItem* source);
    void addWithPendingPairs(const TZizaVureGroupItem& source);
    void offerRecovery();
    void showRecovered(const TRecoveryFile::Edits& kept);
    void keepEditsForRecovery();
    bool eraseGroup(int index);
    void selectAfterDeletion(int index);
    void reportError(const QString& message);

    // The group selector, the group fields and closing.
    void cbxGroupChange();
    void showSelectedGroup();
    void startFromPicked();
    void markIfStartFromChanged();
    void btnFilterClick();
    void edtFilterFileExit();
    bool FormCloseQuery();

    std::unique_ptr<Ui::TfrmOptionSetup> ui;
    TDbSession& m_session;
    TDbDatabase& m_database;
    TZizaVureGroups& m_groups;
    QString m_programBefore; // the configuration's writer before the editor opened
    TConfigSession m_configSession;
    StatusSink m_status;
    HelpOpener m_openHelp;

    int m_groupIndex = -1;
    std::unique_ptr<TZizaVureGroupItem> m_placeholder; // only while the list is empty
    bool m_modified = false;
    bool m_shown = false;
    bool m_saving = false; // the list must not change under a save

    TGroupEdit m_edit;
    TGroupFieldEdits* m_fields = nullptr;
    TPairListControls* m_pairs = nullptr;
    TStationPicker* m_stations = nullptr;
};
