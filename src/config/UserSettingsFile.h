#pragma once

#include "platform/ProfileFile.h"

// The main window's position and size in screen pixels.
struct TWindowBounds
{
    int Left = 300;
    int Top = 186;
    int Width = 465;
    int Height = 377;
};

// The per-user settings file "QVPPUsr.QVS": the bounds of the main window.
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

private:
    ProfileFile m_file;
};
