#include "FileDialog.h"

#include <QFileDialog>

#include <optional>

namespace {

struct TestState
{
    bool on = false;
    QStringList names;
};

TestState& testState()
{
    static TestState state;
    return state;
}

// The queued answer in test mode; nothing when a real dialog is due.
std::optional<QString> testAnswer()
{
    TestState& state = testState();
    if (!state.on)
        return std::nullopt;
    return state.names.isEmpty() ? QString() : state.names.takeFirst();
}

} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter)
{
    if (const std::optional<QString> answer = testAnswer())
        return *answer;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter)
{
    if (const std::optional<QString> answer = testAnswer())
        return *answer;
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
}

void FileDialog::setTestMode(bool on)
{
    testState() = TestState{on, {}};
}

void FileDialog::setNextFileName(const QString& fileName)
{
    testState().names.append(fileName);
}
