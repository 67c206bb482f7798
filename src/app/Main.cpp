#include "Main.h"

#include "ui_Main.h"

#include "AboutForm.h"
#include "AppLog.h"
#include "DesktopNotifier.h"
#include "HelpWindow.h"
#include "History.h"
#include "Notifications.h"
#include "PPLogin.h"
#include "ReCalc.h"
#include "ServiceCommands.h"
#include "TrayIcon.h"
#include "db/DataLabels.h"
#include "platform/AsciiText.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "platform/LockWait.h"
#include "setup/MergeConflicts.h"
#include "setup/Setup.h"
#include "widgets/AccessibleNames.h"
#include "widgets/MessageBox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace {

constexpr int NextRunHintMs = 60 * 1000;
// One short question to the service and, while the schedule is held, a count
// of lock bytes: cheap enough for an idle window.
constexpr int ProcessingStateMs = 5000;

// The long part of a "short|long" hint, or the whole hint without "|".
QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// How long registering all data labels may take before it shows its progress.
constexpr int RegisterProgressDelayMs = 500;

// Navy when connected and red when not, on a light window; on a dark one,
// light shades of them that stay readable (a contrast of 4.5:1 or more).
QColor connectionColour(bool connected, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    if (connected)
        return dark ? QColor(0x9e, 0xb8, 0xff) : QColor(0, 0, 128);
    return dark ? QColor(0xff, 0x8a, 0x80) : QColor(255, 0, 0);
}

// A status line is one line of the memo.
QString singleLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// A help window of the modal window's own: one of the main window's would be
// blocked while the modal window runs. It closes with its owner.
void openHelpFor(QWidget* owner, const QString& page)
{
    auto* help = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!help)
        help = new HelpWindow(owner);
    help->showPage(page);
}

} // namespace

TfrmZizaVureGUI::TfrmZizaVureGUI(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmZizaVureGUI>()), m_groups(std::make_unique<TZizaVureGroups>()),
      m_statusLog(StatusLogFile::defaultPath())
{
    ui->setupUi(this);
    NameControlsByTheirLabels(*this);
    ui->memoStatus->setUndoRedoEnabled(false);
    setUpToolBar();
    setUpStatusBar();
    connectActions();

    auto* nextRunHintTimer = new QTimer(this);
    nextRunHintTimer->setInterval(NextRunHintMs);
    connect(nextRunHintTimer, &QTimer::timeout, this, &TfrmZizaVureGUI::refreshNextRunHint);
    nextRunHintTimer->start();
    auto* processingStateTimer = new QTimer(this);
    processingStateTimer->setInterval(ProcessingStateMs);
    connect(processingStateTimer, &QTimer::timeout, this, &TfrmZizaVureGUI::refreshProcessingState);
    processingStateTimer->start();
    m_link = std::make_unique<TServiceLink>(*this);
    m_service = new TServiceCommands(
        this, *m_link, m_processingPanel, [this](const QString& line) { AddStatusLine(line); },
        [this]() -> TZizaVureGroups& { return groups(); });
    connectServiceActions();
    m_session = std::make_unique<TDbSession>();
    m_database = std::make_unique<TDbDatabase>(*m_session);
    m_login = std::make_unique<TfrmPPLogin>(this);

    m_userSettings = std::make_unique<UserSettingsFile>(UserSettingsFile::defaultPath());
    connectNotifier();
    setUpTray();
    startConfigurationLoad();
    readWindowBounds();

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
    m_linkPanel = new QLabel(tr("Service Stopped"), this);
    m_linkPanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_linkPanel->setFixedWidth(120);
    m_processingPanel = new QLabel(this);
    m_processingPanel->setObjectName(QStringLiteral("lblProcessingState"));
    m_processingPanel->setAccessibleName(tr("Scheduled processing"));
    m_hintPanel = new QLabel(this);
    m_hintPanel->setObjectName(QStringLiteral("StatusPanel1"));
    m_hintPanel->setMinimumWidth(100);
    ui->StatusBar1->addWidget(m_linkPanel);
    ui->StatusBar1->addWidget(m_processingPanel);
    ui->StatusBar1->addWidget(m_hintPanel, 1);
}

