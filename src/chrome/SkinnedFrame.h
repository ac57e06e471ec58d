#pragma once

#include <QRect>
#include <QString>

class QWidget;
class XpCanvas;

// Registers the frame's skins, button strips and icons (they live in a
// static library, whose resources the linker would otherwise drop).
void initChromeResources();

// Icons of the program's framed windows.
QString testWindowIconFile();
QString boxWindowIconFile();

// Takes `host`'s system frame away and gives it the skinned frame control,
// named `name`, at `geometry` (the host's client area) and stacked below the
// host's other controls. The host's stored design of the control holds
// `caption` and, when given, the icon read from `iconFile`. Call it while the
// host is being built, before it is shown.
XpCanvas *createSkinnedFrame(QWidget *host, const QRect &geometry, const QString &caption,
                             const QString &iconFile = QString(), const QString &name = QStringLiteral("xp_canvas1"));

// The same, in place of a plain placeholder widget: the frame takes the
// placeholder's name and geometry, and the placeholder is deleted.
XpCanvas *installSkinnedFrame(QWidget *host, QWidget *placeholder, const QString &caption,
                              const QString &iconFile = QString());
