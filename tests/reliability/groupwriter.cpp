// The writer of the crash-safety test: saves group sections into a
// configuration file, one after another, until it is killed.
//
//   groupwriter <configuration file> <number of the first save>
//
// After each save it writes the save's number and a line break to its
// standard output, unbuffered, so the test knows which saves completed.

#include "ConfigFile.h"
#include "Exception.h"
#include "GroupSaves.h"

#include <cstdio>
#include <cstdlib>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
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
