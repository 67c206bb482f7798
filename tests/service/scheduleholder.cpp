// Another program that holds the service's schedule, as another operator's
// window does:
//
//   scheduleholder <configuration file>
//
// links to the service, takes the hold and writes "held" and a line break to
// its standard output; a line on its standard input (or its end) releases the
// hold and ends the program. Killed instead, it leaves the hold as a program
// does that ends while it holds.

#include "service/ScheduleHold.h"
#include "service/ServiceLink.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

class SilentHost : public IServiceLinkHost
{
public:
    void AddStatusLine(const QString&) override {}
    int detailLevel() const override { return 0; }
    void showLinkState(const QString&) override {}
    void showNextRun(const QString&, const QString&, const QDateTime&) override {}
    void startServiceRetryTimer() override {}
};

} // namespace

int main(int argc, char** argv)
{
    const QCoreApplication app(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: scheduleholder CONFIGURATION-FILE\n");
        return 2;
    }
    SilentHost host;
    TServiceLink link(host);
    if (!link.ConnectToService()) {
        fprintf(stderr, "scheduleholder: not linked to the service\n");
        return 1;
    }
    TScheduleHold hold(link, QString::fromLocal8Bit(argv[1]));
    try {
        hold.take();
        printf("held\n");
        fflush(stdout);
        char line[16];
        if (!fgets(line, sizeof line, stdin))
            line[0] = 0; // the end of the input releases too
        hold.release();
    } catch (const Exception& error) {
        fprintf(stderr, "scheduleholder: %s\n", error.what());
        return 1;
    }
    return 0;
}
