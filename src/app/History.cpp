#include "History.h"

#include "ui_History.h"

#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "widgets/AccessibleNames.h"
#include "widgets/MessageBox.h"

#include <QSet>

#include <algorithm>

namespace {

enum VersionColumn { IdColumn, TimeColumn, WhoColumn, ProgramColumn, KindColumn, GroupsColumn };
enum ChangeColumn { GroupColumn, FieldColumn, BeforeColumn, AfterColumn };

// In the operator's own forms, as the status memo shows its times.
QString localTimeText(const QDateTime& utc)
{
    const FormatSettings& format = FormatSettings::current();
    const double value = DateTimeValue::fromDateTime(utc.toLocalTime());
    return format.formatDate(value) + u' ' + format.formatLongTime(value);
}

QStringList groupNames(const THistoryVersion& version)
{
    QStringList names;
    for (const THistoryGroup& group : version.groups)
        names.append(group.name);
    return names;
}

void fillFilter(QComboBox* filter, const QString& everything, const QSet<QString>& names)
{
    QStringList sorted(names.begin(), names.end());
    sorted.sort(Qt::CaseInsensitive);
    filter->addItem(everything);
    for (const QString& name : std::as_const(sorted))
        filter->addItem(name, name);
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(text);
    return item;
}

} // namespace

TfrmHistory::TfrmHistory(QWidget* owner, const QString& configPath, Restore restore)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmHistory>()), m_history(configPath), m_versions(m_history.versions()),
      m_restore(std::move(restore)), m_pinned(m_history.pinnedIds())
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    fillVersions();
    fillFilters();
    // The newest version is what an operator opening the window most likely looks for.
    ui->lvwVersions->setCurrentItem(ui->lvwVersions->topLevelItem(0));
    connect(ui->cbxFilterGroup, &QComboBox::currentIndexChanged, this, &TfrmHistory::applyFilters);
    connect(ui->cbxFilterUser, &QComboBox::currentIndexChanged, this, &TfrmHistory::applyFilters);
    connect(ui->lvwVersions, &QTreeWidget::itemSelectionChanged, this, &TfrmHistory::showSelection);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->btnRestoreGroup, &QPushButton::clicked, this, [this] { restoreSelected(false); });
    connect(ui->btnRestoreVersion, &QPushButton::clicked, this, [this] { restoreSelected(true); });
    connect(ui->btnPin, &QPushButton::clicked, this, &TfrmHistory::pinSelected);
    connect(ui->cbxFilterGroup, &QComboBox::currentIndexChanged, this, &TfrmHistory::updateRestoreButtons);
    showSelection();
}

// After a restore: the restore itself is the newest version.
void TfrmHistory::reload()
{
    m_versions = m_history.versions();
    m_pinned = m_history.pinnedIds();
    const QString group = ui->cbxFilterGroup->currentData().toString();
    ui->lvwVersions->clear();
    ui->cbxFilterGroup->clear();
    ui->cbxFilterUser->clear();
    fillVersions();
    fillFilters();
    ui->cbxFilterGroup->setCurrentIndex(qMax(0, ui->cbxFilterGroup->findData(group)));
    ui->lvwVersions->setCurrentItem(ui->lvwVersions->topLevelItem(0));
}

// One version to restore from; a group restore needs the group filter's group.
void TfrmHistory::updateRestoreButtons()
{
    const bool one = ui->lvwVersions->selectedItems().size() == 1;
    ui->btnRestoreVersion->setEnabled(one);
    ui->btnPin->setEnabled(one);
    ui->btnRestoreGroup->setEnabled(one && !ui->cbxFilterGroup->currentData().toString().isEmpty());
}

void TfrmHistory::pinSelected()
{
    const int id = versionOf(ui->lvwVersions->selectedItems().value(0)).id;
    if (!m_history.pin(id))
        MessageBox::error(this, m_history.error());
    reload();
}

void TfrmHistory::restoreSelected(bool wholeVersion)
{
    const int id = versionOf(ui->lvwVersions->selectedItems().value(0)).id;
    const QString group = wholeVersion ? QString() : ui->cbxFilterGroup->currentData().toString();
    QMap<QString, QString> now = m_history.sectionsAt(m_versions.last().id);
    QMap<QString, QString> then = m_history.sectionsAt(id);
    if (!wholeVersion) {
        now = {{group, now.value(group)}};
        then = {{group, then.value(group)}};
    }
    QStringList changes;
    for (const THistoryGroup& changed : TConfigHistory::compare(now, then)) {
        QStringList fields;
        for (const THistoryField& field : changed.fields)
            fields.append(field.key);
        changes.append(groupText(changed) + QStringLiteral(": ") + fields.join(QStringLiteral(", ")));
    }
    if (changes.isEmpty()) {
        MessageBox::information(this,
                                tr("Version %1 holds what the configuration holds now: nothing to restore.").arg(id));
        return;
    }
    const QString what = wholeVersion ? tr("the configuration") : group;
    if (MessageBox::question(
            this,
            tr("Restore %1 as version %2 holds it? This changes:\n%3").arg(what).arg(id).arg(changes.join(u'\n'))) !=
        MessageBox::Ok)
        return;
    m_restore(id, group);
    reload();
}

