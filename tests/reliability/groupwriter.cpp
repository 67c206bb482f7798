// The writer of the crash-safety test: saves group sections into a
// configuration file, one after another, until it is killed.
//
//   groupwriter <configuration file> <number of the first save>
//
// After each save it writes the save's number and a line break to its
// standard output, unbuffered, so the test knows which saves completed.
//
//   groupwriter <configuration file> --own <section prefix> <count>
//
// saves <count> groups of its own instead, each into a new section named by
// the prefix and the group's number, and exits: two such writers at once must
// not lose each other's sections.

#include "GroupSaves.h"
#include "config/ConfigFile.h"
#include "platform/Exception.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

int saveOwnGroups(ConfigFile& config, const QString& prefix, int count)
{
    for (int n = 1; n <= count; ++n) {
        const std::unique_ptr<TZizaVureGroupItem> group = GroupSaves::makeGroup(n % GroupSaves::groupCount(), n % 2);
        group->GroupName = prefix + QString::number(n);
        try {
            config.SaveGroupSection(*group);
        } catch (const Exception& error) {
            fprintf(stderr, "%s\n", error.what());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[2], "--own") == 0) {
        ConfigFile config(QString::fromLocal8Bit(argv[1]));
        return saveOwnGroups(config, QString::fromLocal8Bit(argv[3]), atoi(argv[4]));
    }
    if (argc != 3) {
        fprintf(stderr, "usage: groupwriter FILE FIRST-SAVE\n");
        return 2;
    }
    // Dies with the test rather than writing on without it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    ConfigFile config(QString::fromLocal8Bit(argv[1]));
    const qint64 first = atoll(argv[2]);
    // Bounded, should the test lose track of it.
    for (qint64 save = first; save < first + 100000; ++save) {
        try {
            config.SaveGroupSection(*GroupSaves::groupOfSave(save));
        } catch (const Exception& error) {
            fprintf(stderr, "%s\n", error.what());
            return 1;
        }
        char line[32];
        const int length = snprintf(line, sizeof line, "%lld\n", static_cast<long long>(save));
        if (write(STDOUT_FILENO, line, size_t(length)) != length)
            return 1;
    }
    return 0;
}
