#include "chrome/XpTopButtons.h"

#include "chrome/PropertyBag.h"
#include "chrome/SkinnedFrame.h"

#include <QMouseEvent>
#include <QPainter>

using namespace chrome;

namespace {

PictureClip loadStrip(const char *name)
{
    // One row of four 21 x 21 cells: normal, hover, pressed, disabled.
    return PictureClip(QPixmap(QStringLiteral(":/chrome/") + QLatin1String(name)), 1, 4);
}

} // namespace

XpTopButtons::XpTopButtons(QWidget *parent, const QString &name, const PropertyBag *stored)
    : QWidget(parent)
{
    initChromeResources();
    setObjectName(name);
    pc[0] = loadStrip("close.bmp");
    pc[1] = loadStrip("maximize.bmp");
    pc[2] = loadStrip("minimize.bmp");
    pc[3] = loadStrip("restore.bmp");

    // Moves without a held button are needed for the hover face.
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    // The button draws only its face; it can have no other size.
    setFixedSize(Side, Side);
    // Like a hover watch that is running from the start: the first time the
    // cursor is seen leaving, it is reported.
    m_watchingForLeave = true;

    RefreshFace();
    showCell(FaceNormal);
    if (stored)
        ReadProperties(*stored);
    else
        InitProperties();
}

void XpTopButtons::setValue(qint32 value)
{
    mValue = value;
    emit PropertyChanged(QStringLiteral("Value"));
    RefreshFace();
}

void XpTopButtons::applyEnabled(bool enabled)
{
    setEnabled(enabled);
    showCell(isEnabled() ? FaceNormal : FaceDisabled);
}

void XpTopButtons::RefreshFace()
{
    mClipIndex = stripForValue(mValue, mClipIndex);
    showCell(isEnabled() ? FaceNormal : FaceDisabled);
}

void XpTopButtons::InitProperties()
{
    setValue(0);
    applyEnabled(true);
}

void XpTopButtons::ReadProperties(const PropertyBag &bag)
{
    // The kind is taken as stored; the face follows when the button is
    // shown (or its Value is set).
    mValue = bag.ReadProperty(QStringLiteral("Value"), 0).toInt();
    applyEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
}

void XpTopButtons::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Value"), mValue, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
}

void XpTopButtons::showCell(qint16 cell)
{
    m_cell = cell;
    m_face = pc[mClipIndex].GraphicCell(cell);
    update();
}

void XpTopButtons::paintEvent(QPaintEvent *)
{
    if (m_face.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_face);
}

void XpTopButtons::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    RefreshFace();
}

void XpTopButtons::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        showCell(isEnabled() ? FaceNormal : FaceDisabled);
}

bool XpTopButtons::isInside(const QPointF &pos) const
{
    // The far edges count as inside.
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() && pos.y() <= height();
}

void XpTopButtons::mousePressEvent(QMouseEvent *event)
{
    showCell(FacePressed);
    const QPointF p = event->position();
    emit MouseDown(buttonMask(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    event->accept();
}

void XpTopButtons::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    event->accept();
    if (!isInside(p)) {
        // Only possible while a press holds the mouse: the cursor has been
        // dragged off the button.
        if (m_watchingForLeave)
            cursorLeft();
        return;
    }
    m_watchingForLeave = true;
    emit MouseMove(buttonMask(event->buttons()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    showCell(faceForMove(event->buttons()));
}

void XpTopButtons::mouseReleaseEvent(QMouseEvent *event)
{
    showCell(FaceNormal);
    const QPointF p = event->position();
    emit MouseUp(buttonMask(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    event->accept();
    const bool secondClick = m_doubleClicked;
    m_doubleClicked = false;
    if (event->button() == Qt::LeftButton && isInside(p) && !secondClick)
        emit Click();
}

void XpTopButtons::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press of the second click has been handled already; the
    // double-click itself means nothing here, and its release is no second
    // click.
    m_doubleClicked = true;
    event->accept();
}

void XpTopButtons::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (m_watchingForLeave)
        cursorLeft();
}

void XpTopButtons::cursorLeft()
{
    m_watchingForLeave = false;
    emit MouseOut();
    if (isEnabled())
        showCell(FaceNormal);
}
