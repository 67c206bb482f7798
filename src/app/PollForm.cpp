#include "PollForm.h"

#include "ui_PollForm.h"

#include "config/DataDef.h"
#include "widgets/AccessibleNames.h"

TfrmPoll::TfrmPoll(const TZizaVureGroups& groups, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TfrmPoll>())
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    for (int i = 0; i < groups.Count(); ++i)
        ui->lbxPollGroups->addItem(QString::number(groups.Items(i)->PPGIndex));
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmPoll::~TfrmPoll() = default;

QList<int> TfrmPoll::selectedPositions() const
{
    QList<int> positions;
    for (int row = 0; row < ui->lbxPollGroups->count(); ++row) {
        if (ui->lbxPollGroups->item(row)->isSelected())
            positions.append(row);
    }
    return positions;
}
