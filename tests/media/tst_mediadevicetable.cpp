#include "media/MediaDeviceTable.h"
#include "media/Mmedia.h"

#include "TestFiles.h"
#include "WaveFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

using WaveFiles::sineWave;

// One note held for a second (960 ticks at 480 per quarter, 120 beats a minute).
QByteArray oneSecondTune()
{
    static const char bytes[] = "MThd\0\0\0\x06\0\0\0\x01\x01\xE0"
                                "MTrk\0\0\0\x0D"
                                "\x00\x90\x3C\x64"
                                "\x87\x40\x80\x3C\x00"
                                "\x00\xFF\x2F\x00";
    return QByteArray(bytes, sizeof bytes - 1);
}

int minute7()
{
    return 7;
}

} // namespace

class TestMediaDeviceTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void badCommandsFailWithEmptyReply_data();
    void badCommandsFailWithEmptyReply();
    void wavThroughSeekPlayPauseStopClose();
    void playWaitRunsToTheEndThenStartsOver();
    void midiOpensWithItsLength();
    void closeEndsPlayWait();
    void collidingAliasesShareTheFirstDevice();

private:
    QTemporaryDir m_dir;
    QString m_tone;  // 1000 ms, with a blank in its path
    QString m_short; // 500 ms
};

void TestMediaDeviceTable::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_tone = m_dir.filePath(QStringLiteral("my tone.wav"));
    m_short = m_dir.filePath(QStringLiteral("short.wav"));
    QVERIFY(TestFiles::writeBytes(m_tone, sineWave(1000)));
    QVERIFY(TestFiles::writeBytes(m_short, sineWave(500)));
    QVERIFY(TestFiles::writeBytes(m_dir.filePath(QStringLiteral("tune.mid")), oneSecondTune()));
    QVERIFY(TestFiles::writeBytes(m_dir.filePath(QStringLiteral("broken.wav")), "not a sound file"));
}

void TestMediaDeviceTable::badCommandsFailWithEmptyReply_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<quint32>("code");

    // %1 is the quoted one-second tone, %2 the folder of the test files.
    QTest::newRow("unknown verb") << "rewind t" << quint32(MediaError::UnrecognizedCommand);
    QTest::newRow("unknown alias") << "play nosuch" << quint32(MediaError::InvalidDeviceName);
    QTest::newRow("seek with empty alias") << "Seek  to 2.5" << quint32(MediaError::MissingParameter);
    QTest::newRow("open quote unclosed") << "open \"%2/my tone.wav alias a type waveaudio"
                                         << quint32(MediaError::UnterminatedQuote);
    QTest::newRow("open blank unquoted") << "open %2/my tone.wav alias a type waveaudio"
                                         << quint32(MediaError::UnrecognizedKeyword);
    QTest::newRow("open unknown type") << "open %1 alias a type cdaudio" << quint32(MediaError::UnsupportedDeviceType);
    QTest::newRow("open missing file") << "open %2/none.wav alias a type waveaudio wait"
                                       << quint32(MediaError::FileNotFound);
    QTest::newRow("open not a sound") << "open %2/broken.wav alias a type waveaudio wait"
                                      << quint32(MediaError::CannotLoad);
    QTest::newRow("alias taken, other case") << "open %1 alias T type waveaudio"
                                             << quint32(MediaError::DuplicateAlias);
    QTest::newRow("seek to a word") << "seek t to soon" << quint32(MediaError::BadNumber);
    QTest::newRow("seek past the end") << "seek t to 1001" << quint32(MediaError::OutOfRange);
}

void TestMediaDeviceTable::badCommandsFailWithEmptyReply()
{
    QFETCH(QString, command);
    QFETCH(quint32, code);

    MediaDeviceTable table;
    const QString open = QStringLiteral("open \"%1\" alias t type waveaudio wait").arg(m_tone);
    QCOMPARE(table.execute(open).code, quint32(MediaError::None));
    command.replace(QLatin1String("%1"), QLatin1Char('"') + m_tone + QLatin1Char('"'));
    command.replace(QLatin1String("%2"), m_dir.path());

    char reply[16];
    std::memset(reply, 'X', sizeof reply);
    QCOMPARE(table.sendString(TestFiles::gbk(command), reply, sizeof reply), code);
    QCOMPARE(reply[0], '\0');
    // A refused open adds no device, and the open one is left alone.
    QCOMPARE(table.deviceCount(), 1);
    QCOMPARE(table.execute(QStringLiteral("STATUS T MODE")).reply, QStringLiteral("stopped"));
}

