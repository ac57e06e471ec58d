#include "chrome/XpCanvas.h"

#include "widgets/Geometry.h"
#include "widgets/MouseMover.h"
#include "chrome/FrameRules.h"
#include "chrome/PropertyBag.h"
#include "chrome/SkinnedFrame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

using namespace chrome;

// A picture box with persistent drawing: what is painted onto it lives in a
// pixmap of its own size and survives repaints, so a layout pass paints the
// skins once and every later repaint just shows them.
class SkinBox : public QWidget
{
public:
    SkinBox(const QString &name, QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(name);
        m_surface = QPixmap(1, 1);
        m_surface.fill(XpCanvas::backgroundColour());
    }

    // Paints `source` of `picture` stretched over `target`. False when there
    // is nothing to paint from.
    bool paintPicture(const QPixmap &picture, const QRect &target, const QRect &source)
    {
        if (picture.isNull() || target.isEmpty())
            return false;
        matchSurfaceToSize();
        QPainter painter(&m_surface);
        painter.drawPixmap(target, picture, source);
        update(target);
        return true;
    }

    bool paintWhole(const QPixmap &picture) { return paintPicture(picture, rect(), picture.rect()); }

protected:
    void resizeEvent(QResizeEvent *) override { matchSurfaceToSize(); }

    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.drawPixmap(event->rect(), m_surface, event->rect());
    }

private:
    // The surface follows the box's size, keeping what was painted where it
    // still fits.
    void matchSurfaceToSize()
    {
        const QSize wanted = size().expandedTo(QSize(1, 1));
        if (m_surface.size() == wanted)
            return;
        QPixmap grown(wanted);
        grown.fill(XpCanvas::backgroundColour());
        QPainter painter(&grown);
        painter.drawPixmap(0, 0, m_surface);
        painter.end();
        m_surface = grown;
    }

    QPixmap m_surface;
};

namespace {

QPixmap skin(const char *name)
{
    return QPixmap(QStringLiteral(":/chrome/") + QLatin1String(name));
}

} // namespace

XpCanvas::XpCanvas(QWidget *host, const QString &name, const PropertyBag *stored)
    : QWidget(host)
{
    initChromeResources();
    setObjectName(name);
    createElements();

    if (QWidget *window = this->host(); window != this) {
        m_watchedHost = window;
        window->installEventFilter(this);
        // Qt's activation can change without an activation event reaching
        // this control (it is sent only to visible children); check again
        // whenever the focus window changes.
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] {
            QTimer::singleShot(0, this, &XpCanvas::followRealActivation);
        });
    }

    ApplyActiveSkin();
    LayoutFrame();
    if (stored)
        ReadProperties(*stored);
    else
        InitProperties();
}

XpCanvas::~XpCanvas() = default;

QColor XpCanvas::backgroundColour()
{
    return QColor(236, 233, 216);
}

