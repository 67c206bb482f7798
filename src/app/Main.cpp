#include "Main.h"

#include "ui_Main.h"

#include "AboutForm.h"
#include "DateTimeValue.h"
#include "FormatSettings.h"
#include "HelpWindow.h"
#include "MessageBox.h"

#include <QAbstractEventDispatcher>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int ServiceRetryMs = 5000;

// The long part of a "short|long" hint, or the whole hint without "|".
QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// A status line is one line of the memo.
QString singleLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

TfrmZizaVureGUI::TfrmZizaVureGUI(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmZizaVureGUI>()), m_groups(std::make_unique<TZizaVureGroups>()),
      m_statusLog(StatusLogFile::defaultPath())
{
    ui->setupUi(this);
    ui->memoStatus->setUndoRedoEnabled(false);
    setUpToolBar();
    setUpStatusBar();
    connectActions();

    tmrService = new QTimer(this);
    tmrService->setObjectName(QStringLiteral("tmrService"));
    tmrService->setInterval(ServiceRetryMs);

    m_userSettings = std::make_unique<UserSettingsFile>(UserSettingsFile::defaultPath());
    startConfigurationLoad();
    readWindowBounds();

    // Until the service can be reached the window stays unlinked and the
    // retry timer runs.
    tmrService->start();

    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmZizaVureGUI::updateActions);
}

TfrmZizaVureGUI::~TfrmZizaVureGUI()
{
    waitForConfiguration();
    const QRect bounds = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
    m_userSettings->WriteWindowBounds({bounds.x(), bounds.y(), bounds.width(), bounds.height()});
    delete m_help;
}

void TfrmZizaVureGUI::setUpToolBar()
{
    const struct
    {
        QAction* action;
        const char* buttonName;
        QStyle::StandardPixmap fallback;
    } buttons[] = {
        {ui->actStartProcessNow, "tbtnStartProcessNow", QStyle::SP_MediaPlay},
        {ui->actStopProcessNow, "tbtnStopProcessNow", QStyle::SP_MediaStop},
        {ui->actOptionsEditSetup, "tbtnEditSetup", QStyle::SP_FileDialogDetailedView},
        {ui->OptionsClearStatus1, "tbtnClearStatus", QStyle::SP_DialogResetButton},
        {ui->OptionsLogStatus1, "tbtnLogStatus", QStyle::SP_DialogSaveButton},
        {ui->HelpShowIndex, "tbtnHelp1", QStyle::SP_DialogHelpButton},
    };
    for (const auto& button : buttons) {
        if (button.action->icon().isNull())
            button.action->setIcon(style()->standardIcon(button.fallback));
        if (QWidget* widget = ui->ToolBar1->widgetForAction(button.action))
            widget->setObjectName(QLatin1String(button.buttonName));
    }
}

void TfrmZizaVureGUI::setUpStatusBar()
{
    m_linkPanel = new QLabel(QStringLiteral("Service Stopped"), this);
    m_linkPanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_linkPanel->setFixedWidth(120);
    m_hintPanel = new QLabel(this);
    m_hintPanel->setObjectName(QStringLiteral("StatusPanel1"));
    m_hintPanel->setMinimumWidth(100);
    ui->StatusBar1->addWidget(m_linkPanel);
    ui->StatusBar1->addWidget(m_hintPanel, 1);
}

