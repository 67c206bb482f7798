#pragma once

#include "calc/TimePreview.h"

#include <QDialog>

#include <memory>

class QComboBox;
class TDbDatabase;
class TDbSession;
class TZizaVureGroupItem;
class TZizaVureGroups;

namespace Ui {
class TfrmReCalc;
}

// "Interactive Calculation": shows one post-processing group at a time, read
// only, and lets the operator choose a start time, a stop time and some of the
// group's station/sensor pairs. No calculation request exists between this
// program and the service, so "Calculate" has no effect: the window is a
// viewer and selector, and nothing is read back from it.
class TfrmReCalc : public QDialog
{
    Q_OBJECT

public:
    // The groups are only read. The session and the database are held for a
    // calculation and not used; either may be null.
    TfrmReCalc(QWidget* owner, TDbSession* session, TDbDatabase* database, TZizaVureGroups& groups);
    ~TfrmReCalc() override;

    // The time that the start and stop previews are reckoned from; tests fix it.
    void setClock(const TClock& clock);

private:
    void setUpTimeField(QComboBox* field, const QString& text);
    void showGroup(int index);
    void updateIntervalFields();
    void validateTimeField(QComboBox* field);
    void updateTimePreviews();

    void addPairs(bool selectedOnly);
    void addSelected();
    void addAll();
    void deleteSelected();
    void deleteAll();

    std::unique_ptr<Ui::TfrmReCalc> ui;
    TDbSession* m_session;
    TDbDatabase* m_database;
    TZizaVureGroups& m_groups;
    TClock m_clock = SystemClock;
};
