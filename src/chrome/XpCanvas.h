#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>

class MouseMover;
class PropertyBag;
class QLabel;
class QWindow;
class SkinBox;

// The skinned window frame. A frameless host window places one instance at
// its top-left corner; it draws a 29-pixel title bar with icon and shadowed
// caption and 5-pixel edges from one of two skin sets (active, inactive),
// moves the host from the title bar, maximises and restores it on a
// double-click and resizes it from the edges and corner grips. The host's
// own controls are siblings stacked above it.
//
// Everything inside the control is measured in pixels; the host's geometry
// is handed to ResizeHost in twips.
class XpCanvas : public QWidget
{
    Q_OBJECT

public:
    // `name` is the instance name the host gives the control ("xp_canvas1").
    // `stored` is the host's stored design of the instance; without one the
    // control is being placed for the first time and takes its defaults.
    XpCanvas(QWidget *host, const QString &name, const PropertyBag *stored = nullptr);
    ~XpCanvas() override;

    // Caption: shown in the title bar (with its shadow) and as the host
    // window's own title.
    QString Caption() const;
    void setCaption(const QString &caption);

    // The picture shown as the title-bar icon.
    QPixmap Icon() const { return mIcon; }
    void setIcon(const QPixmap &icon);

    // True: the frame cannot be resized or maximised (it can still be moved).
    bool Fixed_Single() const { return mFixedSingle; }
    void setFixed_Single(bool fixedSingle);

    // Copy the active or inactive skin set into the working set. Neither
    // repaints; run LayoutFrame next.
    void ApplyActiveSkin();
    void ApplyInactiveSkin();
    bool hasActiveLook() const { return m_activeLook; }

    // Docks the picture boxes, paints the skins for the host's state, places
    // caption and grips, sets the sizing cursors and raises Resize. A step
    // that cannot be carried out is skipped; the others still run.
    void LayoutFrame();

    // Shows the active look at once, whatever window is active.
    void SetFocus();

    // Paints the two rounded ends of the title bar onto `window`'s own
    // background (when that window is in the normal state).
    void make_trans(QWidget *window);

    // Puts `window` into the topmost band; `onTop` tells whether that worked.
    void AlwaysOnTop(QWidget *window, bool &onTop);

    // Moves and sizes `host` after a drag on the handle `edge` (0 left,
    // 1 right, 2 top, 3 bottom, 4 bottom-right, 5 bottom-left, 6 top-right,
    // 7 top-left) from `down` to `up`, both in screen pixels. Returns false
    // when the window refuses the new geometry (negative size, or a host
    // that is not in the normal state).
    bool ResizeHost(QWidget *host, QPoint down, QPoint up, int edge);

    // The host's stored design of the control.
    void InitProperties();
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // Screen positions of the last press on and release from an edge or grip.
    QPoint downPoint() const { return mDownPoint; }
    QPoint upPoint() const { return mUpPoint; }

    static QColor backgroundColour();

signals:
    // Input that arrives on the control's own surface, not on its elements.
    void Click();
    void DblClick();
    void KeyDown(qint16 keyCode, qint16 shift);
    void KeyUp(qint16 keyCode, qint16 shift);
    void KeyPress(qint16 keyAscii);
    void MouseDown(qint16 button, qint16 shift, float x, float y);
    void MouseMove(qint16 button, qint16 shift, float x, float y);
    void MouseUp(qint16 button, qint16 shift, float x, float y);
    // Raised at the end of every layout pass.
    void Resize();
    // A stored property took a new value that the host should keep.
    void PropertyChanged(const QString &name);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void createElements();
    QWidget *host() const { return window(); }
    int hostStateCode() const;
    void paintTitleBar(const QPixmap &title);
    void placeGrips();
    void setHandleCursors();
    void followActivation(bool active);
    void followRealActivation();
    void watchHostWindow();
    void followHostSize();
    bool titleBarPressed(QWidget *handle, const QPoint &globalPos);
    void titleBarDragged(const QPoint &globalPos, Qt::MouseButtons buttons);
    void titleBarDoubleClicked();
    int edgeOf(const QObject *element) const;

    SkinBox *pictop = nullptr;
    SkinBox *picleft = nullptr;
    SkinBox *picright = nullptr;
    SkinBox *picbottom = nullptr;
    QLabel *lblcaption = nullptr;
    QLabel *lblshadow = nullptr;
    QLabel *imgicon = nullptr;
    // Indexed by edge code; 0, 1 and 3 are the edges themselves.
    std::array<QWidget *, 8> imgresize{};

    QPixmap Image1;
    QPixmap imgtop, imgtopmax, imgleft, imgright, imgbottom;
    QPixmap imgtop1, imgtopmax1, imgleft1, imgright1, imgbottom1;
    QPixmap imgtop2, imgtopmax2, imgleft2, imgright2, imgbottom2;

    QPixmap mIcon;
    bool mFixedSingle = false;
    QPoint mDownPoint;
    QPoint mUpPoint;

    bool m_activeLook = true;
    MouseMover *m_mover = nullptr;
    // A press on the title bar that becomes a move once the pointer has
    // travelled the drag distance.
    bool m_movePending = false;
    QPointer<QWidget> m_moveHandle;
    QPoint m_movePress;
    QWidget *m_watchedHost = nullptr;
    // The host's native window, whose input tells whether it really has
    // the keyboard.
    QPointer<QWindow> m_hostWindow;
};