TfrmHistory::~TfrmHistory() = default;

void TfrmHistory::fillVersions()
{
    for (qsizetype index = m_versions.size() - 1; index >= 0; --index) {
        const THistoryVersion& version = m_versions[index];
        auto* item =
            new QTreeWidgetItem(ui->lvwVersions, {QString::number(version.id), localTimeText(version.time),
                                                  version.user + u'@' + version.host, version.program,
                                                  kindText(version), groupNames(version).join(QStringLiteral(", "))});
        item->setData(IdColumn, Qt::UserRole, index);
        item->setToolTip(GroupsColumn, item->text(GroupsColumn));
    }
    for (int column = IdColumn; column < GroupsColumn; ++column)
        ui->lvwVersions->resizeColumnToContents(column);
}

QString TfrmHistory::kindText(const THistoryVersion& version) const
{
    QString text = tr("saved");
    if (version.kind == u"baseline")
        text = tr("first recorded");
    else if (version.kind == u"external")
        text = tr("changed outside the program");
    else if (version.kind == u"restore")
        text = tr("restored from version %1").arg(version.restoredFrom);
    return m_pinned.contains(version.id) ? tr("%1, pinned").arg(text) : text;
}

// A group that was added or erased says so beside its name.
QString TfrmHistory::groupText(const THistoryGroup& group)
{
    if (group.change == u"added")
        return tr("%1 (added)").arg(group.name);
    if (group.change == u"erased")
        return tr("%1 (erased)").arg(group.name);
    return group.name;
}

void TfrmHistory::fillFilters()
{
    QSet<QString> groups;
    QSet<QString> users;
    for (const THistoryVersion& version : std::as_const(m_versions)) {
        for (const THistoryGroup& group : version.groups)
            groups.insert(group.name);
        users.insert(version.user);
    }
    fillFilter(ui->cbxFilterGroup, tr("All groups"), groups);
    fillFilter(ui->cbxFilterUser, tr("Everybody"), users);
}

const THistoryVersion& TfrmHistory::versionOf(const QTreeWidgetItem* item) const
{
    return m_versions[item->data(IdColumn, Qt::UserRole).toInt()];
}

// A version hidden by a filter leaves the selection, so that the changes
// shown are always those of rows that can be seen.
void TfrmHistory::applyFilters()
{
    const QString group = ui->cbxFilterGroup->currentData().toString();
    const QString user = ui->cbxFilterUser->currentData().toString();
    for (int row = 0; row < ui->lvwVersions->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ui->lvwVersions->topLevelItem(row);
        const THistoryVersion& version = versionOf(item);
        const bool shown =
            (user.isEmpty() || version.user == user) && (group.isEmpty() || groupNames(version).contains(group));
        item->setHidden(!shown);
        if (!shown)
            item->setSelected(false);
    }
}

void TfrmHistory::showSelection()
{
    const QList<QTreeWidgetItem*> selected = ui->lvwVersions->selectedItems();
    if (selected.size() == 1) {
        const THistoryVersion& version = versionOf(selected.first());
        ui->lblChanges->setText(tr("Changes of version %1").arg(version.id));
        showChanges(version.groups);
    } else if (selected.size() == 2) {
        const auto [older, newer] = std::minmax(versionOf(selected[0]).id, versionOf(selected[1]).id);
        ui->lblChanges->setText(tr("From version %1 to version %2").arg(older).arg(newer));
        showChanges(TConfigHistory::compare(m_history.sectionsAt(older), m_history.sectionsAt(newer)));
    } else {
        ui->lblChanges->setText(tr("Select a version to see its changes, or two versions to compare them."));
        showChanges({});
    }
    updateRestoreButtons();
    ui->tblChanges->setAccessibleDescription(ui->lblChanges->text());
}

// A group that holds no field still gets its row.
void TfrmHistory::showChanges(const QList<THistoryGroup>& groups)
{
    QTableWidget* table = ui->tblChanges;
    table->setRowCount(0);
    for (const THistoryGroup& group : groups) {
        const QString name = groupText(group);
        const QList<THistoryField> fields = group.fields.isEmpty() ? QList<THistoryField>{{}} : group.fields;
        for (const THistoryField& field : fields) {
            const int row = table->rowCount();
            table->insertRow(row);
            table->setItem(row, GroupColumn, cell(name));
            table->setItem(row, FieldColumn, cell(field.key));
            table->setItem(row, BeforeColumn, cell(field.before));
            table->setItem(row, AfterColumn, cell(field.after));
        }
    }
    table->resizeColumnsToContents();
}
