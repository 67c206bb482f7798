#pragma once

#include "FilterFields.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TDbDatabase;
class TDbSession;

namespace Ui {
class TfrmFilterSelect;
}

// The "Filters" dialog: builds a condition over QV_SITES and QV_SITESENSORS
// from field/condition/value picks or free typing, previews the station/sensor
// pairs that it selects, and opens and saves it as a filter file. The setup
// editor shows it modally and, after OK, takes the saved file's name from
// GetFilterFileName.
//
// The window reads both tables whole when it is created, through the
// caller's open connection, and keeps every distinct value of every column.
class TfrmFilterSelect : public QDialog
{
    Q_OBJECT

public:
    // `database` is open and belongs to `session`; both outlive the window.
    TfrmFilterSelect(QWidget* owner, TDbSession& session, TDbDatabase& database);
    ~TfrmFilterSelect() override;

    // True, with the full path of the filter file in `name`, once the shown
    // text has been opened from or saved to that file; false otherwise, and
    // `name` is left as it was.
    bool GetFilterFileName(QString& name) const;

private:
    void buildFieldList();
    void fillValueBox();
    QStringList textLines() const;
    QString previewQuery() const;
    bool isUsableText();
    QString startFolder() const;
    void writeFile(const QString& fileName);

    void btnAddClick();
    void btnNewClick();
    void btnOpenClick();
    void btnSaveClick();
    void btnSaveAsClick();
    void btnExecClick();
    void btnOKClick();

    std::unique_ptr<Ui::TfrmFilterSelect> ui;
    TDbDatabase& m_database;
    TFilterFields m_fields; // one field per entry of cboFilterItem, same order
    bool m_saved = false;
};
