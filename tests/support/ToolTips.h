#pragma once

#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace ToolTips {

// The tooltip `widget` shows when the pointer rests on it, as plain text
// with each run of white space made one space (rich text lays out spaces and
// line breaks its own way), empty for none: the same event the pointer
// sends, then what QToolTip shows.
// QToolTip::hideText() only starts a timer: the tip would still count as
// shown by the next call. Hiding its label now makes each call start clean.
inline void hideNow()
{
    QToolTip::hideText();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("qtooltip_label"))
            top->hide();
    }
}

inline QString shownFor(QWidget *widget)
{
    hideNow();
    const QPoint inside(2, 2);
    QHelpEvent event(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &event);
    if (!QToolTip::isVisible())
        return QString();
    QTextDocument document;
    document.setHtml(QToolTip::text());
    const QString shown =
        (Qt::mightBeRichText(QToolTip::text()) ? document.toPlainText() : QToolTip::text()).simplified();
    hideNow();
    return shown;
}

} // namespace ToolTips