void XpCanvas::createElements()
{
    setAutoFillBackground(true);
    // Input on the surface itself is reported to the host, moves included.
    setMouseTracking(true);
    // Clicking the frame must not take the keyboard away from the host's
    // text boxes; the looks follow window activation instead.
    setFocusPolicy(Qt::NoFocus);

    pictop = new SkinBox(QStringLiteral("pictop"), this);
    picleft = new SkinBox(QStringLiteral("picleft"), this);
    picright = new SkinBox(QStringLiteral("picright"), this);
    picbottom = new SkinBox(QStringLiteral("picbottom"), this);
    // Input on the elements is theirs: it must not reach the surface and be
    // reported to the host as the surface's own.
    for (QWidget *box : {pictop, picleft, picright, picbottom})
        box->setAttribute(Qt::WA_NoMousePropagation);

    QFont captionFont(QStringLiteral("Trebuchet MS"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);

    lblshadow = new QLabel(QStringLiteral("Windows XP Controls"), pictop);
    lblshadow->setObjectName(QStringLiteral("lblshadow"));
    lblshadow->setFont(captionFont);
    QPalette shadowPalette = lblshadow->palette();
    // The window-text colour of the light scheme the skins are drawn for: a
    // dark desktop's white text would light the shadow up on our title bar.
    shadowPalette.setColor(QPalette::WindowText, Qt::black);
    lblshadow->setPalette(shadowPalette);

    lblcaption = new QLabel(QStringLiteral("Windows XP Controls"), pictop);
    lblcaption->setObjectName(QStringLiteral("lblcaption"));
    lblcaption->setFont(captionFont);
    QPalette captionPalette = lblcaption->palette();
    captionPalette.setColor(QPalette::WindowText, Qt::white);
    lblcaption->setPalette(captionPalette);

    imgicon = new QLabel(pictop);
    imgicon->setObjectName(QStringLiteral("imgicon"));
    imgicon->setScaledContents(true);
    imgicon->setGeometry(6, 8, 16, 16);

    // The grips are invisible hit areas on top of everything else in their
    // picture box: the top 9 rows of the title bar resize instead of move.
    const auto grip = [](int index, QWidget *parent) {
        auto *g = new QWidget(parent);
        g->setObjectName(QStringLiteral("imgresize_%1").arg(index));
        return g;
    };
    imgresize[EdgeTopLeft] = grip(EdgeTopLeft, pictop);
    imgresize[EdgeTop] = grip(EdgeTop, pictop);
    imgresize[EdgeTopRight] = grip(EdgeTopRight, pictop);
    imgresize[EdgeBottomLeft] = grip(EdgeBottomLeft, picbottom);
    imgresize[EdgeBottomRight] = grip(EdgeBottomRight, picbottom);
    imgresize[EdgeTopLeft]->setGeometry(0, 0, GripSize, GripSize);
    imgresize[EdgeTop]->setGeometry(GripSize, 0, GripSize, GripSize);
    imgresize[EdgeTopRight]->setGeometry(0, 0, GripSize, GripSize);
    imgresize[EdgeBottomLeft]->setGeometry(0, 0, GripSize, GripSize);
    imgresize[EdgeBottomRight]->setGeometry(0, 0, GripSize, GripSize);
    // The edges are their own handles.
    imgresize[EdgeLeft] = picleft;
    imgresize[EdgeRight] = picright;
    imgresize[EdgeBottom] = picbottom;

    for (QWidget *element : {static_cast<QWidget *>(pictop), static_cast<QWidget *>(lblcaption),
                             static_cast<QWidget *>(lblshadow), static_cast<QWidget *>(imgicon)})
        element->installEventFilter(this);
    for (QWidget *handle : imgresize)
        handle->installEventFilter(this);

    Image1 = skin("default_icon.png");
    imgtop1 = skin("top_active.bmp");
    imgtopmax1 = skin("topmax_active.bmp");
    imgleft1 = skin("left_active.bmp");
    imgright1 = skin("right_active.bmp");
    imgbottom1 = skin("bottom_active.bmp");
    imgtop2 = skin("top_inactive.bmp");
    imgtopmax2 = skin("topmax_inactive.bmp");
    imgleft2 = skin("left_inactive.bmp");
    imgright2 = skin("right_inactive.bmp");
    imgbottom2 = skin("bottom_inactive.bmp");
}

// --- Properties ---

QString XpCanvas::Caption() const
{
    return lblcaption->text();
}

void XpCanvas::setCaption(const QString &caption)
{
    lblcaption->setText(caption);
    lblshadow->setText(caption);
    lblcaption->adjustSize();
    lblshadow->adjustSize();
    host()->setWindowTitle(caption);
    LayoutFrame();
    emit PropertyChanged(QStringLiteral("Caption"));
}

void XpCanvas::setIcon(const QPixmap &icon)
{
    mIcon = icon;
    imgicon->setPixmap(icon);
    emit PropertyChanged(QStringLiteral("Icon"));
}

void XpCanvas::setFixed_Single(bool fixedSingle)
{
    mFixedSingle = fixedSingle;
    LayoutFrame();
}

void XpCanvas::InitProperties()
{
    setCaption(objectName());
    setFixed_Single(false);
    setIcon(Image1);
}

void XpCanvas::ReadProperties(const PropertyBag &bag)
{
    setCaption(bag.ReadProperty(QStringLiteral("Caption"), objectName()).toString());
    setIcon(bag.ReadProperty(QStringLiteral("Icon"), Image1).value<QPixmap>());
    setFixed_Single(bag.ReadProperty(QStringLiteral("Fixed_Single"), false).toBool());
}

void XpCanvas::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Caption"), Caption(), objectName());
    // Pictures have no value comparison; the default icon is recognised as
    // the very same picture.
    if (mIcon.cacheKey() == Image1.cacheKey())
        bag.remove(QStringLiteral("Icon"));
    else
        bag.set(QStringLiteral("Icon"), mIcon);
    bag.WriteProperty(QStringLiteral("Fixed_Single"), mFixedSingle, false);
}

