#include "FilterSelect.h"

#include "ui_FilterSelect.h"

#include "FilterFields.h"
#include "ReadProgress.h"
#include "config/FilterFile.h"
#include "db/DbBackgroundRead.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "platform/AsciiText.h"
#include "platform/Exception.h"
#include "platform/ProgramFolder.h"
#include "widgets/AccessibleNames.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"

#include <QFileInfo>

#include <optional>
#include <utility>

namespace {

// Preview rows order by station as the program compares stations: without
// regard to the case of a-z.
class TPreviewItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return AsciiText::compareFolded(text(column), other.text(column)) < 0;
    }
};

} // namespace

TfrmFilterSelect::TfrmFilterSelect(QWidget* owner, TDbSession& session, TDbDatabase& database)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmFilterSelect>()), m_database(database)
{
    // Statements reach the session through the database, so only the
    // database is kept; the pair must be the owner's own.
    Q_ASSERT(&database.session() == &session);
    Q_UNUSED(session)
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    buildFieldList();

    connect(ui->cboFilterItem, &QComboBox::currentIndexChanged, this, &TfrmFilterSelect::fillValueBox);
    connect(ui->btnAdd, &QPushButton::clicked, this, &TfrmFilterSelect::btnAddClick);
    connect(ui->btnNew, &QPushButton::clicked, this, &TfrmFilterSelect::btnNewClick);
    connect(ui->btnOpen, &QPushButton::clicked, this, &TfrmFilterSelect::btnOpenClick);
    connect(ui->btnSave, &QPushButton::clicked, this, &TfrmFilterSelect::btnSaveClick);
    connect(ui->btnSaveAs, &QPushButton::clicked, this, &TfrmFilterSelect::btnSaveAsClick);
    connect(ui->btnExec, &QPushButton::clicked, this, &TfrmFilterSelect::btnExecClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmFilterSelect::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFilterSelect::~TfrmFilterSelect() = default;

bool TfrmFilterSelect::GetFilterFileName(QString& name) const
{
    if (!m_saved)
        return false;
    name = ui->edtFilterFile->text();
    return true;
}

void TfrmFilterSelect::buildFieldList()
{
    m_saved = false;
    ui->cboFilterItem->clear();
    try {
        m_fields.read(m_database);
    } catch (const Exception& error) {
        // The window still opens, with the fields and values read so far.
        MessageBox::error(this, error.message());
    }
    for (const TFilterFields::Field& field : m_fields.fields())
        ui->cboFilterItem->addItem(field.Name);
    if (ui->cboFilterItem->count() > 0) {
        ui->cboFilterItem->setCurrentIndex(0);
        fillValueBox();
    }
}

void TfrmFilterSelect::fillValueBox()
{
    ui->cboFilterValue->clear();
    ui->cboFilterValue->clearEditText();
    const int field = ui->cboFilterItem->currentIndex();
    const std::vector<TFilterFields::Field>& fields = m_fields.fields();
    if (field >= 0 && !fields[std::size_t(field)].Data.Values.isEmpty())
        ui->cboFilterValue->addItems(fields[std::size_t(field)].Data.Values);
    else
        ui->cboFilterValue->addItem(tr("<None Defined>"));
    // Nothing is picked for the operator: the value stays empty until chosen.
    ui->cboFilterValue->setCurrentIndex(-1);
}

// The text area's lines; an empty text area has none.
QStringList TfrmFilterSelect::textLines() const
{
    const QString text = ui->edtText->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// The statement that the setup editor builds from the saved file, without
// its final line break: a blank text filters nothing. Raises EFilterError.
QString TfrmFilterSelect::previewQuery() const
{
    if (ui->edtText->toPlainText().trimmed().isEmpty())
        return StationQueryBase;
    return NarrowStationQuery(StationQueryBase, textLines().join(QLatin1String("\r\n")));
}

// A text that cannot be a condition is shown as such, and not saved.
bool TfrmFilterSelect::isUsableText()
{
    const QString problem = FilterTextProblem(ui->edtText->toPlainText());
    if (!problem.isEmpty())
        MessageBox::error(this, tr("The filter cannot be used: %1.").arg(problem));
    return problem.isEmpty();
}

void TfrmFilterSelect::writeFile(const QString& fileName)
{
    m_saved = false;
    if (!isUsableText())
        return;
    if (!WriteFilterLines(fileName, textLines())) {
        MessageBox::error(this, tr("Unable to write to %1").arg(QFileInfo(fileName).absoluteFilePath()));
        return;
    }
    ui->edtFilterFile->setText(QFileInfo(fileName).absoluteFilePath());
    m_saved = true;
}

void TfrmFilterSelect::btnAddClick()
{
    const int field = ui->cboFilterItem->currentIndex();
    const QString value = ui->cboFilterValue->currentText();
    if (field < 0 || ui->cboFilterCondition->currentIndex() < 0 || value.trimmed().isEmpty())
        return;
    const QString line = m_fields.clause(field, ui->cboFilterCondition->currentText(), value);
    const QString text = ui->edtText->toPlainText();
    ui->edtText->setPlainText(text.trimmed().isEmpty() ? line : text + QLatin1String(" AND \n") + line);
    m_saved = false;
}

void TfrmFilterSelect::btnNewClick()
{
    ui->edtText->clear();
    ui->edtFilterFile->clear();
    m_saved = false;
}

// The folder of the filter file shown, else the program folder, where the
// manual suggests keeping filters; never the process's working folder.
QString TfrmFilterSelect::startFolder() const
{
    const QString shown = ui->edtFilterFile->text();
    return shown.isEmpty() ? ProgramFolder::path() : QFileInfo(shown).absolutePath();
}

void TfrmFilterSelect::btnOpenClick()
{
    const QString fileName =
        FileDialog::getOpenFileName(this, tr(" Open Filter File"), startFolder(), tr("Filter Files(*.flt)"));
    if (fileName.isEmpty())
        return;
    ui->edtFilterFile->setText(QFileInfo(fileName).absoluteFilePath());
    ui->edtText->clear();
    QStringList lines;
    m_saved = ReadFilterLines(fileName, lines);
    ui->edtText->setPlainText(lines.join(u'\n'));
}

void TfrmFilterSelect::btnSaveClick()
{
    if (ui->edtFilterFile->text().isEmpty())
        btnSaveAsClick();
    else
        writeFile(ui->edtFilterFile->text());
}

void TfrmFilterSelect::btnSaveAsClick()
{
    QString fileName =
        FileDialog::getSaveFileName(this, tr("Save Filter File As"), startFolder(), tr("Filter Files(*.flt)"));
    if (fileName.isEmpty())
        return;
    // The dialog asked about the name as typed; a name that gains the
    // extension may be another, existing file.
    if (QFileInfo(fileName).suffix().isEmpty()) {
        fileName += QLatin1String(".flt");
        if (QFileInfo::exists(fileName) &&
            MessageBox::question(
                this, tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(fileName).fileName())) !=
                MessageBox::Ok)
            return;
    }
    writeFile(fileName);
}

void TfrmFilterSelect::btnExecClick()
{
    ui->lstSiteSensors->clear();
    if (!isUsableText())
        return;
    QList<QStringList> pairs;
    TDbBackgroundRead read(m_database);
    // The columns are found by name at the first row, for every row.
    std::optional<std::pair<int, int>> columns;
    read.start(previewQuery(), [&pairs, &columns](const TDbQuery& row) {
        if (!columns)
            columns = {row.columnIndex(QStringLiteral("STATION_ID")), row.columnIndex(QStringLiteral("SENSORNAME"))};
        pairs.append({row.asString(columns->first), row.asString(columns->second)});
    });
    WaitForRead(this, read, tr("Reading the stations and sensors of the filter..."));
    // A condition that the database refuses, or a lost connection: the
    // database's own words, and the rows read before stay.
    if (read.failed())
        MessageBox::error(this, read.errorMessage());
    QList<QTreeWidgetItem*> rows;
    rows.reserve(pairs.size());
    for (const QStringList& pair : std::as_const(pairs))
        rows.append(new TPreviewItem(pair));
    // Sorting once after adding keeps a large preview fast.
    ui->lstSiteSensors->addTopLevelItems(rows);
    ui->lstSiteSensors->sortItems(0, Qt::AscendingOrder);
}

void TfrmFilterSelect::btnOKClick()
{
    if (!m_saved) {
        MessageBox::information(this, tr("Please save the filter file before selecting it"));
        return;
    }
    accept();
}
