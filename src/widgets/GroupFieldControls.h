#pragma once

class QCheckBox;
class QComboBox;
class QLineEdit;
class TZizaVureGroupItem;

// The fields of a group that the setup editor and the recalculation window
// both show, in controls of the same kinds: the switch, the function, the
// two times, the interval's kind, whole days and time of day, and the data
// type. Each window shows the rest of the group itself.
struct TGroupFieldControls
{
    QCheckBox* Enabled;
    QComboBox* FuncName;
    QLineEdit* BaseTime;
    QLineEdit* ProcTime;
    QComboBox* TypeInterval;
    QLineEdit* IntervalDays;
    QLineEdit* IntervalTime;
    QComboBox* DataType;

    // A function or kind that the lists lack leaves nothing selected.
    void show(const TZizaVureGroupItem& group) const;
};
