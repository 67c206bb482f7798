#pragma once

#include <QStringList>

class QCoreApplication;

// The stand-in's command line: how long a group takes, and the switches by
// which tests make it misbehave.
struct TStandinOptions
{
    int processMs = 3000;
    bool publishObject = true;
    QStringList failingMethods;
    QStringList hangingMethods;
    int burstCount = 0;

    // Reads the application's arguments; prints help, the version or an error
    // and ends the program where the command line asks for it.
    static TStandinOptions parse(const QCoreApplication& app);
};
