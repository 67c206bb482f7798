#include "CtlService.h"

#include "config/DataDef.h"
#include "platform/DateTimeValue.h"
#include "service/ScheduleHold.h"
#include "service/ServiceContract.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QFileInfo>

TCtlService::TCtlService(const QString& configPath) : m_configPath(configPath), m_link(*this)
{
    m_link.setCallTimeout(CallTimeoutMs);
}

bool TCtlService::busAvailable() const
{
    return ServiceContract::bus().isConnected();
}

bool TCtlService::link()
{
    if (!busAvailable()) {
        m_error =
            QCoreApplication::translate("CtlService", "no bus: %1").arg(ServiceContract::bus().lastError().message());
        return false;
    }
    if (!TServiceLink::IsServiceRunning()) {
        m_error = QCoreApplication::translate("CtlService", "the service is not running");
        return false;
    }
    if (!m_link.ConnectToService()) {
        m_error = QCoreApplication::translate("CtlService", "the service does not answer");
        return false;
    }
    return true;
}

TServiceState TCtlService::state()
{
    TServiceState state;
    state.busAvailable = busAvailable();
    state.running = TServiceLink::IsServiceRunning();
    state.holders = TScheduleHold::holderCount(m_configPath);
    if (state.holders > 0)
        state.heldSince = QFileInfo(TScheduleHold::holdPath(m_configPath)).lastModified();
    state.linked = link();
    if (!state.linked) {
        state.error = m_error;
        return state;
    }
    try {
        state.active = m_link.GetProcessingState() == ProcessingActive;
        state.nextGroup = m_link.GetNextGroup();
        if (!state.nextGroup.isEmpty())
            state.nextTime = DateTimeValue::toDateTime(m_link.GetNextTime());
    } catch (const EServiceError& error) {
        state.linked = false;
        state.error = error.message();
    }
    return state;
}
