#include "MessageBox.h"

#include <QApplication>
#include <QList>
#include <QMessageBox>

namespace {

struct TestState
{
    bool on = false;
    QList<MessageBox::Answer> answers;
    QStringList shown;
};

TestState& testState()
{
    static TestState state;
    return state;
}

QString title()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("QV ZizaVure") : name;
}

} // namespace

void MessageBox::error(QWidget* parent, const QString& text)
{
    show(parent, text, QMessageBox::Critical, QMessageBox::Ok);
}

void MessageBox::information(QWidget* parent, const QString& text)
{
    show(parent, text, QMessageBox::Information, QMessageBox::Ok);
}

MessageBox::Answer MessageBox::question(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel);
}

MessageBox::Answer MessageBox::saveQuestion(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Question, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
}

MessageBox::Answer MessageBox::show(QWidget* parent, const QString& text, int icon, int buttons)
{
    TestState& state = testState();
    if (state.on) {
        state.shown.append(text);
        return state.answers.isEmpty() ? Ok : state.answers.takeFirst();
    }
    const auto standardButtons = QMessageBox::StandardButtons(buttons);
    QMessageBox box(QMessageBox::Icon(icon), title(), text, standardButtons, parent);
    box.setDefaultButton(standardButtons.testFlag(QMessageBox::Save) ? QMessageBox::Save : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Ok:
    case QMessageBox::Save:
        return Ok;
    case QMessageBox::Discard:
        return Discard;
    default:
        return Cancel;
    }
}

void MessageBox::setTestMode(bool on)
{
    testState() = TestState{on, {}, {}};
}

void MessageBox::setNextAnswer(Answer answer)
{
    testState().answers.append(answer);
}

QStringList MessageBox::shownTexts()
{
    return testState().shown;
}

void MessageBox::clearShownTexts()
{
    testState().shown.clear();
}
