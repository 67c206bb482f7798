#pragma once

class QWidget;
class TDbDatabase;
class TZizaVureGroupItem;

// Registers the data labels of `group`, just written to the configuration,
// in a thread of its own on a connection of its own to the data source of
// `database` (see RegisterAllDataLabels), so that a group of thousands of
// pairs never holds the window. A registration that takes a while shows its
// progress with Cancel over `window`. When it fails or is cancelled, a box
// names the pairs whose labels were not registered and says that the
// configuration was saved. A closed database registers nothing, as before a
// connect.
void RegisterGroupLabels(QWidget* window, const TDbDatabase& database, const TZizaVureGroupItem& group);
