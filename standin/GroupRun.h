#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class TZizaVureGroupItem;

// The stand-in's processing of one group. It computes nothing: it reports a
// step for each station/sensor pair, spread evenly over the run's duration.
// Messages carry the detail level from which they are shown: 0 errors,
// 1 the start and end of a group, 2 every step.
class TGroupRun : public QObject
{
    Q_OBJECT

public:
    explicit TGroupRun(QObject* parent = nullptr);

    // Copies what it reports, so the group may change or go during the run.
    void start(const TZizaVureGroupItem& group, int durationMs);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    QString groupName() const { return m_groupName; }

Q_SIGNALS:
    void message(int level, const QString& text);
    void finished();

private:
    void step();
    void end(const QString& text);

    QTimer m_timer;
    QString m_groupName;
    QStringList m_steps;
};
