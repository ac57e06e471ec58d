#include "widgets/MouseMover.h"

#include <QMouseEvent>
#include <QWindow>

MouseMover::MouseMover(QWidget *target, QObject *parent)
    : QObject(parent)
    , m_target(target)
{
}

void MouseMover::begin(QWidget *handle, const QPoint &globalPress)
{
    finish();
    m_handle = handle;
    m_pressGlobal = globalPress;
    m_startPos = m_target->pos();
    handle->installEventFilter(this);
}

bool MouseMover::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_handle)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        followTo(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        finish();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MouseMover::followTo(const QPoint &globalPos)
{
    QPoint pos = m_startPos + (globalPos - m_pressGlobal);
    if (!m_target->isWindow() && m_target->parentWidget()) {
        // A child must not be dragged out of sight.
        const QSize room = m_target->parentWidget()->size() - m_target->size();
        pos.setX(qBound(0, pos.x(), qMax(0, room.width())));
        pos.setY(qBound(0, pos.y(), qMax(0, room.height())));
    }
    m_target->move(pos);
}

void MouseMover::finish()
{
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle.clear();
}

void moveWindowWithMouse(QWidget *window, QWidget *handle, const QPoint &globalPress, MouseMover &fallback)
{
    QWindow *native = window->windowHandle();
    if (native && native->startSystemMove())
        return;
    fallback.begin(handle, globalPress);
}
