#pragma once

#include <QAnyStringView>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QtGlobal>

// A window's control (a widget or an action) by its object name. A missing
// control ends the test program with its name and the window's class: no
// check of the window could go on without it, and a null pointer would only
// crash further on without saying which control it was.
template <typename T>
T* child(const QObject& window, QAnyStringView name)
{
    const QString objectName = name.toString();
    T* control = window.findChild<T*>(objectName);
    if (!control)
        qFatal("no control %s in %s", qUtf8Printable(objectName), window.metaObject()->className());
    return control;
}

// Lets the event loop wait once, which is when the windows' enable rules run
// (as for an operator, whose window is idle between two clicks).
inline void waitIdle()
{
    QEventLoop idle;
    QTimer::singleShot(20, &idle, &QEventLoop::quit);
    idle.exec();
}
