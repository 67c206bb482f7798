#include "StandinOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {

const char Description[] = "A stand-in for the QVZizaVureessor post-processing service. It holds the\n"
                           "service mutex, publishes the service object on the bus, schedules the\n"
                           "enabled groups of QVZizaVure.QVS and fakes their processing with status\n"
                           "messages.\n"
                           "\n"
                           "Environment: QVZIZAVURE_HOME (folder of QVZizaVure.QVS), QVZIZAVURE_BUS\n"
                           "(\"system\" for the system bus, else the session bus), QVZIZAVURE_LOCK_DIR\n"
                           "(folder of the mutex's lock file).";

int numberValue(const QCommandLineParser& parser, const QCommandLineOption& option, int fallback)
{
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0) {
        std::fprintf(stderr, "--%s needs a number of 0 or more.\n", qPrintable(option.names().constFirst()));
        std::exit(EXIT_FAILURE);
    }
    return value;
}

} // namespace

TStandinOptions TStandinOptions::parse(const QCoreApplication& app)
{
    const QCommandLineOption processMs(QStringLiteral("process-ms"),
                                       QStringLiteral("How long processing one group takes (default 3000)."),
                                       QStringLiteral("milliseconds"));
    const QCommandLineOption noObject(QStringLiteral("no-object"),
                                      QStringLiteral("Hold the service mutex but publish nothing on the bus."));
    const QCommandLineOption fail(QStringLiteral("fail"),
                                  QStringLiteral("Answer every call of <method> with an error. Repeatable."),
                                  QStringLiteral("method"));
    const QCommandLineOption hang(QStringLiteral("hang"), QStringLiteral("Never answer calls of <method>. Repeatable."),
                                  QStringLiteral("method"));
    const QCommandLineOption burst(
        QStringLiteral("burst"),
        QStringLiteral("Follow each GetStatusText call with <count> MESSAGE events, sent as fast as possible "
                       "whatever the detail level."),
        QStringLiteral("count"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({processMs, noObject, fail, hang, burst});
    parser.process(app);

    TStandinOptions options;
    options.processMs = numberValue(parser, processMs, options.processMs);
    options.publishObject = !parser.isSet(noObject);
    options.failingMethods = parser.values(fail);
    options.hangingMethods = parser.values(hang);
    options.burstCount = numberValue(parser, burst, 0);
    return options;
}
