#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// Moves a widget with the mouse from a press until the button is released:
// a child inside its parent (kept inside the parent's area), or a whole
// window when the window system will not move it for us.
class MouseMover : public QObject
{
public:
    explicit MouseMover(QWidget *target, QObject *parent = nullptr);

    // Starts following the mouse. `handle` is the widget that received the
    // press; it holds the implicit mouse grab, so its move and release events
    // drive the move.
    void begin(QWidget *handle, const QPoint &globalPress);
    bool isMoving() const { return !m_handle.isNull(); }
    // Follows the pointer, now at `globalPos`, as a move event would.
    void followTo(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    QWidget *m_target;
    QPointer<QWidget> m_handle;
    QPoint m_pressGlobal;
    QPoint m_startPos;
};

// Lets the window system move `window` with the mouse; where it refuses
// (for example with no window manager), `fallback` moves it instead.
void moveWindowWithMouse(QWidget *window, QWidget *handle, const QPoint &globalPress, MouseMover &fallback);
