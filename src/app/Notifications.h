#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class UserSettingsFile;

namespace Ui {
class TfrmNotifications;
}

// Options › Notifications: which desktop notifications this operator wants,
// one check box per kind, stored in the per-user settings file on OK.
class TfrmNotifications : public QDialog
{
    Q_OBJECT

public:
    TfrmNotifications(UserSettingsFile& settings, QWidget* owner);
    ~TfrmNotifications() override;

    void accept() override;

private:
    QList<QCheckBox*> boxes() const; // in the order of the kinds

    std::unique_ptr<Ui::TfrmNotifications> ui;
    UserSettingsFile& m_settings;
};
