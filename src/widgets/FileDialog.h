#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save dialogs of the program, so that tests can answer them.
class FileDialog
{
public:
    // The chosen file, or an empty text when the operator cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);

    // Tests: while on, no dialog is shown; each returns the next queued name,
    // or an empty text (cancelled) when none is queued.
    static void setTestMode(bool on);
    static void setNextFileName(const QString& fileName);
    // The folder that the last dialog was to start in.
    static QString lastFolder();
};
