#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "chrome/PropertyBag.h"
#include "chrome/SkinnedFrame.h"
#include "chrome/XpCanvas.h"
#include "chrome/XpTopButtons.h"

#include <QSignalSpy>
#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

// A window with one button at (40, 20); window point (50, 30) is over it.
struct Host
{
    Host()
    {
        window = std::make_unique<QWidget>();
        window->setGeometry(300, 200, 120, 80);
        button = new XpTopButtons(window.get());
        button->move(40, 20);
        window->show();
    }

    QWindow *handle() const { return window->windowHandle(); }
    QImage face() const { return button->grab().toImage(); }
    QImage cell(int strip, int cellIndex) const
    {
        return button->strip(strip).GraphicCell(qint16(cellIndex)).toImage().convertToFormat(face().format());
    }

    std::unique_ptr<QWidget> window;
    XpTopButtons *button = nullptr;
};

const QPoint kOver(50, 30);
const QPoint kOff(100, 60);

} // namespace

class TestXpTopButtons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initChromeResources(); }

    void stripsAreFourCellsOf21Pixels()
    {
        QWidget parent;
        XpTopButtons button(&parent);
        for (int strip = 0; strip < 4; ++strip) {
            const PictureClip &clip = button.strip(strip);
            QCOMPARE(clip.Picture().size(), QSize(84, 21));
            QCOMPARE(clip.Picture().toImage().depth(), 32); // 24-bit bitmaps, loaded as RGB32
            QCOMPARE(clip.cellSize(), QSize(21, 21));
            // Cells are cut left to right and differ from each other.
            const QImage whole = clip.Picture().toImage();
            for (int c = 0; c < 4; ++c)
                QCOMPARE(clip.GraphicCell(qint16(c)).toImage(), whole.copy(21 * c, 0, 21, 21));
            QVERIFY(clip.GraphicCell(0).toImage() != clip.GraphicCell(1).toImage());
            QVERIFY(clip.GraphicCell(4).isNull());
            QVERIFY(clip.GraphicCell(-1).isNull());
        }
    }

    void keepsItsSize()
    {
        QWidget parent;
        XpTopButtons button(&parent);
        QCOMPARE(button.size(), QSize(21, 21));
        button.resize(40, 30);
        button.setGeometry(472, 8, 315, 315);
        QCOMPARE(button.size(), QSize(21, 21));
    }

    void pressDragOffAndRelease()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        // The cursor comes over the button before it is pressed there.
        QTest::mouseMove(h.handle(), kOver);
        QSignalSpy down(h.button, &XpTopButtons::MouseDown);
        QSignalSpy move(h.button, &XpTopButtons::MouseMove);
        QSignalSpy up(h.button, &XpTopButtons::MouseUp);
        QSignalSpy out(h.button, &XpTopButtons::MouseOut);
        QSignalSpy click(h.button, &XpTopButtons::Click);

        QTest::mousePress(h.handle(), Qt::LeftButton, Qt::ShiftModifier, kOver);
        QCOMPARE(h.button->faceCell(), qint16(2));
        QCOMPARE(h.face(), h.cell(0, 2));
        QCOMPARE(down.size(), 1);
        QCOMPARE(down.at(0).at(0).value<qint16>(), qint16(1));
        QCOMPARE(down.at(0).at(1).value<qint16>(), qint16(1));
        QCOMPARE(down.at(0).at(2).toFloat(), 10.0f);

        QTest::mouseMove(h.handle(), kOver + QPoint(3, 2));
        QCOMPARE(move.size(), 1);
        QCOMPARE(h.button->faceCell(), qint16(2));

        // Dragged off while held: the face goes back to normal and the
        // leaving is reported once, however far the cursor goes.
        QTest::mouseMove(h.handle(), kOff);
        QCOMPARE(h.button->faceCell(), qint16(0));
        QCOMPARE(h.face(), h.cell(0, 0));
        QCOMPARE(out.size(), 1);
        QTest::mouseMove(h.handle(), kOff + QPoint(5, 5));
        QCOMPARE(out.size(), 1);
        QCOMPARE(move.size(), 1);

        QTest::mouseRelease(h.handle(), Qt::LeftButton, {}, kOff + QPoint(5, 5));
        QCOMPARE(up.size(), 1);
        QCOMPARE(click.size(), 0);
        QCOMPARE(out.size(), 1);
        QCOMPARE(h.button->faceCell(), qint16(0));
    }

    void clickShowsNormalFaceUntilTheNextMove()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QSignalSpy click(h.button, &XpTopButtons::Click);
        QSignalSpy out(h.button, &XpTopButtons::MouseOut);
        QTest::mouseMove(h.handle(), kOver);
        QCOMPARE(h.button->faceCell(), qint16(1));
        QCOMPARE(h.face(), h.cell(0, 1));
        QTest::mouseClick(h.handle(), Qt::LeftButton, {}, kOver);
        QCOMPARE(click.size(), 1);
        QCOMPARE(h.button->faceCell(), qint16(0));
        QTest::mouseMove(h.handle(), kOver + QPoint(1, 1));
        QCOMPARE(h.button->faceCell(), qint16(1));

        // Leaving without a button held: normal face, one MouseOut.
        QTest::mouseMove(h.handle(), kOff);
        QCOMPARE(h.button->faceCell(), qint16(0));
        QCOMPARE(out.size(), 1);

        // A right click is no click; moving with the right button held shows
        // the hover face, not the pressed one.
        QTest::mousePress(h.handle(), Qt::RightButton, {}, kOver);
        QCOMPARE(h.button->faceCell(), qint16(2));
        QTest::mouseMove(h.handle(), kOver + QPoint(2, 0));
        QCOMPARE(h.button->faceCell(), qint16(1));
        QTest::mouseRelease(h.handle(), Qt::RightButton, {}, kOver + QPoint(2, 0));
        QCOMPARE(click.size(), 1);

        // A double-click is one click.
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, kOver);
        QCOMPARE(click.size(), 2);
    }

    void disabledButtonShowsItsFaceAndIgnoresTheMouse()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QSignalSpy down(h.button, &XpTopButtons::MouseDown);
        h.button->applyEnabled(false);
        QCOMPARE(h.button->faceCell(), qint16(3));
        QCOMPARE(h.face(), h.cell(0, 3));
        QTest::mouseClick(h.handle(), Qt::LeftButton, {}, kOver);
        QCOMPARE(down.size(), 0);
        QCOMPARE(h.button->faceCell(), qint16(3));
        h.button->applyEnabled(true);
        QCOMPARE(h.button->faceCell(), qint16(0));

        // A disabled host disables the button's face as well.
        h.window->setEnabled(false);
        QCOMPARE(h.face(), h.cell(0, 3));
        h.window->setEnabled(true);
        QCOMPARE(h.face(), h.cell(0, 0));
    }

    void valueChoosesTheStrip()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QSignalSpy changed(h.button, &XpTopButtons::PropertyChanged);
        h.button->setValue(3);
        QCOMPARE(h.button->clipIndex(), qint16(3));
        QCOMPARE(h.face(), h.cell(3, 0));
        h.button->applyEnabled(false);
        QCOMPARE(h.face(), h.cell(3, 3));
        h.button->applyEnabled(true);

        // 7 selects no strip: the restore strip stays, showing its normal face.
        QTest::mouseMove(h.handle(), kOver + QPoint(4, 4));
        QCOMPARE(h.button->faceCell(), qint16(1));
        h.button->setValue(7);
        QCOMPARE(h.button->Value(), 7);
        QCOMPARE(h.button->clipIndex(), qint16(3));
        QCOMPARE(h.face(), h.cell(3, 0));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("Value"));

        PropertyBag saved;
        h.button->WriteProperties(saved);
        QCOMPARE(saved.ReadProperty(QStringLiteral("Value")).toInt(), 7);
        QVERIFY(!saved.contains(QStringLiteral("Enabled")));
    }

    void storedDesignIsAppliedWhenShown()
    {
        PropertyBag design;
        design.set(QStringLiteral("Value"), 2);
        design.set(QStringLiteral("Enabled"), false);
        QWidget window;
        auto *button = new XpTopButtons(&window, QStringLiteral("xptopbuttons1"), &design);
        QCOMPARE(button->Value(), 2);
        QVERIFY(!button->Enabled());
        // The kind is read as stored and takes effect when the button shows.
        QCOMPARE(button->clipIndex(), qint16(0));
        window.show();
        QCOMPARE(button->clipIndex(), qint16(2));
        QCOMPARE(button->faceCell(), qint16(3));
    }

    void closeButtonEndsTheTestWindow()
    {
        ProgramFolder folder;
        RecordingDialogs dialogs;
        LexivaneApp app(folder.path(), &dialogs);
        Form1 *form = app.form1();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));

        QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
        auto *frame = form->findChild<XpCanvas *>(QStringLiteral("xp_canvas1"));
        QVERIFY(frame);
        QCOMPARE(frame->Caption(), QStringLiteral("Kelvaro--Lexivane v1.0"));
        QCOMPARE(frame->geometry(), QRect(0, 0, 497, 393));
        auto *button = form->findChild<XpTopButtons *>(QStringLiteral("xptopbuttons1"));
        QVERIFY(button);
        QCOMPARE(button->geometry(), QRect(472, 8, 21, 21));
        QCOMPARE(button->Value(), 0);
        QCOMPARE(form->childAt(482, 18), button);

        // The test window is unloaded: hidden at once, destroyed soon after.
        QPointer<Form1> closed = form;
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(482, 18));
        QVERIFY(closed.isNull() || !closed->isVisible());
        QTRY_VERIFY(closed.isNull());
        QVERIFY(dialogs.questions.isEmpty());
    }
};

QTEST_MAIN(TestXpTopButtons)
#include "tst_xptopbuttons.moc"
