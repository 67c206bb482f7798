#include "AboutForm.h"

#include "ui_AboutForm.h"

#include "Version.h"
#include "widgets/AccessibleNames.h"

TfmAbout::TfmAbout(QWidget* owner, const QString& fileVersion, const QString& productVersion)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TfmAbout>())
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About QV ZizaVure"));
    ui->AppNameLabel->setText(QStringLiteral("QV ZizaVure"));
    ui->PartNumberLabel->setText(QStringLiteral("XXXX-XXXX"));
    ui->lblVersion->setText(
        versionLine(fileVersion.isNull() ? QStringLiteral(QVZ_FILE_VERSION) : fileVersion,
                    productVersion.isNull() ? QStringLiteral(QVZ_PRODUCT_VERSION) : productVersion));
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TfmAbout::~TfmAbout() = default;

QString TfmAbout::versionLine(const QString& fileVersion, const QString& productVersion)
{
    const QString build = fileVersion.section(u'.', 3, -1);
    return tr("Version %1 (Build %2)").arg(productVersion, build);
}
