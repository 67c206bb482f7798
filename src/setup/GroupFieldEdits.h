#pragma once

#include "calc/TimePreview.h"
#include "config/DataDef.h"
#include "platform/Exception.h"

#include <QObject>

class QButtonGroup;
class QWidget;

namespace Ui {
class TfrmOptionSetup;
}

// A time field whose text is no time of day.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// The setup editor's group fields, the upper half of its window: what they
// show of a group, what a save takes from them, the interval's day steps
// and the start text's preview.
class TGroupFieldEdits : public QObject
{
    Q_OBJECT

public:
    // `window` shows the messages; the controls are the window's.
    TGroupFieldEdits(QWidget* window, Ui::TfrmOptionSetup& ui);

    void show(const TZizaVureGroupItem& group);
    // Takes every field into `target`. Raises EConvertError for a time field
    // that holds no time of day; the time fields come last, so the other
    // fields are taken all the same.
    void take(TZizaVureGroupItem& target) const;

    // The entered interval counts only for "As Entered:", but its values are
    // kept and saved whatever the choice.
    void updateIntervalControls();
    // The time that the start preview is reckoned from; tests fix it.
    void setClock(const TClock& clock);

Q_SIGNALS:
    // The operator changed a field that a save takes.
    void modified();
    // The start text was picked from its list or its field was left.
    void startFromLeft();

private:
    void connectModifiedMarks();
    void connectIntervalAndStart();
    void stepDays(int step);
    void updateStartPreview();

    QWidget* m_window;
    Ui::TfrmOptionSetup& ui;
    QButtonGroup* m_timeBound;
    TClock m_clock = SystemClock;
};
