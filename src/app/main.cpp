#include "Main.h"
#include "NamedMutex.h"
#include "SingleInstance.h"

#include <QApplication>

namespace {
const QString InstanceMutex = QStringLiteral("QVZizaVureessorGUI");
const QString WindowClass = QStringLiteral("TfrmZizaVureGUI");
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // One instance per user session: a second start only brings the first
    // window to the front.
    NamedMutex instanceMutex(InstanceMutex);
    if (!instanceMutex.tryLock()) {
        SingleInstance::sendRestore(WindowClass);
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("QVZizaVure"));
    QApplication::setApplicationDisplayName(QStringLiteral("QV ZizaVure"));
    SingleInstance instance(WindowClass);
    instance.listen();

    TfrmZizaVureGUI window;
    QObject::connect(&instance, &SingleInstance::restoreRequested, &window, &TfrmZizaVureGUI::restoreApplication);
    window.show();
    return app.exec();
}
