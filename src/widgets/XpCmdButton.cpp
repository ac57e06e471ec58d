#include "widgets/XpCmdButton.h"

#include "widgets/Controls.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// A light, rounded, gradient face in the manner of the classic XP buttons.
const char kFace[] = R"(
QPushButton {
    text-align: left;
    padding-left: 4px;
    border: 1px solid #1f3f8f;
    border-radius: 4px;
    color: #102060;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:0.85 #e6e4dc, stop:1 #d6d0c0);
}
QPushButton:hover {
    border: 1px solid #e8a020;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffef4, stop:0.85 #f2eedc, stop:1 #f0c860);
}
QPushButton:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d8d4c8, stop:1 #f4f2ea);
}
QPushButton:focus { outline: none; }
)";

} // namespace

XpCmdButton::XpCmdButton(const QString &caption, int index, QWidget *parent)
    : QPushButton(caption, parent)
    , m_index(index)
{
    setStyleSheet(QString::fromLatin1(kFace));
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QPushButton::clicked, this, [this] { emit pressedAt(m_index); });
}

void XpCmdButton::keyPressEvent(QKeyEvent *event)
{
    // Space presses the button as on any push button; Enter does too, since
    // these buttons stand in for the windows' menu of modes.
    if (isEnterKey(event->key()) && !event->isAutoRepeat()) {
        animateClick();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void XpCmdButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (!hasFocus())
        return;
    // The face's style sheet draws no focus mark; a dotted frame inside the
    // border shows where Tab has arrived.
    QPainter painter(this);
    QPen pen(QColor(16, 32, 96));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}
