#pragma once

#include "platform/ProfileFile.h"

#include <utility>

// The main window's position and size in screen pixels.
struct TWindowBounds
{
    int Left = 300;
    int Top = 186;
    int Width = 465;
    int Height = 377;
};

// The per-user settings file "QVPPUsr.QVS": the bounds of the main window and
// which desktop notifications the operator wants.
class UserSettingsFile
{
public:
    static QString defaultPath();

    explicit UserSettingsFile(const QString& path);

    QString path() const { return m_file.path(); }

    // Each key that is missing or malformed keeps the value of `defaults`.
    TWindowBounds ReadWindowBounds(const TWindowBounds& defaults) const;
    // Never raises; returns false when the file refused the write.
    bool WriteWindowBounds(const TWindowBounds& bounds);

    // Whether the notification of `kind` is on; `byDefault` while the key is
    // missing or malformed.
    bool ReadNotification(const QByteArray& kind, bool byDefault) const;
    // Never raises; returns false when the file refused the write.
    bool WriteNotifications(const QList<std::pair<QByteArray, bool>>& kinds);

private:
    ProfileFile m_file;
};
