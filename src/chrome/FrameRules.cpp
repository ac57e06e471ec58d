#include "chrome/FrameRules.h"

#include <cmath>

namespace chrome {

HostState hostState(Qt::WindowStates states)
{
    if (states & Qt::WindowMinimized)
        return StateMinimised;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return StateMaximised;
    return StateNormal;
}

namespace {

void addPiece(TitlePieces &out, const QRect &source, const QRect &target)
{
    if (source.width() <= 0 || source.height() <= 0 || target.width() <= 0 || target.height() <= 0)
        return;
    out.pieces[out.count++] = Piece{source, target};
}

} // namespace

TitlePieces titleBarPieces(QSize image, QSize bar)
{
    const int w = image.width();
    const int h = image.height();
    const int W = bar.width();
    const int H = bar.height();
    TitlePieces out;
    addPiece(out, QRect(0, 0, TitleEndWidth, h), QRect(0, 0, TitleEndWidth, H));
    addPiece(out, QRect(TitleEndWidth, 0, w - 2 * TitleEndWidth, h), QRect(TitleEndWidth, 0, W - 2 * TitleEndWidth, H));
    addPiece(out, QRect(w - TitleEndWidth, 0, TitleEndWidth, h), QRect(W - TitleEndWidth, 0, TitleEndWidth, H));
    return out;
}

TitlePieces titleEndPieces(QSize image, QSize bar)
{
    const int w = image.width();
    const int h = image.height();
    const int W = bar.width();
    const int H = bar.height();
    TitlePieces out;
    addPiece(out, QRect(0, 0, TitleEndWidth, h), QRect(0, 0, TitleEndWidth, H));
    addPiece(out, QRect(w - TitleEndWidth, 0, TitleEndWidth, h), QRect(W - TitleEndWidth, 0, TitleEndWidth, H));
    return out;
}

std::optional<HandleCursors> handleCursors(bool fixedSingle, HostState state)
{
    HandleCursors cursors;
    if (fixedSingle || state == StateMaximised) {
        cursors.fill(Qt::ArrowCursor);
        return cursors;
    }
    if (state != StateNormal)
        return std::nullopt;
    cursors[EdgeLeft] = Qt::SizeHorCursor;
    cursors[EdgeRight] = Qt::SizeHorCursor;
    cursors[EdgeTop] = Qt::SizeVerCursor;
    cursors[EdgeBottom] = Qt::SizeVerCursor;
    cursors[EdgeBottomRight] = Qt::SizeFDiagCursor;
    cursors[EdgeTopLeft] = Qt::SizeFDiagCursor;
    cursors[EdgeBottomLeft] = Qt::SizeBDiagCursor;
    cursors[EdgeTopRight] = Qt::SizeBDiagCursor;
    return cursors;
}

TwipsGeometry toTwips(const QRect &pixels, double twipsPerPixelX, double twipsPerPixelY)
{
    return TwipsGeometry{pixels.x() * twipsPerPixelX, pixels.y() * twipsPerPixelY, pixels.width() * twipsPerPixelX,
                         pixels.height() * twipsPerPixelY};
}

QRect toPixels(const TwipsGeometry &twips, double twipsPerPixelX, double twipsPerPixelY)
{
    const auto px = [](double value, double factor) { return int(std::lround(value / factor)); };
    return QRect(px(twips.left, twipsPerPixelX), px(twips.top, twipsPerPixelY), px(twips.width, twipsPerPixelX),
                 px(twips.height, twipsPerPixelY));
}

TwipsGeometry resizedGeometry(const TwipsGeometry &host, QPoint down, QPoint up, int edge, double twipsPerPixelX,
                              double twipsPerPixelY)
{
    const double dx = (up.x() - down.x()) * twipsPerPixelX;
    const double dy = (up.y() - down.y()) * twipsPerPixelY;
    const double L = host.left;
    const double T = host.top;
    const double W = host.width;
    const double H = host.height;
    switch (edge) {
    case EdgeRight:
        return {L, T, W + dx, H};
    case EdgeTop:
        return {L, T + dy, W, H - dy};
    case EdgeBottom:
        return {L, T, W, H + dy};
    case EdgeBottomRight:
        return {L, T, W + dx, H + dy};
    case EdgeBottomLeft:
        return {L + dx, T, W - dx, H + dy};
    case EdgeTopRight:
        return {L, T + dy, W + dx, H - dy};
    case EdgeTopLeft:
        return {L + dx, T + dy, W - dx, H - dy};
    case EdgeLeft:
    default:
        return {L + dx, T, W - dx, H};
    }
}

bool isAcceptableGeometry(const TwipsGeometry &geometry)
{
    return geometry.width >= 0 && geometry.height >= 0;
}

qint16 buttonMask(Qt::MouseButtons buttons)
{
    qint16 mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= 1;
    if (buttons & Qt::RightButton)
        mask |= 2;
    if (buttons & Qt::MiddleButton)
        mask |= 4;
    return mask;
}

qint16 shiftState(Qt::KeyboardModifiers modifiers)
{
    qint16 state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

qint16 keyCode(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qint16(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return qint16(112 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_NumLock:
        return 144;
    default:
        return 0;
    }
}

qint16 stripForValue(qint32 value, qint16 current)
{
    if (value >= 0 && value <= 3)
        return qint16(value);
    return current;
}

Face faceForMove(Qt::MouseButtons held)
{
    return buttonMask(held) == 1 ? FacePressed : FaceHover;
}

} // namespace chrome
