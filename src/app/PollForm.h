#pragma once

#include <QDialog>
#include <QList>

#include <memory>

class TZizaVureGroups;

namespace Ui {
class TfrmPoll;
}

// Asks which groups the service should process at once: one row per group,
// in list order, showing the group's number.
class TfrmPoll : public QDialog
{
    Q_OBJECT

public:
    TfrmPoll(const TZizaVureGroups& groups, QWidget* owner);
    ~TfrmPoll() override;

    // The selected rows, ascending; a row's position is its group's position in the list.
    QList<int> selectedPositions() const;

private:
    std::unique_ptr<Ui::TfrmPoll> ui;
};
