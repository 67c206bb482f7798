#pragma once

#include <QString>

#include <functional>

class QWidget;
class TDbBackgroundRead;

// Waits until a started run has finished or the operator cancels it. A quick
// run is simply waited for, as any short call would be (unless
// `serveTimers`: then the window's timers and painting go on meanwhile, and
// only the operator's input waits); a run that takes
// longer than a moment shows an application-modal progress window with
// `title`, the text that `progress` gives (asked again a few times a second)
// and a Cancel button, and the program's windows, timers and signals are
// served until it ends. Cancel returns at once: the run is abandoned (see
// TDbBackgroundRead::cancel), however long the driver takes to stop.
// `parent` may be hidden, as a window that reads before it is shown is.
void WaitForRun(QWidget* parent, TDbBackgroundRead& run, const QString& title, const std::function<QString()>& progress,
                bool serveTimers = false);

// WaitForRun for a read, with `label` and the rows read so far.
void WaitForRead(QWidget* parent, TDbBackgroundRead& read, const QString& label);
