#include "UserSettingsFile.h"

#include "ConfigLog.h"

#include "platform/Exception.h"
#include "platform/ProgramFolder.h"

namespace {
const QByteArray WindowSection = QByteArrayLiteral("Windows Settings");
const QByteArray NotificationSection = QByteArrayLiteral("Notifications");
} // namespace

QString UserSettingsFile::defaultPath()
{
    return ProgramFolder::userFilePath(QStringLiteral("QVPPUsr.QVS"), ProgramFolder::UserFolder::Config);
}

UserSettingsFile::UserSettingsFile(const QString& path) : m_file(path) {}

TWindowBounds UserSettingsFile::ReadWindowBounds(const TWindowBounds& defaults) const
{
    TWindowBounds bounds;
    bounds.Left = m_file.readInteger(WindowSection, "Left", defaults.Left);
    bounds.Top = m_file.readInteger(WindowSection, "Top", defaults.Top);
    bounds.Width = m_file.readInteger(WindowSection, "Width", defaults.Width);
    bounds.Height = m_file.readInteger(WindowSection, "Height", defaults.Height);
    return bounds;
}

bool UserSettingsFile::WriteWindowBounds(const TWindowBounds& bounds)
{
    try {
        m_file.writeKeys(WindowSection, {{"Left", QString::number(bounds.Left)},
                                         {"Top", QString::number(bounds.Top)},
                                         {"Width", QString::number(bounds.Width)},
                                         {"Height", QString::number(bounds.Height)}});
    } catch (const EWriteError& error) {
        // The window opens at its default place next time; nothing else is lost.
        qCWarning(lcConfig, "Window position not saved: %s", error.what());
        return false;
    }
    return true;
}

bool UserSettingsFile::ReadNotification(const QByteArray& kind, bool byDefault) const
{
    return m_file.readBool(NotificationSection, kind, byDefault);
}

bool UserSettingsFile::WriteNotifications(const QList<std::pair<QByteArray, bool>>& kinds)
{
    ProfileFile::KeyValues keys;
    for (const auto& [kind, on] : kinds)
        keys.append({kind, on ? QStringLiteral("1") : QStringLiteral("0")});
    try {
        m_file.writeKeys(NotificationSection, keys);
    } catch (const EWriteError& error) {
        qCWarning(lcConfig, "Notification settings not saved: %s", error.what());
        return false;
    }
    return true;
}
