#include "Main.h"
#include "platform/AppTranslation.h"
#include "platform/NamedMutex.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationNotifier.h"
#include "widgets/LockWaitWindow.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QIcon>

namespace {
const QString InstanceMutex = QStringLiteral("QVZizaVureessorGUI");
const QString WindowClass = QStringLiteral("TfrmZizaVureGUI");
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    AppTranslation::install();
    LockWait::setMainThreadWaiter(&TLockWaitWindow::wait);

    // One instance per user session: a second start only brings the first
    // window to the front.
    NamedMutex instanceMutex(InstanceMutex);
    const auto showError = [](const QString& text) { MessageBox::error(nullptr, text); };
    if (const std::optional<int> exitStatus = SingleInstance::claim(instanceMutex, WindowClass, showError))
        return *exitStatus;

    QApplication::setApplicationName(QStringLiteral("QVZizaVure"));
    QApplication::setApplicationDisplayName(QStringLiteral("QV ZizaVure"));
    // The desktop entry and icon that the package installs under this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.torvane.QVZizaVure"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.torvane.QVZizaVure")));
    SingleInstance instance(WindowClass);
    instance.listen();

    TfrmZizaVureGUI window;
    QObject::connect(&instance, &SingleInstance::restoreRequested, &window, &TfrmZizaVureGUI::restoreApplication);
    // A termination signal (logout, shutdown, kill, Ctrl+C) closes the
    // program as File > Exit does, so that nothing it saves at close is lost.
    TTerminationNotifier termination;
    QObject::connect(&termination, &TTerminationNotifier::terminationRequested, &window,
                     &TfrmZizaVureGUI::closeOnRequest);
    window.show();
    return app.exec();
}