// --- Skins and layout ---

void XpCanvas::ApplyActiveSkin()
{
    imgleft = imgleft1;
    imgright = imgright1;
    imgtop = imgtop1;
    imgtopmax = imgtopmax1;
    imgbottom = imgbottom1;
    m_activeLook = true;
}

void XpCanvas::ApplyInactiveSkin()
{
    imgleft = imgleft2;
    imgright = imgright2;
    imgtop = imgtop2;
    imgtopmax = imgtopmax2;
    imgbottom = imgbottom2;
    m_activeLook = false;
}

int XpCanvas::hostStateCode() const
{
    return hostState(host()->windowState());
}

void XpCanvas::LayoutFrame()
{
    // Qt measures the host and every element in pixels already, so no scale
    // has to be set on either. The surface keeps its background colour (it
    // fills itself on every repaint).
    if (palette().color(QPalette::Window) != backgroundColour()) {
        QPalette surface = palette();
        surface.setColor(QPalette::Window, backgroundColour());
        setPalette(surface);
    }
    update();

    // Fixed thicknesses, then the docking: title bar and bottom edge across
    // the full width, the side edges between them.
    const int W = width();
    const int H = height();
    const int sideHeight = qMax(0, H - TitleHeight - EdgeWidth);
    pictop->setGeometry(0, 0, W, TitleHeight);
    picbottom->setGeometry(0, H - EdgeWidth, W, EdgeWidth);
    picleft->setGeometry(0, TitleHeight, EdgeWidth, sideHeight);
    picright->setGeometry(W - EdgeWidth, TitleHeight, EdgeWidth, sideHeight);

    picleft->paintWhole(imgleft);
    picright->paintWhole(imgright);

    // The title bar: rounded for a normal window, square for a maximised
    // one; a minimised host gets none.
    const int state = hostStateCode();
    if (state == StateNormal)
        paintTitleBar(imgtop);
    else if (state == StateMaximised)
        paintTitleBar(imgtopmax);

    picbottom->paintWhole(imgbottom);

    lblcaption->move(26, 6);
    lblshadow->move(28, 8);
    lblshadow->stackUnder(lblcaption);

    placeGrips();
    setHandleCursors();

    // Pending window messages are not pumped here: a layout pass runs from
    // resize handling, and a nested event loop there would run further layout
    // passes inside this one. The painted boxes have scheduled their own
    // repaints above.

    emit Resize();
}

void XpCanvas::paintTitleBar(const QPixmap &title)
{
    // Source rectangles are measured on the normal title image; both title
    // variants have the same size.
    const TitlePieces pieces = titleBarPieces(imgtop.size(), pictop->size());
    for (int i = 0; i < pieces.count; ++i)
        pictop->paintPicture(title, pieces.pieces[i].target, pieces.pieces[i].source);
}

void XpCanvas::placeGrips()
{
    imgresize[EdgeTopRight]->move(host()->width() - GripSize, 0);
    imgresize[EdgeBottomRight]->move(picbottom->width() - GripSize, picbottom->height() - GripSize);
    imgresize[EdgeTop]->setGeometry(GripSize, 0, qMax(0, pictop->width() - 2 * GripSize), GripSize);
    for (int code : {EdgeTopLeft, EdgeTop, EdgeTopRight})
        imgresize[code]->raise();
    for (int code : {EdgeBottomLeft, EdgeBottomRight})
        imgresize[code]->raise();
}

void XpCanvas::setHandleCursors()
{
    const std::optional<HandleCursors> cursors = handleCursors(mFixedSingle, HostState(hostStateCode()));
    if (!cursors)
        return;
    for (int code = 0; code < EdgeCount; ++code)
        imgresize[code]->setCursor((*cursors)[code]);
}

