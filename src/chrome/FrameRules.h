#pragma once

// The arithmetic behind the skinned frame and the title-bar button, kept free
// of widgets so that it can be checked on its own: which title-bar pieces go
// where, which sizing cursor each handle shows, how a drag on an edge turns
// into a new window geometry, and how mouse and key input is reported to the
// host in the frame's own codes.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtCore/qnamespace.h>
#include <QtGlobal>

#include <array>
#include <optional>

namespace chrome {

// The host window's state as the frame sees it.
enum HostState : int {
    StateNormal = 0,
    StateMinimised = 1,
    StateMaximised = 2,
};

HostState hostState(Qt::WindowStates states);

// The drag handles of the frame. A corner grip's code is its index in the
// grip array (1, 0 and 3 are the edges, which are picture boxes of their own).
enum ResizeEdge : int {
    EdgeLeft = 0,
    EdgeRight = 1,
    EdgeTop = 2,
    EdgeBottom = 3,
    EdgeBottomRight = 4,
    EdgeBottomLeft = 5,
    EdgeTopRight = 6,
    EdgeTopLeft = 7,
};
inline constexpr int EdgeCount = 8;

// Fixed measures of the frame, in pixels.
inline constexpr int TitleHeight = 29;
inline constexpr int EdgeWidth = 5;
inline constexpr int TitleEndWidth = 5;
inline constexpr int GripSize = 9;

// One piece of a stretched copy: `source` on the skin image, `target` on the
// surface it is painted onto.
struct Piece
{
    QRect source;
    QRect target;
};

// The three pieces of a title bar: the two 5-pixel ends copied as they are
// (stretched only in height) and the middle stretched to fill the rest.
// `image` is the size of the title bitmap, `bar` that of the title bar.
// Pieces with no area are left out (a bar narrower than its two ends).
struct TitlePieces
{
    std::array<Piece, 3> pieces;
    int count = 0;
};
TitlePieces titleBarPieces(QSize image, QSize bar);

// The two end pieces only (for painting the rounded ends onto a window's own
// background).
TitlePieces titleEndPieces(QSize image, QSize bar);

// Cursor of every handle, indexed by ResizeEdge. Empty means "leave the
// cursors as they are" (a resizable frame on a minimised host).
using HandleCursors = std::array<Qt::CursorShape, EdgeCount>;
std::optional<HandleCursors> handleCursors(bool fixedSingle, HostState state);

// A window geometry in twips, as the host's move operation takes it.
struct TwipsGeometry
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const TwipsGeometry &a, const TwipsGeometry &b)
    {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// Pixel geometry <-> twips, with separate horizontal and vertical factors.
TwipsGeometry toTwips(const QRect &pixels, double twipsPerPixelX, double twipsPerPixelY);
QRect toPixels(const TwipsGeometry &twips, double twipsPerPixelX, double twipsPerPixelY);

// The host's new geometry after a drag from `down` to `up` (screen pixels)
// on the handle `edge`. Unknown codes drag the left edge.
TwipsGeometry resizedGeometry(const TwipsGeometry &host, QPoint down, QPoint up, int edge, double twipsPerPixelX,
                              double twipsPerPixelY);

// The window system refuses a negative width or height.
bool isAcceptableGeometry(const TwipsGeometry &geometry);

// Mouse buttons and modifier keys as the frame's events report them:
// 1 left, 2 right, 4 middle; 1 Shift, 2 Ctrl, 4 Alt.
qint16 buttonMask(Qt::MouseButtons buttons);
qint16 shiftState(Qt::KeyboardModifiers modifiers);

// Key codes as the frame's key events report them: letters and digits by
// their upper-case character code, the common control keys by their
// classic virtual-key numbers; 0 for keys without one.
qint16 keyCode(int qtKey);

// The strip a title-bar button uses for a given Value: 0 to 3 pick a strip,
// any other value keeps the strip in use.
qint16 stripForValue(qint32 value, qint16 current);

// Face cells of a title-bar button strip.
enum Face : qint16 {
    FaceNormal = 0,
    FaceHover = 1,
    FacePressed = 2,
    FaceDisabled = 3,
};

// The face while the cursor moves over the button with `held` buttons down:
// pressed only when the left button alone is held.
Face faceForMove(Qt::MouseButtons held);

} // namespace chrome
