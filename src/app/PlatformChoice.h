#pragma once

#include <QByteArray>

// The browse bar has to stay above other windows. Wayland gives a client no
// way to ask for that, but X11 does, and a Wayland desktop usually runs an X
// server (XWayland) beside it. So on a Wayland session with an X display the
// program asks Qt for its X11 platform. A platform the user chose through
// QT_QPA_PLATFORM is always kept. Without an X display Qt's own choice
// stands (native Wayland where Qt's Wayland plugin is installed).
//
// Returns the platform to ask for, or an empty array to leave Qt's choice.
inline QByteArray preferredPlatform(const QByteArray &qpaPlatform, const QByteArray &waylandDisplay,
                                    const QByteArray &display)
{
    if (!qpaPlatform.trimmed().isEmpty())
        return {};
    if (waylandDisplay.trimmed().isEmpty() || display.trimmed().isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}
