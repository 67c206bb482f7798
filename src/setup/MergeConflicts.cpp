#include "MergeConflicts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { FieldColumn, MineColumn, TheirsColumn, ChoiceColumn, ColumnCount };

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setToolTip(text);
    return item;
}

} // namespace

TfrmMergeConflicts::TfrmMergeConflicts(QWidget* owner, const QString& groupName, const QList<TMergeConflict>& conflicts,
                                       const QDateTime& written)
    : QDialog(owner), m_table(new QTableWidget(int(conflicts.size()), ColumnCount, this))
{
    setObjectName(QStringLiteral("frmMergeConflicts"));
    setWindowTitle(tr("Changed by another program"));
    auto* text = new QLabel(tr("Another program changed %1 at %2, while you edited it. Choose for each field "
                               "which value to save.")
                                .arg(groupName, QLocale().toString(written, QLocale::ShortFormat)),
                            this);
    text->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("tblConflicts"));
    m_table->setAccessibleName(tr("Fields changed on both sides"));
    m_table->setHorizontalHeaderLabels({tr("Field"), tr("Your value"), tr("Their value"), tr("Save")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    for (int row = 0; row < conflicts.size(); ++row) {
        const TMergeConflict& conflict = conflicts[row];
        m_table->setItem(row, FieldColumn, readOnlyItem(conflict.field));
        m_table->setItem(row, MineColumn, readOnlyItem(conflict.mine));
        m_table->setItem(row, TheirsColumn, readOnlyItem(conflict.theirs));
        auto* choice = new QComboBox(m_table);
        choice->addItems({tr("Keep mine"), tr("Take theirs")});
        choice->setAccessibleName(tr("Value to save for %1").arg(conflict.field));
        choice->setCurrentIndex(conflict.takeTheirs ? 1 : 0);
        m_table->setCellWidget(row, ChoiceColumn, choice);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(640, 320);
}

void TfrmMergeConflicts::applyChoices(QList<TMergeConflict>& conflicts) const
{
    for (int row = 0; row < conflicts.size() && row < m_table->rowCount(); ++row) {
        const auto* choice = qobject_cast<const QComboBox*>(m_table->cellWidget(row, ChoiceColumn));
        conflicts[row].takeTheirs = choice && choice->currentIndex() == 1;
    }
}

bool TfrmMergeConflicts::resolve(QWidget* owner, const QString& groupName, QList<TMergeConflict>& conflicts,
                                 const QDateTime& written)
{
    TfrmMergeConflicts window(owner, groupName, conflicts, written);
    if (window.exec() != QDialog::Accepted)
        return false;
    window.applyChoices(conflicts);
    return true;
}
