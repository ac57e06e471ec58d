#include "app/PlatformChoice.h"

#include <QTest>

class tst_PlatformChoice : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
};

void tst_PlatformChoice::choice_data()
{
    QTest::addColumn<QByteArray>("qpaPlatform");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("expected");

    // Wayland with XWayland beside it: the X11 platform keeps the bar on top.
    QTest::newRow("wayland and xwayland")
        << QByteArray() << QByteArray("wayland-0") << QByteArray(":0") << QByteArray("xcb");
    // The user's own choice always wins, whatever it is.
    QTest::newRow("user chose wayland") << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":0")
                                        << QByteArray();
    QTest::newRow("user chose offscreen")
        << QByteArray("offscreen") << QByteArray("wayland-0") << QByteArray(":0") << QByteArray();
    // An empty variable counts as unset, as it does for Qt; so does a blank
    // one, which names no platform plugin.
    QTest::newRow("blank user choice") << QByteArray("  ") << QByteArray("wayland-0") << QByteArray(":1")
                                       << QByteArray("xcb");
    // Pure Wayland without an X server: asking for xcb would fail to start.
    QTest::newRow("wayland only") << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArray();
    QTest::newRow("wayland, blank display")
        << QByteArray() << QByteArray("wayland-0") << QByteArray(" ") << QByteArray();
    // A plain X session: Qt picks xcb on its own, nothing to force.
    QTest::newRow("x11 only") << QByteArray() << QByteArray() << QByteArray(":0") << QByteArray();
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
}

void tst_PlatformChoice::choice()
{
    QFETCH(QByteArray, qpaPlatform);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, expected);
    QCOMPARE(preferredPlatform(qpaPlatform, waylandDisplay, display), expected);
}

QTEST_APPLESS_MAIN(tst_PlatformChoice)
#include "tst_platformchoice.moc"
