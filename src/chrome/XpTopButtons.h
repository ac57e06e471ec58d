#pragma once

#include "chrome/FrameRules.h"
#include "chrome/PictureClip.h"

#include <QWidget>

#include <array>

class PropertyBag;

// A 21 x 21 title-bar button: close, maximise, minimise or restore (Value 0
// to 3), each in a normal, hover, pressed and disabled face taken from a
// ready-made strip. It reports clicks, mouse input and the cursor leaving it
// to its host.
class XpTopButtons : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Side = 21;

    // `stored` is the host's stored design of the instance; without one the
    // button is being placed for the first time and takes its defaults.
    explicit XpTopButtons(QWidget *parent, const QString &name = QStringLiteral("xptopbuttons1"),
                          const PropertyBag *stored = nullptr);

    // The button kind: 0 close, 1 maximise, 2 minimise, 3 restore. Other
    // values are kept but leave the strip in use unchanged.
    qint32 Value() const { return mValue; }
    void setValue(qint32 value);

    // The enabled state with its face (normal or disabled). The face also
    // follows QWidget::setEnabled and a disabled parent.
    bool Enabled() const { return isEnabled(); }
    void applyEnabled(bool enabled);

    // Picks the strip for Value and shows its normal or disabled face.
    void RefreshFace();

    void InitProperties();
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // The strip in use and the cell shown, for hosts and checks.
    qint16 clipIndex() const { return mClipIndex; }
    qint16 faceCell() const { return m_cell; }
    const PictureClip &strip(int index) const { return pc[index]; }

signals:
    void Click();
    void MouseDown(qint16 button, qint16 shift, float x, float y);
    void MouseMove(qint16 button, qint16 shift, float x, float y);
    void MouseUp(qint16 button, qint16 shift, float x, float y);
    void MouseOut();
    // A stored property took a new value that the host should keep.
    void PropertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showCell(qint16 cell);
    bool isInside(const QPointF &pos) const;
    void cursorLeft();

    std::array<PictureClip, 4> pc;
    qint32 mValue = 0;
    qint16 mClipIndex = 0;
    qint16 m_cell = chrome::FaceNormal;
    QPixmap m_face;
    // Set by every mouse move over the button, cleared when the leaving is
    // reported: the cursor leaving is reported once per visit.
    bool m_watchingForLeave = false;
    bool m_doubleClicked = false;
};
