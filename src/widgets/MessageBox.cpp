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
    show(parent, text, QMessageBox::Critical, false);
}

void MessageBox::information(QWidget* parent, const QString& text)
{
    show(parent, text, QMessageBox::Information, false);
}

MessageBox::Answer MessageBox::question(QWidget* parent, const QString& text)
{
    return show(parent, text, QMessageBox::Question, true);
}

MessageBox::Answer MessageBox::show(QWidget* parent, const QString& text, int icon, bool withCancel)
{
    TestState& state = testState();
    if (state.on) {
        state.shown.append(text);
        return state.answers.isEmpty() ? Ok : state.answers.takeFirst();
    }
    QMessageBox box(QMessageBox::Icon(icon), title(), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Ok : Cancel;
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
