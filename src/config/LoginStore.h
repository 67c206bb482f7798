#pragma once

#include <QString>

class ConfigFile;

// The database login that the main window connects with: read from the
// configuration file, else from the site's system-wide settings, else typed
// by the operator; stored back in the configuration file with the password
// protected.
class TLoginStore
{
public:
    QString DataSource;
    QString UserName;
    QString Password;

    // Neither a data source nor a user name, blanks aside: nothing to connect with.
    bool isBlank() const;
    // Forgets the data source and user name (not the password), so that the
    // next connect reads the stored ones again.
    void forgetSource();

    // Takes the configuration file's login. A stored password that cannot be
    // read keeps the one already known.
    void readStored(const ConfigFile& config);
    // Takes the login of the system-wide settings (organisation "Quellmark",
    // application "Torvane", group "Settings"), where a site keeps the ODBC
    // login that all its programs share.
    void readSystemSettings();

    // Writes the login into the configuration file. The stored form cannot
    // carry every password, and a cut or empty one would fail every later
    // start, so a login with such a password is not written at all: the
    // stored login stays as it was, and passwordStored and written are false.
    // Only `written` is false when the file refused the write.
    struct StoreResult
    {
        bool written = false;
        bool passwordStored = false;
    };
    StoreResult store(ConfigFile& config) const;
};
