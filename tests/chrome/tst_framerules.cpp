#include "chrome/FrameRules.h"

#include <QtTest>

using namespace chrome;

Q_DECLARE_METATYPE(chrome::TwipsGeometry)

namespace {

// A host at (100, 60) px, 400 x 300 px, measured in twips at 15 per pixel.
const TwipsGeometry kHost{1500, 900, 6000, 4500};

} // namespace

class TestFrameRules : public QObject
{
    Q_OBJECT

private slots:
    void resizeFollowsTheHandle_data()
    {
        QTest::addColumn<int>("edge");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<TwipsGeometry>("expected");
        const QPoint d(10, -4); // 150 twips across, 60 twips up
        QTest::newRow("0 left") << 0 << d << TwipsGeometry{1650, 900, 5850, 4500};
        QTest::newRow("1 right") << 1 << d << TwipsGeometry{1500, 900, 6150, 4500};
        QTest::newRow("2 top") << 2 << d << TwipsGeometry{1500, 840, 6000, 4560};
        QTest::newRow("3 bottom") << 3 << d << TwipsGeometry{1500, 900, 6000, 4440};
        QTest::newRow("4 bottom-right") << 4 << d << TwipsGeometry{1500, 900, 6150, 4440};
        QTest::newRow("5 bottom-left") << 5 << d << TwipsGeometry{1650, 900, 5850, 4440};
        QTest::newRow("6 top-right") << 6 << d << TwipsGeometry{1500, 840, 6150, 4560};
        QTest::newRow("7 top-left") << 7 << d << TwipsGeometry{1650, 840, 5850, 4560};
        QTest::newRow("unknown code drags the left edge") << 12 << d << TwipsGeometry{1650, 900, 5850, 4500};
        QTest::newRow("no movement, top-left") << 7 << QPoint() << kHost;
    }

    void resizeFollowsTheHandle()
    {
        QFETCH(int, edge);
        QFETCH(QPoint, delta);
        QFETCH(TwipsGeometry, expected);
        const QPoint down(640, 410);
        const TwipsGeometry result = resizedGeometry(kHost, down, down + delta, edge, 15, 15);
        QCOMPARE(result.left, expected.left);
        QCOMPARE(result.top, expected.top);
        QCOMPARE(result.width, expected.width);
        QCOMPARE(result.height, expected.height);
        QVERIFY(isAcceptableGeometry(result));
        QCOMPARE(toPixels(result, 15, 15), QRect(qRound(expected.left / 15), qRound(expected.top / 15),
                                                 qRound(expected.width / 15), qRound(expected.height / 15)));
    }

    void horizontalAndVerticalFactorsAreKeptApart()
    {
        // A screen with 12 twips per pixel across and 20 down.
        const TwipsGeometry host = toTwips(QRect(10, 20, 100, 50), 12, 20);
        QCOMPARE(host.left, 120.0);
        QCOMPARE(host.height, 1000.0);
        const TwipsGeometry grown = resizedGeometry(host, QPoint(0, 0), QPoint(3, 2), 4, 12, 20);
        QCOMPARE(grown.width, 1200.0 + 36);
        QCOMPARE(grown.height, 1000.0 + 40);
        QCOMPARE(toPixels(grown, 12, 20), QRect(10, 20, 103, 52));
    }

    void negativeSizesAreRefused_data()
    {
        QTest::addColumn<int>("edge");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("left edge past the right edge") << 0 << QPoint(401, 0) << false;
        QTest::newRow("left edge onto the right edge") << 0 << QPoint(400, 0) << true;
        QTest::newRow("bottom edge above the top") << 3 << QPoint(0, -301) << false;
        QTest::newRow("top-left corner below the bottom") << 7 << QPoint(5, 320) << false;
        QTest::newRow("bottom-right inwards, still positive") << 4 << QPoint(-399, -299) << true;
    }

    void negativeSizesAreRefused()
    {
        QFETCH(int, edge);
        QFETCH(QPoint, delta);
        QFETCH(bool, acceptable);
        QCOMPARE(isAcceptableGeometry(resizedGeometry(kHost, QPoint(), delta, edge, 15, 15)), acceptable);
    }

    void cursorsDependOnStateAndFixedFrame()
    {
        const auto normal = handleCursors(false, StateNormal);
        QVERIFY(normal);
        const HandleCursors expected = {Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,
                                        Qt::SizeVerCursor,   Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
                                        Qt::SizeBDiagCursor, Qt::SizeFDiagCursor};
        QCOMPARE(*normal, expected);

        HandleCursors arrows;
        arrows.fill(Qt::ArrowCursor);
        QCOMPARE(handleCursors(false, StateMaximised).value_or(HandleCursors{}), arrows);
        for (HostState state : {StateNormal, StateMinimised, StateMaximised})
            QCOMPARE(handleCursors(true, state).value_or(HandleCursors{}), arrows);
        // A resizable frame on a minimised host keeps whatever it showed.
        QVERIFY(!handleCursors(false, StateMinimised));
    }

    void hostStateCodes()
    {
        QCOMPARE(hostState(Qt::WindowNoState), StateNormal);
        QCOMPARE(hostState(Qt::WindowActive), StateNormal);
        QCOMPARE(hostState(Qt::WindowMaximized | Qt::WindowActive), StateMaximised);
        QCOMPARE(hostState(Qt::WindowMinimized), StateMinimised);
        // Minimised wins over the maximised state it will come back to.
        QCOMPARE(hostState(Qt::WindowMinimized | Qt::WindowMaximized), StateMinimised);
    }

    void titleBarIsCutIntoEndsAndStretchedMiddle()
    {
        const TitlePieces pieces = titleBarPieces(QSize(66, 29), QSize(497, 29));
        QCOMPARE(pieces.count, 3);
        QCOMPARE(pieces.pieces[0].source, QRect(0, 0, 5, 29));
        QCOMPARE(pieces.pieces[0].target, QRect(0, 0, 5, 29));
        QCOMPARE(pieces.pieces[1].source, QRect(5, 0, 56, 29));
        QCOMPARE(pieces.pieces[1].target, QRect(5, 0, 487, 29));
        QCOMPARE(pieces.pieces[2].source, QRect(61, 0, 5, 29));
        QCOMPARE(pieces.pieces[2].target, QRect(492, 0, 5, 29));

        // A bar no wider than its two ends gets no middle.
        const TitlePieces narrow = titleBarPieces(QSize(66, 29), QSize(10, 29));
        QCOMPARE(narrow.count, 2);
        QCOMPARE(narrow.pieces[1].target, QRect(5, 0, 5, 29));

        const TitlePieces ends = titleEndPieces(QSize(66, 29), QSize(300, 40));
        QCOMPARE(ends.count, 2);
        QCOMPARE(ends.pieces[1].target, QRect(295, 0, 5, 40));
    }
};

QTEST_APPLESS_MAIN(TestFrameRules)
#include "tst_framerules.moc"
