#pragma once

#include <QDBusConnection>
#include <QLatin1String>

// Where the post-processing service is found: its bus name, its object, its
// interface and the named mutex it holds while it runs. The program and the
// stand-in service share these.
namespace ServiceContract {

inline constexpr QLatin1String ServiceName("org.torvane.QVZizaVureessor");
inline constexpr QLatin1String ObjectPath("/QVZizaVureCom");
inline constexpr QLatin1String InterfaceName("org.torvane.IQVZizaVureCom");

// A service of the whole machine holds the global name, one of a user
// session the plain name.
inline constexpr QLatin1String GlobalMutexName("Global\\QVZizaVureessor");
inline constexpr QLatin1String SessionMutexName("QVZizaVureessor");

// The system bus when QVZIZAVURE_BUS is "system", the session bus otherwise.
bool usesSystemBus();
QDBusConnection bus();

// The mutex the service takes: global on the system bus, plain on the session bus.
QString serviceMutexName();

} // namespace ServiceContract
