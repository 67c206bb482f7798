#include "GroupRun.h"

#include "config/DataDef.h"

TGroupRun::TGroupRun(QObject* parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &TGroupRun::step);
}

void TGroupRun::start(const TZizaVureGroupItem& group, int durationMs)
{
    m_groupName = group.GroupName;
    m_steps.clear();
    for (const auto& entry : group.StationSensors)
        m_steps.append(QStringLiteral("%1: %2 of %3.").arg(group.GroupName, group.FuncName, entry->PairText()));

    Q_EMIT message(1, QStringLiteral("Processing group %1 started.").arg(m_groupName));
    if (m_steps.isEmpty())
        Q_EMIT message(0, QStringLiteral("Error: group %1 has no station/sensor pairs.").arg(m_groupName));
    // One tick per step and one to finish.
    m_timer.start(durationMs / int(m_steps.size() + 1));
}

void TGroupRun::stop()
{
    if (isRunning())
        end(QStringLiteral("Processing group %1 stopped.").arg(m_groupName));
}

void TGroupRun::step()
{
    if (m_steps.isEmpty())
        end(QStringLiteral("Processing group %1 finished.").arg(m_groupName));
    else
        Q_EMIT message(2, m_steps.takeFirst());
}

// Whoever hears `finished` may start the next run at once.
void TGroupRun::end(const QString& text)
{
    m_timer.stop();
    m_steps.clear();
    m_groupName.clear();
    Q_EMIT message(1, text);
    Q_EMIT finished();
}