void TfrmZizaVureGUI::connectActions()
{
    m_detailButtons = new QButtonGroup(this);
    m_detailButtons->addButton(ui->radDetailLow, 0);
    m_detailButtons->addButton(ui->radDetailMedium, 1);
    m_detailButtons->addButton(ui->radDetailHigh, 2);
    // Toggled, not clicked: a click on the item already selected changes nothing
    // and sends nothing to the service.
    connect(m_detailButtons, &QButtonGroup::idToggled, this, [this](int level, bool checked) {
        if (checked)
            selectDetailLevel(level);
    });

    connect(ui->FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(ui->actDBConnect, &QAction::triggered, this, &TfrmZizaVureGUI::connectDatabaseCommand);
    connect(ui->actDBDisconnect, &QAction::triggered, this, &TfrmZizaVureGUI::disconnectDatabase);
    connect(ui->actSaveDB, &QAction::triggered, this, &TfrmZizaVureGUI::saveToDatabase);
    connect(ui->actReCalc, &QAction::triggered, this, &TfrmZizaVureGUI::openRecalculation);
    connect(ui->actOptionsEditSetup, &QAction::triggered, this, &TfrmZizaVureGUI::openSetupEditor);
    connect(ui->actOptionsHistory, &QAction::triggered, this, &TfrmZizaVureGUI::openHistory);
    connect(ui->actOptionsNotifications, &QAction::triggered, this, &TfrmZizaVureGUI::openNotificationSettings);
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
        const LockWait::CancelScope cancellable;
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
    m_config->setStatusSink([this](const QString& line) { AddStatusLine(line); });
    m_config->setProgramName(QStringLiteral("QV ZizaVure"));
    m_config->setRecordsInBackground(true);
    m_groups = std::move(m_loaded.groups);
    m_configSession = std::make_unique<TConfigSession>(*m_config, *m_groups);
    connect(m_configSession.get(), &TConfigSession::fileChanged, this, &TfrmZizaVureGUI::followConfiguration);
    m_log = m_loaded.log;
    // Only the three levels exist; a hand-edited value outside them reads
    // as the usual Medium.
    if (m_log.LogDetail < DetailLow || m_log.LogDetail > DetailHigh)
        m_log.LogDetail = DetailMedium;
    m_configurationLoaded = true;
    for (const QString& line : std::as_const(m_loaded.statusLines))
        AddStatusLine(line);
    m_loaded.statusLines.clear();
    // The service steps follow the load: the link reports at the loaded
    // detail level.
    m_service->startLink();
    if (m_tray && !m_link->isLinked())
        m_tray->showState(TTrayIcon::Stopped);
    firstShow();
}

// The load waits for the file's lock in its own thread; a command that
// needs it meanwhile waits as for a lock, with the window answering.
void TfrmZizaVureGUI::waitForConfiguration()
{
    if (m_loader && !m_loader->isFinished())
        LockWait::wait(
            QFileInfo(ConfigFile::defaultPath()).fileName(), [this] { return !m_loader || m_loader->isFinished(); },
            -1);
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

// Another writer changed the file: the group list follows it. While a
// modal window is open, which works on the list itself, the next activation
// catches up.
void TfrmZizaVureGUI::followConfiguration()
{
    if (!m_configSession || QApplication::activeModalWidget() || LockWait::isWaitingOnMainThread())
        return;
    const QStringList lines = m_configSession->refresh();
    for (const QString& line : lines)
        AddStatusLine(line);
    m_notifier->notifyConfigurationChanged(lines, m_config->path(), m_config->programName());
}

bool TfrmZizaVureGUI::event(QEvent* event)
{
    // A watch alone misses network file systems.
    if (event->type() == QEvent::WindowActivate)
        followConfiguration();
    // A change of the desktop's light or dark scheme changes the palette.
    if (event->type() == QEvent::ApplicationPaletteChange && m_connectionShown)
        showConnectionState(*m_connectionShown);
    if (event->type() == QEvent::WindowActivate)
        m_service->refreshProcessingState();
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
    connectAtFirstShow();
}

void TfrmZizaVureGUI::closeEvent(QCloseEvent* event)
{
    // A load still waiting for the file's lock is not waited for.
    LockWait::cancelAll();
    waitForConfiguration();
    // The help window has no owner; left open, it would keep the program
    // running without its main window.
    if (m_help)
        m_help->close();
    // The icon leaves the tray with the window.
    delete std::exchange(m_tray, nullptr);
    m_link->DisconnectFromService();
    // Nothing of the configuration is written here: each change was written
    // when it was made, and the list as this window read it may be stale.
    event->accept();
}

void TfrmZizaVureGUI::closeOnRequest()
{
    // A command waiting for a lock is abandoned, with nothing written.
    LockWait::cancelAll();
    // Modal windows are ended first, and the main window waits until their
    // event loops have returned, so that the command that opened them
    // finishes (the group list saved, the service resumed) before it closes.
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* editor = qobject_cast<TfrmOptionSetup*>(modal))
        editor->closeOnRequest();
    else if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else if (modal)
        modal->close();
    if (modal || thread()->loopLevel() > 1) {
        QTimer::singleShot(0, this, &TfrmZizaVureGUI::closeOnRequest);
        return;
    }
    close();
}

void TfrmZizaVureGUI::updateActions()
{
    ui->actDBConnect->setEnabled(!m_databaseConnected);
    ui->actDBDisconnect->setEnabled(m_databaseConnected);
    ui->actOptionsEditSetup->setEnabled(m_databaseConnected);
    ui->actSaveDB->setEnabled(m_databaseConnected);
    ui->OptionsLogStatus1->setChecked(m_log.LogMessage);
    if (m_configurationLoaded && m_detailButtons->checkedId() != m_log.LogDetail)
        m_detailButtons->button(m_log.LogDetail)->setChecked(true);
}

void TfrmZizaVureGUI::selectDetailLevel(int level)
{
    const bool changed = level != m_log.LogDetail;
    m_log.LogDetail = level;
    if (changed)
        writeLogSettings();
    if (!m_link->isLinked())
        return;
    try {
        m_link->SetDetailLevel(level);
    } catch (const Exception& error) {
        // The service keeps its previous level; nothing to tell the operator.
        qCWarning(lcApp, "Detail level not set: %s", error.what());
    }
}

void TfrmZizaVureGUI::toggleStatusLog()
{
    m_log.LogMessage = !m_log.LogMessage;
    ui->OptionsLogStatus1->setChecked(m_log.LogMessage);
    writeLogSettings();
}

// The settings are written when the operator changes them, never at exit,
// where they would overwrite another operator's later change.
void TfrmZizaVureGUI::writeLogSettings()
{
    waitForConfiguration();
    try {
        m_configSession->writeLogSettings(m_log);
    } catch (const EWriteError& error) {
        AddStatusLine(tr("The status settings were not stored: %1").arg(error.message()));
    }
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

void TfrmZizaVureGUI::showConnectionState(bool connected)
{
    m_connectionShown = connected;
    QLabel* label = ui->lblDataSource1;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, connectionColour(connected, QApplication::palette()));
    label->setPalette(palette);
    // Not by colour alone.
    const QString state = connected ? tr("Connected") : tr("Not connected");
    label->setToolTip(state);
    label->setAccessibleDescription(state);
}

void TfrmZizaVureGUI::showLinkState(const QString& panelText)
{
    m_linkPanel->setText(panelText);
    if (m_link->isLinked())
        return;
    m_processingPanel->clear();
    if (m_tray)
        m_tray->showState(TTrayIcon::Stopped);
}

void TfrmZizaVureGUI::showNextRun(const QString& group, const QString& time, const QDateTime& when)
{
    ui->lblPollGroup->setText(group);
    ui->lblPollTime->setText(time);
    m_nextRun = when;
    refreshNextRunHint();
}

void TfrmZizaVureGUI::setClock(const TClock& clock)
{
    m_clock = clock;
    refreshNextRunHint();
}

void TfrmZizaVureGUI::refreshNextRunHint()
{
    ui->lblPollTime->setToolTip(m_nextRun.isValid()
                                    ? tr("Next process time: %1").arg(TimeUntilText(m_clock(), m_nextRun))
                                    : tr("Next process time"));
}

void TfrmZizaVureGUI::refreshProcessingState()
{
    m_service->refreshProcessingState();
}

void TfrmZizaVureGUI::connectServiceActions()
{
    connect(ui->actStartService, &QAction::triggered, m_service, &TServiceCommands::startService);
    connect(ui->actStopService, &QAction::triggered, m_service, &TServiceCommands::stopService);
    connect(ui->actStartProcessNow, &QAction::triggered, m_service, &TServiceCommands::processNow);
    connect(ui->actStopProcessNow, &QAction::triggered, m_service, &TServiceCommands::stopProcessNow);
    connect(ui->actRefreshParams, &QAction::triggered, m_service, &TServiceCommands::refreshParams);
}

void TfrmZizaVureGUI::connectNotifier()
{
    m_notifier = new TDesktopNotifier(this, *m_userSettings);
    connect(m_link.get(), &TServiceLink::errorReported, m_notifier, &TDesktopNotifier::notifyServiceError);
    connect(m_service, &TServiceCommands::stoppedUnasked, m_notifier, &TDesktopNotifier::notifyServiceStopped);
    connect(m_service, &TServiceCommands::abandonedHoldResumed, m_notifier, &TDesktopNotifier::notifyHoldRecovered);
    connect(m_notifier, &TDesktopNotifier::startServiceInvoked, m_service, &TServiceCommands::startService);
    connect(m_notifier, &TDesktopNotifier::showInvoked, this, &TfrmZizaVureGUI::restoreApplication);
}

// A linked service shows in the tray once its processing state is known.
void TfrmZizaVureGUI::setUpTray()
{
    m_tray = TTrayIcon::createWhereAvailable(this);
    if (!m_tray)
        return;
    connect(m_service, &TServiceCommands::processingStateShown, m_tray,
            [this](int state) { m_tray->showState(state == ProcessingActive ? TTrayIcon::Running : TTrayIcon::Held); });
    connect(m_tray, &TTrayIcon::showRequested, this, &TfrmZizaVureGUI::restoreApplication);
    connect(m_tray, &TTrayIcon::startServiceRequested, m_service, &TServiceCommands::startService);
    connect(m_tray, &TTrayIcon::stopServiceRequested, m_service, &TServiceCommands::stopService);
    connect(m_tray, &TTrayIcon::processNowRequested, m_service, &TServiceCommands::processNow);
    // The menu works while a modal window is open, which Exit ends first.
    connect(m_tray, &TTrayIcon::exitRequested, this, &TfrmZizaVureGUI::closeOnRequest);
}

void TfrmZizaVureGUI::startServiceRetryTimer()
{
    m_service->startRetryTimer();
}

bool TfrmZizaVureGUI::ConnectDatabase(const QString& dataSource, const QString& userName, const QString& password)
{
    if (m_log.LogDetail == DetailHigh)
        AddStatusLine(tr("Connecting to database..."));
    try {
        m_session->open();
        m_database->setDatabaseName(dataSource);
        m_database->setParams({QStringLiteral("USER NAME=") + userName, QStringLiteral("PASSWORD=") + password});
        m_database->open();
    } catch (const Exception& error) {
        // The operator's message is the program's own; the driver's reason goes to the log.
        qCWarning(lcApp, "Data source %s not opened: %s", qUtf8Printable(dataSource), error.what());
        showConnectionState(false);
        MessageBox::error(this, tr("Error 1200: Unable to connect to database."));
        m_database->close();
        m_session->close();
        return false;
    }
    ui->lblDataSource1->setText(dataSource);
    showConnectionState(true);
    AddStatusLine(tr("Connected to database %1.").arg(dataSource));
    return true;
}

void TfrmZizaVureGUI::connectAtFirstShow()
{
    m_credentials.readStored(*m_config);
    if (m_credentials.isBlank())
        m_credentials.readSystemSettings();
    if (!m_credentials.isBlank())
        m_databaseConnected = ConnectDatabase(m_credentials.DataSource, m_credentials.UserName, m_credentials.Password);
    updateActions();
    if (!m_databaseConnected)
        AddStatusLine(tr("Database NOT connected."));
}

void TfrmZizaVureGUI::connectDatabaseCommand()
{
    waitForConfiguration();
    m_config->Reopen();
    if (m_credentials.isBlank()) {
        m_credentials.readStored(*m_config);
        ui->lblDataSource1->setText(m_credentials.DataSource);
    }
    m_login->setAlias(m_credentials.DataSource);
    m_login->setUserName(m_credentials.UserName);
    m_login->setPassword(m_credentials.Password);
    if (m_login->exec() != QDialog::Accepted) {
        // The next Connect reads the stored values again.
        m_credentials.forgetSource();
        return;
    }
    m_credentials.DataSource = m_login->alias();
    m_credentials.UserName = m_login->userName();
    m_credentials.Password = m_login->password();
    if (!ConnectDatabase(m_credentials.DataSource, m_credentials.UserName, m_credentials.Password))
        return;
    m_databaseConnected = true;
    updateActions();
    storeDatabaseSettings();
}

void TfrmZizaVureGUI::storeDatabaseSettings()
{
    const TLoginStore::StoreResult stored = m_credentials.store(*m_config);
    if (!stored.passwordStored)
        AddStatusLine(
            tr("Password not stored: it holds \":\" or is longer than 29 bytes; the stored login is unchanged."));
    else if (!stored.written)
        qCWarning(lcApp, "Login not stored: %s", qUtf8Printable(m_config->writeError()));
}

void TfrmZizaVureGUI::disconnectDatabase()
{
    m_database->close();
    m_session->close();
    AddStatusLine(tr("Disconnected from database %1.").arg(m_credentials.DataSource));
    m_databaseConnected = false;
}

void TfrmZizaVureGUI::saveToDatabase()
{
    QProgressDialog progress(tr("Registering data labels..."), QString(), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(RegisterProgressDelayMs);
    RegisterAllDataLabels(*m_database, groups(), [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    });
}

void TfrmZizaVureGUI::openRecalculation()
{
    m_service->openHeld(
        [this] { return std::make_unique<TfrmReCalc>(this, m_session.get(), m_database.get(), groups()); }, {},
        tr("Error 1500: "));
}

void TfrmZizaVureGUI::openSetupEditor()
{
    m_service->openHeld(
        [this] {
            auto editor = std::make_unique<TfrmOptionSetup>(this, *m_session, *m_database, groups(), configFile());
            editor->setStatusSink([this](const QString& line) { AddStatusLine(line); });
            editor->setHelpOpener(openHelpFor);
            return editor;
        },
        [this] { followConfiguration(); }, QString());
}

void TfrmZizaVureGUI::openHistory()
{
    TfrmHistory history(this, configFile().path(), [this](int versionId, const QString& group) {
        m_service->runHeld([&] { restoreFromHistory(versionId, group); },
                           [this] {
                               followConfiguration();
                               m_service->refreshParams();
                           },
                           tr("Error 1500: "));
    });
    history.exec();
}

void TfrmZizaVureGUI::openNotificationSettings()
{
    TfrmNotifications settings(*m_userSettings, this);
    settings.exec();
}

// As the setup editor saves: merged with changes made meanwhile, the
// operator asked where both changed a field.
void TfrmZizaVureGUI::restoreFromHistory(int versionId, const QString& group)
{
    ConfigFile& config = configFile();
    const QString program = config.programName();
    config.setProgramName(QStringLiteral("QV ZizaVure history window"));
    const auto restoreProgram = qScopeGuard([&] { config.setProgramName(program); });
    const TConfigHistory history(config.path());
    if (group.isEmpty()) {
        m_configSession->restoreVersion(history, versionId);
        return;
    }
    const std::unique_ptr<TZizaVureGroupItem> restored = history.groupAt(versionId, group);
    TZizaVureGroupItem* target = nullptr;
    for (int index = 0; index < groups().Count(); ++index) {
        if (AsciiText::equalsFolded(groups().Items(index)->GroupName, group))
            target = groups().Items(index);
    }
    if (!restored || !target)
        throw EWriteError(tr("%1 is not in version %2 or not in the group list now; restore the whole version.")
                              .arg(group)
                              .arg(versionId));
    m_configSession->restoreGroup(
        *target, *restored, versionId,
        [this, group](QList<TMergeConflict>& conflicts, const QDateTime& written) {
            return TfrmMergeConflicts::resolve(this, group, conflicts, written);
        },
        [this](const QString& name) {
            return MessageBox::question(this, tr("%1 was erased by another program. Restore it again?").arg(name)) ==
                   MessageBox::Ok;
        });
}
