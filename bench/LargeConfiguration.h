#pragma once

#include "config/DataDef.h"

#include <QString>

#include <memory>

// A group numbered `number` with `entries` station/sensor entries.
std::unique_ptr<TZizaVureGroupItem> makeBenchmarkGroup(int number, int entries);

// Writes the configuration of a large site to `path`: `groups` groups of
// `entries` entries each, and the group list.
void writeLargeConfiguration(const QString& path, int groups, int entries);
