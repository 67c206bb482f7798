// Until the main window exists, the program loads its configuration from the
// program folder and lists the groups on standard output.
#include "ConfigFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QV ZizaVure"));

    QTextStream out(stdout);
    ConfigFile config(ConfigFile::defaultPath());
    TLogSettings settings;
    const auto groups = config.LoadConfiguration(settings, [&out](const QString& line) { out << line << '\n'; });
    out << "Configuration: " << config.path() << '\n';
    for (int i = 0; i < groups->Count(); ++i) {
        const TZizaVureGroupItem* group = groups->Items(i);
        out << group->PPGIndex << '\t' << group->FuncName << '\t' << group->StationSensors.size() << " entries\n";
    }
    return 0;
}
