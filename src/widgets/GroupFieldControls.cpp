#include "GroupFieldControls.h"

#include "ComboBoxSelection.h"
#include "calc/TimeText.h"
#include "config/DataDef.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <cmath>

void TGroupFieldControls::show(const TZizaVureGroupItem& group) const
{
    Enabled->setChecked(group.Enabled);
    ComboBoxSelection::selectTextIgnoringCase(FuncName, group.FuncName);
    BaseTime->setText(TimeFieldText(group.BaseTime));
    ProcTime->setText(TimeFieldText(group.ProcTime));
    ComboBoxSelection::selectIndex(TypeInterval, group.TypeInterval);
    const double days = std::floor(group.Interval);
    IntervalDays->setText(QString::number(qint64(days)));
    IntervalTime->setText(TimeFieldText(group.Interval - days));
    ComboBoxSelection::selectIndex(DataType, group.DataType);
}