// --- Methods ---

void XpCanvas::SetFocus()
{
    ApplyActiveSkin();
    LayoutFrame();
}

void XpCanvas::make_trans(QWidget *window)
{
    if (!window)
        return;
    QPixmap surface(window->size().expandedTo(QSize(1, 1)));
    surface.fill(window->palette().color(QPalette::Window));
    if (hostState(window->windowState()) == StateNormal) {
        QPainter painter(&surface);
        const TitlePieces ends = titleEndPieces(imgtop.size(), pictop->size());
        for (int i = 0; i < ends.count; ++i)
            painter.drawPixmap(ends.pieces[i].target, imgtop, ends.pieces[i].source);
    }
    QPalette background = window->palette();
    background.setBrush(QPalette::Window, QBrush(surface));
    window->setPalette(background);
    window->setAutoFillBackground(true);
}

void XpCanvas::AlwaysOnTop(QWidget *window, bool &onTop)
{
    onTop = false;
    if (!window || !window->isWindow())
        return;
    const bool visible = window->isVisible();
    // Changing the flags of a shown window hides it; show it again.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (visible)
        window->show();
    onTop = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool XpCanvas::ResizeHost(QWidget *hostWindow, QPoint down, QPoint up, int edge)
{
    if (!hostWindow)
        return false;
    const double perPixel = TwipsPerPixel;
    const TwipsGeometry before = toTwips(hostWindow->geometry(), perPixel, perPixel);
    const TwipsGeometry after = resizedGeometry(before, down, up, edge, perPixel, perPixel);
    // The window system moves only a window in its normal state, and never
    // to a negative size; a refused move leaves the host as it was.
    if (hostState(hostWindow->windowState()) != StateNormal || !isAcceptableGeometry(after))
        return false;
    hostWindow->setGeometry(toPixels(after, perPixel, perPixel));
    return true;
}

// --- Interaction ---

int XpCanvas::edgeOf(const QObject *element) const
{
    for (int code = 0; code < EdgeCount; ++code) {
        if (imgresize[code] == element)
            return code;
    }
    return -1;
}

bool XpCanvas::titleBarPressed(QWidget *handle, const QPoint &globalPos)
{
    // Only a window in its normal state can be dragged about. The move starts
    // once the pointer has gone past the drag distance: handed to the window
    // manager at the press, it would take the pointer, and the second click
    // of a quick double-click would never reach us.
    m_movePending = hostStateCode() == StateNormal;
    m_moveHandle = handle;
    m_movePress = globalPos;
    return true;
}

void XpCanvas::titleBarDragged(const QPoint &globalPos, Qt::MouseButtons buttons)
{
    if (!m_movePending || !m_moveHandle)
        return;
    if (!(buttons & Qt::LeftButton)) {
        m_movePending = false;
        return;
    }
    if ((globalPos - m_movePress).manhattanLength() < QApplication::startDragDistance())
        return;
    m_movePending = false;
    if (hostStateCode() != StateNormal)
        return;
    if (!m_mover)
        m_mover = new MouseMover(host(), this);
    moveWindowWithMouse(host(), m_moveHandle, m_movePress, *m_mover);
    // Our own move starts late by the drag distance; catch up at once.
    if (m_mover->isMoving())
        m_mover->followTo(globalPos);
}

void XpCanvas::titleBarDoubleClicked()
{
    if (mFixedSingle)
        return;
    QWidget *window = host();
    const Qt::WindowStates others =
        window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    // The state change reaches us as a WindowStateChange of the host, which
    // runs the layout pass, so the title bar follows at once.
    if (hostStateCode() == StateNormal)
        window->setWindowState(others | Qt::WindowMaximized);
    else
        window->setWindowState(others);
}

bool XpCanvas::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_hostWindow && m_hostWindow) {
        const QEvent::Type type = event->type();
        // Keys and clicks reach a window that has the keyboard, yet Qt need
        // not count it as active: when the window that had the focus goes
        // (a message box closes) and the X server hands the keyboard on to
        // the window under the pointer, Qt hears of it only as a focus
        // change "because of the pointer", which it ignores. The frame would
        // look inactive while the user types into it. Asking for the
        // activation makes Qt's idea and the look follow the keyboard.
        if ((type == QEvent::KeyPress || type == QEvent::MouseButtonPress) && !m_hostWindow->isActive() &&
            m_watchedHost->isVisible() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget())
            m_watchedHost->activateWindow();
        return QWidget::eventFilter(watched, event);
    }
    if (watched == m_watchedHost) {
        switch (event->type()) {
        case QEvent::Resize:
            followHostSize();
            break;
        case QEvent::WindowStateChange:
            LayoutFrame();
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }

    const QEvent::Type type = event->type();
    const bool onTitle = watched == pictop || watched == lblcaption;
    if (type == QEvent::MouseMove && onTitle) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        titleBarDragged(mouse->globalPosition().toPoint(), mouse->buttons());
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint globalPos = mouse->globalPosition().toPoint();

    if (onTitle) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            return titleBarPressed(static_cast<QWidget *>(watched), globalPos);
        if (type == QEvent::MouseButtonRelease)
            m_movePending = false;
        if (type == QEvent::MouseButtonDblClick) {
            m_movePending = false;
            titleBarDoubleClicked();
        }
        return true;
    }
    // The icon and the shadow are part of the title bar's picture but do not
    // move or maximise the window.
    if (watched == imgicon || watched == lblshadow)
        return true;

    const int edge = edgeOf(watched);
    if (edge < 0)
        return QWidget::eventFilter(watched, event);
    if (type == QEvent::MouseButtonPress && !mFixedSingle)
        mDownPoint = globalPos;
    if (type == QEvent::MouseButtonRelease && !mFixedSingle) {
        mUpPoint = globalPos;
        ResizeHost(host(), mDownPoint, mUpPoint, edge);
    }
    return true;
}

