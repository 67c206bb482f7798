// qvzctl: the program's groups and its service from a shell. See --help.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qvzctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QVZ_VERSION));
    std::fprintf(stderr, "qvzctl: not built yet\n");
    return 2;
}
