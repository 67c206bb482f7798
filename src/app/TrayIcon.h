#pragma once

#include <QObject>

#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

// The program in the desktop's tray, where the desktop has one (a
// StatusNotifierItem host or an XEmbed tray): an icon and tooltip that show
// the service's state, and a menu of the commands an operator wants without
// bringing the window forward. Where there is none, nothing is made.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    enum State { Stopped, Running, Held };

    // How long a new state must last before the icon shows it: a save holds
    // the schedule for a moment, and a restart drops the link briefly.
    static constexpr int SettleMs = 3000;

    // Null where the desktop shows no tray. `window` owns the icon.
    static TTrayIcon* createWhereAvailable(QWidget* window);
    ~TTrayIcon() override;

    // The first state shows at once; a later one once it has lasted SettleMs.
    void showState(State state);

Q_SIGNALS:
    void showRequested();
    void startServiceRequested();
    void stopServiceRequested();
    void processNowRequested();
    void exitRequested();

private:
    explicit TTrayIcon(QWidget* window);
    QAction* addMenuAction(const QString& objectName, const QString& text);
    void apply(State state);

    QSystemTrayIcon* m_icon;
    std::unique_ptr<QMenu> m_menu; // a menu of no window's: it leaves with the icon
    QAction* m_service;
    QAction* m_processNow;
    QTimer* m_settle;
    std::optional<State> m_shown;
    State m_pending = Stopped;
};
