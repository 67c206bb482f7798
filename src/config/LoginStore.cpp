#include "LoginStore.h"

#include "ConfigFile.h"
#include "Encrypt.h"

#include <QSettings>

#include <optional>

bool TLoginStore::isBlank() const
{
    return DataSource.trimmed().isEmpty() && UserName.trimmed().isEmpty();
}

void TLoginStore::forgetSource()
{
    DataSource.clear();
    UserName.clear();
}

void TLoginStore::readStored(const ConfigFile& config)
{
    const TDatabaseSettings stored = config.ReadDatabaseSettings();
    DataSource = stored.DataSource;
    UserName = stored.UserName;
    if (const std::optional<QString> password = RecoverPassword(stored.ProtectedPassword))
        Password = *password;
}

void TLoginStore::readSystemSettings()
{
    QSettings settings(QSettings::SystemScope, QStringLiteral("Quellmark"), QStringLiteral("Torvane"));
    settings.beginGroup(QStringLiteral("Settings"));
    DataSource = settings.value(QStringLiteral("ODBC_Source")).toString();
    UserName = settings.value(QStringLiteral("ODBC_User")).toString();
    // The encrypted bytes are the characters of the value.
    const QVariant stored = settings.value(QStringLiteral("ODBC_Pass"));
    const QByteArray record =
        stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : stored.toString().toLatin1();
    Password = RecoverPasswordRecord(record).value_or(QString());
}

TLoginStore::StoreResult TLoginStore::store(ConfigFile& config) const
{
    const std::optional<QString> protectedPassword = ProtectPassword(Password);
    StoreResult result;
    result.passwordStored = protectedPassword.has_value();
    result.written = result.passwordStored && config.WriteDatabaseSettings({DataSource, UserName, *protectedPassword});
    return result;
}
