#include "FileDialog.h"

#include <QFileDialog>

#include <optional>

namespace {

struct TestState
{
    bool on = false;
    QStringList names;
    QString lastFolder;
};

TestState& testState()
{
    static TestState state;
    return state;
}

// The queued answer in test mode; nothing when a real dialog is due.
std::optional<QString> testAnswer(const QString& folder)
{
    TestState& state = testState();
    if (!state.on)
        return std::nullopt;
    state.lastFolder = folder;
    return state.names.isEmpty() ? QString() : state.names.takeFirst();
}

} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter)
{
    if (const std::optional<QString> answer = testAnswer(folder))
        return *answer;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter)
{
    if (const std::optional<QString> answer = testAnswer(folder))
        return *answer;
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
}

void FileDialog::setTestMode(bool on)
{
    testState() = TestState{on, {}, {}};
}

QString FileDialog::lastFolder()
{
    return testState().lastFolder;
}

void FileDialog::setNextFileName(const QString& fileName)
{
    testState().names.append(fileName);
}
