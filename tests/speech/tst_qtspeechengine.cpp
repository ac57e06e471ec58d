#include "PrivateSpeechSession.h"
#include "TestFiles.h"
#include "WaveFiles.h"

#include "speech/QtSpeechEngine.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using State = SpeechEngine::State;

namespace {

// The states reported for one utterance, in order.
QList<State> statesOf(const QSignalSpy &spy, int utterance)
{
    QList<State> states;
    for (const QList<QVariant> &args : spy) {
        if (args.at(0).toInt() == utterance)
            states << args.at(1).value<State>();
    }
    return states;
}

bool ended(const QSignalSpy &spy, int utterance)
{
    const QList<State> states = statesOf(spy, utterance);
    return states.contains(State::Finished) || states.contains(State::Failed);
}

bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

QString noSinkReason()
{
    return QMediaDevices::audioOutputs().isEmpty() ? QStringLiteral("no audio output device on this machine")
                                                   : QString();
}

} // namespace

// The real voices, where they are installed. Without an audio sink an engine
// can only fail; those cases are skipped with the reason, never passed.
class TestQtSpeechEngine : public QObject
{
    Q_OBJECT

private slots:
    // A speech-dispatcher spawned here lives in a private session and is
    // stopped, with its modules, at the end.
    void initTestCase() { m_session = std::make_unique<PrivateSpeechSession>(); }
    void cleanupTestCase() { m_session.reset(); }
    void engineSpeaksAndComesBack_data();
    void engineSpeaksAndComesBack();
    void stopCutsAWordOff();
    void recordingPlaysThroughTheMediaPlayer();

private:
    std::unique_ptr<PrivateSpeechSession> m_session;
};

void TestQtSpeechEngine::engineSpeaksAndComesBack_data()
{
    QTest::addColumn<QString>("engine");
    for (const QString &engine : QtSpeechEngine::preferredOrder())
        QTest::newRow(qPrintable(engine)) << engine;
}

void TestQtSpeechEngine::engineSpeaksAndComesBack()
{
    QFETCH(QString, engine);
    QtSpeechEngine voice;
    if (!voice.engines().contains(engine))
        QSKIP(qPrintable(QStringLiteral("the %1 engine is not installed").arg(engine)));
    if (underAddressSanitizer() && engine == QLatin1String("speechd"))
        QSKIP("speech-dispatcher's client library never connects in a program built with AddressSanitizer");

    QVERIFY(voice.accents(engine).contains(QStringLiteral("US")));
    QSignalSpy spy(&voice, &SpeechEngine::utteranceState);
    voice.configure(engine, QStringLiteral("US"), 0);
    voice.say(1, QStringLiteral("quay"));
    // With no audio sink, speech-dispatcher reports Speaking and never ends.
    const bool endedInTime = QTest::qWaitFor([&] { return ended(spy, 1); }, 8000);
    if (!endedInTime && !noSinkReason().isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 never finished a word: %2").arg(engine, noSinkReason())));
    QVERIFY(endedInTime);

    const QList<State> states = statesOf(spy, 1);
    if (states.contains(State::Failed)) {
        const QString reason = noSinkReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 failed to speak: %2").arg(engine, reason)));
        QFAIL(qPrintable(QStringLiteral("%1 failed to speak although an audio output exists").arg(engine)));
    }
    QCOMPARE(states, (QList<State>{State::Speaking, State::Finished}));

    // A second word after the first works as well.
    voice.say(2, QStringLiteral("colonel"));
    QTRY_VERIFY_WITH_TIMEOUT(ended(spy, 2), 15000);
    QCOMPARE(statesOf(spy, 2), (QList<State>{State::Speaking, State::Finished}));
}

void TestQtSpeechEngine::stopCutsAWordOff()
{
    QtSpeechEngine voice;
    QStringList usable = voice.engines();
    if (underAddressSanitizer())
        usable.removeAll(QStringLiteral("speechd"));
    if (usable.isEmpty())
        QSKIP("no speech engine is installed (that works in this build)");
    const QString engine = usable.first();
    QSignalSpy spy(&voice, &SpeechEngine::utteranceState);
    voice.configure(engine, QStringLiteral("US"), -10);
    voice.say(1, QStringLiteral("a rather long sentence that takes several seconds to say at the slowest rate"));
    const bool answered = QTest::qWaitFor([&] { return !statesOf(spy, 1).isEmpty(); }, 8000);
    if (!answered && !noSinkReason().isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 never started a word: %2").arg(engine, noSinkReason())));
    QVERIFY(answered);
    if (statesOf(spy, 1).first() == State::Failed) {
        const QString reason = noSinkReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 failed to speak: %2").arg(engine, reason)));
        QFAIL("the engine failed although an audio output exists");
    }
    QElapsedTimer clock;
    clock.start();
    voice.stop();
    QTRY_VERIFY_WITH_TIMEOUT(ended(spy, 1), 5000);
    QVERIFY2(clock.elapsed() < 2000, "stopping took as long as speaking");

    // Words that cut each other off in quick succession, as on the browse
    // bar: the last one is heard to its end, and the engine survives.
    for (int utterance = 2; utterance <= 5; ++utterance) {
        voice.stop();
        voice.say(utterance, QStringLiteral("hyperbole"));
        QTest::qWait(30);
    }
    QTRY_VERIFY_WITH_TIMEOUT(ended(spy, 5), 15000);
    QVERIFY(!statesOf(spy, 5).contains(State::Failed));
}

void TestQtSpeechEngine::recordingPlaysThroughTheMediaPlayer()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quay.wav"));
    QVERIFY(TestFiles::writeBytes(path, WaveFiles::sineWave(300)));

    QtSpeechEngine voice;
    QSignalSpy spy(&voice, &SpeechEngine::utteranceState);
    voice.play(7, path);
    QTRY_VERIFY_WITH_TIMEOUT(ended(spy, 7), 10000);
    const QList<State> states = statesOf(spy, 7);
    if (states.contains(State::Failed)) {
        const QString reason = noSinkReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(QStringLiteral("the recording did not play: %1").arg(reason)));
        QFAIL("the recording did not play although an audio output exists");
    }
    QCOMPARE(states, (QList<State>{State::Speaking, State::Finished}));

    // A file that is no sound fails, and says so.
    const QString broken = folder.filePath(QStringLiteral("broken.wav"));
    QVERIFY(TestFiles::writeBytes(broken, QByteArray("not a sound")));
    voice.play(8, broken);
    QTRY_VERIFY_WITH_TIMEOUT(ended(spy, 8), 10000);
    QCOMPARE(statesOf(spy, 8), QList<State>{State::Failed});
}

QTEST_MAIN(TestQtSpeechEngine)
#include "tst_qtspeechengine.moc"
