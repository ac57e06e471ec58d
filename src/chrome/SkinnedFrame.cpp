#include "chrome/SkinnedFrame.h"

#include "chrome/PropertyBag.h"
#include "chrome/XpCanvas.h"

#include <QPixmap>
#include <QWidget>

void initChromeResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(chrome);
        return true;
    }();
    Q_UNUSED(registered);
}

QString testWindowIconFile()
{
    return QStringLiteral(":/chrome/test_window_icon.png");
}

QString boxWindowIconFile()
{
    return QStringLiteral(":/chrome/box_window_icon.png");
}

XpCanvas *createSkinnedFrame(QWidget *host, const QRect &geometry, const QString &caption, const QString &iconFile,
                             const QString &name)
{
    initChromeResources();
    host->setWindowFlag(Qt::FramelessWindowHint, true);

    PropertyBag design;
    design.set(QStringLiteral("Caption"), caption);
    if (!iconFile.isEmpty())
        design.set(QStringLiteral("Icon"), QPixmap(iconFile));

    auto *frame = new XpCanvas(host, name, &design);
    frame->setGeometry(geometry);
    frame->lower();
    return frame;
}

XpCanvas *installSkinnedFrame(QWidget *host, QWidget *placeholder, const QString &caption, const QString &iconFile)
{
    const QString name = placeholder ? placeholder->objectName() : QStringLiteral("xp_canvas1");
    const QRect geometry = placeholder ? placeholder->geometry() : host->rect();
    delete placeholder;
    return createSkinnedFrame(host, geometry, caption, iconFile, name.isEmpty() ? QStringLiteral("xp_canvas1") : name);
}
