#include "Notifications.h"

#include "ui_Notifications.h"

#include "DesktopNotifier.h"
#include "config/UserSettingsFile.h"
#include "widgets/MessageBox.h"

TfrmNotifications::TfrmNotifications(UserSettingsFile& settings, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmNotifications>()), m_settings(settings)
{
    ui->setupUi(this);
    const QList<QCheckBox*> checkBoxes = boxes();
    for (int kind = 0; kind < TDesktopNotifier::KindCount; ++kind)
        checkBoxes[kind]->setChecked(TDesktopNotifier::isEnabled(settings, TDesktopNotifier::Kind(kind)));
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TfrmNotifications::~TfrmNotifications() = default;

QList<QCheckBox*> TfrmNotifications::boxes() const
{
    return {ui->chkServiceStopped, ui->chkServiceError, ui->chkConfigurationChanged, ui->chkHoldRecovered};
}

void TfrmNotifications::accept()
{
    QList<std::pair<QByteArray, bool>> kinds;
    const QList<QCheckBox*> checkBoxes = boxes();
    for (int kind = 0; kind < TDesktopNotifier::KindCount; ++kind)
        kinds.append({TDesktopNotifier::settingKey(TDesktopNotifier::Kind(kind)), checkBoxes[kind]->isChecked()});
    if (!m_settings.WriteNotifications(kinds)) {
        MessageBox::error(this, tr("The notification settings were not stored; see the program's log."));
        return;
    }
    QDialog::accept();
}
