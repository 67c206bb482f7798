#pragma once

#include "StandinProcess.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class TfrmZizaVureGUI;

// Where a test meets the main window and the stand-in service: a program
// folder of its own (QVZIZAVURE_HOME and QVZIZAVURE_LOCK_DIR) holding the
// three-group configuration, message boxes in test mode, and the service and
// window that the test starts there. Made in a test's init() and dropped in
// its cleanup(); dropping it kills the service.
class ServiceWindowBench
{
public:
    ServiceWindowBench();
    ~ServiceWindowBench();

    QString configPath() const;

    // Starts a new service in place of any earlier one; see StandinProcess::start.
    bool startService(const QStringList& arguments = {});
    StandinProcess& service() { return *m_service; }

    // The main window shown, with its configuration loaded.
    static std::unique_ptr<TfrmZizaVureGUI> openWindow();
    static QString statusMemo(TfrmZizaVureGUI& window);
    // "Service Ready" or "Service Stopped".
    static QString linkState(TfrmZizaVureGUI& window);

private:
    QTemporaryDir m_home;
    std::unique_ptr<StandinProcess> m_service;
};
