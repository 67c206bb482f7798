// qvz-seed CONFIG_FILE DATA_SOURCE USER_NAME
//
// Gives a configuration file a database login to start with: writes
// "ODBC Data Source" and "ODBC Username" into section "Database Settings"
// when that section names no data source yet, and leaves the file alone when
// it does. No password is written; the login dialog asks for one. The file is
// edited with the program's own settings-file rules, so every other line stays
// as it was.
#include "Exception.h"
#include "ProfileFile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qvz-seed CONFIG_FILE DATA_SOURCE USER_NAME\n");
        return 2;
    }
    const QByteArray section("Database Settings");
    ProfileFile file(args.at(1));
    if (!file.readString(section, "ODBC Data Source").trimmed().isEmpty()) {
        std::printf("%s already names a data source; left as it is\n", qPrintable(args.at(1)));
        return 0;
    }
    try {
        file.writeKeys(section, {{"ODBC Data Source", args.at(2)}, {"ODBC Username", args.at(3)}});
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("%s now logs in to %s as %s\n", qPrintable(args.at(1)), qPrintable(args.at(2)), qPrintable(args.at(3)));
    return 0;
}
