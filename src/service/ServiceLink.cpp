#include "ServiceLink.h"

#include "IQVZizaVureComProxy.h"
#include "ServiceContract.h"
#include "ServiceLog.h"
#include "config/DataDef.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "platform/NamedMutex.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QXmlStreamReader>

namespace {

// Waits for the answer and raises the error it carries.
template <typename... Types>
QDBusPendingReply<Types...> answerOf(QDBusPendingReply<Types...> reply)
{
    reply.waitForFinished();
    if (reply.isError())
        throw EServiceError(reply.error().message());
    return reply;
}

QDBusMessage callBusDaemon(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    const QDBusMessage reply = ServiceContract::bus().call(call, QDBus::Block, TServiceLink::CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw EServiceError(reply.errorMessage());
    return reply;
}

bool serviceHasOwner()
{
    return callBusDaemon(QStringLiteral("NameHasOwner"), {QString(ServiceContract::ServiceName)})
        .arguments()
        .value(0)
        .toBool();
}

// The bus starts the service from its activation file, and answers once the
// service owns its name.
void activateService()
{
    callBusDaemon(QStringLiteral("StartServiceByName"), {QString(ServiceContract::ServiceName), 0u});
}

// Every binding answers the standard introspection call, so asking it checks
// the object without calling any method of the service's own.
QDBusMessage introspectionCall()
{
    return QDBusMessage::createMethodCall(ServiceContract::ServiceName, ServiceContract::ObjectPath,
                                          QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                          QStringLiteral("Introspect"));
}

// Whether the object's introspection data lists the service's interface on
// the object itself (not on one of its children).
bool implementsContract(const QString& introspection)
{
    QXmlStreamReader reader(introspection);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 2 && reader.name() == QLatin1String("interface") &&
                reader.attributes().value(QLatin1String("name")) == ServiceContract::InterfaceName)
                return true;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return false;
}

bool answersAsService(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && implementsContract(reply.arguments().value(0).toString());
}

} // namespace

TServiceLink::TServiceLink(IServiceLinkHost& host, QObject* parent) : QObject(parent), m_host(host), m_sink(*this) {}

TServiceLink::~TServiceLink() = default;

bool TServiceLink::IsServiceRunning()
{
    return NamedMutex::isHeld(ServiceContract::GlobalMutexName) ||
           NamedMutex::isHeld(ServiceContract::SessionMutexName);
}

bool TServiceLink::ConnectToService()
{
    releaseService();
    if (!IsServiceRunning())
        return false;
    try {
        attach();
    } catch (const EServiceError& error) {
        qCWarning(lcService, "Not linked to the running service: %s", error.what());
        DisconnectFromService();
        return false;
    }
    if (m_host.detailLevel() == DetailHigh)
        m_host.AddStatusLine(tr("Post processing service started."));
    m_host.showLinkState(tr("Service Ready"));
    return true;
}

void TServiceLink::ProbeService()
{
    if (m_probe || !IsServiceRunning() || !ServiceContract::bus().isConnected())
        return;
    m_probe = new QDBusPendingCallWatcher(ServiceContract::bus().asyncCall(introspectionCall(), m_callTimeoutMs), this);
    connect(m_probe, &QDBusPendingCallWatcher::finished, this, &TServiceLink::onProbeFinished);
}

void TServiceLink::onProbeFinished()
{
    const bool answered = answersAsService(m_probe->reply());
    m_probe->deleteLater();
    m_probe = nullptr;
    if (answered)
        Q_EMIT serviceAnswered();
}

