#include "chrome/PropertyBag.h"
#include "chrome/SkinnedFrame.h"
#include "chrome/XpCanvas.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QRect kStart(200, 150, 400, 300);

// A framed host window, shown.
struct Host
{
    explicit Host(bool fixedSingle = false)
    {
        window = std::make_unique<QWidget>();
        window->setGeometry(kStart);
        frame = createSkinnedFrame(window.get(), QRect(QPoint(), kStart.size()), QStringLiteral("Lexivane test"));
        frame->setFixed_Single(fixedSingle);
        window->show();
    }

    QWidget *element(const QString &name) const { return window->findChild<QWidget *>(name); }
    QWindow *handle() const { return window->windowHandle(); }
    QImage title() const { return element(QStringLiteral("pictop"))->grab().toImage(); }

    // Press at `from` (window coordinates), move by `delta`, release. The
    // window does not follow the cursor while the button is held.
    void drag(QPoint from, QPoint delta) const
    {
        QTest::mousePress(handle(), Qt::LeftButton, {}, from);
        QTest::mouseMove(handle(), from + delta);
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, from + delta);
    }

    // The same where the window may follow the cursor: as far as it did, the
    // cursor is back over the point that was pressed.
    void dragWindow(QPoint from, QPoint delta) const
    {
        const QPoint before = window->pos();
        QTest::mousePress(handle(), Qt::LeftButton, {}, from);
        QTest::mouseMove(handle(), from + delta);
        const QPoint followed = window->pos() - before;
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, from + delta - followed);
    }

    std::unique_ptr<QWidget> window;
    XpCanvas *frame = nullptr;
};

QImage skin(const char *name)
{
    return QImage(QStringLiteral(":/chrome/") + QLatin1String(name));
}

const QRgb kMagenta = qRgb(255, 0, 255);

// The colour of the middle of a title bitmap in row `y`.
QRgb titleRow(const char *skinName, int y)
{
    return skin(skinName).pixel(33, y);
}

} // namespace

class TestXpCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initChromeResources(); }

    void skinsHaveTheirSizesAndCorners_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("magentaPerCorner");
        for (const char *look : {"active", "inactive"}) {
            const QString l = QString::fromLatin1(look);
            QTest::addRow("top_%s", look) << QStringLiteral("top_") + l << QSize(66, 29) << 12;
            QTest::addRow("topmax_%s", look) << QStringLiteral("topmax_") + l << QSize(66, 29) << 0;
            QTest::addRow("left_%s", look) << QStringLiteral("left_") + l << QSize(5, 31) << 0;
            QTest::addRow("right_%s", look) << QStringLiteral("right_") + l << QSize(5, 31) << 0;
            QTest::addRow("bottom_%s", look) << QStringLiteral("bottom_") + l << QSize(49, 5) << 0;
        }
    }

    void skinsHaveTheirSizesAndCorners()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, magentaPerCorner);
        const QImage image(QStringLiteral(":/chrome/") + name + QStringLiteral(".bmp"));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.depth(), 8);
        // Magenta lies only inside the 5 x 5 top corner squares.
        int left = 0, right = 0, elsewhere = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != kMagenta)
                    continue;
                if (y < 5 && x < 5)
                    ++left;
                else if (y < 5 && x >= image.width() - 5)
                    ++right;
                else
                    ++elsewhere;
            }
        }
        QCOMPARE(left, magentaPerCorner);
        QCOMPARE(right, magentaPerCorner);
        QCOMPARE(elsewhere, 0);
    }

    void firstPlacementTakesTheDefaults()
    {
        QWidget window;
        XpCanvas frame(&window, QStringLiteral("xp_canvas7"));
        QCOMPARE(frame.Caption(), QStringLiteral("xp_canvas7"));
        QCOMPARE(window.windowTitle(), QStringLiteral("xp_canvas7"));
        QVERIFY(!frame.Fixed_Single());
        QCOMPARE(frame.Icon().toImage(), skin("default_icon.png").convertToFormat(frame.Icon().toImage().format()));
        // Nothing differs from the defaults, so nothing is stored.
        PropertyBag saved;
        frame.WriteProperties(saved);
        QVERIFY(saved.isEmpty());
    }

    void storedDesignIsReadAndWrittenBack()
    {
        QPixmap icon(16, 16);
        icon.fill(Qt::green);
        PropertyBag design;
        design.set(QStringLiteral("Caption"), QStringLiteral("Kelvaro--Lexivane V1.0"));
        design.set(QStringLiteral("Icon"), icon);
        design.set(QStringLiteral("Fixed_Single"), true);
        QWidget window;
        XpCanvas frame(&window, QStringLiteral("xp_canvas1"), &design);
        QCOMPARE(frame.Caption(), QStringLiteral("Kelvaro--Lexivane V1.0"));
        QCOMPARE(frame.findChild<QLabel *>(QStringLiteral("imgicon"))->pixmap().cacheKey(), icon.cacheKey());
        QVERIFY(frame.Fixed_Single());

        PropertyBag saved;
        frame.WriteProperties(saved);
        QCOMPARE(saved.ReadProperty(QStringLiteral("Caption")).toString(), QStringLiteral("Kelvaro--Lexivane V1.0"));
        QCOMPARE(saved.ReadProperty(QStringLiteral("Icon")).value<QPixmap>().cacheKey(), icon.cacheKey());
        QCOMPARE(saved.ReadProperty(QStringLiteral("Fixed_Single")).toBool(), true);
    }

    void captionGoesToLabelsAndWindowTitle()
    {
        Host h;
        QSignalSpy changed(h.frame, &XpCanvas::PropertyChanged);
        QSignalSpy resized(h.frame, &XpCanvas::Resize);
        h.frame->setCaption(QStringLiteral("词汇"));
        QCOMPARE(h.window->windowTitle(), QStringLiteral("词汇"));
        auto *caption = h.window->findChild<QLabel *>(QStringLiteral("lblcaption"));
        auto *shadow = h.window->findChild<QLabel *>(QStringLiteral("lblshadow"));
        QCOMPARE(caption->text(), QStringLiteral("词汇"));
        QCOMPARE(shadow->text(), QStringLiteral("词汇"));
        QCOMPARE(shadow->pos() - caption->pos(), QPoint(2, 2));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Caption"));
        QCOMPARE(resized.size(), 1);
        // The shadow is stacked behind the caption.
        const QObjectList order = caption->parent()->children();
        QVERIFY(order.indexOf(shadow) < order.indexOf(caption));
    }

    void normalAndMaximisedTitleBars()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QImage title = h.title();
        QCOMPARE(title.width(), 400);
        // Rounded corners: magenta outside the rounding at both top corners.
        QCOMPARE(title.pixel(0, 0), kMagenta);
        QCOMPARE(title.pixel(399, 0), kMagenta);
        QCOMPARE(title.pixel(200, 15), titleRow("top_active.bmp", 15));
        QCOMPARE(h.element(QStringLiteral("picleft"))->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(h.element(QStringLiteral("imgresize_7"))->cursor().shape(), Qt::SizeFDiagCursor);
        QCOMPARE(h.element(QStringLiteral("imgresize_5"))->cursor().shape(), Qt::SizeBDiagCursor);

        // A double-click on the title bar maximises, and the title bar and
        // cursors follow at once; the frame grows with the window.
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, QPoint(300, 15));
        QVERIFY(h.window->isMaximized());
        title = h.title();
        QCOMPARE(title.pixel(0, 0), skin("topmax_active.bmp").pixel(0, 0));
        QVERIFY(title.pixel(0, 0) != kMagenta);
        for (int code = 0; code < 8; ++code) {
            const QString name = code == 0   ? QStringLiteral("picleft")
                                 : code == 1 ? QStringLiteral("picright")
                                 : code == 3 ? QStringLiteral("picbottom")
                                             : QStringLiteral("imgresize_%1").arg(code);
            QCOMPARE(h.element(name)->cursor().shape(), Qt::ArrowCursor);
        }
        QTRY_COMPARE(h.frame->size(), h.window->size());
        QVERIFY(h.window->width() != 400);
        QCOMPARE(h.title().width(), h.window->width());

        // A maximised window is neither dragged about nor resized.
        const QRect maximised = h.window->geometry();
        h.dragWindow(QPoint(300, 15), QPoint(40, 30));
        QCOMPARE(h.window->geometry(), maximised);
        h.drag(QPoint(2, 150), QPoint(12, 7));
        QCOMPARE(h.window->geometry(), maximised);

        // Double-clicking again restores the rounded bar and sizing cursors.
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, QPoint(300, 15));
        QVERIFY(!h.window->isMaximized());
        QTRY_COMPARE(h.window->geometry(), kStart);
        QCOMPARE(h.title().pixel(0, 0), kMagenta);
        QCOMPARE(h.element(QStringLiteral("picbottom"))->cursor().shape(), Qt::SizeVerCursor);
    }

    void minimisedHostKeepsTitleAndCursors()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        h.window->setWindowState(Qt::WindowMinimized);
        QSignalSpy resized(h.frame, &XpCanvas::Resize);
        h.frame->ApplyInactiveSkin();
        h.frame->LayoutFrame();
        QCOMPARE(resized.size(), 1);
        // The edges take the inactive skin; the title bar keeps the active
        // look it was painted with, and the sizing cursors stay.
        const QImage left = h.element(QStringLiteral("picleft"))->grab().toImage();
        QCOMPARE(left.pixel(2, 10), skin("left_inactive.bmp").pixel(2, 10));
        QCOMPARE(h.title().pixel(200, 15), titleRow("top_active.bmp", 15));
        QCOMPARE(h.element(QStringLiteral("imgresize_6"))->cursor().shape(), Qt::SizeBDiagCursor);
    }

    void edgesAndGripsResizeTheHost_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("expected");
        const int L = kStart.x(), T = kStart.y(), W = kStart.width(), H = kStart.height();
        QTest::newRow("0 left edge") << QPoint(2, 150) << QRect(L + 12, T, W - 12, H);
        QTest::newRow("1 right edge") << QPoint(W - 2, 150) << QRect(L, T, W + 12, H);
        QTest::newRow("2 top grip") << QPoint(200, 4) << QRect(L, T + 7, W, H - 7);
        // The caption starts at row 6; its top rows belong to the grip.
        QTest::newRow("2 top grip over the caption") << QPoint(40, 7) << QRect(L, T + 7, W, H - 7);
        QTest::newRow("3 bottom edge") << QPoint(200, H - 2) << QRect(L, T, W, H + 7);
        QTest::newRow("4 bottom-right grip") << QPoint(W - 3, H - 2) << QRect(L, T, W + 12, H + 7);
        QTest::newRow("5 bottom-left grip") << QPoint(3, H - 2) << QRect(L + 12, T, W - 12, H + 7);
        QTest::newRow("6 top-right grip") << QPoint(W - 3, 4) << QRect(L, T + 7, W + 12, H - 7);
        QTest::newRow("7 top-left grip") << QPoint(3, 4) << QRect(L + 12, T + 7, W - 12, H - 7);
    }

    void edgesAndGripsResizeTheHost()
    {
        QFETCH(QPoint, press);
        QFETCH(QRect, expected);
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        // Nothing moves while the button is held; the host jumps on release.
        QTest::mousePress(h.handle(), Qt::LeftButton, {}, press);
        QTest::mouseMove(h.handle(), press + QPoint(12, 7));
        QCOMPARE(h.window->geometry(), kStart);
        QTest::mouseRelease(h.handle(), Qt::LeftButton, {}, press + QPoint(12, 7));
        QTRY_COMPARE(h.window->geometry(), expected);
        QCOMPARE(h.frame->upPoint() - h.frame->downPoint(), QPoint(12, 7));
        // The frame keeps covering the client area.
        QTRY_COMPARE(h.frame->geometry(), QRect(QPoint(), expected.size()));
    }

    void refusedAndEmptyResizes()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        // The left edge dragged past the right edge asks for a negative width.
        h.drag(QPoint(2, 150), QPoint(420, 0));
        QCOMPARE(h.window->geometry(), kStart);
        QCOMPARE(h.frame->upPoint() - h.frame->downPoint(), QPoint(420, 0));
        // So does the top-left corner dragged below the bottom.
        h.drag(QPoint(3, 4), QPoint(0, 310));
        QCOMPARE(h.window->geometry(), kStart);
        // Press and release in place: moved and sized by nothing.
        h.drag(QPoint(200, 298), QPoint());
        QCOMPARE(h.window->geometry(), kStart);
        QCOMPARE(h.frame->upPoint(), h.frame->downPoint());
    }

    void titleBarPressMovesOnlyPastTheDragDistance()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        const int distance = QApplication::startDragDistance();
        QVERIFY(distance > 2);
        // A hand's tremble between press and release is no move...
        const QPoint press(350, 20);
        QTest::mousePress(h.handle(), Qt::LeftButton, {}, press);
        QTest::mouseMove(h.handle(), press + QPoint(1, 1));
        QTest::mouseRelease(h.handle(), Qt::LeftButton, {}, press + QPoint(1, 1));
        QCOMPARE(h.window->pos(), kStart.topLeft());
        // ...and a double-click after it still maximises and restores.
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, press);
        QTRY_VERIFY(h.window->isMaximized());
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, QPoint(350, 20));
        QTRY_VERIFY(!h.window->isMaximized());
        // Past the distance the window follows the whole way at once.
        h.dragWindow(press, QPoint(distance + 5, 0));
        QTRY_COMPARE(h.window->pos(), kStart.topLeft() + QPoint(distance + 5, 0));
    }

    void inputReachingAnInactiveHostActivatesIt_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("key") << true;
        QTest::newRow("click") << false;
    }

    void inputReachingAnInactiveHostActivatesIt()
    {
        QFETCH(bool, byKey);
        Host h;
        auto *edit = new QLineEdit(h.window.get());
        edit->setGeometry(50, 100, 120, 24);
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QWidget other;
        other.setGeometry(700, 150, 100, 100);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QTRY_VERIFY(!h.frame->hasActiveLook());
        // Keys or a click arrive although the window was never activated
        // (the keyboard came to it with the pointer).
        if (byKey)
            QTest::keyClick(h.handle(), Qt::Key_A);
        else
            QTest::mouseClick(h.handle(), Qt::LeftButton, {}, QPoint(60, 110));
        QTRY_VERIFY(h.window->isActiveWindow());
        QTRY_VERIFY(h.frame->hasActiveLook());
        // The look goes back when another window takes over.
        other.activateWindow();
        QTRY_VERIFY(!h.frame->hasActiveLook());
    }

    void titleBarAndCaptionMoveTheHost()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        const QPoint caption = h.element(QStringLiteral("lblcaption"))->geometry().center();
        QCOMPARE(h.window->childAt(caption)->objectName(), QStringLiteral("lblcaption"));
        h.dragWindow(caption, QPoint(30, 20));
        QTRY_COMPARE(h.window->pos(), kStart.topLeft() + QPoint(30, 20));
        h.dragWindow(QPoint(350, 20), QPoint(-50, 5));
        QTRY_COMPARE(h.window->pos(), kStart.topLeft() + QPoint(-20, 25));
        QCOMPARE(h.window->size(), kStart.size());
    }

    void iconAndShadowAreInert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("icon") << QStringLiteral("imgicon");
        QTest::newRow("shadow") << QStringLiteral("lblshadow");
    }

    void iconAndShadowAreInert()
    {
        QFETCH(QString, name);
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QWidget *element = h.element(name);
        // A point of the element that nothing else covers.
        QPoint at = element->geometry().bottomRight() - QPoint(1, 1);
        QCOMPARE(h.window->childAt(at), element);
        h.dragWindow(at, QPoint(30, 20));
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
        QCOMPARE(h.window->geometry(), kStart);
        QVERIFY(!h.window->isMaximized());
    }

    void fixedFrameMovesButNeverResizes()
    {
        Host h(true);
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        for (const char *name : {"picleft", "picright", "picbottom", "imgresize_2", "imgresize_4", "imgresize_5",
                                 "imgresize_6", "imgresize_7"})
            QCOMPARE(h.element(QString::fromLatin1(name))->cursor().shape(), Qt::ArrowCursor);
        h.drag(QPoint(2, 150), QPoint(12, 7));
        h.drag(QPoint(397, 297), QPoint(12, 7));
        QCOMPARE(h.window->geometry(), kStart);
        QCOMPARE(h.frame->downPoint(), QPoint());
        QCOMPARE(h.frame->upPoint(), QPoint());
        QTest::mouseDClick(h.handle(), Qt::LeftButton, {}, QPoint(300, 15));
        QVERIFY(!h.window->isMaximized());
        h.dragWindow(QPoint(300, 15), QPoint(-10, 10));
        QTRY_COMPARE(h.window->pos(), kStart.topLeft() + QPoint(-10, 10));
        // Making the frame resizable again brings the sizing cursors back.
        h.frame->setFixed_Single(false);
        QCOMPARE(h.element(QStringLiteral("imgresize_4"))->cursor().shape(), Qt::SizeFDiagCursor);
    }

    void lookFollowsActivation()
    {
        Host h;
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QVERIFY(h.frame->hasActiveLook());
        QCOMPARE(h.title().pixel(200, 20), titleRow("top_active.bmp", 20));

        QWidget other;
        other.setGeometry(50, 50, 100, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(!h.frame->hasActiveLook());
        QCOMPARE(h.title().pixel(200, 20), titleRow("top_inactive.bmp", 20));
        const QImage bottom = h.element(QStringLiteral("picbottom"))->grab().toImage();
        QCOMPARE(bottom.pixel(100, 2), skin("bottom_inactive.bmp").pixel(10, 2));

        // SetFocus gives the active look whatever window is active.
        h.frame->SetFocus();
        QVERIFY(h.frame->hasActiveLook());
        QCOMPARE(h.title().pixel(200, 20), titleRow("top_active.bmp", 20));

        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QVERIFY(h.frame->hasActiveLook());
    }

    void surfaceReportsOnlyItsOwnInput()
    {
        Host h;
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QSignalSpy down(h.frame, &XpCanvas::MouseDown);
        QSignalSpy move(h.frame, &XpCanvas::MouseMove);
        QSignalSpy click(h.frame, &XpCanvas::Click);
        // Over the title bar and the edges: the elements' input, not the
        // surface's.
        QTest::mouseMove(h.handle(), QPoint(300, 15));
        h.drag(QPoint(2, 150), QPoint(0, 0));
        h.drag(QPoint(200, 4), QPoint(3, 0));
        QCOMPARE(move.size(), 0);
        QCOMPARE(down.size(), 0);
        QCOMPARE(click.size(), 0);

        QTest::mouseMove(h.handle(), QPoint(200, 150));
        QCOMPARE(move.size(), 1);
        QTest::mouseClick(h.handle(), Qt::RightButton, Qt::ControlModifier, QPoint(200, 150));
        QCOMPARE(down.size(), 1);
        QCOMPARE(down.at(0).at(0).value<qint16>(), qint16(2));
        QCOMPARE(down.at(0).at(1).value<qint16>(), qint16(2));
        QCOMPARE(down.at(0).at(2).toFloat(), 200.0f);
        QCOMPARE(click.size(), 0);
        QTest::mouseClick(h.handle(), Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(click.size(), 1);
    }

    void alwaysOnTopAndEndsOnWindowBackground()
    {
        Host h;
        QWidget other;
        other.resize(450, 120);
        bool onTop = false;
        h.frame->AlwaysOnTop(&other, onTop);
        QVERIFY(onTop);
        QVERIFY(other.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        h.frame->AlwaysOnTop(h.element(QStringLiteral("pictop")), onTop);
        QVERIFY(!onTop);

        // The title bar's rounded ends, placed for the title bar's width (400)
        // rather than the window's, on the window's own background colour.
        const QRgb background = other.palette().color(QPalette::Window).rgb();
        h.frame->SetFocus();
        h.frame->make_trans(&other);
        const QImage painted = other.grab().toImage();
        const QImage top = skin("top_active.bmp");
        QCOMPARE(painted.pixel(0, 0), kMagenta);
        QCOMPARE(painted.pixel(2, 20), top.pixel(2, 20));
        QCOMPARE(painted.pixel(397, 20), top.pixel(63, 20));
        QCOMPARE(painted.pixel(5, 20), background);
        QCOMPARE(painted.pixel(299, 0), background);
        QCOMPARE(painted.pixel(449, 0), background);
        QCOMPARE(painted.pixel(2, 60), background);
    }
};

QTEST_MAIN(TestXpCanvas)
#include "tst_xpcanvas.moc"
