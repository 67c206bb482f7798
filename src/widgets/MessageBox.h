#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through here, so that tests can
// answer them. Boxes carry the application's title; questions offer OK and
// Cancel, never Yes and No.
class MessageBox
{
public:
    enum Answer { Ok, Cancel, Discard };

    static void error(QWidget* parent, const QString& text);
    static void information(QWidget* parent, const QString& text);
    static Answer question(QWidget* parent, const QString& text);
    // Save, Discard and Cancel, for unsaved edits that the operator may
    // also drop: Ok stands for Save.
    static Answer saveQuestion(QWidget* parent, const QString& text);

    // Tests: while on, no box is shown; each is recorded and answered with
    // the next queued answer, or OK when none is queued.
    static void setTestMode(bool on);
    static void setNextAnswer(Answer answer);
    static QStringList shownTexts();
    static void clearShownTexts();

private:
    static Answer show(QWidget* parent, const QString& text, int icon, int buttons);
};
