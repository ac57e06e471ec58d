#include "widgets/WordTips.h"

#include "dict/Dictionary.h"

#include <QHelpEvent>
#include <QLabel>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

#include <utility>

WordTips::WordTips(QObject *owner, TextOf textOf)
    : QObject(owner)
    , m_textOf(std::move(textOf))
{
}

WordTips *WordTips::attach(QObject *owner, const QList<QWidget *> &widgets, TextOf textOf)
{
    auto *tips = new WordTips(owner, std::move(textOf));
    for (QWidget *widget : widgets)
        widget->installEventFilter(tips);
    return tips;
}

WordTips *WordTips::attachEntries(QObject *owner, const QList<QLabel *> &labels, Dictionary &dictionary)
{
    return attach(owner, QList<QWidget *>(labels.begin(), labels.end()), [&dictionary](QWidget *widget) {
        return dictionary.describe(static_cast<QLabel *>(widget)->text());
    });
}

QString WordTips::tipFor(QWidget *widget) const
{
    return tipWith(widget, m_textOf(widget));
}

QString WordTips::tipWith(QWidget *widget, const QString &text)
{
    if (text.isEmpty())
        return widget->toolTip();
    // Escaped as a whole: a meaning may hold '<' or '&', and the line
    // breaks of the entry must survive in a rich-text tooltip.
    const QString own = widget->toolTip();
    return Qt::convertFromPlainText(own.isEmpty() ? text : text + QStringLiteral("\n\n") + own, Qt::WhiteSpaceNormal);
}

bool WordTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    const QString text = m_textOf(widget);
    if (text.isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), tipWith(widget, text), widget);
    return true;
}
