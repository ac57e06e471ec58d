#include "FakeSpeechDispatcher.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"
#include "StallMeter.h"
#include "TestFiles.h"

#include "app/LexivaneApp.h"
#include "browse/Form3.h"
#include "typing/Form1.h"
#include "speech/QtSpeechEngine.h"
#include "speech/WordSpeaker.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using State = SpeechEngine::State;

namespace {

// The program on a folder with one library, its voice the real speech
// engine talking to the fake daemon.
struct Program
{
    explicit Program(const QStringList &speechIni = {})
    {
        folder.writeIni(ProgramFolder::oneLibraryIni() +
                        QStringList{QStringLiteral("[Form4LastData]"), QStringLiteral("WordLibrary=0")} + speechIni);
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), 30);
        engine = std::make_unique<QtSpeechEngine>();
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs, engine.get());
        app->form1()->show();
    }

    QLineEdit *box(const char *name) const { return app->form1()->findChild<QLineEdit *>(QLatin1String(name)); }
    QString label(const char *name) const { return app->form1()->findChild<QLabel *>(QLatin1String(name))->text(); }
    void loadGroup(const QString &group) const
    {
        box("Text2")->setText(group);
        QTest::keyClick(box("Text2"), Qt::Key_Return);
    }
    void answer(const QString &typed) const
    {
        QTest::keyClicks(box("Text1"), typed);
        QTest::keyClick(box("Text1"), Qt::Key_Return);
    }

    // Closes the program; returns how long that took.
    qint64 close()
    {
        QElapsedTimer clock;
        clock.start();
        app.reset();
        engine.reset();
        return clock.elapsed();
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<QtSpeechEngine> engine;
    std::unique_ptr<LexivaneApp> app;
};

// What a typing round leaves behind, to be compared between runs.
struct Round
{
    QStringList messages;
    // Right and wrong answers counted after each answer.
    QStringList judged;
    QByteArray ini;
    qint64 longestStallMs = 0;
    qint64 closeMs = 0;
    bool daemonHeard = false;
};

// The settings file without the pronunciation section, which the runs set
// differently on purpose.
QByteArray withoutSpeech(const QByteArray &ini)
{
    QByteArray kept;
    bool inSpeech = false;
    for (const QByteArray &line : ini.split('\n')) {
        if (line.startsWith('['))
            inSpeech = line.trimmed() == "[Speech]";
        if (!inSpeech)
            kept += line + '\n';
    }
    return kept;
}

// 25 answers, one every 300 ms, the 5th and 12th wrong. With a daemon the
// daemon stops answering once it has received `wordsHeard` words.
Round typeRound(const QStringList &speechIni, FakeSpeechDispatcher *daemon, int wordsHeard)
{
    Round round;
    Program program(speechIni);
    StallMeter stalls;
    program.loadGroup(QStringLiteral("1"));
    QTest::qWait(300);
    // Loading the group is not what is measured.
    stalls.reset();
    for (int n = 1; n <= 25; ++n) {
        program.answer(n == 5 || n == 12 ? QStringLiteral("wrong") : QStringLiteral("word%1").arg(n));
        // The key's own handling is the same with speech on and off; what
        // is measured is the loop's turning while the user thinks.
        stalls.skip();
        round.judged << program.label("Label4") + QLatin1Char('/') + program.label("Label7");
        if (daemon && n == wordsHeard) {
            round.daemonHeard = QTest::qWaitFor([&] { return daemon->spoken() >= wordsHeard; }, 2000);
            daemon->answerOnly(0);
        }
        QTest::qWait(300);
    }
    round.longestStallMs = stalls.longestMs();
    round.messages = program.dialogs.messages;
    round.closeMs = program.close();
    round.ini = withoutSpeech(TestFiles::readBytes(program.folder.iniPath()));
    return round;
}

} // namespace

// The speech-dispatcher engine against a stand-in daemon, so that a daemon
// that hangs can be had on every machine, with or without a sound device.
class TestSpeechDaemon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wordsReachTheDaemon();
    void stuckDaemonNeverStallsTheTypingTest();
    void stuckDaemonMutesUntilAFreshConnectionAnswers();
    void daemonThatHangsThenDiesIsSurvived();

private:
    std::unique_ptr<FakeSpeechDispatcher> m_daemon;
};

void TestSpeechDaemon::initTestCase()
{
    m_daemon = std::make_unique<FakeSpeechDispatcher>();
    m_daemon->use();
    if (!QtSpeechEngine().engines().contains(QStringLiteral("speechd")))
        QSKIP("Qt's speech-dispatcher engine is not installed (qt6-speech-speechd-plugin)");
}