void TestMediaDeviceTable::wavThroughSeekPlayPauseStopClose()
{
    MediaDeviceTable table;
    Mmedia media(&table, minute7);
    media.mmOpen(m_tone); // a blank in the path: sent quoted
    QVERIFY2(qAbs(media.Length() - 1000) <= 50, qPrintable(QString::number(media.Length())));
    QCOMPARE(media.Status(), QStringLiteral("stopped"));
    media.setPosition(600.7f); // whole milliseconds
    QCOMPARE(media.Position(), 600.0f);

    media.mmPlay();
    QCOMPARE(media.Status(), QStringLiteral("playing"));
    const bool runs = QTest::qWaitFor([&] { return media.Position() > 600; }, 3000);
    media.mmPause();
    QCOMPARE(media.Status(), QStringLiteral("paused"));
    const float paused = media.Position();
    QTest::qWait(200);
    QCOMPARE(media.Position(), paused);
    media.mmStop();
    QCOMPARE(media.Status(), QStringLiteral("stopped"));
    QCOMPARE(media.Position(), paused); // stop keeps the place, unlike a rewind
    media.mmClose();
    QCOMPARE(media.Status(), QString());
    QCOMPARE(table.deviceCount(), 0);
    if (!runs)
        QSKIP("modes checked, but the position did not move within 3 s: no audio sink runs on this machine");
}

void TestMediaDeviceTable::playWaitRunsToTheEndThenStartsOver()
{
    MediaDeviceTable table;
    table.setStallTimeout(2000);
    Mmedia media(&table, minute7);
    media.mmOpen(m_tone);
    media.mmSeek(500);
    media.setWait(true);
    media.mmPlay();
    if (media.Position() == 500.0f)
        QSKIP("play wait saw no progress: no audio sink runs on this machine");
    QCOMPARE(media.Status(), QStringLiteral("stopped"));
    QCOMPARE(media.Position(), media.Length());

    // At the end (here by seeking there), a new play starts over.
    media.mmSeek(media.Length());
    media.setWait(false);
    media.mmPlay();
    QVERIFY(media.Position() < 500);
    QCOMPARE(media.Status(), QStringLiteral("playing"));
}

void TestMediaDeviceTable::midiOpensWithItsLength()
{
    MediaDeviceTable table;
    Mmedia media(&table, minute7);
    media.mmOpen(m_dir.filePath(QStringLiteral("tune.mid")));
    if (table.deviceCount() == 0)
        QSKIP("MIDI did not load: GStreamer's midiparse/fluiddec (gstreamer1.0-plugins-bad) or a soundfont is missing");
    QVERIFY2(qAbs(media.Length() - 1000) <= 50, qPrintable(QString::number(media.Length())));
}

void TestMediaDeviceTable::closeEndsPlayWait()
{
    MediaDeviceTable table;
    Mmedia media(&table, minute7);
    media.mmOpen(m_tone);
    media.setWait(true);
    QTimer::singleShot(100, &table, [&] { media.mmClose(); });
    QElapsedTimer clock;
    clock.start();
    media.mmPlay();
    QVERIFY2(clock.elapsed() < 900, "play wait went on after its device was closed");
    QCOMPARE(table.deviceCount(), 0);
    QCOMPARE(media.Filename(), QString());
}

void TestMediaDeviceTable::collidingAliasesShareTheFirstDevice()
{
    MediaDeviceTable *shared = MediaDeviceTable::shared();
    QVERIFY(shared);
    {
        Mmedia first(nullptr, minute7);
        Mmedia second(nullptr, minute7);
        first.mmOpen(m_tone);
        second.mmOpen(m_short); // same alias: refused by the table, unnoticed
        QCOMPARE(shared->deviceCount(), 1);
        QCOMPARE(second.Filename(), m_short);
        QVERIFY(qAbs(second.Length() - 1000) <= 50); // the first object's file
        second.mmSeek(300);
        QCOMPARE(first.Position(), 300.0f);
        second.mmClose();
        QCOMPARE(shared->deviceCount(), 0);
        QCOMPARE(first.Status(), QString()); // its device is gone, its alias stays
        first.mmClose();                     // closes nothing, breaks nothing
    }
    {
        Mmedia left(nullptr, minute7);
        left.mmOpen(m_short);
    }
    // Destroying the object leaves its device open; the table goes away
    // with the application.
    QCOMPARE(shared->deviceCount(), 1);
}

QTEST_MAIN(TestMediaDeviceTable)
#include "tst_mediadevicetable.moc"
