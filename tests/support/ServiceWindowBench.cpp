#include "ServiceWindowBench.h"

#include "TestFiles.h"
#include "app/Main.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QPlainTextEdit>

ServiceWindowBench::ServiceWindowBench()
{
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_home.path()));
    qputenv("QVZIZAVURE_LOCK_DIR", QFile::encodeName(m_home.path()));
    MessageBox::setTestMode(true);
    TestFiles::write(configPath(), StandinProcess::threeGroups(1));
}

ServiceWindowBench::~ServiceWindowBench()
{
    m_service.reset();
    MessageBox::setTestMode(false);
}

QString ServiceWindowBench::configPath() const
{
    return m_home.filePath(QStringLiteral("QVZizaVure.QVS"));
}

bool ServiceWindowBench::startService(const QStringList& arguments)
{
    m_service = std::make_unique<StandinProcess>();
    return m_service->start(arguments);
}

std::unique_ptr<TfrmZizaVureGUI> ServiceWindowBench::openWindow()
{
    auto window = std::make_unique<TfrmZizaVureGUI>();
    window->show();
    window->waitForConfiguration();
    return window;
}

QString ServiceWindowBench::statusMemo(TfrmZizaVureGUI& window)
{
    return window.findChild<QPlainTextEdit*>(QStringLiteral("memoStatus"))->toPlainText();
}

QString ServiceWindowBench::linkState(TfrmZizaVureGUI& window)
{
    return window.findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
}
