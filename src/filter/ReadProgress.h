#pragma once

#include <QString>

class QWidget;
class TDbBackgroundRead;

// Waits until a started read has finished. A quick read is simply waited
// for, as any short call would be; a read that takes longer than a moment
// shows an application-modal progress window with the rows read so far and a
// Cancel button, and the program's windows, timers and signals are served
// until it ends.
// `parent` may be hidden, as a window that reads before it is shown is.
void WaitForRead(QWidget* parent, TDbBackgroundRead& read, const QString& label);
