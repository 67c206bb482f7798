#include "PPLogin.h"

#include "ui_PPLogin.h"

#include "platform/AsciiText.h"
#include "widgets/AccessibleNames.h"
#include "widgets/MessageBox.h"

TfrmPPLogin::TfrmPPLogin(QWidget* owner, const QStringList& aliases)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TfrmPPLogin>())
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    ui->cboDBAlias->addItems(aliases);
    // Nothing is chosen until the shown values or the operator choose it.
    ui->cboDBAlias->setCurrentIndex(-1);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmPPLogin::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmPPLogin::~TfrmPPLogin() = default;

void TfrmPPLogin::showEvent(QShowEvent* event)
{
    for (int i = 0; i < ui->cboDBAlias->count(); ++i) {
        if (AsciiText::equalsFolded(ui->cboDBAlias->itemText(i), m_alias)) {
            ui->cboDBAlias->setCurrentIndex(i);
            break;
        }
    }
    ui->edtDBUserName->setText(m_userName);
    ui->edtDBPassword->setText(m_password);
    QDialog::showEvent(event);
}

void TfrmPPLogin::btnOKClick()
{
    if (ui->cboDBAlias->currentIndex() < 0) {
        MessageBox::information(this, tr("Please select ODBC connection string"));
        ui->cboDBAlias->setFocus();
        return;
    }
    m_alias = ui->cboDBAlias->currentText();
    m_userName = ui->edtDBUserName->text();
    m_password = ui->edtDBPassword->text();
    accept();
}
