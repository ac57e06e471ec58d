#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

// The library manager's look: the Kai face of the other windows and fixed
// colours, set for every role the controls use, so that a dark desktop
// palette never turns it into dark text on dark ground.
namespace ManagerLook {

inline void apply(QWidget *window)
{
    QFont kai(QStringLiteral("楷体_GB2312"));
    kai.setPixelSize(15);
    window->setFont(kai);

    const QColor ground(236, 233, 216);
    const QColor text(0, 0, 0);
    const QColor grey(128, 128, 128);
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        palette.setColor(group, QPalette::Window, ground);
        palette.setColor(group, QPalette::WindowText, disabled ? grey : QColor(0, 0, 128));
        palette.setColor(group, QPalette::Base, disabled ? ground : QColor(255, 255, 255));
        palette.setColor(group, QPalette::AlternateBase, QColor(245, 244, 238));
        palette.setColor(group, QPalette::Text, disabled ? grey : text);
        palette.setColor(group, QPalette::Button, ground);
        palette.setColor(group, QPalette::ButtonText, disabled ? grey : text);
        palette.setColor(group, QPalette::BrightText, QColor(255, 255, 255));
        palette.setColor(group, QPalette::Highlight, QColor(49, 106, 197));
        palette.setColor(group, QPalette::HighlightedText, QColor(255, 255, 255));
        palette.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, grey);
        palette.setColor(group, QPalette::Light, QColor(255, 255, 255));
        palette.setColor(group, QPalette::Midlight, QColor(241, 239, 226));
        palette.setColor(group, QPalette::Mid, QColor(172, 168, 153));
        palette.setColor(group, QPalette::Dark, QColor(113, 111, 100));
        palette.setColor(group, QPalette::Shadow, QColor(0, 0, 0));
    }
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

} // namespace ManagerLook
