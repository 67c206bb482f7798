#pragma once

#include <QWidget>
#include <QtGlobal>

// A window's control by its object name. A missing control ends the test
// program with its name: no check of the window could go on without it.
template <typename T>
T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}