void TfrmZizaVureGUI::connectActions()
{
    m_detailButtons = new QButtonGroup(this);
    m_detailButtons->addButton(ui->radDetailLow, 0);
    m_detailButtons->addButton(ui->radDetailMedium, 1);
    m_detailButtons->addButton(ui->radDetailHigh, 2);
    connect(m_detailButtons, &QButtonGroup::idClicked, this, &TfrmZizaVureGUI::selectDetailLevel);

    connect(ui->FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(ui->OptionsClearStatus1, &QAction::triggered, ui->memoStatus, &QPlainTextEdit::clear);
    connect(ui->OptionsLogStatus1, &QAction::triggered, this, &TfrmZizaVureGUI::toggleStatusLog);
    connect(ui->HelpShowIndex, &QAction::triggered, this, &TfrmZizaVureGUI::showHelpContents);
    connect(ui->HelpShowContents, &QAction::triggered, this, &TfrmZizaVureGUI::showHelpIndex);
    connect(ui->HelpAbout1, &QAction::triggered, this, &TfrmZizaVureGUI::showAbout);
    // Not on any menu or toolbar, but reachable through the window.
    addAction(ui->actSaveDB);
}

void TfrmZizaVureGUI::readWindowBounds()
{
    const TWindowBounds design{x(), y(), width(), height()};
    TWindowBounds bounds = m_userSettings->ReadWindowBounds(design);
    if (bounds.Width <= 0 || bounds.Height <= 0)
        bounds = design;
    // A window placed on a screen that is no longer there would be lost.
    if (!QGuiApplication::screenAt(QPoint(bounds.Left, bounds.Top)) && QGuiApplication::screenAt(pos()))
        bounds.Left = design.Left, bounds.Top = design.Top;
    move(bounds.Left, bounds.Top);
    resize(bounds.Width, bounds.Height);
}

void TfrmZizaVureGUI::startConfigurationLoad()
{
    const QString path = ConfigFile::defaultPath();
    m_loader.reset(QThread::create([this, path] {
        m_loaded.config = std::make_unique<ConfigFile>(path);
        m_loaded.groups = m_loaded.config->LoadConfiguration(
            m_loaded.log, [this](const QString& line) { m_loaded.statusLines.append(line); });
    }));
    connect(m_loader.get(), &QThread::finished, this, &TfrmZizaVureGUI::finishConfigurationLoad);
    m_loader->start();
}

void TfrmZizaVureGUI::finishConfigurationLoad()
{
    if (!m_loader)
        return;
    m_loader->wait();
    m_loader.reset();
    m_config = std::move(m_loaded.config);
    m_groups = std::move(m_loaded.groups);
    m_log = m_loaded.log;
    // Only the three levels exist; a hand-edited value outside them reads
    // as the usual Medium.
    if (m_log.LogDetail < 0 || m_log.LogDetail > 2)
        m_log.LogDetail = 1;
    m_configurationLoaded = true;
    for (const QString& line : std::as_const(m_loaded.statusLines))
        AddStatusLine(line);
    m_loaded.statusLines.clear();
    firstShow();
}

void TfrmZizaVureGUI::waitForConfiguration()
{
    finishConfigurationLoad();
}

TZizaVureGroups& TfrmZizaVureGUI::groups()
{
    waitForConfiguration();
    return *m_groups;
}

ConfigFile& TfrmZizaVureGUI::configFile()
{
    waitForConfiguration();
    return *m_config;
}

bool TfrmZizaVureGUI::event(QEvent* event)
{
    // Hints go to the second status panel instead of replacing the panels.
    if (event->type() == QEvent::StatusTip) {
        m_hintPanel->setText(longHint(static_cast<QStatusTipEvent*>(event)->tip()));
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmZizaVureGUI::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        // The rest of the first show needs the configuration; it runs once
        // the window has painted and the load has finished.
        m_firstShowPending = true;
        if (m_configurationLoaded)
            QMetaObject::invokeMethod(this, &TfrmZizaVureGUI::firstShow, Qt::QueuedConnection);
    }
}

void TfrmZizaVureGUI::firstShow()
{
    if (!m_firstShowPending)
        return;
    m_firstShowPending = false;
    if (!m_databaseConnected)
        AddStatusLine(QStringLiteral("Database NOT connected."));
}

void TfrmZizaVureGUI::closeEvent(QCloseEvent* event)
{
    waitForConfiguration();
    // The group list names every group section; a silent failure here would
    // lose the groups added since the last successful save.
    if (!m_config->SaveZizaVureessSection(m_log, *m_groups))
        MessageBox::error(this, QStringLiteral("Error 1500: Unable to write to %1").arg(m_config->path()));
    event->accept();
}

void TfrmZizaVureGUI::updateActions()
{
    ui->actDBConnect->setEnabled(!m_databaseConnected);
    ui->actDBDisconnect->setEnabled(m_databaseConnected);
    ui->actOptionsEditSetup->setEnabled(m_databaseConnected);
    ui->actSaveDB->setEnabled(m_databaseConnected);
    ui->OptionsLogStatus1->setChecked(m_log.LogMessage);
    if (m_configurationLoaded && m_detailButtons->checkedId() != m_log.LogDetail) {
        m_detailButtons->button(m_log.LogDetail)->setChecked(true);
        selectDetailLevel(m_log.LogDetail);
    }
}

void TfrmZizaVureGUI::selectDetailLevel(int level)
{
    m_log.LogDetail = level;
}

void TfrmZizaVureGUI::toggleStatusLog()
{
    m_log.LogMessage = !m_log.LogMessage;
    ui->OptionsLogStatus1->setChecked(m_log.LogMessage);
}

void TfrmZizaVureGUI::AddStatusLine(const QString& text)
{
    const FormatSettings& format = FormatSettings::current();
    const double now = DateTimeValue::fromDateTime(QDateTime::currentDateTime());
    const QString line =
        format.formatDate(now) + u' ' + format.formatLongTime(now) + QStringLiteral("    ") + singleLine(text);

    // One edit, so that the memo lays itself out once per line.
    QTextDocument* memo = ui->memoStatus->document();
    QTextCursor cursor(memo);
    cursor.beginEditBlock();
    if (memo->blockCount() >= MaxStatusLines) {
        cursor.setPosition(memo->lastBlock().position() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(line + u'\n');
    cursor.endEditBlock();

    if (m_log.LogMessage)
        WriteStatusLog(line);
}

void TfrmZizaVureGUI::WriteStatusLog(const QString& line)
{
    m_statusLog.append(line);
}

void TfrmZizaVureGUI::restoreApplication()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

HelpWindow* TfrmZizaVureGUI::helpWindow()
{
    if (!m_help)
        m_help = new HelpWindow();
    return m_help;
}

void TfrmZizaVureGUI::showHelpContents()
{
    helpWindow()->showContents();
}

void TfrmZizaVureGUI::showHelpIndex()
{
    helpWindow()->showIndex();
}

void TfrmZizaVureGUI::showAbout()
{
    auto* box = new TfmAbout(this);
    box->exec();
}