void XpCanvas::followHostSize()
{
    // The frame keeps covering the host's client area, so a resized or
    // maximised window shows a frame of its new size.
    const QRect client = m_watchedHost->rect();
    if (geometry() != client)
        setGeometry(client);
}

void XpCanvas::followRealActivation()
{
    if (m_watchedHost)
        followActivation(m_watchedHost->isActiveWindow());
}

void XpCanvas::watchHostWindow()
{
    QWindow *native = m_watchedHost ? m_watchedHost->windowHandle() : nullptr;
    if (!native || native == m_hostWindow)
        return;
    if (m_hostWindow)
        m_hostWindow->removeEventFilter(this);
    m_hostWindow = native;
    native->installEventFilter(this);
}

void XpCanvas::followActivation(bool active)
{
    if (active == m_activeLook)
        return;
    if (active)
        ApplyActiveSkin();
    else
        ApplyInactiveSkin();
    LayoutFrame();
}

bool XpCanvas::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        followActivation(true);
        break;
    case QEvent::WindowDeactivate:
        followActivation(false);
        break;
    case QEvent::Show:
        // A host shown behind another window never gets an activation
        // change of its own; let it start with the look that fits.
        if (host() != this) {
            watchHostWindow();
            followActivation(host()->isActiveWindow());
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void XpCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutFrame();
}

void XpCanvas::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    ApplyActiveSkin();
    LayoutFrame();
}

void XpCanvas::mousePressEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit MouseDown(buttonMask(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    event->accept();
}

void XpCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit MouseMove(buttonMask(event->buttons()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    event->accept();
}

void XpCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF p = event->position();
    emit MouseUp(buttonMask(event->button()), shiftState(event->modifiers()), float(p.x()), float(p.y()));
    if (event->button() == Qt::LeftButton && rect().contains(p.toPoint()))
        emit Click();
    event->accept();
}

void XpCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit DblClick();
    event->accept();
}

void XpCanvas::keyPressEvent(QKeyEvent *event)
{
    emit KeyDown(keyCode(event->key()), shiftState(event->modifiers()));
    if (!event->text().isEmpty())
        emit KeyPress(qint16(event->text().at(0).unicode()));
    event->accept();
}

void XpCanvas::keyReleaseEvent(QKeyEvent *event)
{
    emit KeyUp(keyCode(event->key()), shiftState(event->modifiers()));
    event->accept();
}
