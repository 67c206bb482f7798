#pragma once

#include "db/OdbcAliases.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TfrmPPLogin;
}

// The database login dialog: data source (alias), user name and password.
// The main window creates it once, hands it the values it knows, shows it and
// takes the values back after OK.
class TfrmPPLogin : public QDialog
{
    Q_OBJECT

public:
    // The alias list is read once, here; it is the list of data sources that
    // ODBC knows unless a caller supplies one.
    explicit TfrmPPLogin(QWidget* owner = nullptr, const QStringList& aliases = OdbcAliases::names());
    ~TfrmPPLogin() override;

    QString alias() const { return m_alias; }
    void setAlias(const QString& alias) { m_alias = alias; }
    QString userName() const { return m_userName; }
    void setUserName(const QString& userName) { m_userName = userName; }
    QString password() const { return m_password; }
    void setPassword(const QString& password) { m_password = password; }

protected:
    // Shows the values: selects the first alias equal to the value without
    // regard to case (else the selection stays) and fills both edits.
    void showEvent(QShowEvent* event) override;

private:
    void btnOKClick();

    std::unique_ptr<Ui::TfrmPPLogin> ui;
    QString m_alias;
    QString m_userName;
    QString m_password;
};