void TestSpeechDaemon::wordsReachTheDaemon()
{
    QtSpeechEngine voice;
    QSignalSpy spy(&voice, &SpeechEngine::utteranceState);
    voice.configure(QStringLiteral("speechd"), QStringLiteral("UK"), 0);
    voice.say(1, QStringLiteral("quay"));
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0), (QVariantList{1, QVariant::fromValue(State::Speaking)}));
    QCOMPARE(spy.at(1), (QVariantList{1, QVariant::fromValue(State::Finished)}));
    QVERIFY(m_daemon->commands().contains("SPEAK quay"));
    QVERIFY(voice.isResponding());
}

void TestSpeechDaemon::stuckDaemonNeverStallsTheTypingTest()
{
    const Round silent = typeRound({QStringLiteral("[Speech]"), QStringLiteral("Enabled=False")}, nullptr, 0);
    const Round stuck = typeRound({}, m_daemon.get(), 2);
    m_daemon->answerOnly(1 << 30);

    QVERIFY(stuck.daemonHeard);
    QVERIFY2(stuck.longestStallMs <= 50, qPrintable(QString::number(stuck.longestStallMs)));
    QVERIFY2(stuck.closeMs < 1000, qPrintable(QString::number(stuck.closeMs)));
    QCOMPARE(stuck.judged.value(23), QStringLiteral("22/2"));
    QCOMPARE(stuck.messages.mid(0, 2), (QStringList{QStringLiteral("错误！正确答案是：word5"),
                                                    QStringLiteral("错误！正确答案是：word12")}));
    // Exactly as with speech off.
    QCOMPARE(stuck.messages, silent.messages);
    QCOMPARE(stuck.judged, silent.judged);
    QCOMPARE(stuck.ini, silent.ini);
}

void TestSpeechDaemon::stuckDaemonMutesUntilAFreshConnectionAnswers()
{
    m_daemon->answerOnly(0);
    Program program;
    program.engine->setDaemonLimits(300, 600);
    WordSpeaker &speaker = program.app->speaker();
    program.app->openBrowseBar();
    QAction *barSpeaks = program.app->browseBar()->speakAction();
    QVERIFY(barSpeaks->isEnabled());
    program.loadGroup(QStringLiteral("1"));

    // F2 while the daemon hangs on the connection: no word, no message yet.
    QTest::keyClick(program.box("Text1"), Qt::Key_F2);
    QTRY_VERIFY(!program.engine->isResponding());
    QVERIFY(program.dialogs.messages.isEmpty());
    QCOMPARE(speaker.whyMute(), WordSpeaker::stuckEngineText());
    QVERIFY(!barSpeaks->isEnabled());
    QCOMPARE(barSpeaks->toolTip(), WordSpeaker::stuckEngineText());
    QVERIFY(!speaker.isBusy());
    // Now F2 says why, once.
    QTest::keyClick(program.box("Text1"), Qt::Key_F2);
    QTest::keyClick(program.box("Text1"), Qt::Key_F2);
    QCOMPARE(program.dialogs.messages, QStringList{WordSpeaker::stuckEngineText()});

    // The daemon is back; a word after the pause connects afresh.
    m_daemon->answerOnly(1 << 30);
    const int heard = m_daemon->spoken();
    QTest::qWait(700);
    QTest::keyClick(program.box("Text1"), Qt::Key_F2);
    QTRY_VERIFY(program.engine->isResponding());
    QTRY_COMPARE(m_daemon->spoken(), heard + 1);
    QVERIFY(barSpeaks->isEnabled());
    QVERIFY(speaker.whyMute().isEmpty());

    // Closing while a word waits on a daemon that hangs again.
    m_daemon->answerOnly(0);
    QTest::keyClick(program.box("Text1"), Qt::Key_F2);
    QTest::qWait(50);
    const qint64 closeMs = program.close();
    QVERIFY2(closeMs < 1000, qPrintable(QString::number(closeMs)));
    m_daemon->answerOnly(1 << 30);
}

// A daemon that hangs and is then killed: the worker left behind wakes up
// on a dead connection with words still queued for it. The client library
// crashes on a call over such a connection, so none may be made.
void TestSpeechDaemon::daemonThatHangsThenDiesIsSurvived()
{
    m_daemon->answerOnly(0);
    {
        QtSpeechEngine voice;
        voice.setDaemonLimits(200, 60000);
        voice.configure(QStringLiteral("speechd"), QStringLiteral("US"), 3);
        QSignalSpy spy(&voice, &SpeechEngine::utteranceState);
        for (int utterance = 1; utterance <= 3; ++utterance)
            voice.say(utterance, QStringLiteral("quay"));
        QTRY_VERIFY(!voice.isResponding());
        m_daemon->dropConnections();
        // Time for the woken worker to run through what was queued.
        QTest::qWait(500);
        QVERIFY(!spy.isEmpty());
    }
    m_daemon->answerOnly(1 << 30);
}

QTEST_MAIN(TestSpeechDaemon)
#include "tst_speechdaemon.moc"
