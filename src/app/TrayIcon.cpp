#include "TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// The program's icon with a badge in its lower right corner whose shape, not
// only its colour, tells the state: a dot, two bars, a cross.
QPixmap badged(const QIcon& base, TTrayIcon::State state, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // An icon without this size gives a smaller one.
    painter.drawPixmap(pixmap.rect(), base.pixmap(size, size));
    const qreal badge = size * 0.55;
    const QRectF circle(size - badge, size - badge, badge, badge);
    static const QColor colours[] = {QColor(0xc6, 0x28, 0x28), QColor(0x2e, 0x7d, 0x32), QColor(0xef, 0x8f, 0x00)};
    painter.setPen(QPen(Qt::white, size / 16.0));
    painter.setBrush(colours[state]);
    painter.drawEllipse(circle);
    const qreal unit = badge / 8;
    const QPointF centre = circle.center();
    painter.setPen(QPen(Qt::white, unit * 1.5, Qt::SolidLine, Qt::RoundCap));
    if (state == TTrayIcon::Held) {
        painter.drawLine(centre + QPointF(-unit, -2 * unit), centre + QPointF(-unit, 2 * unit));
        painter.drawLine(centre + QPointF(unit, -2 * unit), centre + QPointF(unit, 2 * unit));
    } else if (state == TTrayIcon::Stopped) {
        painter.drawLine(centre + QPointF(-2 * unit, -2 * unit), centre + QPointF(2 * unit, 2 * unit));
        painter.drawLine(centre + QPointF(-2 * unit, 2 * unit), centre + QPointF(2 * unit, -2 * unit));
    }
    return pixmap;
}

QIcon stateIcon(TTrayIcon::State state)
{
    QIcon base = QApplication::windowIcon();
    if (base.isNull())
        base = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64})
        icon.addPixmap(badged(base, state, size));
    return icon;
}

} // namespace

TTrayIcon* TTrayIcon::createWhereAvailable(QWidget* window)
{
    return QSystemTrayIcon::isSystemTrayAvailable() ? new TTrayIcon(window) : nullptr;
}

TTrayIcon::TTrayIcon(QWidget* window)
    : QObject(window), m_icon(new QSystemTrayIcon(this)), m_menu(std::make_unique<QMenu>()), m_settle(new QTimer(this))
{
    connect(addMenuAction(QStringLiteral("actTrayShow"), tr("&Show")), &QAction::triggered, this,
            &TTrayIcon::showRequested);
    m_service = addMenuAction(QStringLiteral("actTrayService"), QString());
    connect(m_service, &QAction::triggered, this, [this] {
        if (m_shown == Stopped)
            Q_EMIT startServiceRequested();
        else
            Q_EMIT stopServiceRequested();
    });
    m_processNow = addMenuAction(QStringLiteral("actTrayProcessNow"), tr("&Process Now..."));
    connect(m_processNow, &QAction::triggered, this, &TTrayIcon::processNowRequested);
    m_menu->addSeparator();
    connect(addMenuAction(QStringLiteral("actTrayExit"), tr("E&xit")), &QAction::triggered, this,
            &TTrayIcon::exitRequested);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT showRequested();
    });
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] { apply(m_pending); });
}

// The icon goes before its menu.
TTrayIcon::~TTrayIcon()
{
    delete m_icon;
}

QAction* TTrayIcon::addMenuAction(const QString& objectName, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(objectName);
    return action;
}

void TTrayIcon::showState(State state)
{
    if (!m_shown) {
        apply(state);
        return;
    }
    if (state == *m_shown) {
        m_settle->stop();
        return;
    }
    // The same state told again (the window asks every few seconds) does
    // not restart its wait.
    if (state != m_pending || !m_settle->isActive()) {
        m_pending = state;
        m_settle->start();
    }
}

void TTrayIcon::apply(State state)
{
    static const char* const toolTips[] = {
        QT_TR_NOOP("QV ZizaVure: the post processing service is stopped"),
        QT_TR_NOOP("QV ZizaVure: the post processing service is running"),
        QT_TR_NOOP("QV ZizaVure: the post processing service is running; scheduled processing is held"),
    };
    m_shown = state;
    m_icon->setIcon(stateIcon(state));
    m_icon->setToolTip(tr(toolTips[state]));
    m_service->setText(state == Stopped ? tr("St&art Service") : tr("Stop S&ervice"));
    m_processNow->setEnabled(state != Stopped);
    m_icon->show();
}