// The running object is used when the name has an owner; otherwise the bus is
// asked to start one. Only an object that lists the service's interface is
// linked.
void TServiceLink::attach()
{
    if (!ServiceContract::bus().isConnected())
        throw EServiceError(ServiceContract::bus().lastError().message());
    if (!serviceHasOwner())
        activateService();
    m_service = std::make_unique<IQVZizaVureComProxy>(ServiceContract::ServiceName, ServiceContract::ObjectPath,
                                                      ServiceContract::bus());
    m_service->setTimeout(m_callTimeoutMs);
    const QDBusMessage introspection = ServiceContract::bus().call(introspectionCall(), QDBus::Block, m_callTimeoutMs);
    if (!answersAsService(introspection))
        throw EServiceError(QStringLiteral("The service's object does not answer as the post processing service."));
    if (!m_sink.Connect(ServiceContract::bus()))
        throw EServiceError(QStringLiteral("Unable to subscribe to the service's events."));
}

// Besides the reference, the sink is unsubscribed too, so that a new link
// never leaves an old subscription behind.
void TServiceLink::releaseService()
{
    m_sink.Disconnect();
    m_service.reset();
}

void TServiceLink::DisconnectFromService()
{
    releaseService();
    m_host.showLinkState(tr("Service Stopped"));
}

void TServiceLink::ShowNextRun()
{
    QString group;
    double time = 0;
    try {
        group = GetNextGroup();
        time = GetNextTime();
    } catch (const EServiceError& error) {
        qCWarning(lcService, "Next run not known: %s", error.what());
        return;
    }
    if (group.isEmpty()) {
        m_host.showNextRun(tr("Disabled"), tr("Disabled"), {});
        return;
    }
    const FormatSettings& format = FormatSettings::current();
    m_host.showNextRun(group, format.formatDate(time) + u' ' + format.formatLongTime(time),
                       DateTimeValue::toDateTime(time));
}

void TServiceLink::HandleServiceEvent(const QString& unused, const QString& kind, const QString& text)
{
    Q_UNUSED(unused);
    const QString upperKind = kind.toUpper();
    if (upperKind == QLatin1String("MESSAGE")) {
        m_host.AddStatusLine(text);
        if (text.startsWith(QLatin1String("Error")))
            Q_EMIT errorReported(text);
    } else if (upperKind == QLatin1String("POLLGROUP"))
        ShowNextRun();
}

void TServiceLink::HandleServiceStopped()
{
    m_host.AddStatusLine(tr("Post processing service stopped."));
    DisconnectFromService();
    m_host.startServiceRetryTimer();
    Q_EMIT serviceStopped();
}

IQVZizaVureComProxy& TServiceLink::service()
{
    if (!m_service)
        throw EServiceError(QStringLiteral("Not linked to the post processing service."));
    return *m_service;
}

void TServiceLink::RefreshParams()
{
    answerOf(service().RefreshParams());
}

void TServiceLink::SetDetailLevel(int level)
{
    answerOf(service().SetDetailLevel(level));
}

QString TServiceLink::GetNextGroup()
{
    return answerOf(service().GetNextGroup()).value();
}

double TServiceLink::GetNextTime()
{
    return answerOf(service().GetNextTime()).value();
}

void TServiceLink::ResumeProcessing()
{
    answerOf(service().ResumeProcessing());
}

void TServiceLink::SuspendProcessing()
{
    answerOf(service().SuspendProcessing());
}

int TServiceLink::GetProcessingState()
{
    return answerOf(service().GetProcessingState()).value();
}

void TServiceLink::AskProcessingState()
{
    if (!m_service)
        return;
    delete m_stateQuestion;
    m_stateQuestion = new QDBusPendingCallWatcher(m_service->GetProcessingState(), this);
    connect(m_stateQuestion, &QDBusPendingCallWatcher::finished, this, [this] {
        const QDBusPendingReply<int> reply = *m_stateQuestion;
        m_stateQuestion->deleteLater();
        m_stateQuestion = nullptr;
        // An answer that comes after the link has gone describes no service.
        if (!reply.isError() && m_service)
            Q_EMIT processingStateAnswered(reply.value());
    });
}

void TServiceLink::ProcessGroupNow(int position)
{
    answerOf(service().ProcessGroupNow(position));
}

void TServiceLink::StopProcessNow()
{
    answerOf(service().StopProcessNow());
}
