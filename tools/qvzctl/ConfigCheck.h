#pragma once

#include <QList>
#include <QString>

class ConfigFile;

// One finding of `qvzctl validate`.
struct TConfigProblem
{
    int line = 0; // from 1; 0 when it belongs to no line
    QString group;
    bool isError = false;
    QString text;
};

// What the setup editor would refuse or the service could not read in a
// configuration (errors), and what only looks wrong (warnings):
//  errors: a listed group without a section; a value that cannot be read; a
//   start text that the editor refuses; a station id holding "."; one data
//   label on two sensors of one station; a filter file that cannot be read
//   or that the filter check refuses;
//  warnings: a group section that the list leaves out; a missing filter file
//   (the station list then shows every station); a data label that two
//   groups give to pairs of different stations.
// Relative filter file names are taken from `filterFolder`.
namespace ConfigCheck {

QList<TConfigProblem> check(const ConfigFile& config, const QString& filterFolder);

} // namespace ConfigCheck
